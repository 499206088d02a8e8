#include "platform/UserInterfaceLanguage.h"

#include "platform/Win32Support.h"

namespace tolvane::platform {

uint16_t UserDefaultUILanguage() {
    return GetUserDefaultUILanguage();
}

} // namespace tolvane::platform
