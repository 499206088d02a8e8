// The settings and the Explorer verb in the registry, each test in keys of its
// own below HKEY_CURRENT_USER that it removes afterwards.
#include "app/SettingsStore.h"
#include "app/ShellVerb.h"
#include "platform/RegistryKey.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

using namespace tolvane;
using platform::RegistryKey;

namespace {

// A key below "Software\TolvaneTest" that goes with the object.
class ScratchKey {
public:
    ScratchKey() : path_("Software\\TolvaneTest\\" + std::to_string(std::random_device{}())) {}
    ~ScratchKey() { (void)RegistryKey::RemoveTree(path_); }
    const std::string& Path() const { return path_; }
    RegistryKey Create() const {
        auto key = RegistryKey::Create(path_);
        EXPECT_TRUE(key);
        return std::move(*key);
    }

private:
    std::string path_;
};

struct ReadCase {
    const char* name;
    std::function<void(RegistryKey&)> write;
    app::Settings expected;   // what was read, or read before the failure
    const char* failingValue; // nullptr: the read succeeds
};

TEST(RegistrySettingsTest, ValuesAreReadInOrderUpToOneOfTheWrongType) {
    const ReadCase cases[] = {
        {"all four",
         [](RegistryKey& key) {
             (void)key.WriteDword("signedup", 1);
             (void)key.WriteString("partnerid", "P-7");
             (void)key.WriteString("softwareid", "Взлёт");
             (void)key.WriteDword("targetlanguage", 4);
         },
         {true, "P-7", "Взлёт", 4},
         nullptr},
        {"none", [](RegistryKey&) {}, {}, nullptr},
        {"signedup as text",
         [](RegistryKey& key) {
             (void)key.WriteString("signedup", "1");
             (void)key.WriteString("partnerid", "P-7");
         },
         {},
         "signedup"},
        {"softwareid as number",
         [](RegistryKey& key) {
             (void)key.WriteDword("signedup", 7);
             (void)key.WriteString("partnerid", "P-7");
             (void)key.WriteDword("softwareid", 3);
             (void)key.WriteDword("targetlanguage", 2);
         },
         {true, "P-7", "", 0},
         "softwareid"},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchKey scratch;
        RegistryKey key = scratch.Create();
        c.write(key);
        const auto read = app::SettingsStore(scratch.Path()).Read();
        const app::Settings& got = read ? *read : read.Error().readBefore;
        EXPECT_EQ(got.signedUp, c.expected.signedUp);
        EXPECT_EQ(got.partnerId, c.expected.partnerId);
        EXPECT_EQ(got.softwareId, c.expected.softwareId);
        EXPECT_EQ(got.targetLanguage, c.expected.targetLanguage);
        ASSERT_EQ(!read, c.failingValue != nullptr);
        if (!read) {
            EXPECT_EQ(read.Error().report.fileName,
                      "HKEY_CURRENT_USER\\" + scratch.Path() + "\\" + c.failingValue);
            EXPECT_FALSE(read.Error().report.extendedMsg.empty());
        }
    }
}

TEST(RegistrySettingsTest, AMissingKeyGivesTheDefaultsAndSaveCreatesIt) {
    ScratchKey scratch;
    const app::SettingsStore store(scratch.Path());
    const auto before = store.Read();
    ASSERT_TRUE(before);
    EXPECT_FALSE(before->signedUp);

    ASSERT_TRUE(store.Save({true, "Grüße", "S-1", 3}));
    ASSERT_TRUE(store.SaveLastFolder("C:\\Users\\Zoë\\Files"));
    const auto after = store.Read();
    ASSERT_TRUE(after);
    EXPECT_TRUE(after->signedUp);
    EXPECT_EQ(after->partnerId, "Grüße");
    EXPECT_EQ(after->softwareId, "S-1");
    EXPECT_EQ(after->targetLanguage, 3);
    EXPECT_EQ(store.LastFolder(), "C:\\Users\\Zoë\\Files");

    // The types a reader of the key expects.
    auto key = RegistryKey::Open(scratch.Path());
    ASSERT_TRUE(key && key->has_value());
    EXPECT_EQ((*key)->ReadDword("signedup")->value_or(0), 1u);
    EXPECT_EQ((*key)->ReadDword("targetlanguage")->value_or(0), 3u);
    EXPECT_FALSE((*key)->ReadDword("partnerid"));
}

TEST(RegistrySettingsTest, TheVerbQuotesProgramAndFolderAndIsRemovable) {
    const std::string verbKey = "TolvaneTest." + std::to_string(std::random_device{}());
    const std::string key = "Software\\Classes\\Directory\\Shell\\" + verbKey;
    app::RegisterShellVerb("Directory", verbKey, "Monetize...",
                           "C:\\Program Files\\Tolvane\\tolvane.exe %1");
    {
        auto verb = RegistryKey::Open(key);
        ASSERT_TRUE(verb && verb->has_value());
        EXPECT_EQ((*verb)->ReadString("")->value_or(""), "Monetize...");
        auto command = RegistryKey::Open(key + "\\Command");
        ASSERT_TRUE(command && command->has_value());
        EXPECT_EQ((*command)->ReadString("")->value_or(""),
                  "\"C:\\Program Files\\Tolvane\\tolvane.exe\" \"%1\"");
    }
    const app::UnregisterResult removed = app::UnregisterShellVerb("Directory", verbKey, "");
    EXPECT_EQ(removed.removed, std::vector<std::string>{"HKEY_CURRENT_USER\\" + key});
    EXPECT_TRUE(removed.failed.empty());
    auto gone = RegistryKey::Open(key);
    ASSERT_TRUE(gone);
    EXPECT_FALSE(gone->has_value());
    EXPECT_TRUE(app::UnregisterShellVerb("Directory", verbKey, "").removed.empty());

    // A file extension's class, and a verb named by its caption.
    app::RegisterShellVerb(".tlvtest", "", "TolvaneTest", "C:\\t.exe %1");
    auto ext = RegistryKey::Open("Software\\Classes\\tlvtest_auto_file\\Shell\\TolvaneTest");
    EXPECT_TRUE(ext && ext->has_value());
    (void)RegistryKey::RemoveTree("Software\\Classes\\tlvtest_auto_file");
}

// tolvane.exe registers itself with the core's form of its path ("/"); the
// command must be the one the installer writes, with "\\".
TEST(RegistrySettingsTest, TheVerbCommandHasTheProgramInWindowsForm) {
    const struct {
        const char* given;
        const char* written;
    } cases[] = {
        {"C:/Users/Zoë/AppData/Local/Programs/Tolvane/tolvane.exe %1",
         "\"C:\\Users\\Zoë\\AppData\\Local\\Programs\\Tolvane\\tolvane.exe\" \"%1\""},
        {"C:\\Tools/Tolvane\\tolvane.exe %1", "\"C:\\Tools\\Tolvane\\tolvane.exe\" \"%1\""},
        {"//server/share/tolvane.exe %1", "\"\\\\server\\share\\tolvane.exe\" \"%1\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.given);
        const std::string verbKey = "TolvaneTest." + std::to_string(std::random_device{}());
        app::RegisterShellVerb("Directory", verbKey, "Monetize...", c.given);
        const std::string key = "Software\\Classes\\Directory\\Shell\\" + verbKey;
        auto command = RegistryKey::Open(key + "\\Command");
        ASSERT_TRUE(command && command->has_value());
        EXPECT_EQ((*command)->ReadString("")->value_or(""), c.written);
        (void)RegistryKey::RemoveTree(key);
    }
}

} // namespace
