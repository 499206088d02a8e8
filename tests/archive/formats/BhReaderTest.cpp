// Tests of the BH reader on archives assembled byte by byte.
#include "archive/formats/BhReader.h"

#include "support/BhArchiveBuilder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

namespace tolvane::archive {
namespace {

using test::AppendBhEntry;
using test::Bytes;
using test::DeflatedBhEntry;
using test::RawBhEntry;
using test::StoredBhEntry;

const platform::CodePage kOem850(850, "UTF-8");

// Everything a reader yields for one archive.
struct ReadResult {
    std::vector<BhEntry> entries;
    bool broken = false;
    uint64_t breakOffset = 0;
    std::string breakReason;
};

class BhReaderTest : public ::testing::Test {
protected:
    std::string Write(const std::vector<uint8_t>& bytes) {
        return folder_.WriteFile("a" + std::to_string(++files_) + ".bh", bytes);
    }

    ReadResult ReadAll(const std::vector<uint8_t>& bytes) {
        BhReader reader(Write(bytes), kOem850);
        EXPECT_TRUE(reader.IsOpen());
        ReadResult result;
        while (auto entry = reader.Next())
            result.entries.push_back(*entry);
        // Once finished, the reader stays finished.
        EXPECT_FALSE(reader.Next().has_value());
        result.broken = reader.ChainBroken();
        result.breakOffset = reader.BreakOffset();
        result.breakReason = reader.BreakReason();
        return result;
    }

    // Extracts the single entry of an archive made of `raw`.
    bool ExtractOnly(const RawBhEntry& raw, std::vector<uint8_t>& content, std::string& error) {
        std::vector<uint8_t> bytes;
        AppendBhEntry(bytes, raw);
        BhReader reader(Write(bytes), kOem850);
        auto entry = reader.Next();
        EXPECT_TRUE(entry.has_value());
        if (!entry)
            return false;
        content.clear();
        return reader.Extract(
            *entry, [&](const uint8_t* p, size_t n) { content.insert(content.end(), p, p + n); },
            error);
    }

    test::TempFolder folder_;
    int files_ = 0;
};

// --- the chain of headers ---

TEST_F(BhReaderTest, ReadsEveryHeaderField) {
    RawBhEntry first = StoredBhEntry("a.txt", Bytes("hello"));
    first.dosDateTime = 0x586573C4;
    first.attributes = 0x0021;
    RawBhEntry second = DeflatedBhEntry("sub/b.txt", Bytes("hi there, hi there, hi there"));
    second.flags = 0x04;
    second.dosDateTime = 0x12345678;
    second.attributes = 0x0010;

    std::vector<uint8_t> bytes;
    AppendBhEntry(bytes, first);
    const size_t secondOffset = AppendBhEntry(bytes, second);
    ASSERT_EQ(secondOffset, 37u + 5 + 5);

    const ReadResult result = ReadAll(bytes);
    ASSERT_FALSE(result.broken) << result.breakReason;
    ASSERT_EQ(result.entries.size(), 2u);

    const BhEntry& a = result.entries[0];
    EXPECT_EQ(a.headerOffset, 0u);
    EXPECT_EQ(a.headerLength, 37 + 5);
    EXPECT_EQ(a.flags, 0);
    EXPECT_EQ(a.method, 0);
    EXPECT_EQ(a.dosDateTime, 0x586573C4u);
    EXPECT_EQ(a.compressedLength, 5u);
    EXPECT_EQ(a.uncompressedLength, 5u);
    EXPECT_EQ(a.crc32, 0x3610a686u);
    EXPECT_EQ(a.attributes, 0x0021);
    EXPECT_EQ(a.extraLength, 0);
    EXPECT_EQ(a.storedName, "a.txt");
    EXPECT_EQ(a.name, "a.txt");
    EXPECT_EQ(a.dataOffset, 42u);
    EXPECT_FALSE(a.Encrypted());

    const BhEntry& b = result.entries[1];
    EXPECT_EQ(b.headerOffset, secondOffset);
    EXPECT_EQ(b.headerLength, 37 + 9);
    EXPECT_EQ(b.flags, 0x04);
    EXPECT_EQ(b.method, 8);
    EXPECT_EQ(b.dosDateTime, 0x12345678u);
    EXPECT_EQ(b.compressedLength, second.data.size());
    EXPECT_EQ(b.uncompressedLength, 28u);
    EXPECT_EQ(b.crc32, second.crc32);
    EXPECT_EQ(b.attributes, 0x0010);
    EXPECT_EQ(b.name, "sub/b.txt");
    EXPECT_EQ(b.dataOffset, secondOffset + 37 + 9);
}

TEST_F(BhReaderTest, AnEmptyFileIsNoArchive) {
    const ReadResult result = ReadAll({});
    EXPECT_TRUE(result.entries.empty());
    EXPECT_TRUE(result.broken);
    EXPECT_EQ(result.breakReason, "the file is empty: not an archive");
}

TEST_F(BhReaderTest, EmptyEntryIsFollowedDirectlyByTheNextHeader) {
    std::vector<uint8_t> bytes;
    AppendBhEntry(bytes, StoredBhEntry("e.dat", {}));
    AppendBhEntry(bytes, StoredBhEntry("f.dat", Bytes("abc")));
    const ReadResult result = ReadAll(bytes);
    ASSERT_FALSE(result.broken) << result.breakReason;
    ASSERT_EQ(result.entries.size(), 2u);
    EXPECT_EQ(result.entries[1].headerOffset, 42u);
    EXPECT_EQ(result.entries[1].name, "f.dat");
}

TEST_F(BhReaderTest, ExtraBytesSitBetweenNameAndData) {
    RawBhEntry first = StoredBhEntry("x", Bytes("abc"));
    first.extra = {0xEE, 0xEE, 0xEE, 0xEE};
    std::vector<uint8_t> bytes;
    AppendBhEntry(bytes, first);
    const size_t secondOffset = AppendBhEntry(bytes, StoredBhEntry("y", Bytes("hello")));

    BhReader reader(Write(bytes), kOem850);
    auto entry = reader.Next();
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->extraLength, 4);
    EXPECT_EQ(entry->headerLength, 37 + 1 + 4);
    EXPECT_EQ(entry->dataOffset, 37u + 1 + 4);
    std::string data;
    std::string error;
    EXPECT_TRUE(reader.Extract(
        *entry, [&](const uint8_t* p, size_t n) { data.append(p, p + n); }, error))
        << error;
    EXPECT_EQ(data, "abc");
    auto next = reader.Next();
    ASSERT_TRUE(next.has_value()) << reader.BreakReason();
    EXPECT_EQ(next->headerOffset, secondOffset);
    EXPECT_FALSE(reader.Next().has_value());
    EXPECT_FALSE(reader.ChainBroken());
}

TEST_F(BhReaderTest, OemNamesAreDecoded) {
    std::vector<uint8_t> bytes;
    // 0x82 is "é" and 0x81 is "ü" in code page 850.
    AppendBhEntry(bytes, StoredBhEntry("caf\x82.txt", Bytes("abc")));
    AppendBhEntry(bytes, StoredBhEntry("dir/\x81"
                                       "ber/",
                                       {}));
    const ReadResult result = ReadAll(bytes);
    ASSERT_EQ(result.entries.size(), 2u);
    EXPECT_EQ(result.entries[0].storedName, "caf\x82.txt");
    EXPECT_EQ(result.entries[0].name, "caf\xC3\xA9.txt");
    EXPECT_EQ(result.entries[1].storedName, "dir/\x81"
                                            "ber/");
    EXPECT_EQ(result.entries[1].name, "dir/\xC3\xBC"
                                      "ber/");
}

// --- where the chain breaks ---

// Two good entries, then cuts at various places of the second one.
TEST_F(BhReaderTest, TruncatedArchiveBreaksAtTheCutEntry) {
    std::vector<uint8_t> whole;
    AppendBhEntry(whole, StoredBhEntry("first", Bytes("hello")));
    const size_t second = AppendBhEntry(whole, StoredBhEntry("second.txt", Bytes("0123456789")));
    const std::string at = "at offset " + std::to_string(second);

    struct Case {
        size_t cut;
        std::string reason;
    };
    const Case cases[] = {
        {second + 2, "entry header " + at + " is cut short (2 of 37 bytes)"},
        {second + 10, "entry header " + at + " is cut short (10 of 37 bytes)"},
        {second + 36, "entry header " + at + " is cut short (36 of 37 bytes)"},
        {second + 37, "name of the entry " + at + " is cut short (0 of 10 bytes)"},
        {second + 40, "name of the entry " + at + " is cut short (3 of 10 bytes)"},
        {second + 47, "data of the entry " + at + " is cut short (0 of 10 bytes)"},
        {second + 56, "data of the entry " + at + " is cut short (9 of 10 bytes)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("cut at " + std::to_string(c.cut));
        const ReadResult result = ReadAll({whole.begin(), whole.begin() + c.cut});
        ASSERT_EQ(result.entries.size(), 1u);
        EXPECT_EQ(result.entries[0].name, "first");
        EXPECT_TRUE(result.broken);
        EXPECT_EQ(result.breakOffset, second);
        EXPECT_EQ(result.breakReason, c.reason);
    }
}

TEST_F(BhReaderTest, CutInTheFirstHeaderBreaksAtZero) {
    std::vector<uint8_t> whole;
    AppendBhEntry(whole, StoredBhEntry("first", Bytes("hello")));
    const ReadResult result = ReadAll({whole.begin(), whole.begin() + 20});
    EXPECT_TRUE(result.entries.empty());
    EXPECT_TRUE(result.broken);
    EXPECT_EQ(result.breakOffset, 0u);
    EXPECT_EQ(result.breakReason, "entry header at offset 0 is cut short (20 of 37 bytes)");
}

TEST_F(BhReaderTest, GarbageAfterTheLastEntryBreaksTheChain) {
    std::vector<uint8_t> bytes;
    AppendBhEntry(bytes, StoredBhEntry("a", Bytes("abc")));
    const size_t end = bytes.size();
    const std::string garbage = "ABCDEFGHIJ";
    bytes.insert(bytes.end(), garbage.begin(), garbage.end());
    const ReadResult result = ReadAll(bytes);
    ASSERT_EQ(result.entries.size(), 1u);
    EXPECT_TRUE(result.broken);
    EXPECT_EQ(result.breakOffset, end);
    EXPECT_EQ(result.breakReason,
              "no entry header at offset " + std::to_string(end) + " (found bytes 41 42 43 44)");
}

TEST_F(BhReaderTest, AFewStrayBytesAfterTheLastEntryBreakTheChain) {
    std::vector<uint8_t> bytes;
    AppendBhEntry(bytes, StoredBhEntry("a", Bytes("abc")));
    bytes.push_back(0);
    const ReadResult result = ReadAll(bytes);
    ASSERT_EQ(result.entries.size(), 1u);
    EXPECT_TRUE(result.broken);
    EXPECT_EQ(result.breakOffset, 41u);
    EXPECT_EQ(result.breakReason, "entry header at offset 41 is cut short (1 of 37 bytes)");
}

TEST_F(BhReaderTest, BadSignatureOrEmptyNameBreaksTheChain) {
    RawBhEntry badSignature = StoredBhEntry("a", Bytes("abc"));
    badSignature.signature = 0x07054843;
    RawBhEntry noName = StoredBhEntry("", Bytes("abc"));

    std::vector<uint8_t> bytes;
    AppendBhEntry(bytes, badSignature);
    ReadResult result = ReadAll(bytes);
    EXPECT_TRUE(result.entries.empty());
    EXPECT_EQ(result.breakReason, "no entry header at offset 0 (found bytes 43 48 05 07)");

    bytes.clear();
    AppendBhEntry(bytes, StoredBhEntry("ok", {}));
    AppendBhEntry(bytes, noName);
    result = ReadAll(bytes);
    EXPECT_EQ(result.entries.size(), 1u);
    EXPECT_TRUE(result.broken);
    EXPECT_EQ(result.breakOffset, 39u);
    EXPECT_EQ(result.breakReason, "entry header at offset 39 has an empty name");
}

TEST_F(BhReaderTest, DataRunningPastTheEndBreaksTheChain) {
    RawBhEntry huge = StoredBhEntry("big", Bytes("abc"));
    huge.compressedLength = 0xFFFFFFFF;
    std::vector<uint8_t> bytes;
    AppendBhEntry(bytes, huge);
    const ReadResult result = ReadAll(bytes);
    EXPECT_TRUE(result.entries.empty());
    EXPECT_TRUE(result.broken);
    EXPECT_EQ(result.breakReason,
              "data of the entry at offset 0 is cut short (3 of 4294967295 bytes)");
}

TEST_F(BhReaderTest, ExtraBytesRunningPastTheEndBreakTheChain) {
    RawBhEntry entry = StoredBhEntry("x", {});
    entry.extra = {1, 2, 3};
    std::vector<uint8_t> bytes;
    AppendBhEntry(bytes, entry);
    bytes.pop_back();
    const ReadResult result = ReadAll(bytes);
    EXPECT_TRUE(result.broken);
    EXPECT_EQ(result.breakReason,
              "extra bytes of the entry at offset 0 are cut short (2 of 3 bytes)");
}

TEST_F(BhReaderTest, MissingArchiveOrFolderDoesNotOpen) {
    BhReader missing(folder_ / "nothing.bh", kOem850);
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_EQ(missing.OpenError(), ENOENT);
    EXPECT_FALSE(missing.Next().has_value());

    BhReader folder(folder_.MakeFolder("dir.bh"), kOem850);
    EXPECT_FALSE(folder.IsOpen());
    EXPECT_EQ(folder.OpenError(), EISDIR);
}

// --- expanding entries ---

TEST_F(BhReaderTest, StoredAndDeflatedEntriesExpand) {
    std::vector<uint8_t> text;
    for (int i = 0; i < 20000; ++i) {
        const std::string line = "line " + std::to_string(i) + " of a text that repeats\n";
        text.insert(text.end(), line.begin(), line.end());
    }
    // Larger than one 64 KiB piece on both sides: random bytes barely compress.
    const std::vector<uint8_t> random = test::RandomBytes(200000, 7);

    struct Case {
        std::string label;
        RawBhEntry raw;
        std::vector<uint8_t> content;
    };
    const Case cases[] = {
        {"stored empty", StoredBhEntry("e", {}), {}},
        {"stored small", StoredBhEntry("s", Bytes("hello")), Bytes("hello")},
        {"stored large", StoredBhEntry("r", random), random},
        {"deflated empty", DeflatedBhEntry("de", {}), {}},
        {"deflated text", DeflatedBhEntry("dt", text), text},
        {"deflated random", DeflatedBhEntry("dr", random), random},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::vector<uint8_t> content;
        std::string error = "stale";
        EXPECT_TRUE(ExtractOnly(c.raw, content, error)) << error;
        EXPECT_EQ(error, "");
        EXPECT_EQ(content, c.content);
    }
}

TEST_F(BhReaderTest, EveryEntryOfAnArchiveExpandsInTurn) {
    std::vector<uint8_t> bytes;
    AppendBhEntry(bytes, DeflatedBhEntry("one", Bytes("first first first first")));
    AppendBhEntry(bytes, StoredBhEntry("two", Bytes("second")));
    AppendBhEntry(bytes, DeflatedBhEntry("three", Bytes("third")));
    BhReader reader(Write(bytes), kOem850);
    std::string all;
    std::string error;
    while (auto entry = reader.Next()) {
        EXPECT_TRUE(reader.Extract(
            *entry, [&](const uint8_t* p, size_t n) { all.append(p, p + n); }, error))
            << entry->name << ": " << error;
        all += '|';
    }
    EXPECT_FALSE(reader.ChainBroken()) << reader.BreakReason();
    EXPECT_EQ(all, "first first first first|second|third|");
}

TEST_F(BhReaderTest, FlippedDataByteFailsTheCrcCheck) {
    RawBhEntry raw = StoredBhEntry("a.txt", Bytes("hello"));
    raw.data[4] ^= 0x1F; // "hellp"
    std::vector<uint8_t> content;
    std::string error;
    EXPECT_FALSE(ExtractOnly(raw, content, error));
    EXPECT_EQ(error, "CRC-32 mismatch: computed bb18ab73, header says 3610a686");
}

TEST_F(BhReaderTest, FlippedByteInDeflatedDataFails) {
    std::vector<uint8_t> text;
    for (int i = 0; i < 500; ++i)
        text.push_back(static_cast<uint8_t>('a' + i % 7));
    RawBhEntry raw = DeflatedBhEntry("d", text);
    raw.data[raw.data.size() / 2] ^= 0x40;
    std::vector<uint8_t> content;
    std::string error;
    EXPECT_FALSE(ExtractOnly(raw, content, error));
    EXPECT_FALSE(error.empty());
}

TEST_F(BhReaderTest, WrongUncompressedLengthFails) {
    struct Case {
        std::string label;
        RawBhEntry raw;
        uint32_t length;
        std::string error;
    };
    const Case cases[] = {
        {"stored, header too large", StoredBhEntry("s", Bytes("hello")), 6,
         "size mismatch: expanded to 5 bytes, header says 6"},
        {"stored, header too small", StoredBhEntry("s", Bytes("hello")), 4,
         "size mismatch: expanded to 5 bytes, header says 4"},
        {"deflated, header too large", DeflatedBhEntry("d", Bytes("hello hello")), 12,
         "size mismatch: expanded to 11 bytes, header says 12"},
        {"deflated, header too small", DeflatedBhEntry("d", Bytes("hello hello")), 10,
         "size mismatch: expands to more than the 10 bytes the header says"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        RawBhEntry raw = c.raw;
        raw.uncompressedLength = c.length;
        std::vector<uint8_t> content;
        std::string error;
        EXPECT_FALSE(ExtractOnly(raw, content, error));
        EXPECT_EQ(error, c.error);
    }
}

TEST_F(BhReaderTest, DeflateStreamMustEndWithTheEntryData) {
    // Bytes after the end of the stream but inside the compressed length.
    RawBhEntry trailing = DeflatedBhEntry("d", Bytes("hello hello"));
    trailing.data.insert(trailing.data.end(), {0, 0, 0});
    trailing.compressedLength += 3;
    std::vector<uint8_t> content;
    std::string error;
    EXPECT_FALSE(ExtractOnly(trailing, content, error));
    EXPECT_EQ(error, "deflate stream ends 3 bytes before the end of the entry data");

    // The compressed length stops before the stream's end.
    RawBhEntry cut = DeflatedBhEntry("d", Bytes("hello hello hello hello"));
    cut.data.pop_back();
    cut.compressedLength -= 1;
    EXPECT_FALSE(ExtractOnly(cut, content, error));
    EXPECT_EQ(error, "deflate stream is cut short: the entry data ends before the stream does");

    RawBhEntry none = DeflatedBhEntry("d", {});
    none.data.clear();
    none.compressedLength = 0;
    EXPECT_FALSE(ExtractOnly(none, content, error));
    EXPECT_EQ(error, "deflate stream is cut short: the entry data ends before the stream does");
}

TEST_F(BhReaderTest, InvalidDeflateDataFails) {
    RawBhEntry raw = StoredBhEntry("d", Bytes("abc"));
    raw.method = 8;
    raw.data = {0xFF, 0xFF, 0xFF}; // block type 3 is reserved
    std::vector<uint8_t> content;
    std::string error;
    EXPECT_FALSE(ExtractOnly(raw, content, error));
    EXPECT_EQ(error, "invalid deflate data: invalid block type");
}

TEST_F(BhReaderTest, UnreadableEntriesAreListedButNotExpanded) {
    RawBhEntry fuse = StoredBhEntry("fused", Bytes("abc")); // not Fuse data
    fuse.method = 3;
    RawBhEntry encrypted = StoredBhEntry("secret", Bytes("0123456789abcdef"));
    encrypted.flags = 0x01;
    RawBhEntry odd = StoredBhEntry("odd", Bytes("abc"));
    odd.method = 5;

    std::vector<uint8_t> bytes;
    AppendBhEntry(bytes, fuse);
    AppendBhEntry(bytes, encrypted);
    AppendBhEntry(bytes, odd);
    BhReader reader(Write(bytes), kOem850);
    std::vector<std::string> errors;
    bool sinkCalled = false;
    while (auto entry = reader.Next()) {
        std::string error;
        EXPECT_FALSE(reader.Extract(
            *entry, [&](const uint8_t*, size_t) { sinkCalled = true; }, error));
        errors.push_back(entry->name + ": " + error);
    }
    EXPECT_FALSE(reader.ChainBroken());
    EXPECT_FALSE(sinkCalled);
    EXPECT_EQ(errors, (std::vector<std::string>{"fused: damaged Fuse data: the data is cut short",
                                                "secret: encrypted: give --password-file",
                                                "odd: unsupported method 5"}));
}

} // namespace
} // namespace tolvane::archive
