// The settings file: round trip, defaults, wrong types, atomic replacement.
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
    std::string error;
    ASSERT_TRUE(store.Save(saved, error)) << error;
    app::Settings loaded;
    ASSERT_TRUE(store.Load(loaded, "help@example.com", error)) << error;
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
    app::Settings loaded;
    std::string error;
    EXPECT_TRUE(store.Load(loaded, "x", error));
    EXPECT_FALSE(loaded.signedUp);
    EXPECT_EQ(loaded.partnerId, "p");
    EXPECT_EQ(loaded.targetLanguage, 0);
    app::Settings none;
    EXPECT_TRUE(app::SettingsStore(scratch / "absent").Load(none, "x", error));
}

TEST(SettingsStoreTest, AWrongTypeStopsTheReadingButKeepsWhatWasRead) {
    TempFolder scratch;
    app::SettingsStore store(scratch.WriteFile(
        "settings",
        "signedup=dword:1\npartnerid=sz:p1\nsoftwareid=dword:5\ntargetlanguage=dword:2\n"));
    app::Settings loaded;
    std::string error;
    EXPECT_FALSE(store.Load(loaded, "help@example.com", error));
    EXPECT_EQ(error, "Could not read data from Registry.\r\nPlease contact us at help@example.com");
    EXPECT_TRUE(loaded.signedUp);
    EXPECT_EQ(loaded.partnerId, "p1");
    EXPECT_EQ(loaded.targetLanguage, 0); // after the failure: default
}

TEST(SettingsStoreTest, ACorruptValueFailsButKeepsWhatWasRead) {
    TempFolder scratch;
    app::SettingsStore store(scratch.WriteFile(
        "settings", "signedup=dword:1\r\npartnerid=sz:p1\r\ntargetlanguage=dword:2x\r\n"));
    app::Settings loaded;
    std::string error, cause;
    EXPECT_FALSE(store.Load(loaded, "s@example.com", error, &cause));
    EXPECT_EQ(cause, store.Path() + ": \"targetlanguage\" is not a number");
    EXPECT_EQ(error, "Could not read data from Registry.\r\nPlease contact us at s@example.com");
    EXPECT_TRUE(loaded.signedUp);
    EXPECT_EQ(loaded.partnerId, "p1");
    EXPECT_EQ(loaded.targetLanguage, 0);
    // Out of the 32-bit range is as corrupt as letters.
    app::Settings big;
    EXPECT_FALSE(app::SettingsStore(scratch.WriteFile("big", "signedup=dword:4294967296\n"))
                     .Load(big, "s", error));
    EXPECT_FALSE(big.signedUp);
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
        app::Settings loaded;
        std::string error, cause;
        EXPECT_FALSE(store.Load(loaded, "s@example.com", error, &cause)) << text;
        EXPECT_EQ(error,
                  "Could not read data from Registry.\r\nPlease contact us at s@example.com");
        EXPECT_EQ(cause, store.Path() + ": " + why);
        EXPECT_FALSE(loaded.signedUp) << "nothing is taken from a damaged file";
        EXPECT_EQ(loaded.partnerId, "");
    }
    // A folder where the file should be is reported, not thrown from the read.
    app::SettingsStore folder(scratch.MakeFolder("cfg/settings"));
    app::Settings loaded;
    std::string error, cause;
    EXPECT_FALSE(folder.Load(loaded, "s@example.com", error, &cause));
    EXPECT_EQ(cause, folder.Path() + ": it is a folder, not a file");
}

TEST(SettingsStoreTest, AFailedSaveLeavesNoHalfFile) {
    TempFolder scratch;
    // A folder where the file should go: the rename fails after the data was written.
    const std::string old = scratch.WriteFile("settings/old", "old content");
    std::string error;
    EXPECT_FALSE(app::SettingsStore(scratch / "settings").Save({}, error));
    EXPECT_EQ(error.rfind("Error writing data to Registry", 0), 0u);
    size_t files = 0;
    for (const auto& e : fs::directory_iterator(scratch.Path()))
        files += e.is_regular_file();
    EXPECT_EQ(files, 0u); // the temporary file is gone
    EXPECT_EQ(ReadFileText(old), "old content");
    // A later save that works replaces the file in one piece.
    fs::remove_all(scratch / "settings");
    app::SettingsStore store(scratch / "settings");
    ASSERT_TRUE(store.Save({true, "a", "b", 3}, error)) << error;
    ASSERT_TRUE(store.Save({false, "c", "d", 4}, error)) << error;
    app::Settings loaded;
    ASSERT_TRUE(store.Load(loaded, "s", error));
    EXPECT_EQ(loaded.partnerId, "c");
    EXPECT_EQ(fs::status(store.Path()).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST(SettingsStoreTest, TheLastFolderAndTheIdsAreSavedWithoutLosingEachOther) {
    TempFolder scratch;
    app::SettingsStore store(scratch / "cfg/settings");
    std::string error;
    EXPECT_EQ(store.LastFolder(), ""); // no file
    ASSERT_TRUE(store.SaveLastFolder("/home/ann/My\nBook", error)) << error;
    EXPECT_EQ(store.LastFolder(), "/home/ann/My\nBook");
    ASSERT_TRUE(store.Save({true, "p", "s", 2}, error)) << error;
    EXPECT_EQ(store.LastFolder(), "/home/ann/My\nBook");
    ASSERT_TRUE(store.SaveLastFolder("/srv/files", error)) << error;
    app::Settings loaded;
    ASSERT_TRUE(store.Load(loaded, "s", error)) << error;
    EXPECT_TRUE(loaded.signedUp);
    EXPECT_EQ(loaded.partnerId, "p");
    EXPECT_EQ(loaded.targetLanguage, 2);
    EXPECT_EQ(ReadFileText(store.Path()),
              "# Tolvane settings\nsignedup=dword:1\npartnerid=sz:p\nsoftwareid=sz:s\n"
              "targetlanguage=dword:2\nlastfolder=sz:/srv/files\n");
    // A damaged file is left for the user to repair, not replaced.
    const std::string damaged = scratch.WriteFile("bad/settings", "signedup=dword:1\ngarbage\n");
    EXPECT_FALSE(app::SettingsStore(damaged).SaveLastFolder("/x", error));
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
