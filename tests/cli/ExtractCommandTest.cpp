// `tolvane-cli extract`: round trips of every archive the project writes, and
// hostile archives made here byte by byte.
#include "cli/ExtractCommand.h"
#include "cli/PackCommand.h"
#include "cli/ZipCommand.h"

#include "archive/formats/ArchiveExtractor.h"

#include "support/BhArchiveBuilder.h"
#include "support/ChildProcess.h"
#include "support/CommandOutcome.h"
#include "support/FolderCompare.h"
#include "support/Peers.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace tolvane;
using namespace tolvane::test;

namespace {

using Outcome = CommandOutcome;

constexpr long long kSourceTime = 1700000000; // even: survives the 2-second DOS time

class ExtractCommandTest : public ::testing::Test {
protected:
    ExtractCommandTest() {
        scratch_.WriteFile("src/a.txt", std::string(5000, 'a'));
        scratch_.WriteFile("src/deep/er/b.bin", RandomBytes(70000, 7));
        scratch_.WriteFile("src/Grüße.txt", "hallo");
        scratch_.WriteFile("src/empty.txt", "");
        scratch_.WriteFile("src/ro.txt", "read only");
        chmod((scratch_ / "src/ro.txt").c_str(), 0444);
        SetTreeTimes(scratch_ / "src", kSourceTime);
        scratch_.WriteFile("pw", "s3cret\n");
    }

    Outcome Extract(std::vector<std::string> args, const std::string& input = "") {
        std::istringstream in(input);
        std::ostringstream out, err;
        // The code page of the environment, as the packing commands use it.
        const int status = cli::RunExtract(args, in, out, err);
        return {status, out.str(), err.str()};
    }

    std::string WriteBh(const std::vector<RawBhEntry>& entries) {
        std::vector<uint8_t> bytes;
        for (const RawBhEntry& entry : entries)
            AppendBhEntry(bytes, entry);
        return scratch_.WriteFile("hostile.bh", bytes);
    }

    // An archive of Info-ZIP's zip, which records Unix modes: an executable,
    // a set-user-ID file, a read-only folder with a file in it and two
    // nested folders, every folder dated kSourceTime.
    std::string InfoZipTree() {
        const std::string tree = scratch_.MakeFolder("modes");
        scratch_.WriteFile("modes/run.sh", "#!/bin/sh\n");
        scratch_.WriteFile("modes/su", "su");
        scratch_.WriteFile("modes/locked/inside.txt", "in");
        scratch_.WriteFile("modes/d/e/f.txt", "f");
        chmod((tree + "/run.sh").c_str(), 0755);
        chmod((tree + "/su").c_str(), 04755);
        SetTreeTimes(tree, kSourceTime);
        chmod((tree + "/locked").c_str(), 0555);
        const std::string archive = scratch_ / "modes.zip";
        const PeerResult made =
            RunPeer("cd " + ShellQuote(tree) + " && zip -qr " + ShellQuote(archive) + " .");
        EXPECT_EQ(made.status, 0) << made.output;
        chmod((tree + "/locked").c_str(), 0755);
        return archive;
    }

    TempFolder scratch_;
};

mode_t ModeOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(lstat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

long long TimeOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(lstat(path.c_str(), &status), 0) << path;
    return status.st_mtime;
}

// A process ID that no process has: that of a child that has ended and been
// reaped (the system hands IDs out in turn, so it is not soon reused).
int64_t DeadPid() {
    ChildProcess child({"/bin/true"}, {}, "/dev/null");
    const int64_t pid = child.Pid();
    child.Wait();
    return pid;
}

std::vector<std::string> PartFilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename();
        if (name.ends_with(".part"))
            names.push_back(name);
    }
    return names;
}

TEST_F(ExtractCommandTest, EveryRouteOfPackComesBackAsTheFolderWas) {
    const std::vector<std::string> routes[] = {
        {"--level", "S"},
        {},
        {"--level=X"},
        {"--method", "fuse"},
        {"--method", "fuse", "--password-file", scratch_ / "pw"}};
    int n = 0;
    for (const auto& route : routes) {
        const std::string archive = scratch_ / ("r" + std::to_string(n++) + ".bh");
        std::vector<std::string> args = {scratch_ / "src", "-o", archive};
        args.insert(args.end(), route.begin(), route.end());
        std::ostringstream out, err;
        ASSERT_EQ(cli::RunPack(args, out, err), 0) << err.str();
        const std::string into = scratch_ / ("x" + std::to_string(n));
        const Outcome r = Extract({archive, "-d", into, "--password-file", scratch_ / "pw"});
        SCOPED_TRACE(archive);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "5 files extracted to " + into + "\n");
        EXPECT_EQ(CompareTrees(scratch_ / "src", into), "");
    }
}

TEST_F(ExtractCommandTest, ZipArchivesComeBackPlainAndEncrypted) {
    for (const bool encrypted : {false, true}) {
        const std::string archive = scratch_ / (encrypted ? "e.zip" : "p.zip");
        std::vector<std::string> args = {scratch_ / "src/a.txt", scratch_ / "src/ro.txt",
                                         scratch_ / "src/empty.txt", "-o", archive};
        if (encrypted)
            args.insert(args.end(), {"--password-file", scratch_ / "pw"});
        std::ostringstream out, err;
        ASSERT_EQ(cli::RunZip(args, out, err), 0) << err.str();
        const std::string into = scratch_ / (encrypted ? "ze" : "zp");
        const Outcome r = Extract({"-d" + into, "--password-stdin", "--", archive}, "s3cret\n");
        EXPECT_EQ(r.status, 0) << r.err;
        for (const char* name : {"a.txt", "ro.txt", "empty.txt"}) {
            EXPECT_EQ(ReadFileBytes(scratch_ / ("src/" + std::string(name))),
                      ReadFileBytes(into + "/" + name));
            EXPECT_EQ(fs::last_write_time(scratch_ / ("src/" + std::string(name))),
                      fs::last_write_time(into + "/" + name));
        }
        EXPECT_EQ(fs::status(into + "/ro.txt").permissions() & fs::perms::owner_write,
                  fs::perms::none);
    }
}

TEST_F(ExtractCommandTest, ChosenNamesOnlyAndTheNamesNotFound) {
    std::ostringstream out, err;
    ASSERT_EQ(cli::RunPack({scratch_ / "src", "-o", scratch_ / "s.bh"}, out, err), 0);
    const Outcome r = Extract({scratch_ / "s.bh", "-d", scratch_ / "x", "deep", "nothere", "-v"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "  extracted: deep/er/b.bin\n1 file extracted to " + scratch_ / "x" + "\n");
    EXPECT_EQ(r.err, "tolvane-cli extract: nothere: not in the archive\n"
                     "tolvane-cli extract: 1 entry was not extracted (see above)\n");
}

TEST_F(ExtractCommandTest, UnsafeNamesAreRefusedAndNothingIsWrittenOutside) {
    fs::create_directory(scratch_ / "x");
    fs::create_directory(scratch_ / "outside");
    fs::create_directory_symlink(scratch_ / "outside", scratch_ / "x/link");
    const std::string archive = WriteBh({
        StoredBhEntry("../escape.txt", Bytes("no")),
        StoredBhEntry("/etc/abs.txt", Bytes("no")),
        StoredBhEntry("C:\\win.txt", Bytes("no")),
        StoredBhEntry("a/../../up.txt", Bytes("no")),
        StoredBhEntry("link/through.txt", Bytes("no")),
        StoredBhEntry("ctl\x01name.txt", Bytes("ok")),
        StoredBhEntry("dir\\file.txt", Bytes("ok")),
    });
    const Outcome r = Extract({archive, "-d", scratch_ / "x"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "2 files extracted to " + scratch_ / "x" + "\n");
    const std::string p = "tolvane-cli extract: ";
    EXPECT_EQ(r.err, p + "../escape.txt: refused: a name that holds \"..\"\n" + p +
                         "/etc/abs.txt: refused: an absolute name\n" + p +
                         "C:\\win.txt: refused: a name with a drive letter\n" + p +
                         "a/../../up.txt: refused: a name that holds \"..\"\n" + p +
                         "link/through.txt: refused: 'link' is a link in the folder; nothing "
                         "is followed out of it\n" +
                         p + "5 entries were not extracted (see above)\n");
    EXPECT_TRUE(fs::is_empty(scratch_ / "outside"));
    EXPECT_FALSE(fs::exists(scratch_ / "escape.txt"));
    EXPECT_EQ(ReadFileText(scratch_ / "x/ctl_name.txt"), "ok");
    EXPECT_EQ(ReadFileText(scratch_ / "x/dir/file.txt"), "ok");
}

TEST_F(ExtractCommandTest, ExistingFilesStayUnlessOverwriteReplacesThemLinksIncluded) {
    fs::create_directory(scratch_ / "x");
    scratch_.WriteFile("x/same.txt", "old");
    scratch_.WriteFile("target.txt", "must stay");
    fs::create_symlink(scratch_ / "target.txt", scratch_ / "x/linked.txt");
    const std::string archive = WriteBh({StoredBhEntry("same.txt", Bytes("first")),
                                         StoredBhEntry("same.txt", Bytes("second")),
                                         StoredBhEntry("linked.txt", Bytes("new"))});
    const Outcome kept = Extract({archive, "-d", scratch_ / "x"});
    EXPECT_EQ(kept.status, 1);
    EXPECT_EQ(ReadFileText(scratch_ / "x/same.txt"), "old");
    EXPECT_NE(kept.err.find("same.txt: skipped: exists; left as it is (--overwrite replaces it)\n"),
              std::string::npos)
        << kept.err;

    const Outcome replaced = Extract({archive, "-d", scratch_ / "x", "--overwrite"});
    EXPECT_EQ(replaced.status, 0) << replaced.err;
    // The later of two entries of one name wins, as with unzip -o.
    EXPECT_EQ(ReadFileText(scratch_ / "x/same.txt"), "second");
    EXPECT_FALSE(fs::is_symlink(scratch_ / "x/linked.txt"));
    EXPECT_EQ(ReadFileText(scratch_ / "x/linked.txt"), "new");
    EXPECT_EQ(ReadFileText(scratch_ / "target.txt"), "must stay");
}

TEST_F(ExtractCommandTest, AFileThatFailsItsCheckIsNotKept) {
    RawBhEntry bad = DeflatedBhEntry("bad.txt", Bytes(std::string(1000, 'b')));
    bad.crc32 ^= 1;
    const std::string archive = WriteBh({bad, StoredBhEntry("good.txt", Bytes("g"))});
    const Outcome r = Extract({archive, "-d", scratch_ / "x"});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(fs::exists(scratch_ / "x/bad.txt"));
    EXPECT_EQ(ReadFileText(scratch_ / "x/good.txt"), "g");
    EXPECT_NE(r.err.find("bad.txt: failed: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("; nothing was kept of it\n"), std::string::npos) << r.err;
    // No temporary file is left either.
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch_ / "x"), fs::directory_iterator()), 1);
}

TEST_F(ExtractCommandTest, ADeflateBombFillsOnlyWhatTheDiskHasAndSaysSo) {
    const std::string disk = scratch_.MakeFolder("small-disk");
    if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=4m") != 0)
        GTEST_SKIP() << "cannot mount a 4 MB tmpfs here (" << std::strerror(errno)
                     << "); the full-disk path goes untested";
    struct Unmount {
        std::string path;
        ~Unmount() { umount2(path.c_str(), MNT_DETACH); }
    } unmount{disk};
    // 64 MiB of zeros deflate to about 64 KiB: 1000 : 1.
    const RawBhEntry bomb = DeflatedBhEntry("bomb.bin", std::vector<uint8_t>(64 << 20, 0));
    ASSERT_GT(bomb.uncompressedLength / bomb.compressedLength, 900u);
    const std::string archive = WriteBh({bomb, StoredBhEntry("after.txt", Bytes("a"))});
    const Outcome r = Extract({archive, "-d", disk});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "tolvane-cli extract: bomb.bin: not written: cannot write the file: No space "
                     "left on device; what was written of it is removed\n"
                     "tolvane-cli extract: the disk holding '" +
                         disk +
                         "' is full; stopped, the entries after the one named above were not "
                         "extracted\n"
                         "tolvane-cli extract: 1 entry was not extracted (see above)\n");
    EXPECT_TRUE(fs::is_empty(disk));
}

TEST_F(ExtractCommandTest, ALocalHeaderThatNamesAnotherFileLeavesTheEntryOut) {
    scratch_.WriteFile("in/goodies.txt", "good");
    scratch_.WriteFile("in/other.txt", "other");
    const std::string archive = scratch_ / "crafted.zip";
    std::ostringstream out, err;
    ASSERT_EQ(cli::RunZip({scratch_ / "in/goodies.txt", scratch_ / "in/other.txt", "-o", archive},
                          out, err),
              0)
        << err.str();
    // The first local header's name, 30 bytes in, becomes one of the same length.
    std::vector<uint8_t> bytes = ReadFileBytes(archive);
    ASSERT_EQ(std::string(bytes.begin() + 30, bytes.begin() + 41), "goodies.txt");
    std::copy_n("../evil.txt", 11, bytes.begin() + 30);
    fs::remove(archive);
    scratch_.WriteFile("crafted.zip", bytes);

    const Outcome r = Extract({archive, "-d", scratch_ / "x/y"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "1 file extracted to " + scratch_ / "x/y" + "\n");
    EXPECT_EQ(r.err, "tolvane-cli extract: goodies.txt: failed: the local header at offset 0 names "
                     "it '../evil.txt', the central directory 'goodies.txt': a damaged or crafted "
                     "archive; it is left out\n"
                     "tolvane-cli extract: 1 entry was not extracted (see above)\n");
    EXPECT_EQ(ReadFileText(scratch_ / "x/y/other.txt"), "other");
    EXPECT_FALSE(fs::exists(scratch_ / "x/y/goodies.txt"));
    EXPECT_FALSE(fs::exists(scratch_ / "x/evil.txt"));
}

TEST_F(ExtractCommandTest, ANameThatIsNotUtf8ComesBackAsItsBytes) {
    const std::string name = "\xFF\xFE.txt";
    scratch_.WriteFile("raw/" + name, "raw");
    for (const bool zip : {true, false}) {
        SCOPED_TRACE(zip ? "zip" : "pack");
        const std::string archive = scratch_ / (zip ? "raw.zip" : "raw.bh");
        std::ostringstream out, err;
        const int packed = zip ? cli::RunZip({scratch_ / ("raw/" + name), "-o", archive}, out, err)
                               : cli::RunPack({scratch_ / "raw", "-o", archive}, out, err);
        // Packed with a warning about the name.
        ASSERT_EQ(packed, 1) << err.str();
        ASSERT_TRUE(fs::exists(archive)) << err.str();
        const std::string into = scratch_ / (zip ? "xz" : "xb");
        const Outcome r = Extract({archive, "-d", into});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(ReadFileText(into + "/" + name), "raw");
    }
}

TEST_F(ExtractCommandTest, ModesOfAUnixArchiveComeBackButNoSetIdBitsAndFoldersKeepTheirDates) {
    const std::string archive = InfoZipTree();
    const std::string into = scratch_ / "x";
    const Outcome r = Extract({archive, "-d", into});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ModeOf(into + "/run.sh"), 0755u);
    EXPECT_EQ(ModeOf(into + "/su"), 0755u);
    EXPECT_EQ(ModeOf(into + "/locked"), 0555u);
    EXPECT_EQ(ReadFileText(into + "/locked/inside.txt"), "in");
    for (const char* folder : {"locked", "d", "d/e"})
        EXPECT_EQ(TimeOf(into + "/" + folder), kSourceTime) << folder;
    chmod((into + "/locked").c_str(), 0755);

    // Without a recorded mode, files get those of any new file.
    const std::string bh = scratch_ / "modes.bh";
    std::ostringstream out, err;
    ASSERT_EQ(cli::RunPack({scratch_ / "modes", "-o", bh}, out, err), 0) << err.str();
    ASSERT_EQ(Extract({bh, "-d", scratch_ / "y"}).status, 0);
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(ModeOf(scratch_ / "y/run.sh"), 0666u & ~mask);
}

TEST_F(ExtractCommandTest, TheProgressCountsFilesAsTheyAreWrittenAsTheSummaryDoes) {
    const std::string archive = InfoZipTree(); // 4 files, 3 folder entries
    const platform::FolderHandle into = platform::FolderHandle::OpenOrCreate(scratch_ / "x");
    archive::ArchiveExtractor extractor(into, {});
    std::vector<uint32_t> done;
    uint32_t total = 0;
    extractor.OnProgress = [&](const archive::ArchiveExtractor::Progress& progress) {
        if (done.empty() || done.back() != progress.filesDone)
            done.push_back(progress.filesDone);
        total = progress.filesTotal;
    };
    extractor.ExtractZip(archive, platform::CodePage::FromEnvironment());
    EXPECT_EQ(total, 4u);
    EXPECT_EQ(done, (std::vector<uint32_t>{0, 1, 2, 3, 4}));
    chmod((scratch_ / "x/locked").c_str(), 0755);

    const Outcome r = Extract({archive, "-d", scratch_ / "y"});
    EXPECT_EQ(r.out, "4 files and 3 folders extracted to " + scratch_ / "y" + "\n");
    chmod((scratch_ / "y/locked").c_str(), 0755);
}

TEST_F(ExtractCommandTest, PartFilesOfDeadProcessesAreRemovedAndNothingElse) {
    const std::string dead = std::to_string(DeadPid());
    const std::string live = std::to_string(getpid());
    const std::string random = "-0123456789abcdef.part";
    struct Case {
        std::string name;
        bool removed;
    };
    const Case cases[] = {
        {".tolvane-" + dead + random, true},
        {"sub/.tolvane-" + dead + random, true},
        {".tolvane-" + live + random, false},                   // its writer is at work
        {".tolvane-" + dead + "-0123456789ABCDEF.part", false}, // not a name we give
        {".tolvane-" + dead + "-0123.part", false},
        {".tolvane-0123456789abcdef.part", false}, // no process named
        {".tolvane-0" + dead + random, false},
        {"other/.tolvane-" + dead + random, false}, // no entry goes there
    };
    for (const Case& c : cases)
        scratch_.WriteFile("x/" + c.name, "user's");
    fs::create_directory_symlink(scratch_ / "x/other", scratch_ / "x/.tolvane-1" + random);
    const std::string archive =
        WriteBh({StoredBhEntry("a.txt", Bytes("a")), StoredBhEntry("sub/b.txt", Bytes("b"))});
    const Outcome r = Extract({archive, "-d", scratch_ / "x"});
    EXPECT_EQ(r.status, 0) << r.err;
    for (const Case& c : cases)
        EXPECT_EQ(fs::exists(scratch_ / ("x/" + c.name)), !c.removed) << c.name;
    EXPECT_TRUE(fs::is_symlink(scratch_ / "x/.tolvane-1" + random));
}

TEST_F(ExtractCommandTest, AKilledExtractLeavesAPartFileThatTheNextRunRemoves) {
    scratch_.MakeFolder("big");
    ASSERT_EQ(
        RunPeer("head -c 64000000 /dev/urandom > " + ShellQuote(scratch_ / "big/big.bin")).status,
        0);
    const std::string archive = scratch_ / "big.bh";
    std::ostringstream out, err;
    ASSERT_EQ(cli::RunPack({scratch_ / "big", "-o", archive, "--level", "S"}, out, err), 0);
    const std::string into = scratch_.MakeFolder("x");
    {
        ChildProcess child({TOLVANE_CLI_PATH, "extract", archive, "-d", into}, {},
                           scratch_ / "output.txt");
        const std::string own = ".tolvane-" + std::to_string(child.Pid()) + "-";
        // Until the child has begun to write; it takes far longer to write
        // the whole file than to notice it begun.
        while (PartFilesIn(into).empty() && !fs::exists(into + "/big.bin"))
            std::this_thread::yield();
        child.Signal(SIGKILL);
        EXPECT_EQ(child.Wait(), 128 + SIGKILL);
        const std::vector<std::string> left = PartFilesIn(into);
        ASSERT_EQ(left.size(), 1u) << "the child finished before it was killed";
        EXPECT_TRUE(left[0].starts_with(own)) << left[0];
    }
    const Outcome r = Extract({archive, "-d", into, "--overwrite"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(PartFilesIn(into), std::vector<std::string>{});
    EXPECT_EQ(ReadFileBytes(into + "/big.bin"), ReadFileBytes(scratch_ / "big/big.bin"));
}

TEST_F(ExtractCommandTest, UsageAndOpenErrors) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, "tolvane-cli extract: missing ARCHIVE\nTry 'tolvane-cli extract --help'.\n"},
        {{"a.bh", "--overwrit"},
         "tolvane-cli extract: unknown option '--overwrit' (did you mean "
         "'--overwrite'?)\nTry 'tolvane-cli extract --help'.\n"},
        {{"a.bh", "-d"},
         "tolvane-cli extract: option '--directory' needs a value\nTry "
         "'tolvane-cli extract --help'.\n"},
        {{scratch_ / "none.bh"},
         "tolvane-cli extract: cannot open '" + scratch_ / "none.bh" +
             "': No such file or directory\n"},
    };
    for (const auto& [args, err] : cases) {
        const Outcome r = Extract(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, err);
    }
}

} // namespace
