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

TEST(TranslationTest, KeysThatAreTyposReadCorrectedInEnglishOnly) {
    const char* source = std::getenv("TOLVANE_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    std::ostringstream warnings;
    auto shipped =
        app::TranslationTable::Load(std::string(source) + "/data/transl.dat", 5, warnings);
    EXPECT_EQ(shipped.Translate("Progrgess", 0), "Progress");
    EXPECT_EQ(shipped.Translate("Progrgess", 3), "Fortschritt");
    EXPECT_EQ(shipped.Translate("Please fillout all fields marked with *", 0),
              "Please fill out all fields marked with *");
    // Without the file, and for a key the file lacks, the English is corrected all the same.
    EXPECT_EQ(app::TranslationTable().Translate("Progrgess", 2), "Progress");
    auto partial = LoadText("2\r\nEn\r\nEs\r\n", 2);
    EXPECT_EQ(partial.Translate("Progrgess", 1), "Progress");
    EXPECT_EQ(partial.Translate("Progrgess ", 1), "Progrgess "); // only the exact key
}

// A hand-made table with one count text in five languages.
app::TranslationTable CountTable(const std::string& russian) {
    return LoadText("5\nEn\nEs\nFr\nDe\nRu\nGet\nObt\nObt-fr\nObt-de\nObt-ru\n"
                    "%1 file|%1 files\n"
                    "%1 archivo|%1 archivos\n"
                    "%1 fichier|%1 fichiers\n"
                    "%1 Datei|%1 Dateien\n" +
                        russian + "\n",
                    5);
}

TEST(TranslationTest, CountsTakeTheFormTheirNumberNeeds) {
    const auto table = CountTable("%1 файл|%1 файла|%1 файлов");
    struct Case {
        int language;
        int64_t n;
        const char* text;
    };
    const Case cases[] = {
        {0, 0, "0 files"},       {0, 1, "1 file"},     {0, 2, "2 files"},
        {1, 1, "1 archivo"},     {1, 0, "0 archivos"}, {1, 21, "21 archivos"},
        {2, 0, "0 fichier"},     {2, 1, "1 fichier"},  {2, 2, "2 fichiers"},
        {3, 1, "1 Datei"},       {3, 7, "7 Dateien"},  {4, 1, "1 файл"},
        {4, 2, "2 файла"},       {4, 4, "4 файла"},    {4, 5, "5 файлов"},
        {4, 0, "0 файлов"},      {4, 11, "11 файлов"}, {4, 12, "12 файлов"},
        {4, 14, "14 файлов"},    {4, 21, "21 файл"},   {4, 22, "22 файла"},
        {4, 25, "25 файлов"},    {4, 101, "101 файл"}, {4, 111, "111 файлов"},
        {4, 1004, "1004 файла"}, {7, 1, "1 file"},     {7, 3, "3 files"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(table.TranslateCount("%1 file", "%1 files", c.n, c.language), c.text)
            << c.language << " " << c.n;
}

TEST(TranslationTest, ACountWithoutItsFormsFallsBackSoundly) {
    // No row: English by the English rule, whatever the language.
    const auto table = CountTable("%1 файл|%1 файла");
    EXPECT_EQ(table.TranslateCount("%1 egg", "%1 eggs", 1, 4), "1 egg");
    EXPECT_EQ(table.TranslateCount("%1 egg", "%1 eggs", 3, 4), "3 eggs");
    // A text with fewer forms than its language has gives its last one.
    EXPECT_EQ(table.TranslateCount("%1 file", "%1 files", 5, 4), "5 файла");
    // Every %1 is the number.
    const auto twice = LoadText("1\nEn\nGet\n%1 of %1|%1 and %1\n", 1);
    EXPECT_EQ(twice.TranslateCount("%1 of %1", "%1 and %1", 10, 0), "10 and 10");
    EXPECT_EQ(app::TranslationTable().TranslateCount("%1 of %1", "%1 and %1", 1, 3), "1 of 1");
}

TEST(TranslationTest, TheShippedFileCountsFilesLeftOut) {
    const char* source = std::getenv("TOLVANE_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    std::ostringstream warnings;
    auto t = app::TranslationTable::Load(std::string(source) + "/data/transl.dat", 5, warnings);
    const auto leftOut = [&t](int64_t n, int language) {
        return t.TranslateCount("%1 file was left out of the archive.",
                                "%1 files were left out of the archive.", n, language);
    };
    EXPECT_EQ(leftOut(1, 0), "1 file was left out of the archive.");
    EXPECT_EQ(leftOut(2, 0), "2 files were left out of the archive.");
    EXPECT_EQ(leftOut(1, 3), "1 Datei wurde nicht ins Archiv aufgenommen.");
    EXPECT_EQ(leftOut(3, 3), "3 Dateien wurden nicht ins Archiv aufgenommen.");
    EXPECT_EQ(leftOut(0, 2), "0 fichier a été laissé hors de l'archive.");
    EXPECT_EQ(leftOut(22, 4), "22 файла не попали в архив.");
    EXPECT_EQ(leftOut(5, 4), "5 файлов не попали в архив.");
}

} // namespace
