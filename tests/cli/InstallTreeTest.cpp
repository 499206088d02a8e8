// What `cmake --install` puts under a prefix, the installed program finding
// its data there, and the desktop files checked by their validators.
#include "support/Peers.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace tolvane::test {
namespace {

TEST(InstallTreeTest, TheProgramRunsFromTheInstalledFiles) {
    TempFolder prefix;
    const PeerResult installed =
        RunPeer(ShellQuote(TOLVANE_CMAKE) + " --install " + ShellQuote(TOLVANE_BUILD_DIR) +
                " --prefix " + ShellQuote(prefix.Path()));
    ASSERT_EQ(installed.status, 0) << installed.output;
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(prefix.Path())) {
        if (entry.is_regular_file())
            files.push_back(fs::relative(entry.path(), prefix.Path()).string());
    }
    std::sort(files.begin(), files.end());
    std::vector<std::string> expected = {
        "bin/tolvane-cli",
        "share/bash-completion/completions/tolvane-cli",
        "share/doc/tolvane/changelog.gz",
        "share/doc/tolvane/copyright",
        "share/man/man1/tolvane-cli.1.gz",
        "share/tolvane/transl.dat",
    };
    if (TOLVANE_WITH_GUI) {
        expected.insert(expected.end(),
                        {"bin/tolvane", "share/applications/org.tolvane.Tolvane.desktop",
                         "share/icons/hicolor/scalable/apps/org.tolvane.Tolvane.svg",
                         "share/kio/servicemenus/tolvane-monetize.desktop",
                         "share/man/man1/tolvane.1.gz",
                         "share/metainfo/org.tolvane.Tolvane.metainfo.xml",
                         "share/nautilus-python/extensions/tolvane-monetize.py",
                         "share/nemo/actions/tolvane-monetize.nemo_action"});
        std::sort(expected.begin(), expected.end());
    }
    EXPECT_EQ(files, expected);
    // No transl.dat beside the installed program: it is found in ../share/tolvane.
    const PeerResult settings =
        RunPeer("XDG_CONFIG_HOME=" + ShellQuote(prefix / "cfg") + " " +
                ShellQuote(prefix / "bin/tolvane-cli") + " settings --language Deutsch");
    EXPECT_EQ(settings.status, 0) << settings.output;
    EXPECT_EQ(RunPeer("man -l " + ShellQuote(prefix / "share/man/man1/tolvane-cli.1.gz") +
                      " 2>&1 >/dev/null")
                  .output,
              "");
    EXPECT_EQ(
        RunPeer("bash -n " + ShellQuote(prefix / "share/bash-completion/completions/tolvane-cli"))
            .status,
        0);
}

TEST(InstallTreeTest, BashCompletesCommandsOptionsAndValues) {
    const std::string library = "/usr/share/bash-completion/bash_completion";
    if (!fs::exists(library))
        GTEST_SKIP() << "bash-completion is not installed (scripts/install-deps.sh)";
    // COMPREPLY for each command line, the word being completed last.
    const std::string script =
        "source " + library + "; source " + std::string(TOLVANE_SOURCE_DIR) +
        "/data/completion/tolvane-cli.bash\n"
        "t() { COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); COMP_LINE=\"$*\";\n"
        "      COMP_POINT=${#COMP_LINE}; _tolvane_cli; echo \"${COMPREPLY[*]}\"; }\n"
        "t tolvane-cli ex; t tolvane-cli -q li; t tolvane-cli help mon\n"
        "t tolvane-cli extract --o; t tolvane-cli pack --level ''; t tolvane-cli list --\n";
    const PeerResult r = RunPeer("bash -c " + ShellQuote(script));
    EXPECT_EQ(r.output, "extract\nlist\nmonetize\n--overwrite\nS F N X\n"
                        "--json --help --quiet --verbose\n");
}

TEST(InstallTreeTest, DesktopFilesPassTheirValidators) {
    const std::string generated = std::string(TOLVANE_BUILD_DIR) + "/generated/install/";
    if (!HavePeer("appstreamcli") || !HavePeer("desktop-file-validate"))
        GTEST_SKIP()
            << "appstreamcli or desktop-file-validate is missing (scripts/install-deps.sh)";
    const PeerResult metainfo = RunPeer("appstreamcli validate --no-net " +
                                        ShellQuote(generated + "org.tolvane.Tolvane.metainfo.xml"));
    EXPECT_EQ(metainfo.status, 0) << metainfo.output;
    const PeerResult entry =
        RunPeer("desktop-file-validate " + ShellQuote(generated + "org.tolvane.Tolvane.desktop"));
    EXPECT_EQ(entry.status, 0) << entry.output;
    EXPECT_EQ(entry.output, "");
}

} // namespace
} // namespace tolvane::test
