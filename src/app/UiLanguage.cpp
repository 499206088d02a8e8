#include "UiLanguage.h"

#include "platform/UserInterfaceLanguage.h"

namespace tolvane::app {

int GetUILanguageIndex() {
    switch (platform::UserDefaultUILanguage() & 0xFF) {
    case 0x07:
        return 3;
    case 0x0A:
        return 1;
    case 0x0C:
        return 2;
    case 0x19:
        return 4;
    default:
        return 0;
    }
}

} // namespace tolvane::app
