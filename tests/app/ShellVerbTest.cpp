// The folder-menu entries the file managers read.
#include "app/ShellVerb.h"

#include "support/EnvironmentGuard.h"
#include "support/Peers.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
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

TEST(ShellVerbTest, WritesEveryFileManagersEntry) {
    TempFolder scratch;
    EnvironmentGuard env({{"XDG_DATA_HOME", scratch.Path().c_str()}});
    const std::string program = "/opt/My Apps/tolvane";
    app::RegisterShellVerb("Directory", "Tolvane.Run", "Monetize...", program + " %1");

    EXPECT_EQ(ReadFileText(scratch / "applications/Tolvane.Run.desktop"),
              "[Desktop Entry]\nType=Application\nName=Monetize...\n"
              "Exec=\"/opt/My Apps/tolvane\" %f\nMimeType=inode/directory;\nNoDisplay=true\n"
              "Terminal=false\n");
    const std::string dolphin = scratch / "kio/servicemenus/Tolvane.Run.desktop";
    EXPECT_EQ(ReadFileText(dolphin),
              "[Desktop Entry]\nType=Service\nMimeType=inode/directory;\nActions=monetize;\n"
              "X-KDE-ServiceTypes=KonqPopupMenu/Plugin\n\n[Desktop Action monetize]\n"
              "Name=Monetize...\nExec=\"/opt/My Apps/tolvane\" %f\n");
    EXPECT_EQ(ModeOf(dolphin), 0755u);
    EXPECT_EQ(ReadFileText(scratch / "nemo/actions/Tolvane.Run.nemo_action"),
              "[Nemo Action]\nName=Monetize...\nExec=\"/opt/My Apps/tolvane\" %F\nSelection=s\n"
              "Extensions=dir;\n");

    // The Nautilus script really starts the program on the chosen folder.
    const std::string script = scratch / "nautilus/scripts/Monetize...";
    EXPECT_EQ(ModeOf(script), 0755u);
    const std::string fake = scratch.WriteFile("bin/fake", "#!/bin/sh\necho \"started on $1\"\n");
    chmod(fake.c_str(), 0755);
    app::RegisterShellVerb("Directory", "Tolvane.Run", "Monetize...", fake + " %1");
    auto run =
        RunPeer("NAUTILUS_SCRIPT_SELECTED_FILE_PATHS='/data/My Folder' " + ShellQuote(script));
    EXPECT_EQ(run.output, "started on /data/My Folder\n");
}

TEST(ShellVerbTest, ExecQuotesReservedCharacters) {
    TempFolder scratch;
    EnvironmentGuard env({{"XDG_DATA_HOME", scratch.Path().c_str()}});
    app::RegisterShellVerb("Directory", "Tolvane.Run", "Monetize...", "/a\"b$c\\d%e %1");
    // Quoted for the Exec rules, then backslashes doubled for the string value.
    EXPECT_NE(ReadFileText(scratch / "applications/Tolvane.Run.desktop")
                  .find(R"(Exec="/a\\"b\\$c\\\\d%%e" %f)"),
              std::string::npos);
}

TEST(ShellVerbTest, OtherClassesAndFailuresAreIgnored) {
    TempFolder scratch;
    EnvironmentGuard env({{"XDG_DATA_HOME", (scratch.WriteFile("file", "x") + "/sub").c_str()}});
    app::RegisterShellVerb("Directory", "Tolvane.Run", "Monetize...", "/p %1"); // no throw
    EnvironmentGuard other({{"XDG_DATA_HOME", scratch.Path().c_str()}});
    app::RegisterShellVerb(".txt", "", "Open", "/p %1");
    EXPECT_FALSE(fs::exists(scratch / "applications"));
}

} // namespace
