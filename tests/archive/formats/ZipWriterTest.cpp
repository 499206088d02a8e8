// The ZIP writer: record bytes, encryption, updates and damaged archives,
// with every archive checked by the real readers on the machine.
#include "archive/formats/ZipWriter.h"

#include "archive/codecs/WholeDeflate.h"
#include "archive/formats/ZipReader.h"
#include "archive/framework/ByteOrder.h"
#include "support/Peers.h"
#include "support/TempFolder.h"
#include "support/WriterHarness.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace fs = std::filesystem;
using namespace tolvane;
using namespace tolvane::archive;
using namespace tolvane::test;

namespace {

std::string Text(size_t size) {
    std::string out;
    for (size_t i = 0; out.size() < size; ++i)
        out += "line " + std::to_string(i % 97) + " of the publisher's notes\n";
    out.resize(size);
    return out;
}

// Every reader must accept the archive and find every entry's CRC right.
void ExpectReadersAccept(const std::string& archive, const std::string& password = "") {
    SCOPED_TRACE(archive);
    const std::string a = ShellQuote(archive);
    const std::string p = ShellQuote(password);
    auto unzip = RunPeer("unzip -t " + (password.empty() ? "" : "-P " + p + " ") + a);
    EXPECT_EQ(unzip.status, 0) << unzip.output;
    auto sevenZip = RunPeer("7z t " + (password.empty() ? "" : "-p" + p + " ") + a);
    EXPECT_EQ(sevenZip.status, 0) << sevenZip.output;
    auto python = RunPeer("python3 -c " +
                          ShellQuote("import sys, zipfile\n"
                                     "z = zipfile.ZipFile(sys.argv[1])\n"
                                     "import os\n"
                                     "if sys.argv[2]: z.setpassword(os.fsencode(sys.argv[2]))\n"
                                     "bad = z.testzip()\n"
                                     "sys.exit(1 if bad else 0)\n") +
                          " " + a + " " + p);
    EXPECT_EQ(python.status, 0) << python.output;
    if (password.empty()) {
        auto bsdtar = RunPeer("bsdtar -tf " + a);
        EXPECT_EQ(bsdtar.status, 0) << bsdtar.output;
    }
}

// Names as Python reads them (UTF-8 flag honoured, cp437 otherwise).
std::string PythonNames(const std::string& archive) {
    return RunPeer("python3 -c " +
                   ShellQuote("import sys, zipfile\n"
                              "print('|'.join(i.filename for i in "
                              "zipfile.ZipFile(sys.argv[1]).infolist()))") +
                   " " + ShellQuote(archive))
        .output;
}

// The lines of a reader's listing.
std::set<std::string> Lines(const std::string& text) {
    std::set<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.insert(line);
    return lines;
}

class ZipWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        source_ = scratch_.MakeFolder("src");
        work_ = scratch_.MakeFolder("work");
        archive_ = scratch_ / "out.zip";
    }

    // The job's ZIP settings: the given files under their bare names.
    std::unique_ptr<TZip> MakeWriter(const std::vector<std::string>& files,
                                     const std::string& password = "") {
        auto writer = std::make_unique<TZip>();
        ConfigureLikeJob(*writer, source_, archive_);
        writer->RecurseDirs = false;
        std::vector<std::string> spec;
        for (const auto& f : files)
            spec.push_back(source_ + "/" + f);
        writer->SetFileSpec(spec);
        writer->Password = password;
        writer->EncryptionMethod = password.empty() ? emNone : emZIP_v2;
        writer->SetTempDir(work_);
        CollectReports(*writer, reports_);
        return writer;
    }

    int32_t Zip(const std::vector<std::string>& files, const std::string& password = "") {
        return MakeWriter(files, password)->Compress();
    }

    bool HasReport(int code) const { return test::HasReport(reports_, code); }

    TempFolder scratch_;
    std::string source_, work_, archive_;
    std::vector<Report> reports_;
};

// --- Records ------------------------------------------------------------------

TEST_F(ZipWriterTest, WritesLocalCentralAndEndRecordsByteByByte) {
    const std::string text = Text(4000);
    const auto bh = RandomBytes(700, 3);
    fs::permissions(scratch_.WriteFile("src/Docs.bh", bh), fs::perms(0644));
    scratch_.WriteFile("src/notes.txt", text);
    ASSERT_EQ(Zip({"Docs.bh", "notes.txt"}), 2);
    const auto bytes = ReadFileBytes(archive_);
    const uint8_t* l1 = bytes.data();

    EXPECT_EQ(LoadLE32(l1), 0x04034B50u); // local header
    EXPECT_EQ(LoadLE16(l1 + 4), 20);      // version needed, also when stored
    EXPECT_EQ(LoadLE16(l1 + 6), 0);       // flags
    EXPECT_EQ(LoadLE16(l1 + 8), 0);       // stored: ".bh" is an archive type
    EXPECT_EQ(LoadLE32(l1 + 14), crc32(0, bh.data(), 700));
    EXPECT_EQ(LoadLE32(l1 + 18), 700u);
    EXPECT_EQ(LoadLE32(l1 + 22), 700u);
    EXPECT_EQ(LoadLE16(l1 + 26), 7);
    EXPECT_EQ(LoadLE16(l1 + 28), 0); // no extra field, no data descriptor
    EXPECT_EQ(std::string(l1 + 30, l1 + 37), "Docs.bh");
    EXPECT_EQ(std::vector<uint8_t>(l1 + 37, l1 + 737), bh);

    const uint8_t* l2 = l1 + 737;
    EXPECT_EQ(LoadLE32(l2), 0x04034B50u);
    EXPECT_EQ(LoadLE16(l2 + 8), 8); // deflated
    const uint32_t packed = LoadLE32(l2 + 18);
    EXPECT_EQ(LoadLE32(l2 + 22), 4000u);
    EXPECT_EQ(LoadLE32(l2 + 14), crc32(0, reinterpret_cast<const Bytef*>(text.data()), 4000));

    const size_t cdOffset = 737 + 30 + 9 + packed;
    const uint8_t* c1 = l1 + cdOffset;
    EXPECT_EQ(LoadLE32(c1), 0x02014B50u);
    EXPECT_EQ(LoadLE16(c1 + 4), 0x0314); // made by: Unix host, 2.0
    EXPECT_EQ(LoadLE16(c1 + 6), 20);     // needed
    EXPECT_EQ(std::vector<uint8_t>(c1 + 8, c1 + 30), std::vector<uint8_t>(l1 + 6, l1 + 28));
    EXPECT_EQ(LoadLE16(c1 + 30), 0);           // extra
    EXPECT_EQ(LoadLE16(c1 + 32), 0);           // comment
    EXPECT_EQ(LoadLE16(c1 + 34), 0);           // disk
    EXPECT_EQ(LoadLE16(c1 + 36), 1);           // internal attributes
    EXPECT_EQ(LoadLE32(c1 + 38), 0x81A40020u); // external: S_IFREG | 0644, archive
    EXPECT_EQ(LoadLE32(c1 + 42), 0u);          // local header offset
    const uint8_t* c2 = c1 + 46 + 7;
    EXPECT_EQ(LoadLE32(c2 + 42), 737u);
    EXPECT_EQ(std::string(c2 + 46, c2 + 55), "notes.txt");

    const uint8_t* end = c2 + 46 + 9;
    EXPECT_EQ(LoadLE32(end), 0x06054B50u);
    EXPECT_EQ(LoadLE16(end + 8), 2);
    EXPECT_EQ(LoadLE16(end + 10), 2);
    EXPECT_EQ(LoadLE32(end + 12), 46u * 2 + 7 + 9); // directory size
    EXPECT_EQ(LoadLE32(end + 16), cdOffset);
    EXPECT_EQ(LoadLE16(end + 20), 0);
    EXPECT_EQ(bytes.size(), static_cast<size_t>(end + 22 - l1));
    ExpectReadersAccept(archive_);
}

TEST_F(ZipWriterTest, EveryLevelAndTheSmallFileRulesSatisfyTheReaders) {
    scratch_.WriteFile("src/text.txt", Text(200000));
    scratch_.WriteFile("src/empty.dat", "");
    scratch_.WriteFile("src/ten.bin", "0123456789");
    scratch_.WriteFile("src/r300.bin", RandomBytes(300, 4));
    scratch_.WriteFile("src/pack.tar", Text(5000));
    const std::vector<std::string> files = {"text.txt", "empty.dat", "ten.bin", "r300.bin",
                                            "pack.tar"};
    const std::pair<TDeflateType, uint16_t> levels[] = {
        {dtDeflateS, 0}, {dtDeflateF, 4}, {dtDeflateN, 0}, {dtDeflateX, 2}};
    for (auto [level, bits] : levels) {
        SCOPED_TRACE(static_cast<int>(level));
        fs::remove(archive_);
        auto writer = MakeWriter(files);
        writer->DeflateType = level;
        ASSERT_EQ(writer->Compress(), 5);
        const auto bytes = ReadFileBytes(archive_);
        // The first entry is text.txt: deflated unless the level stores everything.
        EXPECT_EQ(LoadLE16(bytes.data() + 8), level == dtDeflateS ? 0 : 8);
        EXPECT_EQ(LoadLE16(bytes.data() + 6), bits);
        ExpectReadersAccept(archive_);
    }
}

TEST_F(ZipWriterTest, NamesKeepTheirOemFormBesideTheirUtf8Form) {
    scratch_.WriteFile("src/Grüße.txt", "hallo");
    scratch_.WriteFile("src/数据.txt", "data");
    ASSERT_EQ(Zip({"Grüße.txt", "数据.txt"}), 2);
    const auto bytes = ReadFileBytes(archive_);
    EXPECT_EQ(LoadLE16(bytes.data() + 6), 0); // code page 850 name: no flag
    EXPECT_EQ(std::string(bytes.begin() + 30, bytes.begin() + 39), "Gr\x81\xE1"
                                                                   "e.txt");
    EXPECT_EQ(LoadLE16(bytes.data() + 39), 0x7075); // its UTF-8 form follows
    const size_t second = 30 + 9 + LoadLE16(bytes.data() + 28) + 5;
    EXPECT_EQ(LoadLE16(bytes.data() + second + 6), 0x0800);
    ExpectReadersAccept(archive_);
}

// Names of every script, each its file's content. The first three fit the
// OEM code page (850), the others do not.
const std::vector<std::string> kScriptNames = {
    "Get the archiver.URL", "Télécharger l'archiveur.URL",
    "Übersicht.txt",        "Скачать архиватор.URL",
    "数据报告.txt",         "🎉 Party.txt"};

TEST_F(ZipWriterTest, EveryReaderListsAndExtractsEveryNameExactly) {
    for (const std::string& name : kScriptNames)
        scratch_.WriteFile("src/" + name, name);
    // All names but the last, then the last as an update: the names of the
    // entries copied from the old archive must survive too.
    const std::vector<std::string> first(kScriptNames.begin(), kScriptNames.end() - 1);
    ASSERT_EQ(Zip(first), static_cast<int32_t>(first.size()));
    ASSERT_EQ(Zip({kScriptNames.back()}), 1);
    const std::set<std::string> expected(kScriptNames.begin(), kScriptNames.end());

    for (ZipPeer peer : kZipPeers) {
        SCOPED_TRACE(PeerName(peer));
        const PeerResult listed = ListWithPeer(peer, archive_);
        EXPECT_EQ(listed.status, 0) << listed.output;
        EXPECT_EQ(Lines(listed.output), expected);

        const std::string folder = scratch_.MakeFolder(std::string("x-") + PeerName(peer));
        const PeerResult extracted = ExtractWithPeer(peer, archive_, folder);
        EXPECT_EQ(extracted.status, 0) << extracted.output;
        std::set<std::string> onDisk;
        for (const auto& file : fs::directory_iterator(folder)) {
            const std::string name = file.path().filename().string();
            onDisk.insert(name);
            EXPECT_EQ(ReadFileText(file.path().string()), name);
        }
        EXPECT_EQ(onDisk, expected);
    }

    // Our own reader, set to another OEM code page, takes the names from the
    // Unicode path field.
    ZipReader reader(archive_, platform::CodePage(437, "UTF-8"));
    std::vector<ZipEntry> entries;
    std::string error;
    ASSERT_TRUE(reader.ReadDirectory(entries, error)) << error;
    std::set<std::string> ours;
    for (const ZipEntry& entry : entries)
        ours.insert(entry.name);
    EXPECT_EQ(ours, expected);
}

// The store method stores every entry whatever the number of threads (the
// workers plan their entries before the first one is written), and leaves
// the level as the host set it, so that a later deflating run deflates.
TEST_F(ZipWriterTest, TheStoreMethodStoresOnEveryRouteAndLeavesTheLevel) {
    for (const int threads : {1, 3}) {
        SCOPED_TRACE(threads);
        std::filesystem::remove(archive_);
        for (auto n : {"a", "b", "c", "d"})
            scratch_.WriteFile(std::string("src/") + n + ".txt", Text(5000));
        auto writer = MakeWriter({"a.txt", "b.txt", "c.txt", "d.txt"});
        writer->CodingThreads = threads;
        writer->SetCompressMethod(cmStore);
        ASSERT_EQ(writer->Compress(), 4);
        EXPECT_EQ(writer->DeflateType, dtDeflateN);

        scratch_.WriteFile("src/e.txt", Text(5000));
        writer->SetCompressMethod(cmDeflate);
        writer->SetFileSpec({source_ + "/e.txt"});
        writer->SetArchiveFile(archive_); // an existing archive now: added to
        ASSERT_EQ(writer->Compress(), 1);
        ZipReader reader(archive_, platform::CodePage(850, "UTF-8"));
        std::vector<ZipEntry> entries;
        std::string error;
        ASSERT_TRUE(reader.ReadDirectory(entries, error)) << error;
        ASSERT_EQ(entries.size(), 5u);
        for (const ZipEntry& entry : entries)
            EXPECT_EQ(entry.method, entry.name == "e.txt" ? kZipMethodDeflated : kZipMethodStored)
                << entry.name;
        ExpectReadersAccept(archive_);
    }
}

// --- Coding routes ------------------------------------------------------------

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

// Each way an entry's data is coded, read back by every reader, with and
// without a password; the archive is the same for any number of threads.
TEST_F(ZipWriterTest, EveryCodingRouteRoundTripsThroughEveryReader) {
    std::vector<uint8_t> mixed = RandomBytes(300000, 7);
    const std::string tail = Text(300000);
    mixed.insert(mixed.end(), tail.begin(), tail.end());
    const struct {
        const char* name;
        std::vector<uint8_t> content;
        uint16_t method;
    } files[] = {
        {"whole.txt", Bytes(Text(100000)), 8},   // coded whole
        {"pieces.txt", Bytes(Text(700000)), 8},  // coded in three pieces
        {"whole.bin", RandomBytes(50000, 8), 0}, // deflate does not pay: stored
        {"pieces.bin", RandomBytes(600000, 9), 0},
        {"mixed.dat", mixed, 8}, // a stored piece, then coded ones
        {"empty.txt", {}, 0},
    };
    std::vector<std::string> names;
    for (const auto& file : files) {
        scratch_.WriteFile("src/" + std::string(file.name), file.content);
        names.push_back(file.name);
    }
    for (const std::string password : {"", "pw"}) {
        SCOPED_TRACE("password '" + password + "'");
        std::vector<uint8_t> first;
        for (int threads : {1, 2, 4}) {
            SCOPED_TRACE(std::to_string(threads) + " threads");
            fs::remove(archive_);
            auto writer = MakeWriter(names, password);
            writer->CodingThreads = threads;
            writer->CodeAheadBudget = 2 << 20; // whole up to 256 KiB, pieces of that size above
            ASSERT_EQ(writer->Compress(), 6);
            const auto bytes = ReadFileBytes(archive_);
            if (first.empty())
                first = bytes;
            else if (password.empty())
                EXPECT_EQ(bytes, first);
            else // the encryption headers' random bytes differ, nothing else
                EXPECT_EQ(bytes.size(), first.size());
        }
        ExpectReadersAccept(archive_, password);

        ZipReader reader(archive_, platform::CodePage(850, "UTF-8"));
        std::vector<ZipEntry> entries;
        std::string error;
        ASSERT_TRUE(reader.ReadDirectory(entries, error)) << error;
        ASSERT_EQ(entries.size(), std::size(files));
        for (size_t i = 0; i < entries.size(); ++i) {
            SCOPED_TRACE(files[i].name);
            EXPECT_EQ(entries[i].method, files[i].method);
            std::vector<uint8_t> data;
            ASSERT_TRUE(reader.Extract(
                entries[i], [&](const uint8_t* d, size_t n) { data.insert(data.end(), d, d + n); },
                password.empty() ? nullptr : &password, error))
                << error;
            EXPECT_EQ(data, files[i].content);
        }
        if (!password.empty()) {
            const std::string folder = scratch_.MakeFolder("zipfile-pw");
            ASSERT_EQ(ExtractWithZipfile(archive_, folder, password).status, 0);
            for (const auto& file : files)
                EXPECT_EQ(ReadFileBytes(folder + "/" + file.name), file.content) << file.name;
            continue;
        }
        for (ZipPeer peer : kZipPeers) {
            SCOPED_TRACE(PeerName(peer));
            const std::string folder = scratch_.MakeFolder(std::string("out-") + PeerName(peer));
            const PeerResult extracted = ExtractWithPeer(peer, archive_, folder);
            ASSERT_EQ(extracted.status, 0) << extracted.output;
            for (const auto& file : files)
                EXPECT_EQ(ReadFileBytes(folder + "/" + file.name), file.content) << file.name;
        }
    }
}

// Data whose deflate stream is exactly as long as itself is stored; one byte
// shorter, and it is deflated.
TEST_F(ZipWriterTest, CodingThatSavesNothingIsStoredAndOneByteIsEnough) {
    // Zeros followed by random bytes: the zeros' saving is what the stream
    // spends on its codes, for some lengths exactly.
    auto dataFor = [](size_t zeros, size_t randomLength) {
        std::vector<uint8_t> data(zeros, 0);
        const auto tail = RandomBytes(randomLength, 11);
        data.insert(data.end(), tail.begin(), tail.end());
        return data;
    };
    WholeDeflate deflate;
    std::vector<uint8_t> equal, shorter;
    std::vector<uint8_t> out(4096);
    for (size_t zeros = 0; zeros < 400 && (equal.empty() || shorter.empty()); ++zeros) {
        const auto data = dataFor(zeros, 1000);
        const size_t coded =
            deflate.Code(dtDeflateN, data.data(), data.size(), out.data(), out.size());
        if (coded == data.size() && equal.empty())
            equal = data;
        if (coded + 1 == data.size() && shorter.empty())
            shorter = data;
    }
    ASSERT_FALSE(equal.empty()) << "no length codes to exactly its source";
    ASSERT_FALSE(shorter.empty()) << "no length codes to one byte less";
    scratch_.WriteFile("src/equal.bin", equal);
    scratch_.WriteFile("src/shorter.bin", shorter);
    ASSERT_EQ(Zip({"equal.bin", "shorter.bin"}), 2);
    ZipReader reader(archive_, platform::CodePage(850, "UTF-8"));
    std::vector<ZipEntry> entries;
    std::string error;
    ASSERT_TRUE(reader.ReadDirectory(entries, error)) << error;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].method, 0);
    EXPECT_EQ(entries[0].compressedSize, equal.size());
    EXPECT_EQ(entries[1].method, 8);
    EXPECT_EQ(entries[1].compressedSize, shorter.size() - 1);
    ExpectReadersAccept(archive_);
}

// --- Unix modes ---------------------------------------------------------------

TEST_F(ZipWriterTest, EntriesRecordTheirUnixModes) {
    const std::pair<const char*, fs::perms> files[] = {
        {"run.sh", fs::perms(0755)},
        {"notes.txt", fs::perms(0644)},
        {"setuid.bin", fs::perms(04755)}, // recorded as 0755: never setuid, setgid or sticky
    };
    for (const auto& [name, mode] : files)
        fs::permissions(scratch_.WriteFile(std::string("src/") + name, name), mode);
    ASSERT_EQ(Zip({"run.sh", "notes.txt", "setuid.bin"}), 3);

    // Host Unix, S_IFREG and the permissions in the high half, "archive" in the low byte.
    const PeerResult attributes =
        RunPeer("python3 -c " +
                ShellQuote("import sys, zipfile\n"
                           "for i in zipfile.ZipFile(sys.argv[1]).infolist():\n"
                           "    print(i.filename, i.create_system, hex(i.external_attr))") +
                " " + ShellQuote(archive_));
    EXPECT_EQ(attributes.output, "run.sh 3 0x81ed0020\n"
                                 "notes.txt 3 0x81a40020\n"
                                 "setuid.bin 3 0x81ed0020\n");
    const std::string folder = scratch_.MakeFolder("x");
    const PeerResult unzip = ExtractWithPeer(ZipPeer::Unzip, archive_, folder);
    ASSERT_EQ(unzip.status, 0) << unzip.output;
    for (const auto& [name, mode] : files) {
        SCOPED_TRACE(name);
        EXPECT_EQ(fs::status(folder + "/" + name).permissions(), mode & fs::perms::all);
    }
}

// --- Encryption ---------------------------------------------------------------

TEST_F(ZipWriterTest, APasswordEnciphersEveryNonEmptyEntry) {
    scratch_.WriteFile("src/big.txt", Text(300000));
    scratch_.WriteFile("src/ten.bin", "0123456789"); // falls back to store
    scratch_.WriteFile("src/empty.dat", "");
    scratch_.WriteFile("src/Docs.bh", RandomBytes(5000, 5));
    // Deflated to no gain, so stored after all, under a header made afresh.
    scratch_.WriteFile("src/noise.dat", RandomBytes(100000, 7));
    ASSERT_EQ(Zip({"big.txt", "ten.bin", "empty.dat", "Docs.bh", "noise.dat"}, "s3cr\xE9t"), 5);
    ExpectReadersAccept(archive_, "s3cr\xE9t");

    const auto bytes = ReadFileBytes(archive_);
    size_t pos = 0;
    struct Expected {
        uint16_t flags, method;
        uint32_t size, packedExtra;
    };
    const Expected expected[] = {
        {0x0001, 8, 300000, 0}, {0x0001, 0, 10, 12},     {0x0000, 0, 0, 0},
        {0x0001, 0, 5000, 12},  {0x0001, 0, 100000, 12},
    };
    for (const auto& e : expected) {
        const uint8_t* h = bytes.data() + pos;
        ASSERT_EQ(LoadLE32(h), 0x04034B50u);
        EXPECT_EQ(LoadLE16(h + 6), e.flags);
        EXPECT_EQ(LoadLE16(h + 8), e.method);
        EXPECT_EQ(LoadLE32(h + 22), e.size);
        if (e.method == 0) {
            EXPECT_EQ(LoadLE32(h + 18), e.size + e.packedExtra);
        }
        if (e.flags) {
            // Deciphered, the header's last byte is the CRC's high byte.
            ZipCipher cipher;
            cipher.InitKeys("s3cr\xE9t");
            std::vector<uint8_t> header(h + 30 + LoadLE16(h + 26), h + 30 + LoadLE16(h + 26) + 12);
            cipher.DecryptBuffer(header.data(), 12);
            EXPECT_EQ(header[11], LoadLE32(h + 14) >> 24);
            EXPECT_EQ(header[10], (LoadLE32(h + 14) >> 16) & 0xFF);
        }
        pos += 30 + LoadLE16(h + 26) + LoadLE16(h + 28) + LoadLE32(h + 18);
    }
}

TEST_F(ZipWriterTest, TwoRunsWithOnePasswordDifferInTheirHeaders) {
    scratch_.WriteFile("src/a.txt", Text(1000));
    ASSERT_EQ(Zip({"a.txt"}, "pw"), 1);
    const auto first = ReadFileBytes(archive_);
    fs::remove(archive_);
    ASSERT_EQ(Zip({"a.txt"}, "pw"), 1);
    const auto second = ReadFileBytes(archive_);
    ASSERT_EQ(first.size(), second.size());
    EXPECT_NE(first, second);
    ExpectReadersAccept(archive_, "pw");
}

TEST(ZipCipherTest, DeciphersWhatInfoZipEnciphered) {
    TempFolder scratch;
    const std::string text = Text(1000);
    scratch.WriteFile("plain.txt", text);
    auto made = RunPeer("cd " + ShellQuote(scratch.Path()) + " && zip -q -0 -P pw x.zip plain.txt");
    ASSERT_EQ(made.status, 0) << made.output;
    const auto bytes = ReadFileBytes(scratch / "x.zip");
    const size_t data = 30 + LoadLE16(bytes.data() + 26) + LoadLE16(bytes.data() + 28);
    std::vector<uint8_t> body(bytes.begin() + static_cast<long>(data),
                              bytes.begin() + static_cast<long>(data) + 12 + 1000);
    ZipCipher cipher;
    cipher.InitKeys("pw");
    cipher.DecryptBuffer(body.data(), body.size());
    EXPECT_EQ(std::string(body.begin() + 12, body.end()), text);
}

TEST(ZipCipherTest, EncipherAndDecipherAreInverse) {
    std::array<uint8_t, 10> random{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    ZipCipher writer;
    auto header = writer.MakeEncryptionHeader("key", 0xA1B2C3D4u, random);
    std::vector<uint8_t> data = RandomBytes(100000, 11);
    const auto original = data;
    writer.EncryptBuffer(data.data(), data.size());
    EXPECT_NE(data, original);

    ZipCipher reader;
    reader.InitKeys("key");
    reader.DecryptBuffer(header.data(), header.size());
    EXPECT_EQ(std::vector<uint8_t>(header.begin(), header.begin() + 10),
              std::vector<uint8_t>(random.begin(), random.end()));
    EXPECT_EQ(header[10], 0xB2);
    EXPECT_EQ(header[11], 0xA1);
    reader.DecryptBuffer(data.data(), data.size());
    EXPECT_EQ(data, original);
}

// --- Updating -----------------------------------------------------------------

TEST_F(ZipWriterTest, TheJobsTwoRunsOnANewNameWriteEachEntryOnce) {
    scratch_.WriteFile("src/Docs.bh", RandomBytes(3000, 6));
    scratch_.WriteFile("src/Get the archiver.URL", "[InternetShortcut]\r\nURL=http://x/\r\n");
    auto writer = MakeWriter({"Docs.bh", "Get the archiver.URL"});
    ASSERT_EQ(writer->Compress(), 2);
    ASSERT_EQ(writer->Compress(), 2);
    EXPECT_EQ(PythonNames(archive_), "Docs.bh|Get the archiver.URL\n");
    ExpectReadersAccept(archive_);

    // Set to the existing archive, the same files are nothing to do.
    const auto before = ReadFileBytes(archive_);
    EXPECT_EQ(Zip({"Docs.bh", "Get the archiver.URL"}), 0);
    EXPECT_TRUE(HasReport(kErrNothingToDo));
    EXPECT_EQ(ReadFileBytes(archive_), before);
}

TEST_F(ZipWriterTest, KeptReplacedRenamedAndDeletedEntriesStayReadable) {
    // The renamed entry's Unicode path field must follow its new name.
    const std::string c = "\u00E7.txt";
    for (const std::string& n : {std::string("a.txt"), std::string("b.txt"), c})
        scratch_.WriteFile("src/" + n, Text(2000) + n);
    ASSERT_EQ(Zip({"a.txt", "b.txt", c}, "pw"), 3);

    scratch_.WriteFile("src/b.txt", "changed b");
    scratch_.WriteFile("src/" + c, "changed c");
    scratch_.WriteFile("src/d.txt", Text(100));
    auto writer = MakeWriter({"b.txt", c, "d.txt"}, "pw");
    writer->OnReplaceFile = [](TZipCommon&, const std::string& name, const std::string&,
                               std::time_t, std::time_t, int64_t, int64_t, int32_t, int32_t,
                               bool& replace) { replace = name == "b.txt"; };
    writer->OnRenameDupeFile = [&c](TZipCommon&, const std::string& name, std::string& newName,
                                    bool& rename) {
        newName = "old-" + name;
        rename = name == c;
    };
    ASSERT_EQ(writer->Compress(), 3);
    EXPECT_EQ(PythonNames(archive_), "a.txt|old-" + c + "|b.txt|" + c + "|d.txt\n");
    for (ZipPeer peer : kZipPeers) {
        SCOPED_TRACE(PeerName(peer));
        EXPECT_EQ(Lines(ListWithPeer(peer, archive_).output),
                  (std::set<std::string>{"a.txt", "old-" + c, "b.txt", c, "d.txt"}));
    }
    ExpectReadersAccept(archive_, "pw");

    auto remover = MakeWriter({"*"});
    remover->Switch = swDelete;
    EXPECT_EQ(remover->Compress(), 5);
    const auto bytes = ReadFileBytes(archive_);
    ASSERT_EQ(bytes.size(), 22u); // the bare end record
    EXPECT_EQ(LoadLE32(bytes.data()), 0x06054B50u);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 4, bytes.end()), std::vector<uint8_t>(18, 0));
}

TEST_F(ZipWriterTest, AnInfoZipArchiveWithDescriptorsAndCommentIsUpdated) {
    scratch_.WriteFile("src/a.txt", Text(5000));
    auto made = RunPeer("cd " + ShellQuote(source_) + " && printf 'note' | zip -q -z " +
                        ShellQuote(archive_) + " a.txt && printf 'streamed' | zip -q " +
                        ShellQuote(archive_) + " -");
    ASSERT_EQ(made.status, 0) << made.output;
    scratch_.WriteFile("src/b.txt", "new");
    ASSERT_EQ(Zip({"b.txt"}), 1);
    EXPECT_EQ(PythonNames(archive_), "a.txt|-|b.txt\n");
    ExpectReadersAccept(archive_);
    EXPECT_NE(RunPeer("unzip -z " + ShellQuote(archive_)).output.find("note"), std::string::npos);
}

TEST_F(ZipWriterTest, AZip64ArchiveFromPythonIsUpdated) {
    auto made = RunPeer("python3 -c " +
                        ShellQuote("import sys, zipfile\n"
                                   "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
                                   "    with z.open('big.txt', 'w', force_zip64=True) as f:\n"
                                   "        f.write(b'zip64 ' * 1000)\n") +
                        " " + ShellQuote(archive_));
    ASSERT_EQ(made.status, 0) << made.output;
    scratch_.WriteFile("src/b.txt", "new");
    ASSERT_EQ(Zip({"b.txt"}), 1);
    EXPECT_EQ(PythonNames(archive_), "big.txt|b.txt\n");
    ExpectReadersAccept(archive_);
}

// --- Damaged archives ---------------------------------------------------------

class ZipDamageTest : public ZipWriterTest {
protected:
    // A good two-entry archive, damaged by `damage`; the update must either
    // refuse and leave it byte for byte, or keep only whole entries.
    void Check(const std::function<void(std::vector<uint8_t>&)>& damage, bool refused) {
        scratch_.WriteFile("src/a.txt", Text(3000));
        scratch_.WriteFile("src/b.txt", Text(4000));
        fs::remove(archive_);
        ASSERT_EQ(Zip({"a.txt", "b.txt"}), 2);
        auto bytes = ReadFileBytes(archive_);
        damage(bytes);
        scratch_.WriteFile("out.zip", bytes);
        scratch_.WriteFile("src/c.txt", "new");
        reports_.clear();
        const int32_t result = Zip({"c.txt"});
        if (refused) {
            EXPECT_EQ(result, 0);
            EXPECT_TRUE(HasReport(kErrUnsupportedOperation));
            EXPECT_EQ(ReadFileBytes(archive_), bytes);
        } else {
            EXPECT_EQ(result, 1);
            ExpectReadersAccept(archive_);
        }
        EXPECT_EQ(CountTempFiles(work_), 0u);
    }

    static size_t EndRecord(const std::vector<uint8_t>& b) { return b.size() - 22; }
};

TEST_F(ZipDamageTest, ADirectoryOffsetOutsideTheFileIsRefused) {
    Check([](auto& b) { StoreLE32(b.data() + EndRecord(b) + 12, 0x7FFFFFFF); }, true);
}

TEST_F(ZipDamageTest, ACentralRecordWithoutSignatureIsRefused) {
    Check([](auto& b) { b[EndRecord(b) - 46 - 5] ^= 0xFF; }, true);
}

TEST_F(ZipDamageTest, ANameLengthPastTheEndIsRefused) {
    Check(
        [](auto& b) {
            const size_t cd = LoadLE32(b.data() + EndRecord(b) + 16);
            StoreLE16(b.data() + cd + 28, 0xFFFF);
        },
        true);
}

TEST_F(ZipDamageTest, ALocalOffsetOutsideTheFileIsRefused) {
    Check(
        [](auto& b) {
            const size_t cd = LoadLE32(b.data() + EndRecord(b) + 16);
            StoreLE32(b.data() + cd + 42, 0x10000000);
        },
        true);
}

TEST_F(ZipDamageTest, AZip64LocatorThatLiesIsRefused) {
    Check(
        [](auto& b) {
            std::vector<uint8_t> locator(20, 0);
            StoreLE32(locator.data(), 0x07064B50);
            StoreLE64(locator.data() + 8, 0xFFFFFFFFFFull);
            b.insert(b.begin() + static_cast<long>(EndRecord(b)), locator.begin(), locator.end());
        },
        true);
}

TEST_F(ZipDamageTest, ATruncatedArchiveKeepsItsWholeEntries) {
    Check([](auto& b) { b.erase(b.end() - 60, b.end()); }, false);
    EXPECT_EQ(PythonNames(archive_), "a.txt|b.txt|c.txt\n");
}

TEST_F(ZipDamageTest, AFileThatIsNoArchiveIsLeftAlone) {
    Check([](auto& b) { b.assign(5000, 'x'); }, true);
}

// A kept entry is copied as it is: first its local header must agree with
// its directory record, or the damage would be carried into the new archive.
TEST_F(ZipDamageTest, ALocalHeaderThatDisagreesWithItsRecordIsRefused) {
    Check([](auto& b) { b[14] ^= 0x01; }, true);              // a.txt's CRC
    Check([](auto& b) { b[30 + 1] = 'X'; }, true);            // a.txt's name
    Check([](auto& b) { StoreLE16(b.data() + 8, 0); }, true); // a.txt's method
}

TEST_F(ZipDamageTest, DamagedDataIsFoundBeforeTheArchiveIsReplaced) {
    scratch_.WriteFile("src/a.txt", Text(3000));
    ASSERT_EQ(Zip({"a.txt"}), 1);
    auto bytes = ReadFileBytes(archive_);
    bytes[30 + 5 + 40] ^= 0xFF; // inside a.txt's deflated data
    scratch_.WriteFile("out.zip", bytes);
    scratch_.WriteFile("src/c.txt", "new");
    auto writer = MakeWriter({"c.txt"});
    writer->TestBeforeReplace = true;
    EXPECT_EQ(writer->Compress(), 0);
    EXPECT_TRUE(HasReport(kErrArchiveDamaged));
    EXPECT_EQ(ReadFileBytes(archive_), bytes);
    EXPECT_EQ(CountTempFiles(work_), 0u);
}

TEST_F(ZipWriterTest, AnEncipheredFileThatGrowsKeepsItsFirstSizeAndDeciphers) {
    const std::string text = Text(400000);
    const std::string log = scratch_.WriteFile("src/live.log", text);
    auto writer = MakeWriter({"live.log"}, "pw");
    writer->CodingThreads = 1; // the growth must fall inside the entry's own reading
    bool grown = false;
    writer->OnProgress = [&](TZipCommon&, uint8_t byFile, uint8_t) {
        if (!grown && byFile > 0 && byFile < 100) {
            std::ofstream(log, std::ios::app) << "appended while the entry is written\n";
            grown = true;
        }
    };
    ASSERT_EQ(writer->Compress(), 1);
    EXPECT_TRUE(grown);
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0].code, kErrFileChanged);
    ExpectReadersAccept(archive_, "pw");
    auto content = RunPeer("unzip -p -P pw " + ShellQuote(archive_) + " live.log | md5sum");
    auto expected = RunPeer("head -c 400000 " + ShellQuote(log) + " | md5sum");
    EXPECT_EQ(content.output, expected.output);
}

} // namespace
