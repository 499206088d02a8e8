// CRC-32 runs on zlib's sliced tables; CRC-16/ARC on a 256-entry table built
// at compile time.
#include "Crc.h"

#include <zlib.h>

#include <array>

namespace tolvane::archive {
namespace {

constexpr std::array<uint16_t, 256> MakeCrc16Table() {
    std::array<uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned value = i;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1u) ? (value >> 1) ^ 0xA001u : value >> 1;
        table[i] = static_cast<uint16_t>(value);
    }
    return table;
}

constexpr std::array<uint16_t, 256> kCrc16Table = MakeCrc16Table();

} // namespace

uint32_t UpdateCrc32(uint32_t reg, const void* data, size_t length) {
    // zlib keeps the register complemented between calls and answers a null
    // buffer with its initial value, so an empty update must not reach it.
    if (length == 0)
        return reg;
    return ~static_cast<uint32_t>(
        crc32_z(~reg & 0xFFFFFFFFul, static_cast<const Bytef*>(data), length));
}

uint16_t UpdateCrc16(uint16_t reg, const void* data, size_t length) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    unsigned crc = reg;
    for (size_t i = 0; i < length; ++i)
        crc = kCrc16Table[(crc ^ bytes[i]) & 0xFFu] ^ (crc >> 8);
    return static_cast<uint16_t>(crc);
}

} // namespace tolvane::archive
