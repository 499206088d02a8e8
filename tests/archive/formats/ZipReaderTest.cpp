// The ZIP reader on archives assembled field by field (records, Zip64, names,
// the cipher checked against a slow reference), on archives made by Info-ZIP,
// Python's zipfile and 7-Zip, and on damaged archives.
#include "archive/formats/ZipReader.h"

#include "support/BhArchiveBuilder.h"
#include "support/Peers.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tolvane::archive {
namespace {

using test::Bytes;
using test::RawDeflate;
using test::ReadFileBytes;
using test::RunPeer;
using test::ShellQuote;
using test::TempFolder;
using test::ZlibCrc32;

const platform::CodePage kOem850(850, "UTF-8");

constexpr uint32_t kMarch5th2024 = 0x586573C4; // 2024-03-05 14:30:08

void Put16(std::vector<uint8_t>& out, uint64_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}
void Put32(std::vector<uint8_t>& out, uint64_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, (value >> 16) & 0xFFFF);
}
void Put64(std::vector<uint8_t>& out, uint64_t value) {
    Put32(out, value & 0xFFFFFFFF);
    Put32(out, value >> 32);
}
void Set16(std::vector<uint8_t>& bytes, size_t at, uint64_t value) {
    bytes.at(at + 1) = static_cast<uint8_t>(value >> 8);
    bytes.at(at) = static_cast<uint8_t>(value);
}
void Set32(std::vector<uint8_t>& bytes, size_t at, uint64_t value) {
    Set16(bytes, at, value & 0xFFFF);
    Set16(bytes, at + 2, (value >> 16) & 0xFFFF);
}
void Set64(std::vector<uint8_t>& bytes, size_t at, uint64_t value) {
    Set32(bytes, at, value & 0xFFFFFFFF);
    Set32(bytes, at + 4, value >> 32);
}
void Append(std::vector<uint8_t>& out, const std::vector<uint8_t>& more) {
    out.insert(out.end(), more.begin(), more.end());
}
void Append(std::vector<uint8_t>& out, const std::string& more) {
    out.insert(out.end(), more.begin(), more.end());
}

// The traditional cipher written the slow, obvious way: bitwise CRC steps and
// the keystream formula as APPNOTE states it.
class ReferenceCipher {
public:
    explicit ReferenceCipher(const std::string& password) {
        for (const char c : password)
            Update(static_cast<uint8_t>(c));
    }

    uint8_t Encrypt(uint8_t plain) {
        const uint8_t enciphered = plain ^ Keystream();
        Update(plain);
        return enciphered;
    }
    uint8_t Decrypt(uint8_t enciphered) {
        const uint8_t plain = enciphered ^ Keystream();
        Update(plain);
        return plain;
    }

private:
    uint8_t Keystream() const {
        const uint32_t t = (keys_[2] | 2) & 0xFFFF;
        return static_cast<uint8_t>(((t * (t ^ 1)) >> 8) & 0xFF);
    }
    static uint32_t CrcStep(uint32_t crc, uint8_t byte) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) != 0 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
        return crc;
    }
    void Update(uint8_t plain) {
        keys_[0] = CrcStep(keys_[0], plain);
        keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813u + 1;
        keys_[2] = CrcStep(keys_[2], static_cast<uint8_t>(keys_[1] >> 24));
    }

    uint32_t keys_[3] = {0x12345678, 0x23456789, 0x34567890};
};

// One entry of an archive assembled by hand; every field the reader looks at
// is stated here.
struct HandEntry {
    std::string name = "a.txt";
    std::vector<uint8_t> content; // uncompressed
    uint16_t method = 0;          // 0 stores the content, 8 deflates it
    uint16_t flags = 0;           // bit 0 is added when a password is set
    uint32_t dosDateTime = kMarch5th2024;
    uint32_t externalAttributes = 0x20;
    uint16_t madeBy = 20; // version 2.0 on MS-DOS; 0x0314 is Unix
    std::string password; // enciphers the entry when not empty
    // Central fields written as 0xFFFFFFFF, their values moved to a 0x0001 extra block.
    bool zip64Uncompressed = false;
    bool zip64Compressed = false;
    bool zip64Offset = false;
    std::vector<uint8_t> centralExtra; // blocks before the Zip64 block
    std::vector<uint8_t> localExtra;
    std::optional<std::string> localName; // the name again when not set
};

struct HandZip {
    std::vector<uint8_t> bytes;
    std::vector<size_t> localOffsets;
    std::vector<size_t> dataOffsets;
    std::vector<size_t> dataSizes; // encryption header included
    std::vector<size_t> centralOffsets;
    std::vector<size_t> zip64ExtraOffsets; // of the 0x0001 block, 0 when none
    size_t directoryOffset = 0;
    size_t directorySize = 0;
    size_t zip64EndOffset = 0; // 0 when no Zip64 end record was written
    size_t locatorOffset = 0;
    size_t endOffset = 0;
};

// The 12-byte encryption header: fixed "random" bytes, then the CRC's two high
// bytes, or the time's high byte as the check when bit 3 is set.
std::vector<uint8_t> PlainCipherHeader(uint32_t crc, uint16_t flags, uint32_t dosDateTime) {
    std::vector<uint8_t> header;
    for (int i = 0; i < 10; ++i)
        header.push_back(static_cast<uint8_t>(i * 29 + 7));
    header.push_back(static_cast<uint8_t>(crc >> 16));
    header.push_back((flags & 0x0008) != 0 ? static_cast<uint8_t>(dosDateTime >> 8)
                                           : static_cast<uint8_t>(crc >> 24));
    return header;
}

HandZip BuildZip(const std::vector<HandEntry>& entries, bool zip64End = false) {
    HandZip zip;
    std::vector<std::vector<uint8_t>> centrals;
    for (const HandEntry& e : entries) {
        const uint32_t crc = ZlibCrc32(e.content);
        const uint16_t flags = e.flags | (e.password.empty() ? 0 : 0x0001);
        std::vector<uint8_t> payload = e.method == 8 ? RawDeflate(e.content) : e.content;
        if (!e.password.empty()) {
            std::vector<uint8_t> plain = PlainCipherHeader(crc, flags, e.dosDateTime);
            Append(plain, payload);
            ReferenceCipher cipher(e.password);
            payload.clear();
            for (const uint8_t byte : plain)
                payload.push_back(cipher.Encrypt(byte));
        }
        const size_t localOffset = zip.bytes.size();
        std::vector<uint8_t>& out = zip.bytes;
        Put32(out, 0x04034B50);
        Put16(out, 20);
        Put16(out, flags);
        Put16(out, e.method);
        Put32(out, e.dosDateTime);
        Put32(out, crc);
        Put32(out, payload.size());
        Put32(out, e.content.size());
        const std::string& localName = e.localName.value_or(e.name);
        Put16(out, localName.size());
        Put16(out, e.localExtra.size());
        Append(out, localName);
        Append(out, e.localExtra);
        zip.localOffsets.push_back(localOffset);
        zip.dataOffsets.push_back(out.size());
        zip.dataSizes.push_back(payload.size());
        Append(out, payload);
        if ((flags & 0x0008) != 0) {
            Put32(out, 0x08074B50);
            Put32(out, crc);
            Put32(out, payload.size());
            Put32(out, e.content.size());
        }

        std::vector<uint8_t> zip64;
        if (e.zip64Uncompressed)
            Put64(zip64, e.content.size());
        if (e.zip64Compressed)
            Put64(zip64, payload.size());
        if (e.zip64Offset)
            Put64(zip64, localOffset);
        std::vector<uint8_t> extra = e.centralExtra;
        if (!zip64.empty()) {
            Put16(extra, 0x0001);
            Put16(extra, zip64.size());
            Append(extra, zip64);
        }
        std::vector<uint8_t> central;
        Put32(central, 0x02014B50);
        Put16(central, e.madeBy);
        Put16(central, 20);
        Put16(central, flags);
        Put16(central, e.method);
        Put32(central, e.dosDateTime);
        Put32(central, crc);
        Put32(central, e.zip64Compressed ? 0xFFFFFFFF : payload.size());
        Put32(central, e.zip64Uncompressed ? 0xFFFFFFFF : e.content.size());
        Put16(central, e.name.size());
        Put16(central, extra.size());
        Put16(central, 0); // comment
        Put16(central, 0); // disk
        Put16(central, 0); // internal attributes
        Put32(central, e.externalAttributes);
        Put32(central, e.zip64Offset ? 0xFFFFFFFF : localOffset);
        Append(central, e.name);
        zip.zip64ExtraOffsets.push_back(zip64.empty() ? 0 : central.size() + e.centralExtra.size());
        Append(central, extra);
        centrals.push_back(std::move(central));
    }
    zip.directoryOffset = zip.bytes.size();
    for (const auto& central : centrals) {
        zip.centralOffsets.push_back(zip.bytes.size());
        if (zip.zip64ExtraOffsets[zip.centralOffsets.size() - 1] != 0)
            zip.zip64ExtraOffsets[zip.centralOffsets.size() - 1] += zip.bytes.size();
        Append(zip.bytes, central);
    }
    zip.directorySize = zip.bytes.size() - zip.directoryOffset;
    std::vector<uint8_t>& out = zip.bytes;
    if (zip64End) {
        zip.zip64EndOffset = out.size();
        Put32(out, 0x06064B50);
        Put64(out, 44); // the record's size after this field
        Put16(out, 45);
        Put16(out, 45);
        Put32(out, 0); // this disk
        Put32(out, 0); // directory disk
        Put64(out, entries.size());
        Put64(out, entries.size());
        Put64(out, zip.directorySize);
        Put64(out, zip.directoryOffset);
        zip.locatorOffset = out.size();
        Put32(out, 0x07064B50);
        Put32(out, 0); // disk of the Zip64 end record
        Put64(out, zip.zip64EndOffset);
        Put32(out, 1); // disks in all
    }
    zip.endOffset = out.size();
    Put32(out, 0x06054B50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, zip64End ? 0xFFFF : entries.size());
    Put16(out, zip64End ? 0xFFFF : entries.size());
    Put32(out, zip64End ? 0xFFFFFFFF : zip.directorySize);
    Put32(out, zip64End ? 0xFFFFFFFF : zip.directoryOffset);
    Put16(out, 0); // comment
    return zip;
}

struct Expanded {
    bool ok = false;
    std::string error;
    std::vector<uint8_t> data;
    std::vector<size_t> pieces; // the length of each piece the sink saw
};

Expanded Expand(ZipReader& reader, const ZipEntry& entry, const std::string* password) {
    Expanded result;
    result.ok = reader.Extract(
        entry,
        [&result](const uint8_t* data, size_t length) {
            result.data.insert(result.data.end(), data, data + length);
            result.pieces.push_back(length);
        },
        password, result.error);
    return result;
}

// An archive opened and its directory read.
struct Opened {
    std::unique_ptr<ZipReader> reader;
    std::vector<ZipEntry> entries;
    bool whole = false;
    std::string damage;
};

Opened Open(const std::string& path) {
    Opened opened;
    opened.reader = std::make_unique<ZipReader>(path, kOem850);
    EXPECT_TRUE(opened.reader->IsOpen()) << path;
    opened.whole = opened.reader->ReadDirectory(opened.entries, opened.damage);
    return opened;
}

class ZipReaderTest : public ::testing::Test {
protected:
    Opened OpenBytes(const std::vector<uint8_t>& bytes) {
        // A fresh file each time: truncating one makes ext4 flush it on close,
        // which slows the byte-by-byte sweeps down a hundredfold.
        std::filesystem::remove(scratch_ / "hand.zip");
        return Open(scratch_.WriteFile("hand.zip", bytes));
    }

    // Runs `command` in the folder "in" of the scratch folder, where SetUp
    // wrote the files the peers pack.
    void MakeWithPeer(const std::string& command) {
        const auto result = RunPeer("cd " + ShellQuote(scratch_ / "in") + " && " + command);
        ASSERT_EQ(result.status, 0) << command << "\n" << result.output;
    }

    std::vector<uint8_t> InputFile(const std::string& name) {
        return ReadFileBytes(scratch_ / ("in/" + name));
    }

    TempFolder scratch_;
};

// The three-entry archive most damage cases start from: stored, deflated,
// enciphered.
std::vector<HandEntry> BaseEntries() {
    HandEntry stored;
    stored.name = "stored.txt";
    stored.content = Bytes("hello, stored world\n");
    HandEntry deflated;
    deflated.name = "deflated.txt";
    deflated.method = 8;
    for (int i = 0; i < 40; ++i)
        Append(deflated.content, Bytes("deflate me "));
    HandEntry locked;
    locked.name = "locked.txt";
    locked.content = Bytes("open sesame\n");
    locked.password = "secret";
    return {stored, deflated, locked};
}

// --- hand-built archives ---

TEST_F(ZipReaderTest, ReadsEveryFieldOfTheCentralRecords) {
    HandEntry first;
    first.name = "dir/first.txt";
    first.content = Bytes("first entry");
    first.externalAttributes = 0x81A40021; // Unix mode in the high half, read-only + archive
    first.dosDateTime = 0x00210000;        // 1980-01-01 00:00:00
    HandEntry second;
    second.name = "second.bin";
    second.method = 8;
    second.content = std::vector<uint8_t>(5000, 'z');
    second.flags = 0x0002; // a deflate option bit the reader must leave alone
    const HandZip zip = BuildZip({first, second});
    Opened opened = OpenBytes(zip.bytes);
    ASSERT_TRUE(opened.whole) << opened.damage;
    ASSERT_EQ(opened.entries.size(), 2u);

    const ZipEntry& a = opened.entries[0];
    EXPECT_EQ(a.name, "dir/first.txt");
    EXPECT_EQ(a.storedName, "dir/first.txt");
    EXPECT_EQ(a.flags, 0);
    EXPECT_EQ(a.method, 0);
    EXPECT_EQ(a.dosDateTime, 0x00210000u);
    EXPECT_EQ(a.crc32, ZlibCrc32(first.content));
    EXPECT_EQ(a.compressedSize, 11u);
    EXPECT_EQ(a.uncompressedSize, 11u);
    EXPECT_EQ(a.localHeaderOffset, 0u);
    EXPECT_EQ(a.externalAttributes, 0x81A40021u);
    EXPECT_FALSE(a.Encrypted());

    const ZipEntry& b = opened.entries[1];
    EXPECT_EQ(b.name, "second.bin");
    EXPECT_EQ(b.flags, 0x0002);
    EXPECT_EQ(b.method, 8);
    EXPECT_EQ(b.dosDateTime, kMarch5th2024);
    EXPECT_EQ(b.compressedSize, zip.dataSizes[1]);
    EXPECT_EQ(b.uncompressedSize, 5000u);
    EXPECT_EQ(b.localHeaderOffset, zip.localOffsets[1]);

    const Expanded expandedA = Expand(*opened.reader, a, nullptr);
    EXPECT_TRUE(expandedA.ok) << expandedA.error;
    EXPECT_EQ(expandedA.data, first.content);
    const Expanded expandedB = Expand(*opened.reader, b, nullptr);
    EXPECT_TRUE(expandedB.ok) << expandedB.error;
    EXPECT_EQ(expandedB.data, second.content);
}

TEST_F(ZipReaderTest, AnEmptyArchiveHasNoEntries) {
    const HandZip zip = BuildZip({});
    ASSERT_EQ(zip.bytes.size(), 22u);
    Opened opened = OpenBytes(zip.bytes);
    EXPECT_TRUE(opened.whole) << opened.damage;
    EXPECT_TRUE(opened.entries.empty());
}

TEST_F(ZipReaderTest, TheEndRecordIsFoundBeforeItsComment) {
    HandZip zip = BuildZip(BaseEntries());
    // The comment holds an end signature of its own, with no room for a record.
    const std::string comment = std::string(40000, 'c') + "PK\x05\x06 is not a record";
    Set16(zip.bytes, zip.endOffset + 20, comment.size());
    Append(zip.bytes, comment);
    Opened opened = OpenBytes(zip.bytes);
    EXPECT_TRUE(opened.whole) << opened.damage;
    EXPECT_EQ(opened.entries.size(), 3u);

    Set16(zip.bytes, zip.endOffset + 20, comment.size() + 1);
    opened = OpenBytes(zip.bytes);
    EXPECT_FALSE(opened.whole);
    // The signature nearest to the end of the file is the one reported.
    EXPECT_EQ(opened.damage, "the end record at offset " +
                                 std::to_string(zip.endOffset + 22 + 40000) +
                                 " or its comment runs past the end of the file: the archive "
                                 "is cut short");
}

TEST_F(ZipReaderTest, TheLocalNameAndExtraLengthsPlaceTheData) {
    HandEntry entry;
    entry.content = Bytes("after a long local extra field");
    entry.localExtra = std::vector<uint8_t>(300, 0xEE); // absent from the central record
    Opened opened = OpenBytes(BuildZip({entry}).bytes);
    ASSERT_EQ(opened.entries.size(), 1u);
    const Expanded expanded = Expand(*opened.reader, opened.entries[0], nullptr);
    EXPECT_TRUE(expanded.ok) << expanded.error;
    EXPECT_EQ(expanded.data, entry.content);
}

TEST_F(ZipReaderTest, NamesAreUtf8WithBit11AsWrittenOnUnixAndOemOtherwise) {
    struct Case {
        std::string stored;
        uint16_t flags;
        std::string expected;
        uint16_t madeBy = 20;
    };
    const Case cases[] = {
        {"caf\x82.txt", 0x0000, "caf\xC3\xA9.txt"},           // OEM 850 0x82 is "é"
        {"\x8E\x99\x9A", 0x0000, "\xC3\x84\xC3\x96\xC3\x9C"}, // "ÄÖÜ" in OEM 850
        {"caf\xC3\xA9.txt", 0x0800, "caf\xC3\xA9.txt"},       // UTF-8 kept as it is
        {"\xE6\x95\xB0\xE6\x8D\xAE", 0x0800, "\xE6\x95\xB0\xE6\x8D\xAE"},
        {"plain.txt", 0x0800, "plain.txt"},
        // Not UTF-8, and read as OEM a no-break space and a square: the bytes
        // of a name that was not UTF-8 either, kept as they were.
        {"\xFF\xFE.txt", 0x0000, "\xFF\xFE.txt"},
        {"\xC9\xCD\xBB", 0x0000, "\xC9\xCD\xBB"}, // box drawing in OEM 850
        // A Unix writer (Info-ZIP zip) stores names in its own character set,
        // unflagged: UTF-8 and other bytes alike are taken as they are.
        {"\xC3\x9C"
         "bersicht.txt",
         0x0000,
         "\xC3\x9C"
         "bersicht.txt",
         0x0314},
        {"caf\xE9", 0x0000, "caf\xE9", 0x0314},
    };
    std::vector<HandEntry> entries;
    for (const Case& c : cases) {
        HandEntry entry;
        entry.name = c.stored;
        entry.flags = c.flags;
        entry.madeBy = c.madeBy;
        entries.push_back(entry);
    }
    Opened opened = OpenBytes(BuildZip(entries).bytes);
    ASSERT_TRUE(opened.whole) << opened.damage;
    ASSERT_EQ(opened.entries.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].expected);
        EXPECT_EQ(opened.entries[i].name, cases[i].expected);
        EXPECT_EQ(opened.entries[i].storedName, cases[i].stored);
    }
}

TEST_F(ZipReaderTest, Zip64ExtraSuppliesOnlyTheEscapedFieldsInOrder) {
    struct Case {
        bool uncompressed, compressed, offset;
    };
    const Case cases[] = {
        {true, false, false}, {false, true, false}, {false, false, true}, {true, true, false},
        {true, false, true},  {false, true, true},  {true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "uncompressed " << c.uncompressed << ", compressed "
                                          << c.compressed << ", offset " << c.offset);
        HandEntry before; // so that the second entry's offset is not 0
        before.content = Bytes("first");
        HandEntry entry;
        entry.name = "z64.txt";
        entry.method = 8; // so that the two sizes differ
        for (int i = 0; i < 50; ++i)
            Append(entry.content, Bytes("zip64 "));
        entry.zip64Uncompressed = c.uncompressed;
        entry.zip64Compressed = c.compressed;
        entry.zip64Offset = c.offset;
        // An unrelated block in front must be stepped over.
        entry.centralExtra = {0x55, 0x54, 0x05, 0x00, 0x01, 0x11, 0x22, 0x33, 0x44};
        const HandZip zip = BuildZip({before, entry});
        Opened opened = OpenBytes(zip.bytes);
        ASSERT_TRUE(opened.whole) << opened.damage;
        ASSERT_EQ(opened.entries.size(), 2u);
        const ZipEntry& read = opened.entries[1];
        EXPECT_EQ(read.uncompressedSize, entry.content.size());
        EXPECT_EQ(read.compressedSize, zip.dataSizes[1]);
        EXPECT_EQ(read.localHeaderOffset, zip.localOffsets[1]);
        const Expanded expanded = Expand(*opened.reader, read, nullptr);
        EXPECT_TRUE(expanded.ok) << expanded.error;
        EXPECT_EQ(expanded.data, entry.content);
    }
}

TEST_F(ZipReaderTest, Zip64EndRecordGivesTheDirectory) {
    std::vector<HandEntry> entries = BaseEntries();
    entries[1].zip64Uncompressed = entries[1].zip64Compressed = entries[1].zip64Offset = true;
    const HandZip zip = BuildZip(entries, true);
    Opened opened = OpenBytes(zip.bytes);
    ASSERT_TRUE(opened.whole) << opened.damage;
    ASSERT_EQ(opened.entries.size(), 3u);
    const std::string password = "secret";
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(entries[i].name);
        EXPECT_EQ(opened.entries[i].name, entries[i].name);
        const Expanded expanded = Expand(*opened.reader, opened.entries[i], &password);
        EXPECT_TRUE(expanded.ok) << expanded.error;
        EXPECT_EQ(expanded.data, entries[i].content);
    }
}

TEST_F(ZipReaderTest, DeciphersAgainstTheReferenceCipher) {
    struct Case {
        const char* what;
        uint16_t method;
        uint16_t flags;
    };
    const Case cases[] = {
        {"stored, CRC check byte", 0, 0x0000},
        {"deflated, CRC check byte", 8, 0x0000},
        {"stored, time check byte (data descriptor)", 0, 0x0008},
        {"deflated, time check byte (data descriptor)", 8, 0x0008},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HandEntry entry;
        entry.method = c.method;
        entry.flags = c.flags;
        entry.password = "p\xE4ss w0rd";             // bytes above 0x7F are key material too
        entry.content = test::RandomBytes(70000, 7); // more than one 64 KiB piece
        entry.dosDateTime = 0x5865A3C4;              // time byte 0xA3 differs from the CRC's
        Opened opened = OpenBytes(BuildZip({entry}).bytes);
        ASSERT_EQ(opened.entries.size(), 1u);
        const ZipEntry& read = opened.entries[0];
        EXPECT_TRUE(read.Encrypted());

        const Expanded good = Expand(*opened.reader, read, &entry.password);
        EXPECT_TRUE(good.ok) << good.error;
        EXPECT_EQ(good.data, entry.content);

        const std::string wrong = "p\xE4ss w0rD";
        const Expanded bad = Expand(*opened.reader, read, &wrong);
        EXPECT_FALSE(bad.ok);
        EXPECT_EQ(bad.error, "wrong password");
        EXPECT_TRUE(bad.data.empty());

        const Expanded none = Expand(*opened.reader, read, nullptr);
        EXPECT_FALSE(none.ok);
        EXPECT_EQ(none.error, "encrypted: give --password-file");
    }
}

TEST_F(ZipReaderTest, AWrongPasswordThatPassesTheCheckByteFailsTheCrc) {
    HandEntry entry;
    entry.content = Bytes("only the CRC can tell this password is wrong");
    entry.password = "right";
    const HandZip zip = BuildZip({entry});
    // One wrong password in 256 deciphers the check byte correctly; find one.
    const std::vector<uint8_t> enciphered(zip.bytes.begin() + zip.dataOffsets[0],
                                          zip.bytes.begin() + zip.dataOffsets[0] + 12);
    const uint8_t check = static_cast<uint8_t>(ZlibCrc32(entry.content) >> 24);
    std::optional<std::string> lucky;
    for (int i = 0; i < 10000 && !lucky; ++i) {
        const std::string candidate = "wrong" + std::to_string(i);
        ReferenceCipher cipher(candidate);
        uint8_t last = 0;
        for (const uint8_t byte : enciphered)
            last = cipher.Decrypt(byte);
        if (last == check)
            lucky = candidate;
    }
    ASSERT_TRUE(lucky.has_value());
    Opened opened = OpenBytes(zip.bytes);
    ASSERT_EQ(opened.entries.size(), 1u);
    const Expanded expanded = Expand(*opened.reader, opened.entries[0], &*lucky);
    EXPECT_FALSE(expanded.ok);
    EXPECT_EQ(expanded.error.rfind("CRC-32 mismatch: computed ", 0), 0u) << expanded.error;
}

TEST_F(ZipReaderTest, StreamsLargeEntriesInPiecesOf64KiB) {
    HandEntry random;
    random.name = "random.bin";
    random.content = test::RandomBytes(1000003, 3);
    HandEntry zeros; // expands 1000-fold, so one input piece gives many output pieces
    zeros.name = "zeros.bin";
    zeros.method = 8;
    zeros.content = std::vector<uint8_t>(3 * 1024 * 1024 + 5, 0);
    HandEntry deflatedRandom;
    deflatedRandom.name = "deflated-random.bin";
    deflatedRandom.method = 8;
    deflatedRandom.content = test::RandomBytes(300001, 4);
    const std::vector<HandEntry> entries = {random, zeros, deflatedRandom};
    Opened opened = OpenBytes(BuildZip(entries).bytes);
    ASSERT_EQ(opened.entries.size(), 3u);
    for (size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(entries[i].name);
        const Expanded expanded = Expand(*opened.reader, opened.entries[i], nullptr);
        EXPECT_TRUE(expanded.ok) << expanded.error;
        EXPECT_TRUE(expanded.data == entries[i].content);
        EXPECT_GT(expanded.pieces.size(), entries[i].content.size() / 65536);
        EXPECT_LE(*std::max_element(expanded.pieces.begin(), expanded.pieces.end()), 65536u);
    }
}

// --- damaged archives ---

// Two archives the damage cases start from: the three base entries, and the
// same with Zip64 records and a Zip64 extra field on the second entry.
struct DamageBases {
    DamageBases() {
        std::vector<HandEntry> zip64Entries = BaseEntries();
        zip64Entries[1].zip64Uncompressed = zip64Entries[1].zip64Compressed = true;
        zip64 = BuildZip(zip64Entries, true);
    }
    HandZip plain = BuildZip(BaseEntries());
    HandZip zip64;
};

using Damage = std::function<void(std::vector<uint8_t>&, const HandZip&)>;

std::string At(size_t offset) {
    return "at offset " + std::to_string(offset);
}

TEST_F(ZipReaderTest, DamagedDirectoriesGiveClearErrors) {
    const DamageBases bases;
    const HandZip& p = bases.plain;
    const HandZip& zip64 = bases.zip64;
    struct Case {
        const char* what;
        const HandZip* base;
        Damage damage;
        std::string error; // the start of ReadDirectory's error
    };
    const auto at = At;
    const Case cases[] = {
        {"cut inside the end record", &p, [](auto& b, auto&) { b.erase(b.end() - 10, b.end()); },
         "the end record " + at(p.endOffset) +
             " or its comment runs past the end of the file: the archive is cut short"},
        {"cut before the end record", &p,
         [](auto& b, auto& z) { b.erase(b.begin() + z.endOffset + 3, b.end()); },
         "no end record: not a ZIP archive, or cut short"},
        {"too short for an end record", &p,
         [](auto& b, auto&) { b.erase(b.begin() + 21, b.end()); },
         "no end record: the file is too short for a ZIP archive (21 bytes)"},
        {"directory offset outside", &p,
         [](auto& b, auto& z) { Set32(b, z.endOffset + 16, 0x7FFFFFF0); },
         "the central directory (" + std::to_string(p.directorySize) +
             " bytes at offset 2147483632) lies outside the archive, which ends its entries " +
             at(p.endOffset)},
        {"directory size past the end record", &p,
         [](auto& b, auto& z) { Set32(b, z.endOffset + 12, z.directorySize + 1); },
         "the central directory (" + std::to_string(p.directorySize + 1) + " bytes"},
        {"more entries than the directory holds", &p,
         [](auto& b, auto& z) { Set16(b, z.endOffset + 10, 200); },
         "the central directory of " + std::to_string(p.directorySize) +
             " bytes is too small for the 200 entries the end record counts"},
        {"split over disks", &p, [](auto& b, auto& z) { Set16(b, z.endOffset + 6, 1); },
         "the archive is split over several disks, which is not supported"},
        {"central name length past the directory", &p,
         [](auto& b, auto& z) { Set16(b, z.centralOffsets[0] + 28, 0xFFFF); },
         "the name, extra field and comment of the central record " + at(p.centralOffsets[0]) +
             " (65535 + 0 + 0 bytes) run past the end of the central directory"},
        {"central comment length past the directory", &p,
         [](auto& b, auto& z) { Set16(b, z.centralOffsets[2] + 32, 1); },
         "the name, extra field and comment of the central record " + at(p.centralOffsets[2]) +
             " (10 + 0 + 1 bytes)"},
        {"second central signature", &p, [](auto& b, auto& z) { b[z.centralOffsets[1]] = 'X'; },
         "no central record " + at(p.centralOffsets[1]) + " (found bytes 58 4b 01 02)"},
        {"escaped size without a Zip64 extra field", &p,
         [](auto& b, auto& z) { Set32(b, z.centralOffsets[0] + 24, 0xFFFFFFFF); },
         "the central record " + at(p.centralOffsets[0]) +
             " is damaged: a size or offset is 0xffffffff but there is no Zip64 extra field"},
        {"Zip64 locator points outside", &zip64,
         [](auto& b, auto& z) { Set64(b, z.locatorOffset + 8, 0x7FFFFFFFFFFF); },
         "the Zip64 end locator " + at(zip64.locatorOffset) +
             " points outside the archive (to offset 140737488355327)"},
        {"Zip64 locator points at a local header", &zip64,
         [](auto& b, auto& z) { Set64(b, z.locatorOffset + 8, 0); },
         "no Zip64 end record at offset 0 where the locator " + at(zip64.locatorOffset) +
             " points (found bytes 50 4b 03 04)"},
        {"Zip64 locator names two disks", &zip64,
         [](auto& b, auto& z) { Set32(b, z.locatorOffset + 16, 2); },
         "the archive is split over several disks, which is not supported"},
        {"Zip64 end record of a wrong length", &zip64,
         [](auto& b, auto& z) { Set64(b, z.zip64EndOffset + 4, 1000); },
         "the Zip64 end record " + at(zip64.zip64EndOffset) + " gives a wrong length (1000)"},
        {"Zip64 directory offset outside", &zip64,
         [](auto& b, auto& z) { Set64(b, z.zip64EndOffset + 48, 1ull << 40); },
         "the central directory (" + std::to_string(zip64.directorySize) +
             " bytes at offset 1099511627776) lies outside the archive"},
        {"Zip64 entry count beyond reason", &zip64,
         [](auto& b, auto& z) { Set64(b, z.zip64EndOffset + 32, 1ull << 60); },
         "the central directory of " + std::to_string(zip64.directorySize) +
             " bytes is too small for the 1152921504606846976 entries"},
        // Counts that fall short would hide entries from a test (unzip -t refuses them).
        {"fewer entries counted than the directory holds", &p,
         [](auto& b, auto& z) {
             Set16(b, z.endOffset + 8, 2);
             Set16(b, z.endOffset + 10, 2);
         },
         "the end record counts 2 entries, but the central directory holds more"},
        {"no entries counted", &p,
         [](auto& b, auto& z) {
             Set16(b, z.endOffset + 8, 0);
             Set16(b, z.endOffset + 10, 0);
         },
         "the end record counts 0 entries, but the central directory holds more"},
        {"entries on the disk and in all disagree", &p,
         [](auto& b, auto& z) { Set16(b, z.endOffset + 8, 2); },
         "the end record counts 2 entries on this disk but 3 in all"},
        {"directory smaller than the records", &p,
         [](auto& b, auto& z) { Set32(b, z.endOffset + 12, z.directorySize - 1); },
         "the central directory (" + std::to_string(p.directorySize - 1) + " bytes " +
             at(p.directoryOffset) + ") does not end where the end record begins"},
        {"Zip64 extra field too short", &zip64,
         [](auto& b, auto& z) { Set16(b, z.zip64ExtraOffsets[1] + 2, 8); },
         "the central record " + at(zip64.centralOffsets[1]) +
             " is damaged: its Zip64 extra field is too short (8 bytes)"},

    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> bytes = c.base->bytes;
        c.damage(bytes, *c.base);
        const Opened opened = OpenBytes(bytes);
        EXPECT_FALSE(opened.whole);
        EXPECT_EQ(opened.damage.substr(0, c.error.size()), c.error);
    }
}

TEST_F(ZipReaderTest, DamagedEntriesGiveClearErrors) {
    const std::string password = "secret";
    const DamageBases bases;
    const HandZip& p = bases.plain;
    const size_t deflatedSize = 440; // "deflate me " 40 times
    struct Case {
        const char* what;
        const HandZip* base;
        Damage damage;
        size_t entry;      // the entry whose Extract fails
        std::string error; // the start of its error
    };
    const auto at = At;
    const Case cases[] = {
        {"local header offset past the entries", &p,
         [](auto& b, auto& z) { Set32(b, z.centralOffsets[0] + 42, z.directoryOffset); }, 0,
         "no local header " + at(p.directoryOffset) + ": that lies past the entries"},
        {"local header signature", &p, [](auto& b, auto& z) { b[z.localOffsets[1]] = 'X'; }, 1,
         "no local header " + at(p.localOffsets[1]) + " (found bytes 58 4b 03 04)"},
        {"compressed size into the directory", &p,
         [](auto& b, auto& z) { Set32(b, z.centralOffsets[2] + 20, 0x7FFFFFFF); }, 2,
         "the data (2147483647 bytes from offset " + std::to_string(p.dataOffsets[2]) +
             ") runs into the central directory " + at(p.directoryOffset)},
        {"local name length into the directory", &p,
         [](auto& b, auto& z) { Set16(b, z.localOffsets[2] + 26, 0xFFFF); }, 2,
         "the name and extra field of the local header " + at(p.localOffsets[2]) +
             " run into the central directory " + at(p.directoryOffset)},
        {"local name other than the central one", &p,
         [](auto& b, auto& z) {
             std::copy_n("../evil\x1b[x", 10, b.begin() + z.localOffsets[0] + 30);
         },
         0,
         "the local header " + at(p.localOffsets[0]) +
             " names it '../evil?[x', the central directory 'stored.txt': a damaged or crafted "
             "archive"},
        {"flipped stored byte", &p, [](auto& b, auto& z) { b[z.dataOffsets[0] + 3] ^= 0x20; }, 0,
         "CRC-32 mismatch: computed "},
        {"flipped enciphered byte", &p, [](auto& b, auto& z) { b[z.dataOffsets[2] + 14] ^= 0x01; },
         2, "CRC-32 mismatch: computed "},
        {"deflate data replaced by an invalid block type", &p,
         [](auto& b, auto& z) { b[z.dataOffsets[1]] = 0x07; }, 1, "invalid deflate data: "},
        {"uncompressed size one more", &p,
         [](auto& b, auto& z) { Set32(b, z.centralOffsets[1] + 24, deflatedSize + 1); }, 1,
         "size mismatch: expanded to 440 bytes, header says 441"},
        {"uncompressed size one less", &p,
         [](auto& b, auto& z) { Set32(b, z.centralOffsets[1] + 24, deflatedSize - 1); }, 1,
         "size mismatch: expands to more than the 439 bytes the header says"},
        {"compressed size one more", &p,
         [](auto& b, auto& z) { Set32(b, z.centralOffsets[1] + 20, z.dataSizes[1] + 1); }, 1,
         "deflate stream ends 1 bytes before the end of the entry data"},
        {"compressed size one less", &p,
         [](auto& b, auto& z) { Set32(b, z.centralOffsets[1] + 20, z.dataSizes[1] - 1); }, 1,
         "deflate stream is cut short: the entry data ends before the stream does"},
        {"stored sizes disagree", &p,
         [](auto& b, auto& z) { Set32(b, z.centralOffsets[0] + 24, 21); }, 0,
         "size mismatch: 20 stored bytes, header says 21"},
        {"unsupported method", &p, [](auto& b, auto& z) { Set16(b, z.centralOffsets[0] + 10, 12); },
         0, "unsupported method 12"},
        {"strong encryption", &p,
         [](auto& b, auto& z) { Set16(b, z.centralOffsets[2] + 8, 0x0041); }, 2,
         "strong encryption is not supported"},
        {"encryption header cut short", &p,
         [](auto& b, auto& z) { Set32(b, z.centralOffsets[2] + 20, 5); }, 2,
         "the encryption header is cut short (5 of 12 bytes)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> bytes = c.base->bytes;
        c.damage(bytes, *c.base);
        Opened opened = OpenBytes(bytes);
        ASSERT_TRUE(opened.whole) << opened.damage;
        ASSERT_LT(c.entry, opened.entries.size());
        const Expanded expanded = Expand(*opened.reader, opened.entries[c.entry], &password);
        EXPECT_FALSE(expanded.ok);
        EXPECT_EQ(expanded.error.substr(0, c.error.size()), c.error);
    }
}

// An Info-ZIP Unicode path field (0x7075, version 1) for `stored`.
std::vector<uint8_t> UnicodePathField(const std::string& stored, const std::string& utf8) {
    std::vector<uint8_t> field;
    Put16(field, 0x7075);
    Put16(field, 5 + utf8.size());
    field.push_back(1);
    Put32(field, ZlibCrc32(Bytes(stored)));
    Append(field, utf8);
    return field;
}

TEST_F(ZipReaderTest, LocalAndCentralNamesMayDifferOnlyInTheirUnicodePathEncoding) {
    const std::string utf8 = "Gr\xC3\xBC\xC3\x9F"
                             "e.txt";
    const std::string oem = "Gr\x81\xE1"
                            "e.txt"; // the same in OEM 850
    struct Case {
        const char* what;
        std::string central, local;
        // The UTF-8 name of each side's Unicode path field; none when empty.
        std::string centralField, localField;
        bool accepted;
    };
    const Case cases[] = {
        {"central OEM with the field, local UTF-8", oem, utf8, utf8, "", true},
        {"central UTF-8, local OEM with the field", utf8, oem, "", utf8, true},
        {"both OEM with the field", oem, oem, utf8, utf8, true},
        {"encodings differ without a field", utf8, oem, "", "", false},
        {"a field, and another local name", oem, "../evil.txt", utf8, "", false},
        {"a field on both, other names", oem, "x" + oem, utf8, "x" + utf8, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HandEntry entry;
        entry.name = c.central;
        entry.localName = c.local;
        entry.content = Bytes("same data");
        if (!c.centralField.empty())
            entry.centralExtra = UnicodePathField(c.central, c.centralField);
        if (!c.localField.empty())
            entry.localExtra = UnicodePathField(c.local, c.localField);
        Opened opened = OpenBytes(BuildZip({entry}).bytes);
        ASSERT_EQ(opened.entries.size(), 1u);
        const Expanded expanded = Expand(*opened.reader, opened.entries[0], nullptr);
        EXPECT_EQ(expanded.ok, c.accepted) << expanded.error;
        if (!c.accepted) {
            EXPECT_NE(expanded.error.find("a damaged or crafted archive"), std::string::npos)
                << expanded.error;
        }
    }
}

TEST_F(ZipReaderTest, EntriesBeforeADamagedCentralRecordAreKept) {
    HandZip zip = BuildZip(BaseEntries());
    zip.bytes[zip.centralOffsets[2] + 1] = 'X';
    const Opened opened = OpenBytes(zip.bytes);
    EXPECT_FALSE(opened.whole);
    ASSERT_EQ(opened.entries.size(), 2u);
    EXPECT_EQ(opened.entries[0].name, "stored.txt");
    EXPECT_EQ(opened.entries[1].name, "deflated.txt");
}

// Every single-byte change and every truncation:
// the reader must neither crash nor read outside its buffers (the sanitizer
// build watches), and whatever it reports as passed must be the original data.
TEST_F(ZipReaderTest, NoByteChangeOrTruncationEscapesTheChecks) {
    const std::string password = "secret";
    std::vector<HandEntry> zip64Entries = BaseEntries();
    zip64Entries[0].zip64Offset = true;
    zip64Entries[1].zip64Uncompressed = zip64Entries[1].zip64Compressed = true;
    const std::vector<HandEntry> entries = BaseEntries();
    for (const HandZip& zip : {BuildZip(entries), BuildZip(zip64Entries, true)}) {
        auto check = [&](const std::vector<uint8_t>& bytes, const std::string& what) {
            SCOPED_TRACE(what);
            Opened opened = OpenBytes(bytes);
            if (!opened.whole) {
                EXPECT_FALSE(opened.damage.empty());
            }
            for (size_t i = 0; i < opened.entries.size(); ++i) {
                const Expanded expanded = Expand(*opened.reader, opened.entries[i], &password);
                if (!expanded.ok) {
                    EXPECT_FALSE(expanded.error.empty());
                    continue;
                }
                ASSERT_LT(i, entries.size());
                EXPECT_EQ(expanded.data, entries[i].content);
            }
        };
        for (size_t at = 0; at < zip.bytes.size(); ++at) {
            for (const uint8_t value :
                 {uint8_t{0x00}, uint8_t{0xFF}, static_cast<uint8_t>(zip.bytes[at] ^ 0x01)}) {
                std::vector<uint8_t> bytes = zip.bytes;
                bytes[at] = value;
                check(bytes, "byte " + std::to_string(at) + " := " + std::to_string(value));
            }
        }
        for (size_t length = 0; length < zip.bytes.size(); ++length) {
            const std::vector<uint8_t> bytes(zip.bytes.begin(), zip.bytes.begin() + length);
            Opened opened = OpenBytes(bytes);
            EXPECT_FALSE(opened.whole) << "cut to " << length;
        }
    }
}

// --- archives from other programs ---

class ZipReaderPeerTest : public ZipReaderTest {
protected:
    void SetUp() override {
        scratch_.WriteFile("in/notes.txt", std::string(20000, 'n') + "end\n");
        scratch_.WriteFile("in/empty.dat", "");
        scratch_.WriteFile("in/raw.bin", test::RandomBytes(3000, 1));
        scratch_.WriteFile("in/folder/inner.txt", "inside\n");
        scratch_.MakeFolder("in/hollow");
    }

    // Checks that every listed entry has the expected name, method and content.
    struct Expect {
        std::string name;
        uint16_t method;
        std::string file; // under "in", "" for a folder entry
    };
    void CheckArchive(const std::string& archive, const std::vector<Expect>& expected,
                      const std::string* password = nullptr) {
        Opened opened = Open(scratch_ / archive);
        ASSERT_TRUE(opened.whole) << opened.damage;
        ASSERT_EQ(opened.entries.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            const ZipEntry& entry = opened.entries[i];
            SCOPED_TRACE(archive + ": " + expected[i].name);
            EXPECT_EQ(entry.name, expected[i].name);
            EXPECT_EQ(entry.method, expected[i].method);
            const std::vector<uint8_t> content =
                expected[i].file.empty() ? std::vector<uint8_t>{} : InputFile(expected[i].file);
            EXPECT_EQ(entry.uncompressedSize, content.size());
            const Expanded expanded = Expand(*opened.reader, entry, password);
            EXPECT_TRUE(expanded.ok) << expanded.error;
            EXPECT_TRUE(expanded.data == content);
        }
    }
};

TEST_F(ZipReaderPeerTest, ReadsWhatInfoZipWrites) {
    MakeWithPeer("zip -q -X ../deflated.zip notes.txt empty.dat raw.bin && "
                 "zip -q -X -0 ../stored.zip notes.txt raw.bin && "
                 "zip -q -X -r ../tree.zip folder hollow");
    CheckArchive(
        "deflated.zip",
        {{"notes.txt", 8, "notes.txt"}, {"empty.dat", 0, "empty.dat"}, {"raw.bin", 0, "raw.bin"}});
    CheckArchive("stored.zip", {{"notes.txt", 0, "notes.txt"}, {"raw.bin", 0, "raw.bin"}});
    CheckArchive(
        "tree.zip",
        {{"folder/", 0, ""}, {"folder/inner.txt", 0, "folder/inner.txt"}, {"hollow/", 0, ""}});
}

TEST_F(ZipReaderPeerTest, DeciphersInfoZipAnd7Zip) {
    // Info-ZIP sets bit 3 and checks with the time; 7-Zip checks with the CRC.
    MakeWithPeer("zip -q -X -P pass ../izip.zip notes.txt empty.dat raw.bin && "
                 "7z a -tzip -mx=0 -ppass -mem=ZipCrypto ../seven.zip notes.txt raw.bin "
                 ">/dev/null");
    const std::string password = "pass";
    CheckArchive(
        "izip.zip",
        {{"notes.txt", 8, "notes.txt"}, {"empty.dat", 0, "empty.dat"}, {"raw.bin", 0, "raw.bin"}},
        &password);
    CheckArchive("seven.zip", {{"notes.txt", 0, "notes.txt"}, {"raw.bin", 0, "raw.bin"}},
                 &password);

    for (const char* archive : {"izip.zip", "seven.zip"}) {
        SCOPED_TRACE(archive);
        Opened opened = Open(scratch_ / archive);
        ASSERT_TRUE(opened.whole) << opened.damage;
        const ZipEntry& notes = opened.entries.at(0);
        EXPECT_TRUE(notes.Encrypted());
        EXPECT_EQ(Expand(*opened.reader, notes, nullptr).error, "encrypted: give --password-file");
        // The header's random bytes make the one-byte check pass for one wrong
        // password in 256; the CRC then fails instead.
        const std::string wrong = "past";
        const Expanded expanded = Expand(*opened.reader, notes, &wrong);
        EXPECT_FALSE(expanded.ok);
        EXPECT_TRUE(expanded.error == "wrong password" ||
                    expanded.error.rfind("CRC-32 mismatch", 0) == 0 ||
                    expanded.error.rfind("invalid deflate data", 0) == 0 ||
                    expanded.error.rfind("size mismatch", 0) == 0)
            << expanded.error;
    }
}

TEST_F(ZipReaderPeerTest, ReadsUtf8NamesAndZip64FromPython) {
    scratch_.WriteFile("in/make.py",
                       "import zipfile\n"
                       "with zipfile.ZipFile('../names.zip', 'w') as z:\n"
                       "    z.writestr('\\u6570\\u636e.txt', b'data', zipfile.ZIP_STORED)\n"
                       "    z.writestr('caf\\u00e9.txt', b'cafe' * 100, zipfile.ZIP_DEFLATED)\n"
                       "with zipfile.ZipFile('../forced.zip', 'w') as z:\n"
                       "    with z.open('z64.txt', 'w', force_zip64=True) as f:\n"
                       "        f.write(b'x' * 5000)\n"
                       "# With the limit lowered, small entries get the Zip64 extra field in\n"
                       "# the central directory and the archive a Zip64 end record.\n"
                       "zipfile.ZIP64_LIMIT = 16\n"
                       "with zipfile.ZipFile('../zip64.zip', 'w') as z:\n"
                       "    z.writestr('a.txt', b'a' * 40)\n"
                       "    z.writestr('b.txt', b'hello' * 9, zipfile.ZIP_DEFLATED)\n");
    MakeWithPeer("python3 make.py");

    Opened names = Open(scratch_ / "names.zip");
    ASSERT_TRUE(names.whole) << names.damage;
    ASSERT_EQ(names.entries.size(), 2u);
    EXPECT_EQ(names.entries[0].name, "\xE6\x95\xB0\xE6\x8D\xAE.txt");
    EXPECT_EQ(names.entries[0].flags & kZipFlagUtf8Name, kZipFlagUtf8Name);
    EXPECT_EQ(names.entries[0].method, 0);
    EXPECT_EQ(names.entries[1].name, "caf\xC3\xA9.txt");
    EXPECT_EQ(names.entries[1].method, 8);
    EXPECT_EQ(Expand(*names.reader, names.entries[0], nullptr).data, Bytes("data"));
    const Expanded cafe = Expand(*names.reader, names.entries[1], nullptr);
    EXPECT_TRUE(cafe.ok) << cafe.error;
    EXPECT_EQ(cafe.data.size(), 400u);

    Opened forced = Open(scratch_ / "forced.zip");
    ASSERT_TRUE(forced.whole) << forced.damage;
    ASSERT_EQ(forced.entries.size(), 1u);
    EXPECT_EQ(forced.entries[0].uncompressedSize, 5000u);
    const Expanded x = Expand(*forced.reader, forced.entries[0], nullptr);
    EXPECT_TRUE(x.ok) << x.error;
    EXPECT_EQ(x.data, std::vector<uint8_t>(5000, 'x'));

    Opened zip64 = Open(scratch_ / "zip64.zip");
    ASSERT_TRUE(zip64.whole) << zip64.damage;
    ASSERT_EQ(zip64.entries.size(), 2u);
    EXPECT_EQ(zip64.entries[0].uncompressedSize, 40u);
    EXPECT_EQ(zip64.entries[1].uncompressedSize, 45u);
    EXPECT_GT(zip64.entries[1].localHeaderOffset, 16u); // from the Zip64 extra field
    EXPECT_EQ(Expand(*zip64.reader, zip64.entries[0], nullptr).data, std::vector<uint8_t>(40, 'a'));
    const Expanded hello = Expand(*zip64.reader, zip64.entries[1], nullptr);
    EXPECT_TRUE(hello.ok) << hello.error;
    EXPECT_EQ(hello.data.size(), 45u);
}

TEST_F(ZipReaderPeerTest, ReadsInfoZipStreamedZip64) {
    // From a pipe Info-ZIP cannot know the size, so it writes Zip64 records.
    MakeWithPeer("zip -q ../streamed.zip - < notes.txt");
    const auto bytes = ReadFileBytes(scratch_ / "streamed.zip");
    const std::vector<uint8_t> locator = {0x50, 0x4B, 0x06, 0x07};
    ASSERT_NE(std::search(bytes.begin(), bytes.end(), locator.begin(), locator.end()), bytes.end());
    CheckArchive("streamed.zip", {{"-", 8, "notes.txt"}});
}

TEST(LooksLikeZip, TellsZipByItsFirstBytes) {
    TempFolder scratch;
    struct Case {
        std::string content;
        bool zip;
    };
    const Case cases[] = {
        {std::string("PK\x03\x04", 4) + "rest", true},
        {std::string("PK\x05\x06", 4) + std::string(18, '\0'), true},
        {std::string("PK\x01\x02", 4), false},
        {"BH\x05\x07", false},
        {"PK\x03", false},
        {"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content);
        EXPECT_EQ(LooksLikeZip(scratch.WriteFile("probe", c.content)), c.zip);
    }
    EXPECT_FALSE(LooksLikeZip(scratch / "missing"));
    EXPECT_FALSE(LooksLikeZip(scratch.MakeFolder("folder")));
}

} // namespace
} // namespace tolvane::archive
