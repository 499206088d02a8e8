// The update window of a build without the update check: there is nothing
// to check, and the start goes on.
#include "UpdaterForm.h"

namespace tolvane::win {

class Tupdaterform::View {};

Tupdaterform::Tupdaterform(HWND, const app::TranslationTable&, int, const app::VendorConfig&) {}

Tupdaterform::~Tupdaterform() = default;

bool Tupdaterform::RunStartUpCheck() {
    return true;
}

} // namespace tolvane::win
