// The interface language from the locale variables.
#include "app/UiLanguage.h"

#include "support/EnvironmentGuard.h"

#include <gtest/gtest.h>

using tolvane::test::EnvironmentGuard;

namespace {

TEST(UiLanguageTest, TheFirstSetLocaleDecides) {
    struct Case {
        const char *language, *all, *messages, *lang;
        int expected;
    };
    const Case cases[] = {
        {"de_DE:en", nullptr, nullptr, "ru_RU.UTF-8", 3},
        {nullptr, "es_ES.UTF-8", nullptr, "de_DE", 1},
        {"", "C", "fr_CA.UTF-8", nullptr, 2},
        {nullptr, nullptr, nullptr, "ru_UA.UTF-8@euro", 4},
        {nullptr, "POSIX", nullptr, "C.UTF-8", 0},
        {"it_IT", nullptr, nullptr, "de_DE", 0},
        {nullptr, nullptr, nullptr, nullptr, 0},
    };
    for (const auto& c : cases) {
        EnvironmentGuard env({{"LANGUAGE", c.language},
                              {"LC_ALL", c.all},
                              {"LC_MESSAGES", c.messages},
                              {"LANG", c.lang}});
        EXPECT_EQ(tolvane::app::GetUILanguageIndex(), c.expected);
    }
}

} // namespace
