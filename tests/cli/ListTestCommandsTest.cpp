// Exact output and exit codes of `tolvane-cli list` and `tolvane-cli test`.
#include "cli/ListCommand.h"
#include "cli/TestCommand.h"

#include "support/BhArchiveBuilder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace tolvane::cli {
namespace {

using test::AppendBhEntry;
using test::Bytes;
using test::RawBhEntry;
using test::StoredBhEntry;

const platform::CodePage kOem850(850, "UTF-8");

constexpr uint32_t kMarch5th2024 = 0x586573C4; // 2024-03-05 14:30:08

// "hi there" as one stored deflate block: final bit, type 0, LEN 8, NLEN ~8.
// Made by hand so the expected listing does not hang on a deflater's choices.
RawBhEntry HandDeflatedEntry() {
    RawBhEntry entry;
    entry.method = 8;
    entry.name = "sub/b.txt";
    entry.data = {0x01, 0x08, 0x00, 0xF7, 0xFF, 'h', 'i', ' ', 't', 'h', 'e', 'r', 'e'};
    entry.compressedLength = 13;
    entry.uncompressedLength = 8;
    entry.crc32 = 0xe3a376ec;
    entry.dosDateTime = kMarch5th2024;
    return entry;
}

RawBhEntry HelloEntry() {
    RawBhEntry entry = StoredBhEntry("a.txt", Bytes("hello"));
    entry.dosDateTime = kMarch5th2024;
    return entry;
}

struct Outcome {
    int exitCode;
    std::string out;
    std::string err;
};

using Command = int (*)(const std::vector<std::string>&, std::ostream&, std::ostream&,
                        const platform::CodePage&);

Outcome Invoke(Command command, const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int exitCode = command(args, out, err, kOem850);
    return {exitCode, out.str(), err.str()};
}

constexpr const char* kTableHead =
    "        Size        Packed  Method    Modified             Attr    CRC-32    Enc  Name\n"
    "------------  ------------  --------  -------------------  ------  --------  ---  ----\n";
constexpr const char* kTotalsRule =
    "------------  ------------                                                        ----\n";

class ListTestCommandsTest : public ::testing::Test {
protected:
    std::string WriteArchive(const std::vector<RawBhEntry>& entries,
                             const std::string& trailing = "") {
        std::vector<uint8_t> bytes;
        for (const RawBhEntry& entry : entries)
            AppendBhEntry(bytes, entry);
        bytes.insert(bytes.end(), trailing.begin(), trailing.end());
        return folder_.WriteFile("x.bh", bytes);
    }

    test::TempFolder folder_;
};

// --- list ---

TEST_F(ListTestCommandsTest, ListPrintsOneAlignedRowPerEntry) {
    const std::string archive = WriteArchive({HelloEntry(), HandDeflatedEntry()});
    const Outcome outcome = Invoke(RunList, {archive});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out,
              std::string(kTableHead) +
                  "           5             5  Stored    2024-03-05 14:30:08  0x0020  3610a686"
                  "       a.txt\n"
                  "           8            13  Deflated  2024-03-05 14:30:08  0x0020  e3a376ec"
                  "       sub/b.txt\n" +
                  kTotalsRule +
                  "          13            18                                                  "
                  "      2 entries\n");
}

TEST_F(ListTestCommandsTest, ListShowsMethodNamesNumbersAndTheEncryptedMark) {
    RawBhEntry fuse = StoredBhEntry("caf\x82.fz", Bytes("abc"));
    fuse.method = 3;
    fuse.flags = 0x05;
    fuse.attributes = 0x0021;
    fuse.dosDateTime = 0x00210000; // 1980-01-01 00:00:00
    RawBhEntry odd = StoredBhEntry("odd\nname", Bytes("abc"));
    odd.method = 14;
    odd.attributes = 0x00A0;
    odd.dosDateTime = 0xFFFFBF7D; // month 15: the fields are shown as stored, not checked
    const std::string archive = WriteArchive({fuse, odd});
    const Outcome outcome = Invoke(RunList, {archive});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out,
              std::string(kTableHead) +
                  "           3             3  Fuse      1980-01-01 00:00:00  0x0021  352441c2"
                  "  yes  caf\xC3\xA9.fz\n"
                  "           3             3  14        2107-15-31 23:59:58  0x00a0  352441c2"
                  "       odd?name\n" +
                  kTotalsRule +
                  "           6             6                                                  "
                  "      2 entries\n");
}

TEST_F(ListTestCommandsTest, ListOfAnEmptyArchive) {
    const std::string archive = WriteArchive({});
    const Outcome outcome = Invoke(RunList, {archive});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out,
              std::string(kTableHead) + kTotalsRule +
                  "           0             0                                                  "
                  "      0 entries\n");
}

TEST_F(ListTestCommandsTest, ListOfABrokenChainListsWhatCameBefore) {
    const std::string archive = WriteArchive({HelloEntry()}, "garbage!");
    const Outcome outcome = Invoke(RunList, {archive});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.out,
              std::string(kTableHead) +
                  "           5             5  Stored    2024-03-05 14:30:08  0x0020  3610a686"
                  "       a.txt\n" +
                  kTotalsRule +
                  "           5             5                                                  "
                  "      1 entry\n");
    EXPECT_EQ(outcome.err, "tolvane-cli list: '" + archive +
                               "' is damaged: no entry header at offset 47 (found bytes 67 61 "
                               "72 62)\n");
}

// --- test ---

TEST_F(ListTestCommandsTest, TestPassesAGoodArchive) {
    const std::string archive = WriteArchive({HelloEntry(), HandDeflatedEntry()});
    const Outcome outcome = Invoke(RunTest, {archive});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out, "OK      a.txt\n"
                           "OK      sub/b.txt\n"
                           "2 entries tested, 0 failed\n");
}

TEST_F(ListTestCommandsTest, TestReportsEachFailureAndGoesOn) {
    RawBhEntry flipped = HelloEntry();
    flipped.name = "flipped.txt";
    flipped.data[4] = 'p';
    RawBhEntry fuse = StoredBhEntry("fused", Bytes("abc"));
    fuse.method = 3;
    RawBhEntry longer = HandDeflatedEntry();
    longer.uncompressedLength = 9;
    const std::string archive = WriteArchive({flipped, HelloEntry(), fuse, longer});
    const Outcome outcome = Invoke(RunTest, {archive});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out,
              "FAILED  flipped.txt: CRC-32 mismatch: computed bb18ab73, header says 3610a686\n"
              "OK      a.txt\n"
              "FAILED  fused: unsupported method 3\n"
              "FAILED  sub/b.txt: size mismatch: expanded to 8 bytes, header says 9\n"
              "4 entries tested, 3 failed\n");
}

TEST_F(ListTestCommandsTest, TestOfATruncatedArchiveFails) {
    std::vector<uint8_t> bytes;
    AppendBhEntry(bytes, HelloEntry());
    AppendBhEntry(bytes, HandDeflatedEntry());
    bytes.resize(bytes.size() - 1);
    const std::string archive = folder_.WriteFile("cut.bh", bytes);
    const Outcome outcome = Invoke(RunTest, {archive});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.out, "OK      a.txt\n"
                           "1 entry tested, 0 failed\n");
    EXPECT_EQ(outcome.err, "tolvane-cli test: '" + archive +
                               "' is damaged: data of the entry at offset 47 is cut short (12 "
                               "of 13 bytes)\n");
}

TEST_F(ListTestCommandsTest, TestOfAnEmptyArchivePasses) {
    const Outcome outcome = Invoke(RunTest, {WriteArchive({})});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out, "0 entries tested, 0 failed\n");
}

// --- command lines shared by both ---

TEST_F(ListTestCommandsTest, MissingArchiveIsNamedWithTheCause) {
    const std::string missing = folder_ / "missing.bh";
    for (const auto& [command, name] : {std::pair<Command, std::string>{RunList, "list"},
                                        std::pair<Command, std::string>{RunTest, "test"}}) {
        SCOPED_TRACE(name);
        const Outcome outcome = Invoke(command, {missing});
        EXPECT_EQ(outcome.exitCode, 2);
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err, "tolvane-cli " + name + ": cannot open '" + missing +
                                   "': No such file or directory\n");
    }
}

TEST_F(ListTestCommandsTest, HelpGoesToStandardOutput) {
    Outcome outcome = Invoke(RunList, {"--help"});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out,
              "Usage: tolvane-cli list ARCHIVE\n"
              "Lists the entries of a BH or ZIP archive: sizes, method, date-time, attributes "
              "and CRC-32.\n"
              "\n"
              "  --help  show this help and exit\n"
              "\n"
              "Exit status: 0 listed, 1 damaged archive, 2 usage error or archive not readable.\n");

    outcome = Invoke(RunTest, {"x.bh", "--help"});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out,
              "Usage: tolvane-cli test ARCHIVE [--password-file FILE]\n"
              "Expands every entry of a BH or ZIP archive and checks its size and CRC-32.\n"
              "\n"
              "  --password-file FILE  decipher encrypted ZIP entries with the password in FILE\n"
              "  --help                show this help and exit\n"
              "\n"
              "Exit status: 0 all entries passed, 1 an entry failed or the archive is damaged,\n"
              "2 usage error or archive not readable.\n");
}

TEST_F(ListTestCommandsTest, UsageErrors) {
    struct Case {
        std::vector<std::string> args;
        std::string problem;
    };
    const Case cases[] = {
        {{}, "missing ARCHIVE"},
        {{"--verbose", "a.bh"}, "unknown option '--verbose'"},
        {{"a.bh", "-v"}, "unknown option '-v'"},
        {{"a.bh", "b.bh"}, "too many arguments: 'b.bh'"},
        {{"--", "--help", "a.bh"}, "too many arguments: 'a.bh'"},
    };
    for (const Case& c : cases) {
        for (const auto& [command, name] : {std::pair<Command, std::string>{RunList, "list"},
                                            std::pair<Command, std::string>{RunTest, "test"}}) {
            SCOPED_TRACE(name + ": " + c.problem);
            const Outcome outcome = Invoke(command, c.args);
            EXPECT_EQ(outcome.exitCode, 2);
            EXPECT_EQ(outcome.out, "");
            const std::string usage =
                name == "test" ? " ARCHIVE [--password-file FILE]" : " ARCHIVE";
            EXPECT_EQ(outcome.err, "tolvane-cli " + name + ": " + c.problem +
                                       "\nUsage: tolvane-cli " + name + usage +
                                       "\nTry 'tolvane-cli " + name +
                                       " --help' for more information.\n");
        }
    }
}

TEST_F(ListTestCommandsTest, DoubleDashLetsAnArchiveNameStartWithADash) {
    const Outcome outcome = Invoke(RunList, {"--", "-missing.bh"});
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err,
              "tolvane-cli list: cannot open '-missing.bh': No such file or directory\n");
}

} // namespace
} // namespace tolvane::cli
