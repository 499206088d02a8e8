// The CRC-only stream and the CRC pre-pass.
#include "archive/framework/CalcStreamCRC.h"

#include "archive/framework/MemoryStream32.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace tolvane::archive {
namespace {

void Fill(TMemoryStream32& stream, const std::vector<uint8_t>& bytes) {
    stream.Clear();
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
}

TEST(CalcStreamCRCTest, TakesTheCrcOfTheWholeSource) {
    const auto bytes = test::RandomBytes(300000, 1);
    TMemoryStream32 source;
    Fill(source, bytes);
    source.SetPosition(1234);
    TCalcStreamCRC crc32(source, nullptr, CodecRecord{}, CrcKind::Crc32, 0);
    EXPECT_EQ(crc32.CrcRegister() ^ 0xFFFFFFFFu, Crc32(bytes.data(), bytes.size()));
    EXPECT_EQ(crc32.InputTotal(), 300000);

    TCalcStreamCRC crc16(source, nullptr, CodecRecord{}, CrcKind::Crc16, 0);
    EXPECT_EQ(crc16.CrcRegister(), Crc16(bytes.data(), bytes.size()));
}

TEST(CalcStreamCRCTest, CountStartsAtTheSourcePosition) {
    const auto bytes = test::RandomBytes(1000, 2);
    TMemoryStream32 source;
    Fill(source, bytes);
    source.SetPosition(10);
    TCalcStreamCRC crc(source, nullptr, CodecRecord{}, CrcKind::Crc32, 100);
    EXPECT_EQ(crc.CrcRegister() ^ 0xFFFFFFFFu, Crc32(bytes.data() + 10, 100));
    EXPECT_EQ(source.Position(), 110);
}

TEST(CalcStreamCRCTest, RecordStartValueIsIgnored) {
    TMemoryStream32 source;
    Fill(source, {'a', 'b', 'c'});
    CodecRecord record;
    record.crcStart = 0x11111111u;
    TCalcStreamCRC crc(source, nullptr, record, CrcKind::Crc32, 0);
    EXPECT_EQ(crc.CrcRegister() ^ 0xFFFFFFFFu, 0x352441C2u);
}

TEST(CalcStreamCRCTest, ProgressRoutineReducesTheRemainingCounter) {
    TMemoryStream32 source;
    Fill(source, test::RandomBytes(200000, 3));
    int64_t remaining = 500000;
    CodecRecord record;
    record.remaining = &remaining;
    std::vector<int64_t> positions;
    TCalcStreamCRC crc(
        source, [&](int64_t position) { positions.push_back(position); }, record, CrcKind::Crc32,
        0);
    EXPECT_EQ(positions, (std::vector<int64_t>{131072, 200000}));
    EXPECT_EQ(remaining, 300000);
}

TEST(CalcStreamCRCTest, WithoutProgressTheRemainingCounterStays) {
    TMemoryStream32 source;
    Fill(source, test::RandomBytes(200000, 4));
    int64_t remaining = 500000;
    CodecRecord record;
    record.remaining = &remaining;
    TCalcStreamCRC crc(source, nullptr, record, CrcKind::Crc32, 0);
    EXPECT_EQ(remaining, 500000);
}

TEST(CalcStreamCRCTest, WritesNowhereAndAnswersOnlyThePositionQuery) {
    TMemoryStream32 source;
    Fill(source, {1, 2, 3});
    TCalcStreamCRC crc(source, nullptr, CodecRecord{}, CrcKind::Crc32, 0);
    uint8_t buffer[3];
    EXPECT_EQ(crc.Read(buffer, 3), -1);
    EXPECT_EQ(crc.Position(), 3);
    EXPECT_EQ(crc.Seek(0, SeekOrigin::Begin), -1);
}

TEST(CrcPrePassTest, ReturnsTheRegisterAndRewindsTheSource) {
    const auto bytes = test::RandomBytes(270000, 5);
    TMemoryStream32 source;
    Fill(source, bytes);
    source.SetPosition(99);
    const uint32_t reg = CrcPrePass(source, static_cast<int64_t>(bytes.size()), nullptr);
    EXPECT_EQ(reg ^ 0xFFFFFFFFu, Crc32(bytes.data(), bytes.size()));
    EXPECT_EQ(source.Position(), 0);
    // Only the entry's bytes, however much more the source holds by now.
    EXPECT_EQ(CrcPrePass(source, 1000, nullptr) ^ 0xFFFFFFFFu, Crc32(bytes.data(), 1000));
}

TEST(CrcPrePassTest, EmptySourceGivesTheStartValue) {
    TMemoryStream32 source;
    EXPECT_EQ(CrcPrePass(source, 0, nullptr), kCrc32Start);
    EXPECT_EQ(source.Position(), 0);
}

TEST(CrcPrePassTest, PumpRunsAndCancelStopsEarly) {
    const auto bytes = test::RandomBytes(4 * 131072, 6);
    TMemoryStream32 source;
    Fill(source, bytes);
    tolvane::platform::CancelToken cancel;
    int pumps = 0;
    const std::function<void()> pump = [&] {
        if (++pumps == 2)
            cancel.Request();
    };
    const uint32_t reg = CrcPrePass(source, static_cast<int64_t>(bytes.size()), &cancel, &pump);
    EXPECT_EQ(pumps, 2);
    // Only the first piece was taken before the cancel.
    EXPECT_EQ(reg ^ 0xFFFFFFFFu, Crc32(bytes.data(), 131072));
    EXPECT_EQ(source.Position(), 0);
}

} // namespace
} // namespace tolvane::archive
