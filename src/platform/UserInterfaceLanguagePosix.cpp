#include "UserInterfaceLanguage.h"

#include "platform/Environment.h"

#include <string>
#include <utility>

namespace tolvane::platform {

uint16_t UserDefaultUILanguage() {
    constexpr std::pair<const char*, uint16_t> kPrimary[] = {
        {"de", 0x07}, {"en", 0x09}, {"es", 0x0A}, {"fr", 0x0C}, {"ru", 0x19}};
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        std::string locale = EnvironmentValue(name).value_or("");
        locale = locale.substr(0, locale.find(':'));
        if (locale.empty() || locale == "C" || locale == "POSIX" || locale.rfind("C.", 0) == 0)
            continue;
        const std::string language = locale.substr(0, locale.find_first_of("_.@"));
        for (const auto& [code, id] : kPrimary) {
            if (language == code)
                return id;
        }
        return 0;
    }
    return 0;
}

} // namespace tolvane::platform
