// `tolvane-cli zip`: bare names, passwords from a file, and the refusals.
#include "cli/ZipCommand.h"

#include "cli/ListCommand.h"
#include "cli/TestCommand.h"

#include "support/CommandOutcome.h"
#include "support/Peers.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;
using namespace tolvane;
using namespace tolvane::test;

namespace {

using Outcome = CommandOutcome;

Outcome Zip(const std::vector<std::string>& args) {
    return RunWithOutput(
        [&](std::ostream& out, std::ostream& err) { return cli::RunZip(args, out, err); });
}

class ZipCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        bh_ = scratch_.WriteFile("job/Docs.bh", std::string(5000, 'b'));
        // Long enough (257 bytes or more) to be deflated whatever the result.
        url_ = scratch_.WriteFile("job/Download.URL",
                                  "[InternetShortcut]\r\nURL=http://x/" + std::string(300, 'r'));
        archive_ = scratch_ / "Docs.zip";
    }
    TempFolder scratch_;
    std::string bh_, url_, archive_;
};

TEST_F(ZipCommandTest, StoresTheGivenFilesUnderTheirBareNames) {
    auto r = Zip({bh_, url_, "-o", archive_});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, archive_ + ": 2 files written\n");
    EXPECT_EQ(r.err, "");
    auto listing = RunPeer("unzip -Z1 " + ShellQuote(archive_));
    EXPECT_EQ(listing.output, "Docs.bh\nDownload.URL\n");
    auto methods = RunPeer("unzip -Zv " + ShellQuote(archive_) + " | grep 'compression method'");
    EXPECT_NE(methods.output.find("none (stored)"), std::string::npos); // the .bh
    EXPECT_NE(methods.output.find("deflated"), std::string::npos);      // the shortcut
}

TEST_F(ZipCommandTest, AFolderGoesInWithItsWholeTreeUnderItsOwnName) {
    scratch_.WriteFile("Book/ch1.txt", "one");
    scratch_.WriteFile("Book/parts/ch2.txt", "two");
    scratch_.WriteFile("Book/.notes/.todo", "hidden");
    scratch_.MakeFolder("Book/empty");
    fs::create_directory_symlink("parts", scratch_ / "Book/link");
    // Files and folders side by side, the folder with a trailing slash, and a
    // file of its tree named again: each entry once.
    auto r = Zip({bh_, scratch_ / "Book/", scratch_ / "Book/ch1.txt", "-o", archive_});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, archive_ + ": 4 files and 1 folder written\n");
    EXPECT_NE(r.err.find(scratch_ / "Book/link: left out \u2013 a link to a folder\n"),
              std::string::npos)
        << r.err;
    auto names = RunPeer("python3 -c " +
                         ShellQuote("import sys, zipfile\n"
                                    "z = zipfile.ZipFile(sys.argv[1])\n"
                                    "print(sorted(z.namelist()), z.read('Book/parts/ch2.txt'))\n") +
                         " " + ShellQuote(archive_));
    EXPECT_EQ(names.output, "['Book/.notes/.todo', 'Book/ch1.txt', 'Book/empty/', "
                            "'Book/parts/ch2.txt', 'Docs.bh'] b'two'\n");
}

TEST_F(ZipCommandTest, APasswordFileEnciphersTheEntries) {
    const std::string pw = scratch_.WriteFile("pw.txt", "open sesame\r\n");
    auto r = Zip({bh_, url_, "-o", archive_, "--password-file", pw});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(RunPeer("unzip -tqq -P 'open sesame' " + ShellQuote(archive_)).status, 0);
    EXPECT_NE(RunPeer("unzip -tqq -P 'open sesame\r' " + ShellQuote(archive_)).status, 0);
}

TEST_F(ZipCommandTest, AnEmptyOrMissingPasswordFileIsRefused) {
    const std::string empty = scratch_.WriteFile("empty.txt", "\n");
    auto r = Zip({bh_, "-o", archive_, "--password-file", empty});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "tolvane-cli zip: " + empty +
                         ": the password file is empty; an archive is never encrypted with an "
                         "empty password\n");
    auto missing = Zip({bh_, "-o", archive_, "--password-file", scratch_ / "none"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err,
              "tolvane-cli zip: " + scratch_ / "none" + ": No such file or directory\n");
    EXPECT_FALSE(fs::exists(archive_));
}

TEST_F(ZipCommandTest, UsageErrorsAndMissingFiles) {
    EXPECT_EQ(Zip({}).err, "tolvane-cli zip: no files given\nTry 'tolvane-cli zip --help'.\n");
    EXPECT_EQ(
        Zip({bh_}).err,
        "tolvane-cli zip: no archive given (use -o ARCHIVE)\nTry 'tolvane-cli zip --help'.\n");
    auto gone = Zip({scratch_ / "gone.bh", "-o", archive_});
    EXPECT_EQ(gone.status, 2);
    EXPECT_EQ(gone.err, "tolvane-cli zip: " + scratch_ / "gone.bh" + ": no such file\n");
    auto help = Zip({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: tolvane-cli zip PATH... -o ARCHIVE", 0), 0u);
}

TEST_F(ZipCommandTest, ListAndTestReadTheArchiveBack) {
    const std::string pw = scratch_.WriteFile("pw.txt", "open sesame\n");
    ASSERT_EQ(Zip({bh_, url_, "-o", archive_, "--password-file", pw}).status, 0);
    const platform::CodePage cp(850, "UTF-8");
    std::ostringstream out, err;
    EXPECT_EQ(cli::RunList({archive_}, out, err, cp), 0);
    EXPECT_NE(out.str().find("yes  Docs.bh"), std::string::npos) << out.str();

    std::ostringstream tested, testErr;
    EXPECT_EQ(cli::RunTest({archive_, "--password-file", pw}, tested, testErr, cp), 0);
    EXPECT_EQ(tested.str(), "OK      Docs.bh\nOK      Download.URL\n2 entries tested, 0 failed\n");

    std::ostringstream locked, lockedErr;
    EXPECT_EQ(cli::RunTest({archive_}, locked, lockedErr, cp), 1);
    EXPECT_NE(locked.str().find("FAILED  Docs.bh: encrypted: give --password-file"),
              std::string::npos);

    const std::string wrong = scratch_.WriteFile("wrong.txt", "nope");
    std::ostringstream bad, badErr;
    EXPECT_EQ(cli::RunTest({archive_, "--password-file", wrong}, bad, badErr, cp), 1);
    // The check byte rejects a wrong password 255 times in 256; otherwise the CRC does.
    EXPECT_TRUE(bad.str().find("Docs.bh: wrong password") != std::string::npos ||
                bad.str().find("Docs.bh: CRC-32 mismatch") != std::string::npos)
        << bad.str();
}

TEST_F(ZipCommandTest, NamesEveryReaderCanReadAndNoNameTwice) {
    const std::string odd = scratch_.WriteFile("d1/caf\xe9.txt", "latin-1 name");
    const std::string first = scratch_.WriteFile("d1/x.txt", "first");
    const std::string second = scratch_.WriteFile("d2/x.txt", "second");
    auto r = Zip({odd, first, second, "-o", archive_});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "tolvane-cli zip: warning: " + odd +
                         ": File name is not valid UTF-8 \u2013 stored as its own bytes; readers "
                         "may show the name otherwise\n"
                         "tolvane-cli zip: " +
                         second + ": left out \u2013 its name in the archive, x.txt, is taken by " +
                         first +
                         "\n"
                         "tolvane-cli zip: 1 problem reported; the file named above is not in "
                         "the archive\n"
                         "tolvane-cli zip: 1 warning reported; the file named above is in the "
                         "archive as it was read\n");
    // Python refuses a whole archive whose UTF-8 flag covers bytes that are not UTF-8.
    auto python = RunPeer("python3 -c " +
                          ShellQuote("import sys, zipfile\n"
                                     "z = zipfile.ZipFile(sys.argv[1])\n"
                                     "print(len(z.namelist()), z.read('x.txt').decode())\n") +
                          " " + ShellQuote(archive_));
    EXPECT_EQ(python.output, "2 first\n");
    // The next run finds the odd name again by its bytes: nothing to add.
    EXPECT_EQ(Zip({odd, first, "-o", archive_}).out, archive_ + ": up to date, nothing to add\n");
}

} // namespace
