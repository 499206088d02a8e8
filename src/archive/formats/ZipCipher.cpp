#include "ZipCipher.h"

#include "platform/Random.h"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>

namespace tolvane::archive {

namespace {

uint32_t CrcStep(uint32_t value, uint8_t byte) {
    static const z_crc_t* table = get_crc_table();
    return static_cast<uint32_t>(table[(value ^ byte) & 0xFFu]) ^ (value >> 8);
}

// The ten random header bytes come from the operating system: a seeded
// linear generator would let header bytes repeat between entries.
std::array<uint8_t, 10> RandomBytes() {
    std::array<uint8_t, 10> bytes{};
    platform::RandomBytes(bytes.data(), bytes.size());
    return bytes;
}

} // namespace

void ZipCipher::UpdateKeys(uint8_t plain) {
    keys_[0] = CrcStep(keys_[0], plain);
    keys_[1] = (keys_[1] + (keys_[0] & 0xFFu)) * 134775813u + 1u;
    keys_[2] = CrcStep(keys_[2], static_cast<uint8_t>(keys_[1] >> 24));
}

uint8_t ZipCipher::KeystreamByte() const {
    const uint32_t t = (keys_[2] & 0xFFFFu) | 2u;
    return static_cast<uint8_t>((t * (t ^ 1u)) >> 8);
}

void ZipCipher::InitKeys(std::string_view password) {
    keys_[0] = 0x12345678u;
    keys_[1] = 0x23456789u;
    keys_[2] = 0x34567890u;
    for (char c : password)
        UpdateKeys(static_cast<uint8_t>(c));
}

ZipCipher::Header ZipCipher::MakeEncryptionHeader(std::string_view password, uint32_t crc) {
    return MakeEncryptionHeader(password, crc, RandomBytes());
}

ZipCipher::Header ZipCipher::MakeEncryptionHeader(std::string_view password, uint32_t crc,
                                                  const std::array<uint8_t, 10>& random) {
    InitKeys(password);
    Header header{};
    std::copy(random.begin(), random.end(), header.begin());
    header[10] = static_cast<uint8_t>(crc >> 16);
    header[11] = static_cast<uint8_t>(crc >> 24);
    EncryptBuffer(header.data(), header.size());
    return header;
}

void ZipCipher::EncryptBuffer(uint8_t* data, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        const uint8_t plain = data[i];
        data[i] = plain ^ KeystreamByte();
        UpdateKeys(plain);
    }
}

void ZipCipher::DecryptBuffer(uint8_t* data, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        data[i] ^= KeystreamByte();
        UpdateKeys(data[i]);
    }
}

} // namespace tolvane::archive
