// `tolvane-cli pack`: exact output and exit status for the cases a user meets.
#include "cli/PackCommand.h"

#include "cli/TestCommand.h"

#include "archive/formats/BhReader.h"

#include "support/CommandOutcome.h"
#include "support/Peers.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <thread>

namespace fs = std::filesystem;
using namespace tolvane;
using namespace tolvane::test;

namespace {

using Outcome = CommandOutcome;

Outcome Pack(const std::vector<std::string>& args, const cli::PackOptions& options = {}) {
    return RunWithOutput([&](std::ostream& out, std::ostream& err) {
        return cli::RunPack(args, out, err, options);
    });
}

class PackCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        scratch_.WriteFile("src/a.txt", "alpha");
        scratch_.WriteFile("src/sub/b.txt", "beta");
        source_ = scratch_ / "src";
        archive_ = scratch_ / "out.bh";
    }
    TempFolder scratch_;
    std::string source_, archive_;
};

TEST_F(PackCommandTest, PacksAFolderAndSaysSo) {
    auto r = Pack({source_, "-o", archive_});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, archive_ + ": 2 files written\n");
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(fs::exists(archive_));

    auto again = Pack({source_ + "/", "-o", archive_});
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(again.out, archive_ + ": up to date, nothing to add\n");
}

TEST_F(PackCommandTest, AddsTheExtensionToAnArchiveNameWithoutOne) {
    auto r = Pack({source_, "-o", scratch_ / "named", "--level", "x"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(fs::exists(scratch_ / "named.BH"));
}

TEST_F(PackCommandTest, FilesLeftOutGiveStatusOneAndNameTheFileAndCause) {
    fs::create_symlink(scratch_ / "gone", source_ + "/dangling.txt");
    // The report's number only with -v.
    const std::pair<const char*, std::string> cases[] = {
        {"-q", ""},
        {"-v", "error 25303: "},
    };
    for (const auto& [verbosity, code] : cases) {
        fs::remove(archive_);
        auto r = Pack({source_, "-o", archive_, verbosity});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "tolvane-cli pack: " + code + source_ +
                             "/dangling.txt: left out \u2013 a link to nothing\n"
                             "tolvane-cli pack: 1 problem reported; the file named above is not "
                             "in the archive\n");
    }
}

TEST_F(PackCommandTest, BadArgumentsAreUsageErrors) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, "no folder given"},
        {{"src"}, "no archive given (use -o ARCHIVE)"},
        {{"a", "b", "-o", "x"}, "more than one folder given"},
        {{"a", "-o"}, "option '--output' needs a value"},
        {{"a", "-o", "x", "--level", "Q"}, "unknown level 'Q' (use S, F, N or X)"},
        {{"a", "--fast"}, "unknown option '--fast'"},
        {{"a", "--lvel", "X"}, "unknown option '--lvel' (did you mean '--level'?)"},
        {{"a", "--verify=yes"}, "option '--verify' takes no value"},
        {{"a", "-o", "x", "--jobs", "0"}, "--jobs takes a number of threads from 1 to 256"},
        {{"a", "-o", "x", "--method", "lzma"}, "unknown method 'lzma' (use deflate or fuse)"},
        {{"a", "-o", "x", "--password-file", "p"}, "--password-file needs --method fuse"},
    };
    for (const auto& [args, message] : cases) {
        auto r = Pack(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "tolvane-cli pack: " + message + "\nTry 'tolvane-cli pack --help'.\n");
    }
}

TEST_F(PackCommandTest, FuseWithAPasswordFileEnciphersWhatTestThenNeedsItFor) {
    scratch_.WriteFile("src/long.txt", std::string(5000, 'z'));
    const std::string passwordFile = scratch_.WriteFile("pw", "open sesame\n");
    auto r = Pack({source_, "-o", archive_, "--method", "fuse", "--password-file", passwordFile});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, archive_ + ": 3 files written\n");

    std::ostringstream out, err;
    EXPECT_EQ(cli::RunTest({archive_}, out, err), 1);
    EXPECT_NE(out.str().find("FAILED  long.txt: encrypted: give --password-file"),
              std::string::npos)
        << out.str();
    std::ostringstream out2, err2;
    EXPECT_EQ(cli::RunTest({archive_, "--password-file", passwordFile}, out2, err2), 0);
    EXPECT_NE(out2.str().find("3 entries tested, 0 failed"), std::string::npos) << out2.str();

    auto empty = Pack({source_, "-o", scratch_ / "x.bh", "--method", "fuse", "--password-file",
                       scratch_.WriteFile("empty", "")});
    EXPECT_EQ(empty.status, 2);
    EXPECT_NE(empty.err.find(scratch_ / "empty"), std::string::npos) << empty.err;
    EXPECT_FALSE(fs::exists(scratch_ / "x.bh"));
}

TEST_F(PackCommandTest, HelpGoesToStandardOutput) {
    auto r = Pack({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("Usage: tolvane-cli pack FOLDER -o ARCHIVE", 0), 0u);
    EXPECT_EQ(r.err, "");
}

TEST_F(PackCommandTest, PlainMistakesAreNamedBeforeAnyWork) {
    auto missing = Pack({scratch_ / "nope", "-o", archive_});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "tolvane-cli pack: " + scratch_ / "nope" + ": no such folder\n");

    auto file = Pack({source_ + "/a.txt", "-o", archive_});
    EXPECT_EQ(file.status, 2);
    EXPECT_EQ(file.err, "tolvane-cli pack: " + source_ + "/a.txt: not a folder\n");

    auto folder = Pack({source_, "-o", scratch_.MakeFolder("dir.bh")});
    EXPECT_EQ(folder.status, 2);
    EXPECT_EQ(folder.err,
              "tolvane-cli pack: " + scratch_ / "dir.bh" + ": is a folder, not an archive file\n");

    // An output folder that cannot take the archive is said once, in the
    // system's words, before anything is packed.
    const std::pair<std::string, const char*> outputs[] = {
        {scratch_ / "missing/out.bh", "No such file or directory"},
        {source_ + "/a.txt/out.bh", "Not a directory"},
    };
    for (const auto& [output, why] : outputs) {
        auto noFolder = Pack({source_, "-o", output});
        EXPECT_EQ(noFolder.status, 2);
        EXPECT_EQ(noFolder.err, "tolvane-cli pack: cannot write " + output + ": " + why + "\n");
        EXPECT_EQ(noFolder.out, "");
    }
}

TEST_F(PackCommandTest, AReadOnlyArchiveIsLeftAsItIs) {
    ASSERT_EQ(Pack({source_, "-o", archive_}).status, 0);
    chmod(archive_.c_str(), 0444);
    scratch_.WriteFile("src/c.txt", "gamma");
    auto r = Pack({source_, "-o", archive_});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "tolvane-cli pack: " + archive_ +
                         ": the archive is read-only; it was left as it is\n"
                         "tolvane-cli pack: nothing was written to " +
                         archive_ + "\n");
}

TEST_F(PackCommandTest, AnInterruptLeavesNoArchive) {
    // A real Ctrl-C, taken by the signal thread, before the run starts.
    const tolvane::platform::StopSignals stop;
    ASSERT_EQ(kill(getpid(), SIGINT), 0);
    for (int i = 0; i < 5000 && !stop.Token().Requested(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(stop.Number(), SIGINT);
    cli::PackOptions options;
    options.stop = &stop;
    auto r = Pack({source_, "-o", archive_}, options);
    EXPECT_EQ(r.status, 130);
    EXPECT_EQ(r.err, "tolvane-cli pack: interrupted; " + archive_ + " was left as it was\n");
    EXPECT_FALSE(fs::exists(archive_));
}

// Moves a file's modification time on by `seconds`, past the 2-second DOS slot.
void Age(const std::string& path, int seconds) {
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    struct timespec times[2] = {info.st_atim, info.st_mtim};
    times[1].tv_sec += seconds;
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST_F(PackCommandTest, AChangedFileReplacesItsEntry) {
    scratch_.WriteFile("src/A.txt", "upper");
    ASSERT_EQ(Pack({source_, "-o", archive_}).status, 0);
    // a.txt and A.txt are two files here: each keeps its own entry.
    scratch_.WriteFile("src/a.txt", "alpha, changed");
    Age(source_ + "/a.txt", 10);
    Age(source_ + "/A.txt", 10);
    auto r = Pack({source_, "-o", archive_});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, archive_ + ": 2 files written\n");
    std::map<std::string, std::string> contents;
    archive::BhReader reader(archive_, platform::CodePage(437, "UTF-8"));
    while (auto entry = reader.Next()) {
        std::string data, error;
        ASSERT_TRUE(reader.Extract(
            *entry, [&](const uint8_t* p, size_t n) { data.append(p, p + n); }, error))
            << error;
        EXPECT_TRUE(contents.emplace(entry->name, data).second) << "twice: " << entry->name;
    }
    EXPECT_EQ(contents,
              (std::map<std::string, std::string>{
                  {"A.txt", "upper"}, {"a.txt", "alpha, changed"}, {"sub/b.txt", "beta"}}));
    EXPECT_EQ(Pack({source_, "-o", archive_}).out, archive_ + ": up to date, nothing to add\n");
}

TEST_F(PackCommandTest, AnArchiveInsideItsFolderIsNeverPackedIntoItself) {
    scratch_.MakeFolder("src/out");
    const std::string inside = source_ + "/out/self.bh";
    ASSERT_EQ(Pack({source_, "-o", inside}).out, inside + ": 2 files and 1 folder written\n");
    // Neither by its name nor by another one; out/ counts as empty all the same.
    fs::create_hard_link(inside, source_ + "/alias");
    auto again = Pack({source_, "-o", inside});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out, inside + ": up to date, nothing to add\n");
    std::vector<std::string> names;
    archive::BhReader reader(inside, platform::CodePage(437, "UTF-8"));
    while (auto entry = reader.Next())
        names.push_back(entry->name);
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "out/", "sub/b.txt"}));
}

TEST_F(PackCommandTest, VerifyKeepsTheOldArchiveWhenTheNewOneFailsItsTest) {
    ASSERT_EQ(Pack({source_, "-o", archive_}).status, 0);
    // Damage the data of the kept entry a.txt, which no header check can see.
    std::vector<uint8_t> bytes = ReadFileBytes(archive_);
    bytes[37 + 5 + 2] ^= 0xFF;
    scratch_.WriteFile("out.bh", bytes);
    scratch_.WriteFile("src/new.txt", "new");
    auto r = Pack({source_, "-o", archive_, "--verify"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("tolvane-cli pack: " + archive_ +
                         ": Archive is damaged \u2013 the new archive failed its test (a.txt: "),
              std::string::npos)
        << r.err;
    EXPECT_EQ(ReadFileBytes(archive_), bytes);
}

} // namespace
