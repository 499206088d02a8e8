// Loading transl.dat and looking texts up, on hand-made tables and on the
// file the program ships.
#include "app/Translation.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <sstream>

using namespace tolvane;
using namespace tolvane::test;

namespace {

app::TranslationTable LoadText(const std::string& text, int required,
                               std::string* warning = nullptr) {
    TempFolder scratch;
    std::ostringstream warnings;
    auto table = app::TranslationTable::Load(scratch.WriteFile("t.dat", text), required, warnings);
    if (warning)
        *warning = warnings.str();
    return table;
}

TEST(TranslationTest, RecordsOfNLinesAndShortcutNames) {
    // N = 3 and 7 lines: two entries; an eighth line would start an incomplete record.
    for (const char* tail : {"", "stray\r\n"}) {
        auto t = LoadText(std::string("3\r\nEn\r\nEs\r\nFr\r\nGet\r\nObt\r\nObt-fr\r\n") + tail, 1);
        EXPECT_EQ(t.Languages(), 3u);
        EXPECT_EQ(t.Entries(), 2u);
        EXPECT_EQ(t.ShortcutNames(),
                  (std::vector<std::string>{"Get.URL", "Obt.URL", "Obt-fr.URL"}));
        EXPECT_EQ(t.Translate("Get", 2), "Obt-fr");
    }
}

TEST(TranslationTest, LookupRules) {
    auto t = LoadText("2\nEn\nEs\nYes\nSí\nYes\nDuplicado\nOpen\n", 2); // LF only, incomplete last
    EXPECT_EQ(t.Translate("Yes", 1), "Sí");    // the first of two equal keys wins
    EXPECT_EQ(t.Translate("yes", 1), "yes");   // case-sensitive
    EXPECT_EQ(t.Translate("Open", 1), "Open"); // in no complete record
    EXPECT_EQ(t.Translate("Missing", 1), "Missing");
    EXPECT_EQ(t.Translate("Yes", 7), "Yes"); // no such column
}

TEST(TranslationTest, ShortcutLinesPastTheEndReadEmpty) {
    auto t = LoadText("2\r\nEn\r\nEs\r\n", 1);
    EXPECT_EQ(t.Entries(), 1u);
    EXPECT_EQ(t.ShortcutNames(), (std::vector<std::string>{".URL", ".URL"}));
}

TEST(TranslationTest, UnsoundFilesMeanEnglishAndAWarning) {
    struct Case {
        const char* text;
        int required;
        const char* warning;
    };
    const Case cases[] = {
        {"five\r\nEn\r\n", 1, "is not a number of languages"},
        {"\r\n", 1, "is not a number of languages"},
        {"0\r\n", 1, "0 languages, but 1 are needed"},
        {"-2\r\nx\r\n", 1, "-2 languages, but 1 are needed"},
        {"2\r\nEn\r\nEs\r\n", 5, "2 languages, but 5 are needed"},
        // More languages than the file has lines: damage, never an allocation.
        {"999999999\r\nEn\r\n", 1, "999999999 languages, but the file has only 1 lines"},
        {"3\r\nEn\r\nEs\r\n", 1, "3 languages, but the file has only 2 lines"},
    };
    for (const auto& c : cases) {
        std::string warning;
        auto t = LoadText(c.text, c.required, &warning);
        EXPECT_EQ(t.Languages(), 0u) << c.text;
        EXPECT_TRUE(t.ShortcutNames().empty());
        EXPECT_NE(warning.find(c.warning), std::string::npos) << warning;
        EXPECT_EQ(t.Translate("Exit", 0), "Exit");
    }
    std::ostringstream none;
    EXPECT_EQ(app::TranslationTable::Load("/nonexistent/transl.dat", 5, none).Languages(), 0u);
    EXPECT_EQ(none.str(), ""); // a missing file is not an error
}

TEST(TranslationTest, TheShippedFileCoversEveryTextInFiveLanguages) {
    const char* source = std::getenv("TOLVANE_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    const std::string path = std::string(source) + "/data/transl.dat";
    std::ostringstream warnings;
    auto t = app::TranslationTable::Load(path, 5, warnings);
    EXPECT_EQ(warnings.str(), "");
    ASSERT_EQ(t.Languages(), 5u);
    EXPECT_EQ(t.At(0, 4), "Русский");
    EXPECT_EQ(t.ShortcutNames()[0], "Download the archiver.URL");
    std::set<std::string> keys;
    for (size_t e = 0; e < t.Entries(); ++e) {
        EXPECT_TRUE(keys.insert(t.At(e, 0)).second) << "duplicate key " << t.At(e, 0);
        for (size_t l = 0; l < 5; ++l)
            EXPECT_FALSE(t.At(e, l).empty()) << t.At(e, 0) << " in column " << l;
    }
    for (const char* key : {"Save Monetized Archive As...", "Password...", "Progrgess",
                            "Step 2. Compressing in ZIP format", "Welcome!",
                            "Your email*:", "Please fillout all fields marked with *",
                            "Update Software", "The new version is available. Update now?"})
        EXPECT_EQ(keys.count(key), 1u) << key;
    EXPECT_EQ(t.Translate("Exit", 3), "Beenden");
    const std::string bytes = ReadFileText(path);
    EXPECT_EQ(bytes.find('\n'), bytes.find("\r\n") + 1); // CR LF line ends
}

} // namespace
