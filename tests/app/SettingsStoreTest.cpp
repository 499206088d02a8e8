// The settings file: round trip, defaults, wrong types and what a failed read
// reports, atomic replacement.
#include "app/SettingsStore.h"

#include "support/EnvironmentGuard.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace tolvane;
using namespace tolvane::test;

namespace {

TEST(SettingsStoreTest, RoundTripKeepsStringsExactlyAsTyped) {
    TempFolder scratch;
    app::SettingsStore store(scratch / "cfg/Tolvane/settings");
    app::Settings saved{true, " 12 34\\x\n", "soft=ware:1", -1};
    ASSERT_TRUE(store.Save(saved));
    const auto read = store.Read();
    ASSERT_TRUE(read) << platform::CauseLine(read.Error().report);
    const app::Settings& loaded = *read;
    EXPECT_TRUE(loaded.signedUp);
    EXPECT_EQ(loaded.partnerId, " 12 34\\x\n");
    EXPECT_EQ(loaded.softwareId, "soft=ware:1");
    EXPECT_EQ(loaded.targetLanguage, -1);
    EXPECT_EQ(ReadFileText(store.Path()), "# Tolvane settings\nsignedup=dword:1\n"
                                          "partnerid=sz: 12 34\\\\x\\n\nsoftwareid=sz:soft=ware:1\n"
                                          "targetlanguage=dword:-1\n");
}

TEST(SettingsStoreTest, MissingValuesKeepTheirDefaults) {
    TempFolder scratch;
    app::SettingsStore store(scratch.WriteFile("settings", "partnerid=sz:p\n"));
    const auto loaded = store.Read();
    ASSERT_TRUE(loaded);
    EXPECT_FALSE(loaded->signedUp);
    EXPECT_EQ(loaded->partnerId, "p");
    EXPECT_EQ(loaded->targetLanguage, 0);
    EXPECT_TRUE(app::SettingsStore(scratch / "absent").Read());
}

TEST(SettingsStoreTest, AWrongTypeStopsTheReadingButKeepsWhatWasRead) {
    TempFolder scratch;
    app::SettingsStore store(scratch.WriteFile(
        "settings",
        "signedup=dword:1\npartnerid=sz:p1\nsoftwareid=dword:5\ntargetlanguage=dword:2\n"));
    const auto read = store.Read();
    ASSERT_FALSE(read);
    EXPECT_EQ(platform::CauseLine(read.Error().report),
              store.Path() + ": \"softwareid\" is not a text");
    const app::Settings& loaded = read.Error().readBefore;
    EXPECT_TRUE(loaded.signedUp);
    EXPECT_EQ(loaded.partnerId, "p1");
    EXPECT_EQ(loaded.targetLanguage, 0); // after the failure: default
}

// A failed save says so with the file and the cause in brackets.
TEST(SettingsStoreTest, AFailedSaveNamesTheFileAndTheCause) {
    TempFolder scratch;
    const std::string folder = scratch.MakeFolder("folder");
    const platform::Expected<void> saved = app::SettingsStore(folder).Save({});
    ASSERT_FALSE(saved);
    EXPECT_EQ(platform::TextWithCause(saved.Error()),
              "Error writing data to Registry (" + folder + ": Is a directory)");
}

TEST(SettingsStoreTest, ACorruptValueFailsButKeepsWhatWasRead) {
    TempFolder scratch;
    app::SettingsStore store(scratch.WriteFile(
        "settings", "signedup=dword:1\r\npartnerid=sz:p1\r\ntargetlanguage=dword:2x\r\n"));
    const auto read = store.Read();
    ASSERT_FALSE(read);
    EXPECT_EQ(read.Error().report.fileName, store.Path());
    EXPECT_EQ(read.Error().report.extendedMsg, "\"targetlanguage\" is not a number");
    EXPECT_EQ(read.Error().report.grade, platform::ReportGrade::Failed);
    const app::Settings& loaded = read.Error().readBefore;
    EXPECT_TRUE(loaded.signedUp);
    EXPECT_EQ(loaded.partnerId, "p1");
    EXPECT_EQ(loaded.targetLanguage, 0);
    // Out of the 32-bit range is as corrupt as letters.
    const auto big =
        app::SettingsStore(scratch.WriteFile("big", "signedup=dword:4294967296\n")).Read();
    ASSERT_FALSE(big);
    EXPECT_FALSE(big.Error().readBefore.signedUp);
}

TEST(SettingsStoreTest, AFileThatIsNoSettingsFileFailsWithItsCause) {
    TempFolder scratch;
    const std::pair<std::string, std::string> cases[] = {
        {"", "the file is empty"},
        {"signedup=dword:1\npartnerid=sz:p1", "the file is cut short (its last line has no end)"},
        {"signedup=dword:1\n\x89PNG garbage\npartnerid=sz:p1\n", "line 2 is not a setting"},
    };
    for (const auto& [text, why] : cases) {
        app::SettingsStore store(scratch.WriteFile("settings", text));
        const auto read = store.Read();
        ASSERT_FALSE(read) << text;
        EXPECT_EQ(platform::CauseLine(read.Error().report), store.Path() + ": " + why);
        EXPECT_EQ(read.Error().report.text, "") << "the front ends word it";
        const app::Settings& loaded = read.Error().readBefore;
        EXPECT_FALSE(loaded.signedUp) << "nothing is taken from a damaged file";
        EXPECT_EQ(loaded.partnerId, "");
    }
    // A folder where the file should be is reported, not thrown from the read.
    app::SettingsStore folder(scratch.MakeFolder("cfg/settings"));
    const auto read = folder.Read();
    ASSERT_FALSE(read);
    EXPECT_EQ(platform::CauseLine(read.Error().report),
              folder.Path() + ": it is a folder, not a file");
}

TEST(SettingsStoreTest, AFailedSaveLeavesNoHalfFile) {
    TempFolder scratch;
    // A folder where the file should go: the rename fails after the data was written.
    const std::string old = scratch.WriteFile("settings/old", "old content");
    const auto failed = app::SettingsStore(scratch / "settings").Save({});
    ASSERT_FALSE(failed);
    EXPECT_EQ(failed.Error().text, "Error writing data to Registry");
    EXPECT_EQ(failed.Error().fileName, scratch / "settings");
    size_t files = 0;
    for (const auto& e : fs::directory_iterator(scratch.Path()))
        files += e.is_regular_file();
    EXPECT_EQ(files, 0u); // the temporary file is gone
    EXPECT_EQ(ReadFileText(old), "old content");
    // A later save that works replaces the file in one piece.
    fs::remove_all(scratch / "settings");
    app::SettingsStore store(scratch / "settings");
    ASSERT_TRUE(store.Save({true, "a", "b", 3}));
    ASSERT_TRUE(store.Save({false, "c", "d", 4}));
    const auto loaded = store.Read();
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->partnerId, "c");
    EXPECT_EQ(fs::status(store.Path()).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST(SettingsStoreTest, TheLastFolderAndTheIdsAreSavedWithoutLosingEachOther) {
    TempFolder scratch;
    app::SettingsStore store(scratch / "cfg/settings");
    EXPECT_EQ(store.LastFolder(), ""); // no file
    ASSERT_TRUE(store.SaveLastFolder("/home/ann/My\nBook"));
    EXPECT_EQ(store.LastFolder(), "/home/ann/My\nBook");
    ASSERT_TRUE(store.Save({true, "p", "s", 2}));
    EXPECT_EQ(store.LastFolder(), "/home/ann/My\nBook");
    ASSERT_TRUE(store.SaveLastFolder("/srv/files"));
    const auto loaded = store.Read();
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(loaded->signedUp);
    EXPECT_EQ(loaded->partnerId, "p");
    EXPECT_EQ(loaded->targetLanguage, 2);
    EXPECT_EQ(ReadFileText(store.Path()),
              "# Tolvane settings\nsignedup=dword:1\npartnerid=sz:p\nsoftwareid=sz:s\n"
              "targetlanguage=dword:2\nlastfolder=sz:/srv/files\n");
    // A damaged file is left for the user to repair, not replaced.
    const std::string damaged = scratch.WriteFile("bad/settings", "signedup=dword:1\ngarbage\n");
    const auto refused = app::SettingsStore(damaged).SaveLastFolder("/x");
    ASSERT_FALSE(refused);
    EXPECT_EQ(platform::TextWithCause(refused.Error()),
              "Error writing data to Registry (" + damaged + ": the file cannot be read)");
    EXPECT_EQ(ReadFileText(damaged), "signedup=dword:1\ngarbage\n");
    EXPECT_EQ(app::SettingsStore(damaged).LastFolder(), "");
}

TEST(SettingsStoreTest, TheDefaultPathFollowsXdgConfigHome) {
    EnvironmentGuard env({{"XDG_CONFIG_HOME", "/cfg"}});
    EXPECT_EQ(app::SettingsStore::DefaultPath(), "/cfg/Tolvane/settings");
    EnvironmentGuard relative({{"XDG_CONFIG_HOME", "rel"}, {"HOME", "/home/u"}});
    EXPECT_EQ(app::SettingsStore::DefaultPath(), "/home/u/.config/Tolvane/settings");
}

} // namespace
