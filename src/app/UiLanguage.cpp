#include "UiLanguage.h"

#include <cstdlib>
#include <string>

namespace tolvane::app {

int GetUILanguageIndex() {
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (!value || !*value)
            continue;
        std::string locale = value;
        locale = locale.substr(0, locale.find(':'));
        if (locale.empty() || locale == "C" || locale == "POSIX" || locale.rfind("C.", 0) == 0)
            continue;
        const std::string language = locale.substr(0, locale.find_first_of("_.@"));
        if (language == "es")
            return 1;
        if (language == "fr")
            return 2;
        if (language == "de")
            return 3;
        if (language == "ru")
            return 4;
        return 0;
    }
    return 0;
}

} // namespace tolvane::app
