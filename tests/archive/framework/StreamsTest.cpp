// The base stream's copy loop and exact-length helpers, the memory stream and
// the file streams.
#include "archive/framework/FileStream32.h"
#include "archive/framework/MemoryStream32.h"
#include "archive/framework/Stream32.h"

#include "support/TempFolder.h"

#include "support/TestStreams.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <limits>
#include <vector>

namespace tolvane::archive {
namespace {

using tolvane::test::FullStream;
using tolvane::test::RecordingStream;

std::vector<uint8_t> Contents(TMemoryStream32& stream) {
    return std::vector<uint8_t>(stream.Data(), stream.Data() + stream.Size());
}

// Replaces the stream's content with `bytes`, positioned at the start.
void Fill(TMemoryStream32& stream, const std::vector<uint8_t>& bytes) {
    stream.Clear();
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
}

// --- exact-length helpers --------------------------------------------------

TEST(Stream32Test, ReadBufferThrowsOnShortRead) {
    TMemoryStream32 source;
    Fill(source, {1, 2, 3});
    uint8_t buffer[4] = {};
    EXPECT_THROW(source.ReadBuffer(buffer, 4), StreamReadError);
    source.SetPosition(0);
    source.ReadBuffer(buffer, 3);
    EXPECT_EQ(buffer[2], 3);
}

TEST(Stream32Test, WriteBufferThrowsWithTheErrorNumber) {
    FullStream destination(10);
    const std::vector<uint8_t> data(16, 0x5A);
    destination.WriteBuffer(data.data(), 8);
    try {
        destination.WriteBuffer(data.data(), 8);
        FAIL() << "short write not reported";
    } catch (const StreamWriteError& error) {
        EXPECT_EQ(error.ErrorNumber(), ENOSPC);
        EXPECT_NE(std::string(error.what()).find(std::strerror(ENOSPC)), std::string::npos);
    }
}

// --- CopyFrom ----------------------------------------------------------------

TEST(Stream32Test, CopyFromZeroCopiesTheWholeSourceFromItsStart) {
    const auto bytes = test::RandomBytes(300000, 1);
    TMemoryStream32 source;
    Fill(source, bytes);
    source.SetPosition(150000);
    RecordingStream destination;
    EXPECT_EQ(destination.CopyFrom(source, 0), 300000);
    EXPECT_EQ(Contents(destination), bytes);
    // One 131072-byte buffer, reused for every piece.
    EXPECT_EQ(destination.writes, (std::vector<int64_t>{131072, 131072, 37856}));
}

TEST(Stream32Test, CopyFromCountStartsAtTheSourcePosition) {
    const auto bytes = test::RandomBytes(1000, 2);
    TMemoryStream32 source;
    Fill(source, bytes);
    source.SetPosition(100);
    RecordingStream destination;
    EXPECT_EQ(destination.CopyFrom(source, 500), 500);
    EXPECT_EQ(Contents(destination),
              std::vector<uint8_t>(bytes.begin() + 100, bytes.begin() + 600));
    EXPECT_EQ(destination.writes, (std::vector<int64_t>{500}));
    EXPECT_EQ(source.Position(), 600);
}

TEST(Stream32Test, CopyFromEmptySourceCopiesNothing) {
    TMemoryStream32 source;
    RecordingStream destination;
    int pumps = 0;
    destination.SetMessagePump([&] { ++pumps; });
    EXPECT_EQ(destination.CopyFrom(source, 0), 0);
    EXPECT_TRUE(destination.writes.empty());
    EXPECT_EQ(pumps, 0);
}

TEST(Stream32Test, CopyFromPumpsBeforeEachPieceAndStopsOnCancel) {
    TMemoryStream32 source;
    Fill(source, test::RandomBytes(5 * 131072, 3));
    RecordingStream destination;
    tolvane::platform::CancelToken cancel;
    destination.SetCancelToken(&cancel);
    std::vector<size_t> writesAtPump;
    destination.SetMessagePump([&] {
        writesAtPump.push_back(destination.writes.size());
        // A handler run by the pump cancels during the third piece's turn.
        if (writesAtPump.size() == 3)
            cancel.Request();
    });
    EXPECT_EQ(destination.CopyFrom(source, 0), 2 * 131072);
    EXPECT_EQ(writesAtPump, (std::vector<size_t>{0, 1, 2}));
    EXPECT_EQ(destination.Size(), 2 * 131072);
}

TEST(Stream32Test, CopyFromWithCancelAlreadySetCopiesNothing) {
    TMemoryStream32 source;
    Fill(source, test::RandomBytes(1000, 4));
    TMemoryStream32 destination;
    tolvane::platform::CancelToken cancel;
    cancel.Request();
    destination.SetCancelToken(&cancel);
    EXPECT_EQ(destination.CopyFrom(source, 0), 0);
    EXPECT_EQ(destination.Size(), 0);
}

TEST(Stream32Test, CopyFromShortSourceThrowsReadError) {
    TMemoryStream32 source;
    Fill(source, test::RandomBytes(100, 5));
    TMemoryStream32 destination;
    EXPECT_THROW(destination.CopyFrom(source, 200), StreamReadError);
}

TEST(Stream32Test, CopyFromFullDestinationThrowsWriteError) {
    TMemoryStream32 source;
    Fill(source, test::RandomBytes(200000, 6));
    FullStream destination(150000);
    EXPECT_THROW(destination.CopyFrom(source, 0), StreamWriteError);
}

// --- TMemoryStream32 ----------------------------------------------------------

TEST(MemoryStream32Test, CapacityGrowsInWholeSteps) {
    struct Case {
        int64_t written;
        size_t capacity;
    };
    const Case cases[] = {{0, 0},       {1, 8192},     {8191, 8192},
                          {8192, 8192}, {8193, 16384}, {100000, 106496}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.written);
        TMemoryStream32 stream;
        const std::vector<uint8_t> data(static_cast<size_t>(c.written), 1);
        stream.WriteBuffer(data.data(), c.written);
        EXPECT_EQ(stream.Capacity(), c.capacity);
        EXPECT_EQ(stream.Size(), c.written);
    }
}

TEST(MemoryStream32Test, SmallWritesGrowTheBlockAndKeepTheBytes) {
    TMemoryStream32 stream;
    std::vector<uint8_t> expected;
    for (int i = 0; i < 5000; ++i) {
        const uint8_t piece[7] = {uint8_t(i), uint8_t(i >> 8), 1, 2, 3, 4, 5};
        stream.WriteBuffer(piece, sizeof piece);
        expected.insert(expected.end(), piece, piece + sizeof piece);
    }
    EXPECT_EQ(Contents(stream), expected);
    EXPECT_EQ(stream.Capacity() % 8192, 0u);
    EXPECT_GE(stream.Capacity(), expected.size());
}

TEST(MemoryStream32Test, ReadsStopAtTheEnd) {
    TMemoryStream32 stream;
    Fill(stream, {10, 20, 30, 40, 50});
    stream.SetPosition(3);
    uint8_t buffer[8] = {};
    EXPECT_EQ(stream.Read(buffer, 8), 2);
    EXPECT_EQ(buffer[0], 40);
    EXPECT_EQ(buffer[1], 50);
    EXPECT_EQ(stream.Read(buffer, 8), 0);
    stream.SetPosition(10);
    EXPECT_EQ(stream.Read(buffer, 8), 0);
}

TEST(MemoryStream32Test, OverwriteInsideAndWritePastTheEnd) {
    TMemoryStream32 stream;
    Fill(stream, {1, 2, 3, 4});
    stream.SetPosition(2);
    const uint8_t more[] = {7, 8, 9};
    stream.WriteBuffer(more, 3);
    EXPECT_EQ(Contents(stream), (std::vector<uint8_t>{1, 2, 7, 8, 9}));
    EXPECT_EQ(stream.Position(), 5);
}

TEST(MemoryStream32Test, GapLeftBySeekingPastTheEndReadsAsZeros) {
    TMemoryStream32 stream;
    Fill(stream, std::vector<uint8_t>(100, 0xFF));
    stream.SetSize(10); // the old bytes stay in the block
    EXPECT_EQ(stream.Seek(20, SeekOrigin::Begin), 20);
    const uint8_t one = 0x42;
    stream.WriteBuffer(&one, 1);
    std::vector<uint8_t> expected(10, 0xFF);
    expected.resize(20, 0);
    expected.push_back(0x42);
    EXPECT_EQ(Contents(stream), expected);
}

TEST(MemoryStream32Test, SeekOrigins) {
    TMemoryStream32 stream;
    Fill(stream, std::vector<uint8_t>(50, 0));
    EXPECT_EQ(stream.Seek(10, SeekOrigin::Begin), 10);
    EXPECT_EQ(stream.Seek(5, SeekOrigin::Current), 15);
    EXPECT_EQ(stream.Seek(-20, SeekOrigin::End), 30);
    EXPECT_EQ(stream.Seek(-31, SeekOrigin::Current), -1);
    EXPECT_EQ(stream.Position(), 30);
}

TEST(MemoryStream32Test, SetSizeSmallerThanThePositionMovesItToTheEnd) {
    TMemoryStream32 stream;
    Fill(stream, test::RandomBytes(20000, 8));
    stream.Seek(0, SeekOrigin::End);
    stream.SetSize(5000);
    EXPECT_EQ(stream.Position(), 5000);
    EXPECT_EQ(stream.Size(), 5000);
    EXPECT_EQ(stream.Capacity(), 8192u);

    stream.SetPosition(1000);
    stream.SetSize(3000);
    EXPECT_EQ(stream.Position(), 1000);
}

TEST(MemoryStream32Test, SetSizeLargerKeepsThePositionAndZeroFills) {
    TMemoryStream32 stream;
    Fill(stream, {9, 9, 9});
    stream.SetSize(1);
    stream.SetPosition(1);
    stream.SetSize(9000);
    EXPECT_EQ(stream.Position(), 1);
    EXPECT_EQ(stream.Capacity(), 16384u);
    std::vector<uint8_t> expected(9000, 0);
    expected[0] = 9;
    EXPECT_EQ(Contents(stream), expected);
    EXPECT_THROW(stream.SetSize(-1), StreamError);
}

TEST(MemoryStream32Test, ClearEmptiesTheStream) {
    TMemoryStream32 stream;
    Fill(stream, test::RandomBytes(10000, 9));
    stream.Clear();
    EXPECT_EQ(stream.Size(), 0);
    EXPECT_EQ(stream.Position(), 0);
    EXPECT_EQ(stream.Capacity(), 0u);
}

TEST(MemoryStream32Test, ImpossibleGrowthIsAStreamError) {
    TMemoryStream32 stream;
    // Beyond what any block can hold, refused before an allocation is tried
    // (a sanitizer build aborts on an attempt that size instead of throwing).
    stream.SetPosition(std::numeric_limits<int64_t>::max() - 10);
    const uint8_t byte = 1;
    try {
        stream.Write(&byte, 1);
        FAIL() << "growth beyond memory not reported";
    } catch (const StreamError& error) {
        EXPECT_STREQ(error.what(), "Out of memory while expanding memory stream");
        EXPECT_EQ(error.ErrorNumber(), 0);
    }
}

// --- TFileStream32 -----------------------------------------------------------

TEST(FileStream32Test, CreateWriteAndReadBack) {
    test::TempFolder folder;
    const auto bytes = test::RandomBytes(70000, 10);
    const std::string path = folder / "out.bin";
    {
        TFileStream32 out(path, TFileStream32::Mode::Create);
        ASSERT_TRUE(out.IsValid());
        out.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        EXPECT_EQ(out.Size(), 70000);
    }
    EXPECT_EQ(test::ReadFileBytes(path), bytes);

    TFileStream32 in(path, TFileStream32::Mode::Read);
    ASSERT_TRUE(in.IsValid());
    EXPECT_EQ(in.Seek(-10, SeekOrigin::End), 69990);
    uint8_t tail[16] = {};
    EXPECT_EQ(in.Read(tail, 16), 10);
    EXPECT_EQ(0, std::memcmp(tail, bytes.data() + 69990, 10));
}

TEST(FileStream32Test, CreateTruncatesAnExistingFile) {
    test::TempFolder folder;
    const std::string path = folder.WriteFile("old.bin", std::string(5000, 'x'));
    TFileStream32 out(path, TFileStream32::Mode::Create);
    ASSERT_TRUE(out.IsValid());
    EXPECT_EQ(out.Size(), 0);
}

TEST(FileStream32Test, OpeningAMissingFileLeavesTheStreamInvalid) {
    test::TempFolder folder;
    TFileStream32 read(folder / "missing", TFileStream32::Mode::Read);
    EXPECT_FALSE(read.IsValid());
    EXPECT_EQ(read.LastErrorNumber(), ENOENT);
    TFileStream32 readWrite(folder / "missing", TFileStream32::Mode::ReadWrite);
    EXPECT_FALSE(readWrite.IsValid());
    TFileStream32 create(folder / "no/such/folder/file", TFileStream32::Mode::Create);
    EXPECT_FALSE(create.IsValid());
}

TEST(FileStream32Test, ReadWriteOpensWithoutTruncating) {
    test::TempFolder folder;
    const std::string path = folder.WriteFile("data.bin", "abcdef");
    {
        TFileStream32 stream(path, TFileStream32::Mode::ReadWrite);
        ASSERT_TRUE(stream.IsValid());
        stream.SetPosition(2);
        stream.WriteBuffer("XY", 2);
    }
    EXPECT_EQ(test::ReadFileText(path), "abXYef");
}

TEST(FileStream32Test, WritingAReadOnlyStreamFails) {
    test::TempFolder folder;
    const std::string path = folder.WriteFile("data.bin", "abc");
    TFileStream32 stream(path, TFileStream32::Mode::Read);
    ASSERT_TRUE(stream.IsValid());
    EXPECT_EQ(stream.Write("z", 1), 0);
    try {
        stream.WriteBuffer("z", 1);
        FAIL() << "write on a read-only file not reported";
    } catch (const StreamWriteError& error) {
        EXPECT_EQ(error.ErrorNumber(), EBADF);
    }
    EXPECT_THROW(stream.SetSize(1), StreamError);
    EXPECT_EQ(test::ReadFileText(path), "abc");
}

TEST(FileStream32Test, SetSizeTruncatesExtendsAndMovesThePosition) {
    test::TempFolder folder;
    const std::string path = folder.WriteFile("data.bin", "0123456789");
    TFileStream32 stream(path, TFileStream32::Mode::ReadWrite);
    ASSERT_TRUE(stream.IsValid());
    stream.SetPosition(8);
    stream.SetSize(4);
    EXPECT_EQ(stream.Size(), 4);
    // Writing on continues at the new end, leaving no hole.
    EXPECT_EQ(stream.Position(), 4);
    stream.WriteBuffer("ab", 2);
    stream.SetSize(8);
    EXPECT_EQ(stream.Position(), 8);
    EXPECT_EQ(test::ReadFileBytes(path),
              (std::vector<uint8_t>{'0', '1', '2', '3', 'a', 'b', 0, 0}));
}

TEST(FileStream32Test, FullDeviceGivesWriteErrorWithEnospc) {
    TFileStream32 stream("/dev/full", TFileStream32::Mode::ReadWrite);
    if (!stream.IsValid())
        GTEST_SKIP() << "/dev/full is not available";
    const std::vector<uint8_t> data(4096, 1);
    try {
        stream.WriteBuffer(data.data(), 4096);
        FAIL() << "write to a full device not reported";
    } catch (const StreamWriteError& error) {
        EXPECT_EQ(error.ErrorNumber(), ENOSPC);
    }
}

TEST(FileStream32Test, ReadProgressCountsDeliveredBytes) {
    test::TempFolder folder;
    const std::string path = folder.WriteFile("data.bin", test::RandomBytes(300000, 11));
    TFileStream32 stream(path, TFileStream32::Mode::Read);
    ASSERT_TRUE(stream.IsValid());
    int64_t remaining = 1000000;
    std::vector<int64_t> seen;
    stream.ReadRemaining = &remaining;
    stream.OnReadProgress = [&](TStream32& sender) {
        EXPECT_EQ(&sender, &stream);
        seen.push_back(remaining);
    };
    TMemoryStream32 destination;
    EXPECT_EQ(destination.CopyFrom(stream, 0), 300000);
    EXPECT_EQ(seen, (std::vector<int64_t>{1000000 - 131072, 1000000 - 262144, 700000}));

    // At the end nothing is delivered and nothing is reported.
    uint8_t byte;
    EXPECT_EQ(stream.Read(&byte, 1), 0);
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_EQ(remaining, 700000);
}

TEST(FileStream32Test, CopyToFileMatchesSource) {
    test::TempFolder folder;
    const auto bytes = test::RandomBytes(400000, 12);
    const std::string in = folder.WriteFile("in.bin", bytes);
    TFileStream32 source(in, TFileStream32::Mode::Read);
    TFileStream32 destination(folder / "out.bin", TFileStream32::Mode::Create);
    ASSERT_TRUE(source.IsValid() && destination.IsValid());
    EXPECT_EQ(destination.CopyFrom(source, 0), 400000);
    ASSERT_TRUE(destination.Close());
    EXPECT_EQ(test::ReadFileBytes(folder / "out.bin"), bytes);
}

} // namespace
} // namespace tolvane::archive
