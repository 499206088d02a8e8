// Exact output and exit codes of `tolvane-cli list` and `tolvane-cli test`, on
// BH archives and on ZIP archives from Python's zipfile, Info-ZIP and 7-Zip.
#include "cli/EntryListing.h"
#include "cli/ListCommand.h"
#include "cli/TestCommand.h"

#include "support/BhArchiveBuilder.h"
#include "support/Peers.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cmath>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace tolvane::cli {
namespace {

using test::AppendBhEntry;
using test::Bytes;
using test::RawBhEntry;
using test::RawDeflate;
using test::StoredBhEntry;
using test::ZlibCrc32;

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
    "        Size        Packed  Ratio  Method    Modified             Attr   CRC-32    Enc  Name\n"
    "------------  ------------  -----  --------  -------------------  -----  --------  ---  "
    "----\n";
constexpr const char* kTotalsRule =
    "------------  ------------  -----                                                ----\n";

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
    EXPECT_EQ(
        outcome.out,
        std::string(kTableHead) +
            "           5             5     0%  Stored    2024-03-05 14:30:08  ----a  3610a686"
            "       a.txt\n"
            "           8            13   -62%  Deflated  2024-03-05 14:30:08  ----a  e3a376ec"
            "       sub/b.txt\n" +
            kTotalsRule +
            "          13            18   -38%                                                "
            "2 entries\n");
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
    EXPECT_EQ(
        outcome.out,
        std::string(kTableHead) +
            "           3             3     0%  Fuse      1980-01-01 00:00:00  r---a  352441c2"
            "  yes  caf\xC3\xA9.fz\n"
            "           3             3     0%  14        2107-15-31 23:59:58  ----a  352441c2"
            "       odd?name\n" +
            kTotalsRule +
            "           6             6     0%                                                "
            "2 entries\n");
}

TEST_F(ListTestCommandsTest, AnEmptyFileIsNoArchive) {
    const std::string archive = WriteArchive({});
    for (const auto& [command, name] : {std::pair<Command, std::string>{RunList, "list"},
                                        std::pair<Command, std::string>{RunTest, "test"}}) {
        const Outcome outcome = Invoke(command, {archive});
        EXPECT_EQ(outcome.exitCode, 1) << name;
        EXPECT_EQ(outcome.err, "tolvane-cli " + name + ": '" + archive +
                                   "' is damaged: the file is empty: not an archive\n");
    }
}

TEST_F(ListTestCommandsTest, AFileThatIsNoArchiveIsSaidToBeNone) {
    // Text, a few bytes, and bytes that begin neither a BH nor a ZIP archive.
    for (const std::string content : {"root:x:0:0:root:/root:/bin/bash\n", "BH", "PK\x01\x02x"}) {
        const std::string file = folder_.WriteFile("notes.txt", content);
        for (const auto& [command, name] : {std::pair<Command, std::string>{RunList, "list"},
                                            std::pair<Command, std::string>{RunTest, "test"}}) {
            const Outcome outcome = Invoke(command, {file});
            EXPECT_EQ(outcome.exitCode, 2) << name;
            EXPECT_EQ(outcome.out, "") << name;
            EXPECT_EQ(outcome.err,
                      "tolvane-cli " + name + ": '" + file + "' is not a BH or ZIP archive\n");
        }
    }
}

TEST_F(ListTestCommandsTest, ListOfABrokenChainListsWhatCameBefore) {
    const std::string archive = WriteArchive({HelloEntry()}, "garbage!");
    const Outcome outcome = Invoke(RunList, {archive});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(
        outcome.out,
        std::string(kTableHead) +
            "           5             5     0%  Stored    2024-03-05 14:30:08  ----a  3610a686"
            "       a.txt\n" +
            kTotalsRule +
            "           5             5     0%                                                "
            "1 entry\n");
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
              "FAILED  fused: damaged Fuse data: the data is cut short\n"
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
    const std::pair<Command, std::string> cases[] = {
        {RunList, "Usage: tolvane-cli list [--json] ARCHIVE\n"},
        {RunTest, "Usage: tolvane-cli test [--password-file FILE] ARCHIVE\n"}};
    for (const auto& [command, usage] : cases) {
        // "--help" wins wherever it stands before "--".
        const Outcome outcome = Invoke(command, {"x.bh", "--help"});
        EXPECT_EQ(outcome.exitCode, 0);
        EXPECT_EQ(outcome.err, "");
        EXPECT_EQ(outcome.out.substr(0, usage.size()), usage);
    }
}

TEST_F(ListTestCommandsTest, UsageErrors) {
    struct Case {
        std::vector<std::string> args;
        std::string problem;
    };
    const Case cases[] = {
        {{}, "missing ARCHIVE"},
        {{"--verbos", "a.bh"}, "unknown option '--verbos' (did you mean '--verbose'?)"},
        {{"a.bh", "-x"}, "unknown option '-x'"},
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
            EXPECT_EQ(outcome.err, "tolvane-cli " + name + ": " + c.problem +
                                       "\nTry 'tolvane-cli " + name + " --help'.\n");
        }
    }
}

TEST_F(ListTestCommandsTest, AListingThatCannotBeWrittenIsAnError) {
    const std::string archive = WriteArchive({HelloEntry()});
    std::ostream unwritable(nullptr); // every write fails, as on a full disk
    std::ostringstream err;
    EXPECT_EQ(RunList({archive}, unwritable, err, kOem850), 2);
    EXPECT_EQ(err.str(), "tolvane-cli list: cannot write the listing\n");
}

TEST_F(ListTestCommandsTest, DoubleDashLetsAnArchiveNameStartWithADash) {
    const Outcome outcome = Invoke(RunList, {"--", "-missing.bh"});
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err,
              "tolvane-cli list: cannot open '-missing.bh': No such file or directory\n");
}

// --- ZIP archives ---

// 7-Zip's output for `7z a -tzip -mx=0 -ptest -mem=ZipCrypto -mtc=off` of a
// file "secret.txt" holding "top secret\n" (2024-03-05 14:30:08). Kept as bytes
// because the random bytes of the encryption header decide whether a given
// wrong password fails the one-byte check or only the CRC; with these, "nope"
// fails the check.
const std::vector<uint8_t> kSevenZipCrypto = {
    0x50, 0x4b, 0x03, 0x04, 0x14, 0x00, 0x01, 0x00, 0x00, 0x00, 0xc4, 0x73, 0x65, 0x58, 0x11,
    0x03, 0xc2, 0x73, 0x17, 0x00, 0x00, 0x00, 0x0b, 0x00, 0x00, 0x00, 0x0a, 0x00, 0x00, 0x00,
    0x73, 0x65, 0x63, 0x72, 0x65, 0x74, 0x2e, 0x74, 0x78, 0x74, 0x64, 0x63, 0x06, 0x73, 0x39,
    0x6d, 0xba, 0x78, 0xaa, 0xdf, 0x4f, 0x2c, 0xd8, 0x8f, 0x3f, 0xf2, 0xaf, 0x27, 0x7d, 0x6a,
    0x13, 0xbd, 0x86, 0x50, 0x4b, 0x01, 0x02, 0x3f, 0x03, 0x14, 0x00, 0x01, 0x00, 0x00, 0x00,
    0xc4, 0x73, 0x65, 0x58, 0x11, 0x03, 0xc2, 0x73, 0x17, 0x00, 0x00, 0x00, 0x0b, 0x00, 0x00,
    0x00, 0x0a, 0x00, 0x24, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x20, 0x80, 0xa4, 0x81,
    0x00, 0x00, 0x00, 0x00, 0x73, 0x65, 0x63, 0x72, 0x65, 0x74, 0x2e, 0x74, 0x78, 0x74, 0x0a,
    0x00, 0x20, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x18, 0x00, 0x00, 0x58, 0x5e, 0x9f,
    0x09, 0x6f, 0xda, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x50, 0x4b, 0x05, 0x06, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00,
    0x01, 0x00, 0x5c, 0x00, 0x00, 0x00, 0x3f, 0x00, 0x00, 0x00, 0x00, 0x00,
};

// Python's zipfile with fixed dates and attributes: a stored entry, a deflated
// one, and an empty one whose name needs the UTF-8 flag. `limit` lowers
// zipfile's Zip64 threshold so that even these small entries get Zip64 records.
std::string PythonArchiveScript(const std::string& archive, int zip64Limit = 0) {
    return std::string("import zipfile\n") +
           (zip64Limit > 0 ? "zipfile.ZIP64_LIMIT = " + std::to_string(zip64Limit) + "\n" : "") +
           "def entry(name, method, attributes):\n"
           "    info = zipfile.ZipInfo(name, date_time=(2024, 3, 5, 14, 30, 8))\n"
           "    info.compress_type = method\n"
           "    info.external_attr = attributes\n"
           "    return info\n"
           "with zipfile.ZipFile('" +
           archive +
           "', 'w') as z:\n"
           "    z.writestr(entry('a.txt', zipfile.ZIP_STORED, 0x20), b'hello')\n"
           "    z.writestr(entry('sub/b.txt', zipfile.ZIP_DEFLATED, 0x81A40021),\n"
           "               b'hi there, ' * 30)\n"
           "    z.writestr(entry('\\u00e9t\\u00e9.txt', zipfile.ZIP_STORED, 0), b'')\n";
}

const std::string kHiThere = [] {
    std::string text;
    for (int i = 0; i < 30; ++i)
        text += "hi there, ";
    return text;
}();

// `test` output for the Python archive when every entry passes.
constexpr const char* kPythonArchivePasses = "OK      a.txt\n"
                                             "OK      sub/b.txt\n"
                                             "OK      \xC3\xA9t\xC3\xA9.txt\n"
                                             "3 entries tested, 0 failed\n";

constexpr uint32_t kLocalSignature = 0x04034B50;
constexpr uint32_t kCentralSignature = 0x02014B50;
constexpr uint32_t kEndSignature = 0x06054B50;
constexpr uint32_t kZip64LocatorSignature = 0x07064B50;

void Patch16(std::vector<uint8_t>& bytes, size_t at, uint16_t value) {
    bytes.at(at) = static_cast<uint8_t>(value);
    bytes.at(at + 1) = static_cast<uint8_t>(value >> 8);
}
void Patch32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    Patch16(bytes, at, static_cast<uint16_t>(value));
    Patch16(bytes, at + 2, static_cast<uint16_t>(value >> 16));
}
void Patch64(std::vector<uint8_t>& bytes, size_t at, uint64_t value) {
    Patch32(bytes, at, static_cast<uint32_t>(value));
    Patch32(bytes, at + 4, static_cast<uint32_t>(value >> 32));
}
uint32_t Load32(const std::vector<uint8_t>& bytes, size_t at) {
    return static_cast<uint32_t>(bytes.at(at)) | static_cast<uint32_t>(bytes.at(at + 1)) << 8 |
           static_cast<uint32_t>(bytes.at(at + 2)) << 16 |
           static_cast<uint32_t>(bytes.at(at + 3)) << 24;
}

// Offset of the `n`th occurrence (from 0) of a record signature.
size_t FindSignature(const std::vector<uint8_t>& bytes, uint32_t signature, size_t n = 0) {
    std::vector<uint8_t> pattern(4);
    Patch32(pattern, 0, signature);
    auto at = bytes.begin();
    for (size_t i = 0;; ++i, ++at) {
        at = std::search(at, bytes.end(), pattern.begin(), pattern.end());
        if (at == bytes.end())
            throw std::runtime_error("record signature not found");
        if (i == n)
            return static_cast<size_t>(at - bytes.begin());
    }
}

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

std::string RightAligned(uint64_t value) {
    const std::string text = std::to_string(value);
    return std::string(12 - std::min<size_t>(12, text.size()), ' ') + text;
}

// The saved space as the ratio column shows it, right-aligned in 5 columns.
std::string Ratio(uint64_t size, uint64_t packed) {
    const long percent =
        std::lround(100.0 * (static_cast<double>(size) - static_cast<double>(packed)) /
                    static_cast<double>(size));
    const std::string text = std::to_string(percent) + "%";
    return std::string(5 - std::min<size_t>(5, text.size()), ' ') + text;
}

class ListTestZipTest : public ListTestCommandsTest {
protected:
    // Runs `command` in the scratch folder, where the peers write their archives.
    void Run(const std::string& command) {
        const auto result =
            test::RunPeer("cd " + test::ShellQuote(folder_.Path()) + " && " + command);
        ASSERT_EQ(result.status, 0) << command << "\n" << result.output;
    }

    std::vector<uint8_t> PythonArchive(int zip64Limit = 0) {
        folder_.WriteFile("make.py", PythonArchiveScript("python.zip", zip64Limit));
        Run("python3 make.py");
        return test::ReadFileBytes(folder_ / "python.zip");
    }

    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::filesystem::remove(folder_ / name);
        return folder_.WriteFile(name, bytes);
    }
};

TEST_F(ListTestZipTest, ListShowsTheCentralDirectory) {
    const std::string archive = Write("python.zip", PythonArchive());
    const Outcome outcome = Invoke(RunList, {archive});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.err, "");
    // zipfile deflates with zlib's defaults, as RawDeflate does.
    const uint64_t packed = RawDeflate(Bytes(kHiThere)).size();
    EXPECT_EQ(
        outcome.out,
        std::string(kTableHead) +
            "           5             5     0%  Stored    2024-03-05 14:30:08  ----a  3610a686"
            "       a.txt\n"
            "         300  " +
            RightAligned(packed) + "  " + Ratio(300, packed) +
            "  Deflated  2024-03-05 14:30:08  r---a  " + Hex(ZlibCrc32(Bytes(kHiThere))) +
            "       sub/b.txt\n"
            "           0             0     0%  Stored    2024-03-05 14:30:08  -----  00000000"
            "       \xC3\xA9t\xC3\xA9.txt\n" +
            kTotalsRule + "         305  " + RightAligned(5 + packed) + "  " +
            Ratio(305, 5 + packed) + "                                                3 entries\n");
}

TEST_F(ListTestZipTest, ListMarksEncryptedEntriesAndNumbersUnknownMethods) {
    const Outcome encrypted = Invoke(RunList, {Write("seven.zip", kSevenZipCrypto)});
    EXPECT_EQ(encrypted.exitCode, 0);
    EXPECT_EQ(encrypted.err, "");
    EXPECT_EQ(
        encrypted.out,
        std::string(kTableHead) +
            "          11            23  -109%  Stored    2024-03-05 14:30:08  ----a  73c20311"
            "  yes  secret.txt\n" +
            kTotalsRule +
            "          11            23  -109%                                                "
            "1 entry\n");

    std::vector<uint8_t> bytes = PythonArchive();
    Patch16(bytes, FindSignature(bytes, kCentralSignature) + 10, 12);
    const std::string archive = Write("method.zip", bytes);
    const Outcome listed = Invoke(RunList, {archive});
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_NE(listed.out.find("\n           5             5     0%  12        2024-03-05 14:30:08  "
                              "----a  3610a686       a.txt\n"),
              std::string::npos)
        << listed.out;
    const Outcome tested = Invoke(RunTest, {archive});
    EXPECT_EQ(tested.exitCode, 1);
    EXPECT_EQ(tested.out, "FAILED  a.txt: unsupported method 12\n"
                          "OK      sub/b.txt\n"
                          "OK      \xC3\xA9t\xC3\xA9.txt\n"
                          "3 entries tested, 1 failed\n");
}

TEST_F(ListTestZipTest, AnEmptyZipArchive) {
    std::vector<uint8_t> bytes(22, 0);
    Patch32(bytes, 0, kEndSignature);
    const std::string archive = Write("empty.zip", bytes);
    const Outcome listed = Invoke(RunList, {archive});
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_EQ(listed.err, "");
    EXPECT_EQ(
        listed.out,
        std::string(kTableHead) + kTotalsRule +
            "           0             0     0%                                                "
            "0 entries\n");
    const Outcome tested = Invoke(RunTest, {archive});
    EXPECT_EQ(tested.exitCode, 0);
    EXPECT_EQ(tested.out, "0 entries tested, 0 failed\n");
}

TEST_F(ListTestZipTest, TestChecksWhatInfoZipWrites) {
    folder_.WriteFile("in/notes.txt", std::string(20000, 'n'));
    folder_.WriteFile("in/empty.dat", "");
    folder_.WriteFile("in/folder/inner.txt", "inside\n");
    folder_.MakeFolder("in/hollow");
    Run("cd in && zip -q -X -r ../info.zip notes.txt empty.dat folder && "
        "zip -q -X -0 -r ../info.zip hollow");
    const Outcome outcome = Invoke(RunTest, {folder_ / "info.zip"});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out, "OK      notes.txt\n"
                           "OK      empty.dat\n"
                           "OK      folder/\n"
                           "OK      folder/inner.txt\n"
                           "OK      hollow/\n"
                           "5 entries tested, 0 failed\n");
}

TEST_F(ListTestZipTest, TestReadsAZip64Archive) {
    // Python with its Zip64 threshold lowered: Zip64 extra fields in the
    // central directory, a Zip64 end record and its locator.
    const std::string lowered = Write("python64.zip", PythonArchive(16));
    const Outcome fromPython = Invoke(RunTest, {lowered});
    EXPECT_EQ(fromPython.exitCode, 0) << fromPython.out;
    EXPECT_EQ(fromPython.out, kPythonArchivePasses);
}

TEST_F(ListTestZipTest, EncryptedEntriesNeedThePasswordFile) {
    folder_.WriteFile("in/notes.txt", std::string(20000, 'n'));
    folder_.WriteFile("in/raw.bin", test::RandomBytes(3000, 9));
    Run("cd in && zip -q -X -P 'pass word' ../info.zip notes.txt raw.bin && "
        "7z a -tzip -mx=0 '-ppass word' -mem=ZipCrypto ../seven.zip notes.txt raw.bin "
        ">/dev/null");
    const std::string crlf = folder_.WriteFile("crlf.txt", "pass word\r\n");
    const std::string bare = folder_.WriteFile("bare.txt", "pass word");
    for (const char* name : {"info.zip", "seven.zip"}) {
        SCOPED_TRACE(name);
        const std::string archive = folder_ / name;
        const Outcome locked = Invoke(RunTest, {archive});
        EXPECT_EQ(locked.exitCode, 1);
        EXPECT_EQ(locked.err, "");
        EXPECT_EQ(locked.out, "FAILED  notes.txt: encrypted: give --password-file\n"
                              "FAILED  raw.bin: encrypted: give --password-file\n"
                              "2 entries tested, 2 failed\n");
        for (const std::string& file : {crlf, bare}) {
            const Outcome opened = Invoke(RunTest, {archive, "--password-file", file});
            EXPECT_EQ(opened.exitCode, 0);
            EXPECT_EQ(opened.err, "");
            EXPECT_EQ(opened.out, "OK      notes.txt\n"
                                  "OK      raw.bin\n"
                                  "2 entries tested, 0 failed\n");
        }
        const Outcome listed = Invoke(RunList, {archive});
        EXPECT_EQ(listed.exitCode, 0);
        EXPECT_NE(listed.out.find("  yes  notes.txt\n"), std::string::npos) << listed.out;
    }
}

TEST_F(ListTestZipTest, AWrongPasswordIsNamed) {
    const std::string archive = Write("seven.zip", kSevenZipCrypto);
    const Outcome wrong =
        Invoke(RunTest, {archive, "--password-file", folder_.WriteFile("wrong.txt", "nope\n")});
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_EQ(wrong.err, "");
    EXPECT_EQ(wrong.out, "FAILED  secret.txt: wrong password\n"
                         "1 entry tested, 1 failed\n");
    // Only one line end is taken off: the second one belongs to the password.
    const Outcome twoLineEnds =
        Invoke(RunTest, {archive, "--password-file", folder_.WriteFile("two.txt", "test\n\n")});
    EXPECT_EQ(twoLineEnds.exitCode, 1);
    const Outcome right =
        Invoke(RunTest, {"--password-file=" + folder_.WriteFile("right.txt", "test\n"), archive});
    EXPECT_EQ(right.exitCode, 0);
    EXPECT_EQ(right.err, "");
    EXPECT_EQ(right.out, "OK      secret.txt\n"
                         "1 entry tested, 0 failed\n");
}

TEST_F(ListTestZipTest, AFlippedDataByteFailsTheCrc) {
    std::vector<uint8_t> bytes = PythonArchive();
    const size_t data = FindSignature(bytes, kLocalSignature) + 30 + 5; // after the name "a.txt"
    bytes.at(data + 1) ^= 0x01;                                         // "hello" -> "hdllo"
    const Outcome outcome = Invoke(RunTest, {Write("flipped.zip", bytes)});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out, "FAILED  a.txt: CRC-32 mismatch: computed " +
                               Hex(ZlibCrc32(Bytes("hdllo"))) +
                               ", header says 3610a686\n"
                               "OK      sub/b.txt\n"
                               "OK      \xC3\xA9t\xC3\xA9.txt\n"
                               "3 entries tested, 1 failed\n");
}

TEST_F(ListTestZipTest, DamagedArchivesAreReportedCleanly) {
    const std::vector<uint8_t> plain = PythonArchive();
    const std::vector<uint8_t> zip64 = PythonArchive(16);
    const size_t end = FindSignature(plain, kEndSignature);
    const size_t second = FindSignature(plain, kCentralSignature, 1);
    const size_t locator = FindSignature(zip64, kZip64LocatorSignature);
    struct Case {
        const char* what;
        const std::vector<uint8_t>* base;
        std::function<void(std::vector<uint8_t>&)> damage;
        std::string tested; // test's stdout: the entries before the damage
        std::string problem;
    };
    const Case cases[] = {
        {"cut short", &plain, [](auto& b) { b.erase(b.end() - 30, b.end()); },
         "0 entries tested, 0 failed\n", "no end record: not a ZIP archive, or cut short"},
        {"end record pointing outside", &plain, [&](auto& b) { Patch32(b, end + 16, 0x7FFFFFF0); },
         "0 entries tested, 0 failed\n",
         "the central directory (" + std::to_string(Load32(plain, end + 12)) +
             " bytes at offset 2147483632) lies outside the archive, which ends its entries at "
             "offset " +
             std::to_string(end)},
        {"central name length past the end", &plain,
         [&](auto& b) { Patch16(b, second + 28, 0xFFFF); },
         "OK      a.txt\n1 entry tested, 0 failed\n",
         "the name, extra field and comment of the central record at offset " +
             std::to_string(second) +
             " (65535 + 0 + 0 bytes) run past the end of the central directory"},
        {"Zip64 locator pointing outside", &zip64,
         [&](auto& b) { Patch64(b, locator + 8, 1ull << 40); }, "0 entries tested, 0 failed\n",
         "the Zip64 end locator at offset " + std::to_string(locator) +
             " points outside the archive (to offset 1099511627776)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> bytes = *c.base;
        c.damage(bytes);
        const std::string archive = Write("damaged.zip", bytes);
        const Outcome listed = Invoke(RunList, {archive});
        EXPECT_EQ(listed.exitCode, 1);
        EXPECT_EQ(listed.err,
                  "tolvane-cli list: '" + archive + "' is damaged: " + c.problem + "\n");
        const Outcome tested = Invoke(RunTest, {archive});
        EXPECT_EQ(tested.exitCode, 1);
        EXPECT_EQ(tested.out, c.tested);
        EXPECT_EQ(tested.err,
                  "tolvane-cli test: '" + archive + "' is damaged: " + c.problem + "\n");
    }
}

TEST_F(ListTestZipTest, PasswordFileProblemsStopBeforeTheArchive) {
    const std::string archive = Write("seven.zip", kSevenZipCrypto);
    const std::string empty = folder_.WriteFile("empty.txt", "");
    const std::string newline = folder_.WriteFile("newline.txt", "\r\n");
    const std::string missing = folder_ / "missing.txt";
    const std::string folder = folder_.MakeFolder("a-folder");
    const std::string emptyMessage =
        ": the password file is empty; an archive is never encrypted with an empty password\n";
    struct Case {
        std::string file;
        std::string err;
    };
    const Case cases[] = {
        {empty, "tolvane-cli test: " + empty + emptyMessage},
        {newline, "tolvane-cli test: " + newline + emptyMessage},
        {missing, "tolvane-cli test: " + missing + ": No such file or directory\n"},
        {folder, "tolvane-cli test: " + folder + ": Is a directory\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const Outcome outcome = Invoke(RunTest, {archive, "--password-file", c.file});
        EXPECT_EQ(outcome.exitCode, 2);
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err, c.err);
    }
}

TEST_F(ListTestZipTest, PasswordFileUsageErrors) {
    const std::string usage = "\nTry 'tolvane-cli test --help'.\n";
    struct Case {
        std::vector<std::string> args;
        std::string problem;
    };
    const Case cases[] = {
        {{"a.zip", "--password-file"}, "option '--password-file' needs a value"},
        {{"--password-file", "p"}, "missing ARCHIVE"},
        {{"--password-files", "p", "a.zip"},
         "unknown option '--password-files' (did you mean '--password-file'?)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.problem);
        const Outcome outcome = Invoke(RunTest, c.args);
        EXPECT_EQ(outcome.exitCode, 2);
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err, "tolvane-cli test: " + c.problem + usage);
    }
    // `list` reads no entry data, so it takes no password.
    const Outcome listed = Invoke(RunList, {"a.zip", "--password-file", "p"});
    EXPECT_EQ(listed.exitCode, 2);
    EXPECT_EQ(listed.err, "tolvane-cli list: unknown option '--password-file'\n"
                          "Try 'tolvane-cli list --help'.\n");
}

} // namespace
TEST(EntryListingTest, RatiosAreRoundedWithoutANegativeZero) {
    const struct {
        uint64_t size, packed;
        const char* shown;
    } cases[] = {
        {0, 0, "0%"},        {1000, 500, "50%"},
        {1000, 1000, "0%"},  {1000, 1003, "0%"}, // a stored entry's few bytes more: never "-0%"
        {1000, 1010, "-1%"}, {3, 0, "100%"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cli::FormatRatio(c.size, c.packed), c.shown) << c.size << " " << c.packed;
}

} // namespace tolvane::cli
