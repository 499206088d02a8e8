// The update window of a build without the update check: there is nothing
// to check, and the start goes on.
#include "UpdaterWindow.h"

namespace tolvane::win {

class UpdaterWindow::View {};

UpdaterWindow::UpdaterWindow(HWND, const app::TranslationTable&, int, const app::VendorConfig&) {}

UpdaterWindow::~UpdaterWindow() = default;

bool UpdaterWindow::RunStartUpCheck() {
    return true;
}

} // namespace tolvane::win
