// The folder-menu entries the file managers read: written for the current
// user only when none is installed system-wide, naming no MIME type, and
// removed again by `tolvane --unregister`.
#include "app/ShellVerb.h"

#include "app/StartUp.h"
#include "support/EnvironmentGuard.h"
#include "support/Peers.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace tolvane;
using namespace tolvane::test;

namespace {

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_mode & 0777;
}

// Every file below `folder`, relative to it, sorted.
std::vector<std::string> FilesBelow(const std::string& folder) {
    std::vector<std::string> files;
    if (!fs::exists(folder))
        return files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_directory())
            files.push_back(fs::relative(entry.path(), folder));
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The user's data folder and two system-wide data folders, both empty unless
// a test installs an entry there.
class ShellVerbTest : public ::testing::Test {
protected:
    ShellVerbTest()
        : home_(scratch_.MakeFolder("home")),
          env_({{"XDG_DATA_HOME", home_.c_str()},
                {"XDG_DATA_DIRS",
                 (scratch_.MakeFolder("local") + ":relative/share:" + scratch_.MakeFolder("system"))
                     .c_str()}}) {}

    void Register(const std::string& program) {
        app::RegisterShellVerb("Directory", "Tolvane.Run", "Monetize...", program + " %1");
    }

    TempFolder scratch_;
    std::string home_;
    EnvironmentGuard env_;
};

TEST_F(ShellVerbTest, WritesEveryFileManagersEntryNamingNoMimeType) {
    Register("/opt/My Apps/tolvane");
    EXPECT_EQ(FilesBelow(home_),
              (std::vector<std::string>{"kio/servicemenus/Tolvane.Run.desktop",
                                        "nautilus/scripts/Monetize...",
                                        "nemo/actions/Tolvane.Run.nemo_action"}));
    const std::string dolphin = home_ + "/kio/servicemenus/Tolvane.Run.desktop";
    EXPECT_EQ(ReadFileText(dolphin),
              "[Desktop Entry]\nType=Service\nActions=monetize;\n"
              "X-KDE-ServiceTypes=KonqPopupMenu/Plugin,inode/directory\n\n"
              "[Desktop Action monetize]\nName=Monetize...\nExec=\"/opt/My Apps/tolvane\" %f\n");
    EXPECT_EQ(ModeOf(dolphin), 0755u);
    EXPECT_EQ(ReadFileText(home_ + "/nemo/actions/Tolvane.Run.nemo_action"),
              "[Nemo Action]\nName=Monetize...\nExec=\"/opt/My Apps/tolvane\" %F\nSelection=s\n"
              "Extensions=dir;\n");
    for (const std::string& file : FilesBelow(home_))
        EXPECT_EQ(ReadFileText(home_ + "/" + file).find("MimeType"), std::string::npos) << file;

    // The Nautilus script really starts the program on the chosen folder.
    const std::string script = home_ + "/nautilus/scripts/Monetize...";
    EXPECT_EQ(ModeOf(script), 0755u);
    const std::string fake = scratch_.WriteFile("bin/fake", "#!/bin/sh\necho \"started on $1\"\n");
    chmod(fake.c_str(), 0755);
    Register(fake);
    auto run =
        RunPeer("NAUTILUS_SCRIPT_SELECTED_FILE_PATHS='/data/My Folder' " + ShellQuote(script));
    EXPECT_EQ(run.output, "started on /data/My Folder\n");
}

TEST_F(ShellVerbTest, ExecQuotesReservedCharacters) {
    app::RegisterShellVerb("Directory", "Tolvane.Run", "Monetize...", "/a\"b$c\\d%e %1");
    // Quoted for the Exec rules, then backslashes doubled for the string value.
    EXPECT_NE(ReadFileText(home_ + "/nemo/actions/Tolvane.Run.nemo_action")
                  .find(R"(Exec="/a\\"b\\$c\\\\d%%e" %F)"),
              std::string::npos);
}

// Each of the package's entries, in the second system-wide folder.
class ShellVerbSystemWideTest : public ShellVerbTest,
                                public ::testing::WithParamInterface<const char*> {};

INSTANTIATE_TEST_SUITE_P(Installed, ShellVerbSystemWideTest,
                         ::testing::Values("kio/servicemenus/tolvane-monetize.desktop",
                                           "nemo/actions/tolvane-monetize.nemo_action",
                                           "nautilus-python/extensions/tolvane-monetize.py"));

TEST_P(ShellVerbSystemWideTest, KeepsTheFileManagersFromShowingTheEntryTwice) {
    scratch_.WriteFile(std::string("system/") + GetParam(), "installed\n");
    EXPECT_TRUE(app::SystemWideShellVerbExists());
    Register("/usr/bin/tolvane");
    EXPECT_EQ(FilesBelow(home_), std::vector<std::string>());
}

TEST_F(ShellVerbTest, UnregisterRemovesExactlyTheProgramsOwnFiles) {
    Register("/usr/bin/tolvane");
    // The desktop entry earlier versions wrote, and other programs' entries.
    scratch_.WriteFile("home/applications/Tolvane.Run.desktop", "[Desktop Entry]\n");
    for (const char* other : {"applications/other.desktop", "kio/servicemenus/other.desktop",
                              "nautilus/scripts/Other", "nemo/actions/other.nemo_action"})
        scratch_.WriteFile(std::string("home/") + other, "theirs\n");

    std::ostringstream out, err;
    EXPECT_EQ(app::UnregisterFolderMenu(out, err), 0);
    EXPECT_EQ(out.str(), "removed " + home_ + "/kio/servicemenus/Tolvane.Run.desktop\n" +
                             "removed " + home_ + "/nautilus/scripts/Monetize...\n" + "removed " +
                             home_ + "/nemo/actions/Tolvane.Run.nemo_action\n" + "removed " +
                             home_ + "/applications/Tolvane.Run.desktop\n");
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(FilesBelow(home_), (std::vector<std::string>{
                                     "applications/other.desktop", "kio/servicemenus/other.desktop",
                                     "nautilus/scripts/Other", "nemo/actions/other.nemo_action"}));

    std::ostringstream again;
    EXPECT_EQ(app::UnregisterFolderMenu(again, err), 0);
    EXPECT_EQ(again.str(), "no per-user \"Monetize...\" entries to remove\n");
}

TEST(ShellVerbOtherTest, OtherClassesAndFailuresAreIgnored) {
    TempFolder scratch;
    EnvironmentGuard env({{"XDG_DATA_HOME", (scratch.WriteFile("file", "x") + "/sub").c_str()},
                          {"XDG_DATA_DIRS", scratch.MakeFolder("system").c_str()}});
    app::RegisterShellVerb("Directory", "Tolvane.Run", "Monetize...", "/p %1"); // no throw
    EnvironmentGuard other({{"XDG_DATA_HOME", scratch.Path().c_str()}});
    app::RegisterShellVerb(".txt", "", "Open", "/p %1");
    EXPECT_EQ(FilesBelow(scratch.Path()), std::vector<std::string>{"file"});
}

} // namespace
