// CRC-32 and CRC-16/ARC against slow bit-by-bit references.
#include "archive/framework/Crc.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolvane::archive {
namespace {

// One bit at a time, straight from the polynomial: no table to get wrong.
uint32_t SlowCrc32(const uint8_t* data, size_t length) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1u) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return crc ^ 0xFFFFFFFFu;
}

uint16_t SlowCrc16(const uint8_t* data, size_t length) {
    uint16_t crc = 0;
    for (size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<uint16_t>((crc & 1u) ? (crc >> 1) ^ 0xA001u : crc >> 1);
    }
    return crc;
}

struct KnownValue {
    std::string text;
    uint32_t crc32;
    uint16_t crc16;
};

TEST(CrcTest, KnownValues) {
    const KnownValue cases[] = {
        {"", 0x00000000u, 0x0000u},
        {"a", 0xE8B7BE43u, 0xE8C1u},
        {"abc", 0x352441C2u, 0x9738u},
        {"123456789", 0xCBF43926u, 0xBB3Du},
        {"The quick brown fox jumps over the lazy dog", 0x414FA339u, 0xFCDFu},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Crc32(c.text.data(), c.text.size()), c.crc32);
        EXPECT_EQ(Crc16(c.text.data(), c.text.size()), c.crc16);
    }
}

TEST(CrcTest, EmptyUpdateKeepsTheRegister) {
    // zlib answers a null buffer with its start value; the register must not
    // be reset by an empty piece.
    EXPECT_EQ(UpdateCrc32(0x12345678u, nullptr, 0), 0x12345678u);
    EXPECT_EQ(UpdateCrc32(kCrc32Start, nullptr, 0), kCrc32Start);
    EXPECT_EQ(UpdateCrc16(0xBEEFu, nullptr, 0), 0xBEEFu);
}

TEST(CrcTest, MatchesReferenceOnUnalignedAndLargeInputs) {
    const std::vector<uint8_t> data = test::RandomBytes((1u << 20) + 13, 7);
    const size_t lengths[] = {1, 2, 3, 7, 8, 15, 16, 17, 31, 63, 64, 65, 255, 1000, 4097};
    for (size_t offset = 0; offset < 8; ++offset) {
        for (size_t length : lengths) {
            SCOPED_TRACE("offset " + std::to_string(offset) + " length " + std::to_string(length));
            const uint8_t* p = data.data() + offset;
            EXPECT_EQ(Crc32(p, length), SlowCrc32(p, length));
            EXPECT_EQ(Crc16(p, length), SlowCrc16(p, length));
        }
    }
    EXPECT_EQ(Crc32(data.data() + 3, data.size() - 3), SlowCrc32(data.data() + 3, data.size() - 3));
    EXPECT_EQ(Crc16(data.data() + 5, data.size() - 5), SlowCrc16(data.data() + 5, data.size() - 5));
}

TEST(CrcTest, PiecewiseUpdatesEqualOneUpdate) {
    const std::vector<uint8_t> data = test::RandomBytes(300001, 11);
    const size_t splits[] = {0, 1, 3, 4096, 131071, 131072, 299999, 300001};
    for (size_t split : splits) {
        SCOPED_TRACE(split);
        uint32_t reg = UpdateCrc32(kCrc32Start, data.data(), split);
        reg = UpdateCrc32(reg, data.data() + split, data.size() - split);
        EXPECT_EQ(reg ^ 0xFFFFFFFFu, SlowCrc32(data.data(), data.size()));

        uint16_t reg16 = UpdateCrc16(0, data.data(), split);
        reg16 = UpdateCrc16(reg16, data.data() + split, data.size() - split);
        EXPECT_EQ(reg16, SlowCrc16(data.data(), data.size()));
    }
}

} // namespace
} // namespace tolvane::archive
