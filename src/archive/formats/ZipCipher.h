// The traditional PKWARE stream cipher of ZIP 2.0: three keys from the
// password, a 12-byte encryption header, data enciphered byte by byte. Each
// writer owns its cipher, so runs side by side never share keys.
#pragma once

#include "archive/writer/EntryCoder.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace tolvane::archive {

class ZipCipher : public EntryCipher {
public:
    // Sets the keys from `password` and returns the enciphered header: ten
    // random bytes, then bits 16-23 and 24-31 of `crc`. The keys are left
    // ready for the entry's data.
    Header MakeEncryptionHeader(std::string_view password, uint32_t crc);
    // The same with the ten leading bytes given (for tests and readers).
    Header MakeEncryptionHeader(std::string_view password, uint32_t crc,
                                const std::array<uint8_t, 10>& random);

    Header MakeHeader(const std::string& password, uint32_t crc) override {
        return MakeEncryptionHeader(password, crc);
    }

    // Sets the keys from `password` only.
    void InitKeys(std::string_view password);
    void EncryptBuffer(uint8_t* data, size_t length) override;
    void DecryptBuffer(uint8_t* data, size_t length);

private:
    void UpdateKeys(uint8_t plain);
    uint8_t KeystreamByte() const;

    uint32_t keys_[3] = {0x12345678u, 0x23456789u, 0x34567890u};
};

} // namespace tolvane::archive
