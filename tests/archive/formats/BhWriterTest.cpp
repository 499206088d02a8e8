// The BH writer end to end: header bytes, store-or-deflate choices, names,
// updates of existing archives, and the failure paths that must leave an
// archive untouched.
#include "archive/formats/BhWriter.h"

#include "archive/framework/ByteOrder.h"
#include "platform/DosDateTime.h"
#include "platform/TempFile.h"
#include "support/BhArchiveBuilder.h"
#include "support/ScratchMount.h"
#include "support/TempFolder.h"
#include "support/WriterHarness.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <atomic>
#include <ctime>
#include <filesystem>
#include <sys/stat.h>
#include <thread>
#include <utime.h>

namespace fs = std::filesystem;
using namespace tolvane;
using namespace tolvane::archive;
using namespace tolvane::test;

namespace {

std::string Text(size_t size) {
    static const std::string words[] = {"archive ", "folder ", "publisher ", "download ",
                                        "the ",     "of ",     "shortcut ",  "entry\n"};
    std::string out;
    for (size_t i = 0; out.size() < size; ++i)
        out += words[(i * 7 + i / 3) % 8];
    out.resize(size);
    return out;
}

// Sets a file's modification time to a local date-time.
void SetLocalTime(const std::string& path, int year, int month, int day, int hour, int minute,
                  int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    utimbuf times{std::mktime(&tm), std::mktime(&tm)};
    ASSERT_EQ(utime(path.c_str(), &times), 0);
}

class BhWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        source_ = scratch_.MakeFolder("src");
        work_ = scratch_.MakeFolder("work");
        archive_ = scratch_ / "out.bh";
    }

    // A writer with the job's settings on src/ that writes out.bh.
    std::unique_ptr<TBhWriter> MakeWriter() {
        auto writer = std::make_unique<TBhWriter>();
        ConfigureLikeJob(*writer, source_, archive_);
        writer->SetTempDir(work_);
        CollectReports(*writer, reports_);
        return writer;
    }

    int32_t Pack() { return MakeWriter()->Compress(); }

    std::vector<std::string> Names(const std::vector<ReadEntry>& entries) {
        std::vector<std::string> names;
        for (const auto& e : entries)
            names.push_back(e.header.name);
        return names;
    }

    bool HasReport(int code) const { return test::HasReport(reports_, code); }

    TempFolder scratch_;
    std::string source_, work_, archive_;
    std::vector<Report> reports_;
};

// --- Layout ---------------------------------------------------------------

TEST_F(BhWriterTest, WritesHeaderNameAndDataOfEachEntryByteByByte) {
    const std::string text = Text(1000);
    const auto zipBytes = RandomBytes(500, 7);
    std::string a = scratch_.WriteFile("src/a.txt", text);
    std::string b = scratch_.WriteFile("src/sub/b.zip", zipBytes);
    SetLocalTime(a, 2020, 5, 17, 10, 20, 30);
    SetLocalTime(b, 2021, 12, 31, 23, 59, 58);

    ASSERT_EQ(Pack(), 2);
    EXPECT_TRUE(reports_.empty());
    const auto bytes = ReadFileBytes(archive_);
    const uint8_t* h = bytes.data();

    // First entry: a.txt, deflated at level N.
    EXPECT_EQ(std::vector<uint8_t>(h, h + 4), (std::vector<uint8_t>{0x42, 0x48, 0x05, 0x07}));
    EXPECT_EQ(LoadLE16(h + 4), 37 + 5); // header length
    EXPECT_EQ(h[6], 37);                // fixed header size
    EXPECT_EQ(h[7], 7);                 // version
    EXPECT_EQ(h[8], 0);                 // second version byte
    EXPECT_EQ(h[9], 0);                 // flags: level N, not encrypted
    EXPECT_EQ(h[10], 8);                // deflated
    EXPECT_EQ(LoadLE32(h + 11), (((2020u - 1980) << 9 | 5 << 5 | 17) << 16) |
                                    (10u << 11 | 20 << 5 | 15)); // local DOS date-time
    const uint32_t compressed = LoadLE32(h + 15);
    EXPECT_EQ(LoadLE32(h + 19), 1000u); // uncompressed length
    EXPECT_EQ(LoadLE32(h + 23), crc32(0, reinterpret_cast<const Bytef*>(text.data()), 1000));
    EXPECT_EQ(LoadLE16(h + 27), 0x20); // attributes
    EXPECT_EQ(LoadLE32(h + 29), 0u);   // reserved
    EXPECT_EQ(LoadLE16(h + 33), 5);    // name length
    EXPECT_EQ(LoadLE16(h + 35), 0);    // extra length
    EXPECT_EQ(std::string(h + 37, h + 42), "a.txt");
    EXPECT_LT(compressed, 1000u);

    // The data is a raw deflate stream that zlib expands back to the file.
    std::vector<uint8_t> expanded(1000);
    z_stream zs{};
    ASSERT_EQ(inflateInit2(&zs, -15), Z_OK);
    zs.next_in = const_cast<Bytef*>(h + 42);
    zs.avail_in = compressed;
    zs.next_out = expanded.data();
    zs.avail_out = 1000;
    EXPECT_EQ(inflate(&zs, Z_FINISH), Z_STREAM_END);
    EXPECT_EQ(zs.avail_in, 0u);
    inflateEnd(&zs);
    EXPECT_EQ(std::string(expanded.begin(), expanded.end()), text);

    // Second entry follows directly: sub/b.zip, stored because of ".ZIP".
    const uint8_t* h2 = h + 42 + compressed;
    EXPECT_EQ(LoadLE32(h2), 0x07054842u);
    EXPECT_EQ(LoadLE16(h2 + 4), 37 + 9);
    EXPECT_EQ(h2[9], 0);
    EXPECT_EQ(h2[10], 0);
    EXPECT_EQ(LoadLE32(h2 + 15), 500u);
    EXPECT_EQ(LoadLE32(h2 + 19), 500u);
    EXPECT_EQ(LoadLE32(h2 + 23), crc32(0, zipBytes.data(), 500));
    EXPECT_EQ(std::string(h2 + 37, h2 + 46), "sub/b.zip");
    EXPECT_EQ(std::vector<uint8_t>(h2 + 46, h2 + 546), zipBytes);
    // Nothing after the last entry's data.
    EXPECT_EQ(bytes.size(), static_cast<size_t>(h2 + 546 - h));
}

TEST_F(BhWriterTest, ChoosesStoreOrDeflateBySizeTypeAndResult) {
    scratch_.WriteFile("src/e.dat", "");
    scratch_.WriteFile("src/r50.bin", RandomBytes(50, 1));
    scratch_.WriteFile("src/r100.bin", RandomBytes(100, 2));
    scratch_.WriteFile("src/r300.bin", RandomBytes(300, 3));
    scratch_.WriteFile("src/small.txt", Text(200));
    scratch_.WriteFile("src/notes.BH", Text(400));
    scratch_.WriteFile("src/pack.tar", Text(400));
    scratch_.WriteFile("src/noext", Text(400));
    ASSERT_EQ(Pack(), 8);

    struct Expect {
        const char* name;
        uint8_t method;
        bool larger; // compressed length above the file's size
    };
    // Random data does not deflate, small or large: it is stored.
    const Expect expected[] = {
        {"e.dat", 0, false},    {"noext", 8, false},     {"notes.BH", 0, false},
        {"pack.tar", 8, false}, {"r100.bin", 0, false},  {"r300.bin", 0, false},
        {"r50.bin", 0, false},  {"small.txt", 8, false},
    };
    auto entries = ReadBhArchive(archive_);
    ASSERT_EQ(entries.size(), std::size(expected));
    for (size_t i = 0; i < entries.size(); ++i) {
        const auto& e = entries[i].header;
        SCOPED_TRACE(e.name);
        EXPECT_EQ(e.name, expected[i].name);
        EXPECT_EQ(e.method, expected[i].method);
        EXPECT_EQ(e.compressedLength > e.uncompressedLength, expected[i].larger);
        if (e.method == 0) {
            EXPECT_EQ(e.compressedLength, e.uncompressedLength);
        }
        EXPECT_EQ(e.headerLength, 37 + e.storedName.size());
        EXPECT_EQ(entries[i].data, ReadFileBytes(source_ + "/" + e.name));
    }
    EXPECT_EQ(entries[0].header.crc32, 0u); // empty file
}

TEST_F(BhWriterTest, LevelSetsTheFlagBitsOfDeflatedEntries) {
    scratch_.WriteFile("src/t.txt", Text(5000));
    const std::pair<TDeflateType, int> cases[] = {
        {dtDeflateF, 4}, {dtDeflateN, 0}, {dtDeflateX, 2}, {dtDeflateS, -1}};
    for (auto [type, flags] : cases) {
        fs::remove(archive_);
        auto writer = MakeWriter();
        writer->DeflateType = type;
        ASSERT_EQ(writer->Compress(), 1);
        auto entries = ReadBhArchive(archive_);
        ASSERT_EQ(entries.size(), 1u);
        if (flags < 0) {
            EXPECT_EQ(entries[0].header.method, 0);
            EXPECT_EQ(entries[0].header.flags, 0);
        } else {
            EXPECT_EQ(entries[0].header.method, 8);
            EXPECT_EQ(entries[0].header.flags, flags);
        }
    }
}

TEST_F(BhWriterTest, EmptyFoldersGetEntriesOfTheirOwn) {
    scratch_.MakeFolder("src/empty");
    scratch_.MakeFolder("src/outer/inner");
    scratch_.WriteFile("src/full/deep/f.txt", "x");
    scratch_.WriteFile("src/withdot/.hidden", "x"); // a hidden file is a file
    ASSERT_EQ(Pack(), 5);
    auto entries = ReadBhArchive(archive_);
    EXPECT_EQ(Names(entries), (std::vector<std::string>{"empty/", "full/deep/f.txt", "outer/",
                                                        "outer/inner/", "withdot/.hidden"}));
    const auto& folder = entries[0].header;
    EXPECT_EQ(folder.attributes, 0x10);
    EXPECT_EQ(folder.method, 0);
    EXPECT_EQ(folder.compressedLength, 0u);
    EXPECT_EQ(folder.uncompressedLength, 0u);
    EXPECT_EQ(folder.crc32, 0u);
}

TEST_F(BhWriterTest, NamesGoToTheOemCodePageOrKeepTheirBytes) {
    scratch_.MakeFolder("src/Über");
    scratch_.WriteFile("src/Grüße.txt", "hallo");
    scratch_.WriteFile("src/数据.txt", "data");
    std::string ro = scratch_.WriteFile("src/ro.txt", "read only");
    chmod(ro.c_str(), 0444);
    ASSERT_EQ(Pack(), 4);
    auto entries = ReadBhArchive(archive_);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].header.storedName, "Gr\x81\xE1"
                                            "e.txt"); // code page 850
    EXPECT_EQ(entries[0].header.name, "Grüße.txt");
    EXPECT_EQ(entries[1].header.attributes, 0x21); // read-only
    EXPECT_EQ(entries[2].header.storedName, "\x9A"
                                            "ber/"); // folders alike
    EXPECT_EQ(entries[2].header.name, "Über/");
    EXPECT_EQ(entries[3].header.storedName, "数据.txt"); // no OEM form: kept as it was
    EXPECT_EQ(entries[3].header.name, "数据.txt");
    // Read back by the next update, every name is found again: nothing to do.
    EXPECT_EQ(Pack(), 0);
    EXPECT_TRUE(HasReport(kErrNothingToDo));
}

// --- Updating an existing archive -------------------------------------------

TEST_F(BhWriterTest, NewFilesFollowTheKeptEntriesCopiedByteForByte) {
    scratch_.WriteFile("src/a.txt", Text(3000));
    scratch_.WriteFile("src/m.zip", RandomBytes(700, 4));
    ASSERT_EQ(Pack(), 2);
    const auto before = ReadFileBytes(archive_);

    scratch_.WriteFile("src/b.txt", Text(100));
    ASSERT_EQ(Pack(), 1);
    const auto after = ReadFileBytes(archive_);
    ASSERT_GT(after.size(), before.size());
    EXPECT_EQ(std::vector<uint8_t>(after.begin(), after.begin() + before.size()), before);
    EXPECT_EQ(Names(ReadBhArchive(archive_)),
              (std::vector<std::string>{"a.txt", "m.zip", "b.txt"}));
}

TEST_F(BhWriterTest, AnUnchangedFolderIsNothingToDo) {
#ifdef _WIN32
    GTEST_SKIP()
        << "packs a file name whose bytes are no UTF-8, which a Windows (UTF-16) name cannot be";
#endif
    // Each kind of name is found again: one stored as it is read back, one
    // whose OEM bytes differ from it, one whose bytes are no UTF-8 at all.
    scratch_.WriteFile("src/a.txt", Text(3000));
    scratch_.WriteFile("src/\xC3\x9C"
                       "bersicht.txt",
                       "u");
    scratch_.WriteFile("src/caf\xe9", "c");
    ASSERT_EQ(Pack(), 3);
    const auto before = ReadFileBytes(archive_);
    EXPECT_EQ(Pack(), 0);
    EXPECT_TRUE(HasReport(kErrNothingToDo));
    EXPECT_EQ(ReadFileBytes(archive_), before);
    EXPECT_EQ(CountTempFiles(work_), 0u);
}

TEST_F(BhWriterTest, AChangedFileWithoutReplaceHandlerKeepsTheOldEntry) {
    std::string a = scratch_.WriteFile("src/a.txt", Text(3000));
    ASSERT_EQ(Pack(), 1);
    const auto before = ReadFileBytes(archive_);
    scratch_.WriteFile("src/a.txt", Text(2000));
    EXPECT_EQ(Pack(), 0);
    ASSERT_FALSE(reports_.empty());
    EXPECT_EQ(reports_.front().code, kErrEventNotAssigned);
    EXPECT_EQ(reports_.front().extendedMsg, "OnReplaceFile");
    EXPECT_EQ(ReadFileBytes(archive_), before);
}

TEST_F(BhWriterTest, ReplaceHandlerDropsTheOldEntryAndAppendsTheFile) {
    scratch_.WriteFile("src/a.txt", Text(3000));
    scratch_.WriteFile("src/b.txt", Text(10));
    ASSERT_EQ(Pack(), 2);
    scratch_.WriteFile("src/a.txt", Text(2000));
    auto writer = MakeWriter();
    std::string replaced;
    writer->OnReplaceFile = [&](TZipCommon&, const std::string& name, const std::string&,
                                std::time_t, std::time_t, int64_t oldSize, int64_t newSize, int32_t,
                                int32_t, bool& replace) {
        replaced = name + ":" + std::to_string(oldSize) + "->" + std::to_string(newSize);
        replace = true;
    };
    ASSERT_EQ(writer->Compress(), 1);
    EXPECT_EQ(replaced, "a.txt:3000->2000");
    auto entries = ReadBhArchive(archive_);
    EXPECT_EQ(Names(entries), (std::vector<std::string>{"b.txt", "a.txt"}));
    EXPECT_EQ(entries[1].data.size(), 2000u);
}

TEST_F(BhWriterTest, RenameHandlerKeepsTheOldEntryUnderANewName) {
    scratch_.WriteFile("src/a.txt", Text(3000));
    ASSERT_EQ(Pack(), 1);
    scratch_.WriteFile("src/a.txt", Text(1500));
    auto writer = MakeWriter();
    int calls = 0;
    writer->OnRenameDupeFile = [&](TZipCommon&, const std::string& name, std::string& newName,
                                   bool& rename) {
        ++calls;
        newName = "old-" + name;
        rename = true;
    };
    ASSERT_EQ(writer->Compress(), 1);
    EXPECT_GE(calls, 1);
    auto entries = ReadBhArchive(archive_);
    ASSERT_EQ(Names(entries), (std::vector<std::string>{"old-a.txt", "a.txt"}));
    EXPECT_EQ(entries[0].data.size(), 3000u);
    EXPECT_EQ(entries[0].header.headerLength, 37 + 9);
    EXPECT_EQ(entries[1].data.size(), 1500u);
}

TEST_F(BhWriterTest, ANewNameRunTwiceWritesEachEntryOnce) {
    scratch_.WriteFile("src/a.txt", Text(100));
    auto writer = MakeWriter();
    ASSERT_EQ(writer->Compress(), 1);
    ASSERT_EQ(writer->Compress(), 1);
    EXPECT_EQ(Names(ReadBhArchive(archive_)), (std::vector<std::string>{"a.txt"}));
}

TEST_F(BhWriterTest, ABrokenChainIsNotUpdated) {
    scratch_.WriteFile("src/a.txt", Text(3000));
    scratch_.WriteFile("src/b.txt", Text(3000));
    ASSERT_EQ(Pack(), 2);
    fs::resize_file(archive_, fs::file_size(archive_) - 3);
    const auto before = ReadFileBytes(archive_);
    scratch_.WriteFile("src/c.txt", "new");
    EXPECT_EQ(Pack(), 0);
    ASSERT_TRUE(HasReport(kErrUnsupportedOperation));
    EXPECT_NE(reports_.back().extendedMsg.find("breaks at offset"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(archive_), before);
    EXPECT_EQ(CountTempFiles(work_), 0u);
}

TEST_F(BhWriterTest, EntriesWithExtraBytesAreKeptWhole) {
    RawBhEntry first = StoredBhEntry("x.txt", test::Bytes("abc"));
    first.extra = {0xEE, 0xEE, 0xEE, 0xEE};
    std::vector<uint8_t> before;
    AppendBhEntry(before, first);
    AppendBhEntry(before, StoredBhEntry("y.txt", test::Bytes("hello")));
    scratch_.WriteFile("out.bh", before);
    scratch_.WriteFile("src/b.txt", "new");
    ASSERT_EQ(Pack(), 1);
    const auto after = ReadFileBytes(archive_);
    EXPECT_EQ(std::vector<uint8_t>(after.begin(), after.begin() + before.size()), before);
    EXPECT_EQ(Names(ReadBhArchive(archive_)),
              (std::vector<std::string>{"x.txt", "y.txt", "b.txt"}));
}

// The extra length puts the next header past the end of the file, while a
// header sits where a walk that ignored the extra bytes would look.
TEST_F(BhWriterTest, AnExtraLengthPastTheEndIsNotUpdated) {
    std::vector<uint8_t> bytes;
    AppendBhEntry(bytes, StoredBhEntry("x.txt", test::Bytes("abc")));
    AppendBhEntry(bytes, StoredBhEntry("y.txt", test::Bytes("hello")));
    test::StoreLE16(bytes.data() + 35, 0xF700);
    scratch_.WriteFile("out.bh", bytes);
    scratch_.WriteFile("src/b.txt", "new");
    EXPECT_EQ(Pack(), 0);
    EXPECT_TRUE(HasReport(kErrUnsupportedOperation));
    EXPECT_EQ(ReadFileBytes(archive_), bytes);
}

TEST_F(BhWriterTest, AFileThatIsNoArchiveIsLeftAlone) {
    scratch_.WriteFile("out.bh", "just some text, not an archive");
    scratch_.WriteFile("src/a.txt", "x");
    EXPECT_EQ(Pack(), 0);
    EXPECT_TRUE(HasReport(kErrUnsupportedOperation));
    EXPECT_EQ(ReadFileText(archive_), "just some text, not an archive");
}

// --- Failures ---------------------------------------------------------------

TEST_F(BhWriterTest, AMissingArchiveFolderCreatesNothing) {
    scratch_.WriteFile("src/a.txt", "x");
    archive_ = scratch_ / "missing/out.bh";
    EXPECT_EQ(Pack(), 0);
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0].code, kErrInvalidDirectory);
    EXPECT_EQ(reports_[0].extendedMsg, scratch_ / "missing/");
    EXPECT_FALSE(fs::exists(scratch_ / "missing"));
}

TEST_F(BhWriterTest, AFileThatCannotBeOpenedIsLeftOutAndTheRunGoesOn) {
    scratch_.WriteFile("src/a.txt", "x");
    scratch_.WriteFile("src/b.txt", "z");
    scratch_.WriteFile("src/c.txt", "y");
    auto writer = MakeWriter();
    // Gone between the scan and its entry.
    writer->OnBegin = [&](TZipCommon&, const std::string& path, int32_t, bool&) {
        if (path == source_ + "/b.txt")
            fs::remove(path);
    };
    EXPECT_EQ(writer->Compress(), 2);
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0].code, kErrOpeningFile);
    EXPECT_EQ(reports_[0].fileName, source_ + "/b.txt");
    EXPECT_EQ(Names(ReadBhArchive(archive_)), (std::vector<std::string>{"a.txt", "c.txt"}));
}

TEST_F(BhWriterTest, OnBeginCanDeclineAFile) {
    for (auto n : {"a", "b", "c"})
        scratch_.WriteFile(std::string("src/") + n + ".txt", n);
    auto writer = MakeWriter();
    writer->OnBegin = [](TZipCommon&, const std::string& file, int32_t, bool& extract) {
        extract = file.find("/b.txt") == std::string::npos;
    };
    EXPECT_EQ(writer->Compress(), 2);
    EXPECT_EQ(Names(ReadBhArchive(archive_)), (std::vector<std::string>{"a.txt", "c.txt"}));
}

// OnEnd tells for each file begun whether its entry was written; OnRead
// then names every entry of the new archive at its offset, the kept ones too.
TEST_F(BhWriterTest, OnEndAndOnReadFollowEveryEntry) {
    scratch_.WriteFile("src/a.txt", Text(300));
    ASSERT_EQ(Pack(), 1);
    scratch_.WriteFile("src/b.txt", Text(200));
    scratch_.WriteFile("src/gone.txt", "x");
    auto writer = MakeWriter();
    writer->CodingThreads = 1;
    writer->OnBegin = [this](TZipCommon&, const std::string& file, int32_t, bool&) {
        if (file.ends_with("gone.txt"))
            std::filesystem::remove(source_ + "/gone.txt");
    };
    std::vector<std::pair<std::string, bool>> ended;
    writer->OnEnd = [&ended](TZipCommon&, const std::string& name, bool written) {
        ended.emplace_back(name, written);
    };
    std::vector<int64_t> offsets;
    writer->OnRead = [&offsets](TZipCommon&, int64_t offset, int32_t) {
        offsets.push_back(offset);
    };
    ASSERT_EQ(writer->Compress(), 1);
    EXPECT_EQ(ended,
              (std::vector<std::pair<std::string, bool>>{{"b.txt", true}, {"gone.txt", false}}));
    std::vector<int64_t> expected;
    for (const ReadEntry& entry : ReadBhArchive(archive_))
        expected.push_back(static_cast<int64_t>(entry.header.headerOffset));
    EXPECT_EQ(offsets, expected);
    EXPECT_EQ(offsets.size(), 2u);
}

TEST_F(BhWriterTest, CancelInTheThirdOfFiveFilesLeavesTheArchiveAsItWas) {
    for (int i = 1; i <= 5; ++i)
        scratch_.WriteFile("src/f" + std::to_string(i) + ".txt", Text(400000));
    for (bool existing : {false, true}) {
        SCOPED_TRACE(existing ? "existing archive" : "new archive");
        std::vector<uint8_t> before;
        if (existing) {
            scratch_.WriteFile("src/old.txt", "old");
            ASSERT_EQ(Pack(), 6);
            before = ReadFileBytes(archive_);
            for (int i = 1; i <= 5; ++i)
                scratch_.WriteFile("src/g" + std::to_string(i) + ".txt", Text(400000));
        }
        auto writer = MakeWriter();
        tolvane::platform::CancelToken cancel;
        writer->SetCancelToken(&cancel);
        int begun = 0;
        writer->OnBegin = [&](TZipCommon&, const std::string&, int32_t, bool&) { ++begun; };
        writer->OnProgress = [&](TZipCommon&, uint8_t byFile, uint8_t) {
            if (begun == 3 && byFile > 30)
                cancel.Request();
        };
        EXPECT_EQ(writer->Compress(), 0);
        EXPECT_EQ(begun, 3);
        EXPECT_TRUE(HasReport(kErrUserCanceled));
        if (existing)
            EXPECT_EQ(ReadFileBytes(archive_), before);
        else
            EXPECT_FALSE(fs::exists(archive_));
        EXPECT_EQ(CountTempFiles(work_), 0u);
    }
}

TEST_F(BhWriterTest, CancelFromAnotherThreadStopsTheRun) {
    scratch_.WriteFile("src/big.bin", RandomBytes(8 << 20, 9));
    auto writer = MakeWriter();
    tolvane::platform::CancelToken cancel;
    writer->SetCancelToken(&cancel);
    std::atomic<bool> started{false};
    writer->OnProgress = [&](TZipCommon&, uint8_t, uint8_t) { started = true; };
    int32_t result = -1;
    std::thread run([&] { result = writer->Compress(); });
    while (!started)
        std::this_thread::yield();
    cancel.Request();
    run.join();
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(fs::exists(archive_));
    EXPECT_EQ(CountTempFiles(work_), 0u);
}

TEST_F(BhWriterTest, AStopOnceTheNewArchiveIsInPlaceEndsTheRunAsAFinishedOne) {
    scratch_.WriteFile("src/big.bin", RandomBytes(100000, 4)); // the move event needs 64 KiB
    ASSERT_EQ(Pack(), 1);
    scratch_.WriteFile("src/new.txt", "new");
    auto writer = MakeWriter();
    tolvane::platform::CancelToken cancel;
    writer->SetCancelToken(&cancel);
    writer->OnTmpFileMoveEnd = [&](TZipCommon&) { cancel.Request(); };
    EXPECT_EQ(writer->Compress(), 1);
    EXPECT_TRUE(cancel.Requested());
    EXPECT_FALSE(HasReport(kErrUserCanceled));
    EXPECT_EQ(ReadBhArchive(archive_).size(), 2u);
}

TEST_F(BhWriterTest, AReadOnlyArchiveNeedsTheHandler) {
    scratch_.WriteFile("src/a.txt", "x");
    ASSERT_EQ(Pack(), 1);
    const auto before = ReadFileBytes(archive_);
    chmod(archive_.c_str(), 0444);
    scratch_.WriteFile("src/b.txt", "y");
    EXPECT_EQ(Pack(), 0);
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0].code, kErrEventNotAssigned);
    EXPECT_EQ(reports_[0].extendedMsg, "OnNonWriteableArchive");
    EXPECT_EQ(ReadFileBytes(archive_), before);

    auto writer = MakeWriter();
    writer->OnNonWriteableArchive = [](TZipCommon&, const std::string&, bool& write) {
        write = true;
    };
    EXPECT_EQ(writer->Compress(), 1);
    EXPECT_EQ(Names(ReadBhArchive(archive_)), (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST_F(BhWriterTest, AnArchivePathThatNamesAFolderIsRefused) {
    scratch_.WriteFile("src/a.txt", "x");
    archive_ = scratch_.MakeFolder("dir.bh");
    auto writer = MakeWriter();
    writer->OnNonWriteableArchive = [](TZipCommon&, const std::string&, bool& write) {
        write = true;
    };
    EXPECT_EQ(writer->Compress(), 0);
    EXPECT_TRUE(HasReport(kErrOpeningFile));
    EXPECT_TRUE(fs::is_directory(archive_));
}

TEST_F(BhWriterTest, AFileOf4GiBIsReportedAndLeftOut) {
    scratch_.WriteFile("src/a.txt", "x");
    fs::resize_file(scratch_.WriteFile("src/huge.bin", ""), 4ull << 30); // sparse
    EXPECT_EQ(Pack(), 1);
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0].fileName, source_ + "/huge.bin");
    EXPECT_EQ(Names(ReadBhArchive(archive_)), (std::vector<std::string>{"a.txt"}));
}

TEST_F(BhWriterTest, ADiskFullTemporaryFolderIsReportedAndCleanedUp) {
    ScratchMount small(work_, "64k");
    if (!small.Mounted())
        GTEST_SKIP() << "cannot mount a small file system here";
    scratch_.WriteFile("src/a.bin", RandomBytes(300000, 5));
    EXPECT_EQ(Pack(), 0);
    EXPECT_TRUE(HasReport(kErrDiskFull));
    EXPECT_FALSE(fs::exists(archive_));
    EXPECT_EQ(CountTempFiles(work_), 0u);
}

TEST_F(BhWriterTest, AcrossFileSystemsTheArchiveIsCopiedIntoPlace) {
    ScratchMount other(work_, "16m");
    if (!other.Mounted())
        GTEST_SKIP() << "cannot mount a second file system here";
    scratch_.WriteFile("src/a.bin", RandomBytes(1 << 20, 6));
    auto writer = MakeWriter();
    int lastProgress = -1;
    writer->OnTmpFileProgress = [&](TZipCommon&, uint8_t, uint8_t byArchive) {
        lastProgress = byArchive;
    };
    ASSERT_EQ(writer->Compress(), 1);
    EXPECT_EQ(lastProgress, 100);
    EXPECT_EQ(ReadBhArchive(archive_).front().data, RandomBytes(1 << 20, 6));
    EXPECT_EQ(CountTempFiles(work_), 0u);
    EXPECT_EQ(CountTempFiles(scratch_.Path()), 0u);
}

TEST_F(BhWriterTest, AStopDuringTheCopyAcrossFileSystemsKeepsTheOldArchive) {
    ScratchMount other(work_, "16m");
    if (!other.Mounted())
        GTEST_SKIP() << "cannot mount a second file system here";
    scratch_.WriteFile("src/a.bin", RandomBytes(1 << 20, 6));
    ASSERT_EQ(Pack(), 1);
    const auto before = ReadFileBytes(archive_);
    scratch_.WriteFile("src/b.bin", RandomBytes(1 << 20, 7));
    auto writer = MakeWriter();
    // The copy takes several buffers: the stop comes after the first.
    tolvane::platform::CancelToken cancel;
    writer->SetCancelToken(&cancel);
    writer->OnTmpFileProgress = [&](TZipCommon&, uint8_t, uint8_t) { cancel.Request(); };
    EXPECT_EQ(writer->Compress(), 0);
    EXPECT_EQ(ReadFileBytes(archive_), before);
    EXPECT_EQ(CountTempFiles(work_), 0u);
    EXPECT_EQ(CountTempFiles(scratch_.Path()), 0u);
}

TEST_F(BhWriterTest, ProgressRunsUpToTheWholeArchive) {
    scratch_.WriteFile("src/a.txt", Text(600000));
    scratch_.WriteFile("src/b.zip", RandomBytes(300000, 8));
    auto writer = MakeWriter();
    std::vector<int> byArchive;
    writer->OnProgress = [&](TZipCommon&, uint8_t, uint8_t archivePct) {
        byArchive.push_back(archivePct);
    };
    ASSERT_EQ(writer->Compress(), 2);
    ASSERT_FALSE(byArchive.empty());
    EXPECT_TRUE(std::is_sorted(byArchive.begin(), byArchive.end()));
    EXPECT_EQ(byArchive.back(), 100);
}

// --- Properties ---------------------------------------------------------------

TEST(BhWriterProperties, ArchiveNameAndDefaultExtension) {
    TBhWriter writer;
    EXPECT_EQ(writer.DefaultExt(), ".BH");
    writer.SetArchiveFile("/nowhere/arc");
    EXPECT_EQ(writer.ArchiveFile(), "/nowhere/arc.BH");
    writer.SetArchiveFile("/nowhere/a.bh");
    writer.SetDefaultExt("ZIPX");
    EXPECT_EQ(writer.DefaultExt(), ".zip");
    EXPECT_EQ(writer.ArchiveFile(), "/nowhere/a.zip");
    writer.SetDefaultExt("."); // back to the format's own, replacing ".zip" again
    EXPECT_EQ(writer.DefaultExt(), ".BH");
    EXPECT_EQ(writer.ArchiveFile(), "/nowhere/a.BH");
    writer.SetArchiveFile("/nowhere/a.txt");
    writer.SetDefaultExt("rar");
    EXPECT_EQ(writer.ArchiveFile(), "/nowhere/a.txt"); // another extension stays
}

TEST(BhWriterProperties, OnlyTheFormatsOwnMethodsAreAccepted) {
    TBhWriter writer;
    for (auto method : {cmStore, cmTarGzip}) {
        writer.SetCompressMethod(method);
        EXPECT_EQ(writer.CompressMethod(), cmDeflate);
    }
    writer.SetCompressMethod(cmFuse);
    EXPECT_EQ(writer.CompressMethod(), cmFuse);
}

TEST(BhWriterProperties, TempDirAsksBeforeCreatingAFolder) {
    TempFolder scratch;
    TBhWriter writer;
    std::string asked;
    writer.AskYesNo = [&](const std::string& question) {
        asked = question;
        return true;
    };
    writer.SetTempDir(scratch / "new/deeper");
    EXPECT_EQ(asked, "Directory does not exist... Create?\n\n" + scratch / "new/deeper/");
    EXPECT_EQ(writer.TempDir(), scratch / "new/deeper/");
    EXPECT_TRUE(fs::is_directory(scratch / "new/deeper"));

    writer.AskYesNo = [](const std::string&) { return false; };
    writer.SetTempDir(scratch / "declined");
    EXPECT_EQ(writer.TempDir(), platform::SystemTempFolder());
    EXPECT_FALSE(fs::exists(scratch / "declined"));
}

TEST(BhWriterProperties, AttributeSettersAddAndRemoveOneMember) {
    TBhWriter writer;
    writer.SetAttribute(fsHidden, true);
    writer.SetAttributeEx(fsHidden, false);
    EXPECT_TRUE(writer.Attributes.Contains(fsHidden));
    EXPECT_FALSE(writer.AttributesEx.Contains(fsHidden));
    writer.SetAttribute(20, true); // beyond the set: ignored
    EXPECT_EQ(writer.Attributes.Bits(), (kDefaultAttributes.Bits() | (1u << fsHidden)));
}

} // namespace

namespace {

TEST(BhWriterProperties, ARunWithoutArchiveNameIsRefused) {
    TBhWriter writer;
    std::vector<Report> reports;
    CollectReports(writer, reports);
    EXPECT_EQ(writer.Compress(), 0);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].code, kErrPropertyNotAssigned);
    EXPECT_EQ(reports[0].extendedMsg, "ArchiveFile");
}

} // namespace

namespace {

// Files and folders that change while the run reads them.
class BhWriterRaceTest : public BhWriterTest {};

TEST_F(BhWriterRaceTest, AFolderThatVanishesBeforeTheWalkEntersItIsReported) {
    scratch_.WriteFile("src/a.txt", "x");
    scratch_.WriteFile("src/gone/b.txt", "y");
    auto writer = MakeWriter();
    writer->OnRecurseDir = [this](TZipCommon&, const std::string& dir) {
        if (dir.find("gone") != std::string::npos)
            fs::remove_all(source_ + "/gone");
    };
    EXPECT_EQ(writer->Compress(), 1);
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0].code, kErrOpeningFile);
    EXPECT_EQ(reports_[0].fileName, source_ + "/gone/");
    EXPECT_EQ(reports_[0].extendedMsg, "No such file or directory");
    EXPECT_EQ(Names(ReadBhArchive(archive_)), (std::vector<std::string>{"a.txt"}));
}

TEST_F(BhWriterRaceTest, AFileThatVanishesBeforeItIsReadIsLeftOut) {
    scratch_.WriteFile("src/a.txt", "x");
    scratch_.WriteFile("src/b.txt", "y");
    auto writer = MakeWriter();
    writer->OnBegin = [this](TZipCommon&, const std::string& file, int32_t, bool&) {
        if (file.find("a.txt") != std::string::npos)
            fs::remove(file);
    };
    EXPECT_EQ(writer->Compress(), 1);
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0].code, kErrOpeningFile);
    EXPECT_EQ(Names(ReadBhArchive(archive_)), (std::vector<std::string>{"b.txt"}));
}

TEST_F(BhWriterRaceTest, AFileThatShrinksWhileItIsReadLeavesNoBrokenEntry) {
    for (const char* name : {"a.txt", "b.zip"}) { // deflated and stored
        SCOPED_TRACE(name);
        fs::remove_all(source_);
        fs::remove(archive_);
        reports_.clear();
        const std::string victim = scratch_.WriteFile(std::string("src/") + name, Text(1 << 20));
        scratch_.WriteFile("src/c.txt", "after");
        auto writer = MakeWriter();
        writer->CodingThreads = 1; // the cut must fall inside the entry's own reading
        bool cut = false;
        writer->OnProgress = [&](TZipCommon&, uint8_t byFile, uint8_t) {
            if (!cut && byFile > 0 && byFile < 50) {
                fs::resize_file(victim, 1000);
                cut = true;
            }
        };
        EXPECT_EQ(writer->Compress(), 1);
        EXPECT_TRUE(cut);
        ASSERT_EQ(reports_.size(), 1u);
        EXPECT_EQ(reports_[0].code, kErrOpeningFile);
        EXPECT_EQ(reports_[0].fileName, victim);
        // The archive holds the other file and nothing of the shrunk one.
        EXPECT_EQ(Names(ReadBhArchive(archive_)), (std::vector<std::string>{"c.txt"}));
    }
}

} // namespace
