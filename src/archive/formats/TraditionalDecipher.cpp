#include "TraditionalDecipher.h"

#include <array>

namespace tolvane::archive {

namespace {

constexpr std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

uint32_t CrcStep(uint32_t crc, uint8_t byte) {
    return kCrcTable[(crc ^ byte) & 0xFF] ^ (crc >> 8);
}

} // namespace

TraditionalDecipher::TraditionalDecipher(std::string_view password) {
    for (const char c : password)
        UpdateKeys(static_cast<uint8_t>(c));
}

void TraditionalDecipher::Decrypt(uint8_t* data, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        data[i] ^= KeystreamByte();
        UpdateKeys(data[i]);
    }
}

uint8_t TraditionalDecipher::KeystreamByte() const {
    // Only the low 16 bits matter; with them the product fits 32 bits.
    const uint32_t t = (key2_ | 2u) & 0xFFFFu;
    return static_cast<uint8_t>((t * (t ^ 1u)) >> 8);
}

void TraditionalDecipher::UpdateKeys(uint8_t plain) {
    key0_ = CrcStep(key0_, plain);
    key1_ = (key1_ + (key0_ & 0xFF)) * 134775813u + 1u;
    key2_ = CrcStep(key2_, static_cast<uint8_t>(key1_ >> 24));
}

} // namespace tolvane::archive
