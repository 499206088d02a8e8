// The stored data path: pieces, CRC, in-place enciphering, progress and a
// source that ends early.
#include "archive/framework/StoreStream.h"

#include "archive/framework/MemoryStream32.h"

#include "support/TempFolder.h"

#include "support/TestStreams.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <vector>

namespace tolvane::archive {
namespace {

using tolvane::test::FullStream;
using tolvane::test::RecordingStream;

void Fill(TMemoryStream32& stream, const std::vector<uint8_t>& bytes) {
    stream.Clear();
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
}

std::vector<uint8_t> Contents(TMemoryStream32& stream) {
    return std::vector<uint8_t>(stream.Data(), stream.Data() + stream.Size());
}

// A cipher simple enough to check by hand; it also counts its calls.
class XorCipher : public BufferCipher {
public:
    void EncryptBuffer(uint8_t* data, size_t length) override {
        for (size_t i = 0; i < length; ++i)
            data[i] ^= 0xA5;
        ++calls;
    }
    int calls = 0;
};

std::vector<uint8_t> Xored(std::vector<uint8_t> bytes) {
    for (auto& b : bytes)
        b ^= 0xA5;
    return bytes;
}

TEST(StoreStreamTest, CopiesInPiecesOf102400Bytes) {
    const auto bytes = test::RandomBytes(250000, 1);
    TMemoryStream32 source;
    Fill(source, bytes);
    RecordingStream destination;
    TStoreStream store(destination, CodecRecord{}, CrcKind::Crc32);
    EXPECT_EQ(store.CopyFrom(source, 0), 250000);
    EXPECT_EQ(destination.writes, (std::vector<int64_t>{102400, 102400, 45200}));
    EXPECT_EQ(Contents(destination), bytes);
    EXPECT_EQ(store.CrcRegister() ^ 0xFFFFFFFFu, Crc32(bytes.data(), bytes.size()));
    EXPECT_EQ(store.Position(), 250000);
}

TEST(StoreStreamTest, CopyFromZeroStartsAtTheSourceStart) {
    const auto bytes = test::RandomBytes(5000, 2);
    TMemoryStream32 source;
    Fill(source, bytes);
    source.SetPosition(4000);
    TMemoryStream32 destination;
    TStoreStream store(destination, CodecRecord{}, CrcKind::Crc32);
    EXPECT_EQ(store.CopyFrom(source, 0), 5000);
    EXPECT_EQ(Contents(destination), bytes);
}

TEST(StoreStreamTest, OutputFollowsWhatTheDestinationHeld) {
    const auto bytes = test::RandomBytes(3000, 3);
    TMemoryStream32 source;
    Fill(source, bytes);
    TMemoryStream32 destination;
    destination.WriteBuffer("HEAD", 4);
    TStoreStream store(destination, CodecRecord{}, CrcKind::Crc32);
    store.CopyFrom(source, 0);
    std::vector<uint8_t> expected = {'H', 'E', 'A', 'D'};
    expected.insert(expected.end(), bytes.begin(), bytes.end());
    EXPECT_EQ(Contents(destination), expected);
}

TEST(StoreStreamTest, EmptySourceWritesNothingAndGivesCrcZero) {
    TMemoryStream32 source;
    RecordingStream destination;
    TStoreStream store(destination, CodecRecord{}, CrcKind::Crc32);
    EXPECT_EQ(store.CopyFrom(source, 0), 0);
    EXPECT_TRUE(destination.writes.empty());
    EXPECT_EQ(store.CrcRegister() ^ 0xFFFFFFFFu, 0u);
}

TEST(StoreStreamTest, Crc16KindStartsAtZero) {
    const auto bytes = test::RandomBytes(210000, 4);
    TMemoryStream32 source;
    Fill(source, bytes);
    TMemoryStream32 destination;
    TStoreStream store(destination, CodecRecord{}, CrcKind::Crc16);
    EXPECT_EQ(store.CopyFrom(source, 0), 210000);
    EXPECT_EQ(store.CrcRegister(), Crc16(bytes.data(), bytes.size()));
}

TEST(StoreStreamTest, CipherChangesTheCallersBufferInPlaceAndKeepsTheCrc) {
    XorCipher cipher;
    CodecRecord record;
    record.cipher = &cipher;
    record.crcStart = 0x12345678u;
    TMemoryStream32 destination;
    TStoreStream store(destination, record, CrcKind::Crc32);
    std::vector<uint8_t> buffer = {1, 2, 3, 4, 5};
    EXPECT_EQ(store.Write(buffer.data(), 5), 5);
    EXPECT_EQ(buffer, Xored({1, 2, 3, 4, 5}));
    EXPECT_EQ(Contents(destination), buffer);
    EXPECT_EQ(store.CrcRegister(), 0x12345678u);
}

TEST(StoreStreamTest, CipheredCopyWritesEnciphered) {
    const auto bytes = test::RandomBytes(250000, 5);
    TMemoryStream32 source;
    Fill(source, bytes);
    XorCipher cipher;
    CodecRecord record;
    record.cipher = &cipher;
    record.crcStart = 0xCAFEBABEu;
    TMemoryStream32 destination;
    TStoreStream store(destination, record, CrcKind::Crc32);
    EXPECT_EQ(store.CopyFrom(source, 0), 250000);
    EXPECT_EQ(Contents(destination), Xored(bytes));
    EXPECT_EQ(cipher.calls, 3);
    EXPECT_EQ(store.CrcRegister(), 0xCAFEBABEu);
    // The source itself is untouched: only the copy buffer was enciphered.
    EXPECT_EQ(Contents(source), bytes);
}

TEST(StoreStreamTest, SourceEndingEarlyReturnsWhatWasWritten) {
    // A file that shrank after its size was taken.
    const auto bytes = test::RandomBytes(150000, 6);
    TMemoryStream32 source;
    Fill(source, bytes);
    RecordingStream destination;
    int64_t remaining = 250000;
    CodecRecord record;
    record.remaining = &remaining;
    TStoreStream store(destination, record, CrcKind::Crc32);
    EXPECT_EQ(store.CopyFrom(source, 250000), 150000);
    EXPECT_EQ(destination.writes, (std::vector<int64_t>{102400, 47600}));
    EXPECT_EQ(Contents(destination), bytes);
    EXPECT_EQ(store.CrcRegister() ^ 0xFFFFFFFFu, Crc32(bytes.data(), bytes.size()));
    EXPECT_EQ(remaining, 100000);
}

TEST(StoreStreamTest, RemainingCounterAndProgress) {
    const auto bytes = test::RandomBytes(250000, 7);
    TMemoryStream32 source;
    Fill(source, bytes);
    TMemoryStream32 destination;
    int64_t remaining = 1000000;
    CodecRecord record;
    record.remaining = &remaining;
    TStoreStream store(destination, record, CrcKind::Crc32);
    std::vector<std::pair<int64_t, int64_t>> calls; // position, remaining
    store.SetProgressRoutine([&](int64_t position) { calls.emplace_back(position, remaining); });
    store.CopyFrom(source, 0);
    EXPECT_EQ(calls, (std::vector<std::pair<int64_t, int64_t>>{
                         {102400, 897600}, {204800, 795200}, {250000, 750000}}));
}

TEST(StoreStreamTest, CancelFromThePumpStopsBeforeTheNextPiece) {
    TMemoryStream32 source;
    Fill(source, test::RandomBytes(400000, 8));
    RecordingStream destination;
    tolvane::platform::CancelToken cancel;
    int pumps = 0;
    const std::function<void()> pump = [&] {
        if (++pumps == 2)
            cancel.Request();
    };
    CodecRecord record;
    record.cancel = &cancel;
    record.pump = &pump;
    TStoreStream store(destination, record, CrcKind::Crc32);
    EXPECT_EQ(store.CopyFrom(source, 0), 102400);
    EXPECT_EQ(pumps, 2);
    EXPECT_EQ(destination.writes, (std::vector<int64_t>{102400}));
}

TEST(StoreStreamTest, ShortWriteOnTheDestinationThrows) {
    TMemoryStream32 source;
    Fill(source, test::RandomBytes(250000, 9));
    FullStream destination(150000);
    TStoreStream store(destination, CodecRecord{}, CrcKind::Crc32);
    try {
        store.CopyFrom(source, 0);
        FAIL() << "short write not reported";
    } catch (const StreamWriteError& error) {
        EXPECT_EQ(error.ErrorNumber(), ENOSPC);
    }
}

TEST(StoreStreamTest, NotReadableAndOnlyThePositionQueryAnswers) {
    TMemoryStream32 destination;
    TStoreStream store(destination, CodecRecord{}, CrcKind::Crc32);
    uint8_t buffer[4] = {1, 2, 3, 4};
    store.WriteBuffer(buffer, 4);
    EXPECT_EQ(store.Read(buffer, 4), -1);
    EXPECT_EQ(store.Seek(0, SeekOrigin::Current), 4);
    EXPECT_EQ(store.Seek(0, SeekOrigin::Begin), -1);
    EXPECT_EQ(store.Seek(1, SeekOrigin::Current), -1);
    EXPECT_EQ(store.Seek(0, SeekOrigin::End), -1);
}

} // namespace
} // namespace tolvane::archive
