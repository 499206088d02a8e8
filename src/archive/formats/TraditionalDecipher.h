// The traditional PKWARE stream cipher of ZIP 2.0, deciphering side, for the
// archive readers. Written apart from the writers' cipher so that each checks
// the other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tolvane::archive {

// Three keys set up from the password, each plain byte fed back into them.
class TraditionalDecipher {
public:
    static constexpr size_t kHeaderSize = 12;

    explicit TraditionalDecipher(std::string_view password);

    void Decrypt(uint8_t* data, size_t length);

private:
    uint8_t KeystreamByte() const;
    void UpdateKeys(uint8_t plain);

    uint32_t key0_ = 0x12345678;
    uint32_t key1_ = 0x23456789;
    uint32_t key2_ = 0x34567890;
};

} // namespace tolvane::archive
