// The language the user reads the system's interface in.
#pragma once

#include <cstdint>

namespace tolvane::platform {

// The user's default interface language as a Windows language identifier: its
// low byte is the primary language (0x07 German, 0x09 English, 0x0A Spanish,
// 0x0C French, 0x19 Russian). Here it comes from the first of LANGUAGE (its
// first element), LC_ALL, LC_MESSAGES and LANG that is set and not C/POSIX;
// a language other than those five, or none, gives 0 (neutral).
uint16_t UserDefaultUILanguage();

} // namespace tolvane::platform
