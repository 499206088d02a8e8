// The real tolvane-cli as a user runs it in a shell: --version, help, a
// mistyped command, every command's option forms, JSON read by Python,
// output that cannot be written, the progress line and the password prompts
// on a terminal.
#include "app/ProgramInfo.h"
#include "archive/codecs/WholeDeflate.h"
#include "support/Peers.h"
#include "support/TempFolder.h"
#include "support/TerminalSession.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <zlib.h>

namespace fs = std::filesystem;

namespace tolvane::test {
namespace {

class ProgramTest : public ::testing::Test {
protected:
    ProgramTest() {
        scratch_.WriteFile("src/a.txt", std::string(20000, 'a'));
        scratch_.WriteFile("src/sub/b.txt", "b");
        scratch_.WriteFile("pw", "pw\n");
    }

    // Runs the program with `args` (shell words) in the scratch folder, its
    // settings there too; stdout in `output`, stderr after "\n--stderr--\n".
    PeerResult Run(const std::string& args) {
        const std::string command = "cd " + ShellQuote(scratch_.Path()) +
                                    " && XDG_CONFIG_HOME=cfg XDG_DATA_HOME=data " +
                                    ShellQuote(TOLVANE_CLI_PATH) + " " + args +
                                    " 2>stderr.txt; status=$?; echo '--stderr--'; cat stderr.txt; "
                                    "exit $status";
        return RunPeer(command);
    }

    TempFolder scratch_;
};

TEST_F(ProgramTest, VersionNamesTheProgramAndItsDeflateLibraries) {
    const PeerResult r = Run("--version");
    EXPECT_EQ(r.status, 0);
    const std::string whole = archive::WholeDeflate::LibraryName();
    const std::string wholeLine =
        whole == "zlib" ? "" : whole + " " + archive::WholeDeflate::LibraryVersion() + "\n";
    EXPECT_EQ(r.output, std::string("tolvane-cli (Tolvane) ") + app::kProgramVersion + "\nzlib " +
                            zlibVersion() + "\n" + wholeLine + "--stderr--\n");
}

TEST_F(ProgramTest, HelpAndMistypedCommands) {
    const PeerResult help = Run("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.output.rfind("Usage: tolvane-cli [-q|-v] COMMAND [OPTIONS] [ARGS]\n", 0), 0u);
    const PeerResult extractHelp = Run("help extract");
    EXPECT_EQ(extractHelp.status, 0);
    EXPECT_EQ(extractHelp.output.rfind("Usage: tolvane-cli extract ARCHIVE [-d FOLDER]", 0), 0u);
    const std::pair<const char*, const char*> mistakes[] = {
        {"monetiez x", "tolvane-cli: unknown command 'monetiez' (did you mean 'monetize'?)\n"},
        {"help lsit", "tolvane-cli: unknown command 'lsit' (did you mean 'list'?)\n"},
        {"frobnicate", "tolvane-cli: unknown command 'frobnicate'\n"},
        {"--verison", "tolvane-cli: unknown option '--verison'\n"},
    };
    for (const auto& [args, message] : mistakes) {
        const PeerResult r = Run(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(r.output, std::string("--stderr--\n") + message +
                                "Run 'tolvane-cli --help' for the list of commands.\n");
    }
}

TEST_F(ProgramTest, EveryCommandTakesJoinedValuesAndDoubleDash) {
    // Each line uses the joined forms; each must succeed.
    const char* lines[] = {
        "pack src -oout.bh -q",
        "-q pack --output=out2.bh --level=F -- src",
        "zip src/a.txt --output=out.zip --password-file=pw -q",
        "list -- out.bh",
        "test --password-file=pw out.zip -q",
        "extract out.bh -dx -q",
        "extract --directory=y --password-file=pw -- out.zip a.txt",
        "settings --language=2 -q",
        "settings --partner-id=p --software-id=s",
        "monetize --output=m.zip --password-file=pw -q -- src",
        "-v extract m.zip -dm --password-file=pw",
    };
    for (const char* line : lines) {
        const PeerResult r = Run(line);
        EXPECT_EQ(r.status, 0) << line << "\n" << r.output;
    }
    EXPECT_EQ(ReadFileText(scratch_ / "x/sub/b.txt"), "b");
    EXPECT_EQ(ReadFileText(scratch_ / "y/a.txt"), std::string(20000, 'a'));
    EXPECT_TRUE(fs::exists(scratch_ / "m/m.bh"));
    // Joined values reach signup and check-update too (neither gets to the network).
    const PeerResult signup = Run("signup --name=Ann");
    EXPECT_EQ(signup.status, 2);
    EXPECT_EQ(signup.output,
              "--stderr--\ntolvane-cli signup: Please fill out all fields marked with *\n");
    const PeerResult update = Run("check-update --url=");
    EXPECT_EQ(update.status, 2);
    EXPECT_EQ(update.output, "--stderr--\ntolvane-cli check-update: option '--url' needs a "
                             "value\nTry 'tolvane-cli check-update --help'.\n");
    EXPECT_NE(Run("settings")
                  .output.find("audience language: 2 (Fran\xC3\xA7"
                               "ais)\n"),
              std::string::npos);
}

TEST_F(ProgramTest, ListJsonIsReadByPython) {
    ASSERT_EQ(Run("pack src -o out.bh -q").status, 0);
    const PeerResult r = RunPeer(
        ShellQuote(TOLVANE_CLI_PATH) + " list --json " + ShellQuote(scratch_ / "out.bh") +
        " | python3 -c " +
        ShellQuote("import json, sys\n"
                   "for e in json.load(sys.stdin):\n"
                   "    print(e['name'], e['size'], e['method'], e['attributes'], e['folder'],\n"
                   "          e['encrypted'], len(e['crc32']), e['modified'][10])\n"));
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output, "a.txt 20000 Deflated ----a False False 8 T\n"
                        "sub/b.txt 1 Stored ----a False False 8 T\n");
}

TEST_F(ProgramTest, OutputThatCannotBeWrittenIsAnError) {
    ASSERT_EQ(Run("pack src -o out.bh -q").status, 0);
    for (const char* args : {"list out.bh", "--version", "extract out.bh -d z"}) {
        const PeerResult r = Run(std::string(args) + " >/dev/full");
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(r.output, "--stderr--\ntolvane-cli: cannot write to the standard output: No "
                            "space left on device\n")
            << args;
    }
}

TEST_F(ProgramTest, ProgressRedrawsOnATerminalAndStaysOffElsewhere) {
    if (!HavePeer("script"))
        GTEST_SKIP() << "script(1) is not installed; no terminal to watch the progress on";
    scratch_.WriteFile("src/big.bin", RandomBytes(8 << 20, 3));
    // script gives the program a terminal; what it drew comes back in the log.
    const PeerResult onTty = RunPeer(
        "cd " + ShellQuote(scratch_.Path()) + " && script -qec " +
        ShellQuote(ShellQuote(TOLVANE_CLI_PATH) + " pack src -o tty.bh --level X --jobs 1") +
        " /dev/null");
    EXPECT_EQ(onTty.status, 0) << onTty.output;
    EXPECT_NE(onTty.output.find("\rPacking "), std::string::npos) << onTty.output;
    EXPECT_NE(onTty.output.find(" files"), std::string::npos);
    EXPECT_NE(onTty.output.find("\r\033[K"), std::string::npos);
    const PeerResult piped = Run("pack src -o pipe.bh");
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.output, "pipe.bh: 3 files written\n--stderr--\n");
}

TEST_F(ProgramTest, PasswordStdinAsksOnATerminalWithoutEchoAndReadsAPipeSilently) {
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> typed; // one answer per prompt, in turn
        int status;
        std::string said; // the last line the program shows
    };
    const std::string secret = "Sesame-41";
    // A new password is asked for twice; an archive's own once.
    const Case cases[] = {
        {{"monetize", "src", "-o", "t.zip", "-q"}, {secret, secret}, 0, ""},
        {{"monetize", "src", "-o", "u.zip"},
         {secret, secret + "x"},
         2,
         "tolvane-cli monetize: the passwords do not match; nothing was written"},
        {{"extract", "t.zip", "-d", "out"}, {secret}, 0, "2 files extracted to out"},
    };
    const char* prompts[] = {"Password: ", "Repeat password: "};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + c.args.back());
        std::vector<std::string> argv{TOLVANE_CLI_PATH};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        argv.push_back("--password-stdin");
        TerminalSession terminal(argv, {"XDG_CONFIG_HOME=cfg", "XDG_DATA_HOME=data"},
                                 scratch_.Path());
        for (size_t i = 0; i < c.typed.size(); ++i) {
            ASSERT_TRUE(terminal.WaitFor(prompts[i])) << terminal.Shown();
            terminal.Type(c.typed[i] + "\r");
        }
        EXPECT_EQ(terminal.Wait(), c.status) << terminal.Shown();
        EXPECT_EQ(terminal.Shown().find(secret), std::string::npos)
            << "echoed: " << terminal.Shown();
        if (c.typed.size() == 1) {
            EXPECT_EQ(terminal.Shown().find(prompts[1]), std::string::npos);
        }
        EXPECT_NE(terminal.Shown().find(c.said + "\r\n"), std::string::npos) << terminal.Shown();
    }
    EXPECT_FALSE(fs::exists(scratch_ / "u.zip"));
    EXPECT_TRUE(fs::exists(scratch_ / "out/t.bh"));
    EXPECT_EQ(RunPeer("unzip -tqq -P " + secret + " " + ShellQuote(scratch_ / "t.zip")).status, 0);
    // From a pipe or a file: the first line, read without a word.
    scratch_.WriteFile("secret", secret + "\n");
    for (const char* args : {"monetize src -o p.zip -q --password-stdin < secret",
                             "extract p.zip -d piped -q --password-stdin < secret"}) {
        const PeerResult r = Run(args);
        EXPECT_EQ(r.status, 0) << args;
        EXPECT_EQ(r.output, "--stderr--\n") << args;
    }
    EXPECT_TRUE(fs::exists(scratch_ / "piped/p.bh"));
}

} // namespace
} // namespace tolvane::test
