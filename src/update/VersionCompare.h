// Whether an offered version is newer than the installed one.
#pragma once

#include "UpdateTypes.h"

#include <string>

namespace tolvane::update {

// vfStandard: dot-separated integers compared from the left (a part that is
// not a number counts as 0), only as far as the installed version has parts;
// vfString: ordinal byte comparison; vfNumber: both as floating-point numbers,
// false when either is not a number.
bool OfferedIsNewer(TVersionFormat format, const std::string& installed,
                    const std::string& offered);

} // namespace tolvane::update
