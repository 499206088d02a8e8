// The attribute filter of the writers and the scanner: a 16-bit set of
// TkroFileAttribute members and the include and exclude tests on attribute bits.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace tolvane::archive {

enum TkroFileAttribute : uint8_t {
    fsZeroAttr,
    fsReadOnly,
    fsHidden,
    fsSysFile,
    fsVolumeID,
    fsDirectory,
    fsArchive,
    fsCompressed,
    fsEncrypted,
};

// Bit n stands for ordinal n; ordinals above 15 are ignored.
class TkroFileAttributes {
public:
    constexpr TkroFileAttributes() = default;
    constexpr TkroFileAttributes(std::initializer_list<TkroFileAttribute> members) {
        for (auto m : members)
            Include(m);
    }

    constexpr bool Contains(unsigned attr) const { return attr < 16 && (bits_ >> attr) & 1u; }
    constexpr void Include(unsigned attr) {
        if (attr < 16)
            bits_ = static_cast<uint16_t>(bits_ | (1u << attr));
    }
    constexpr void Exclude(unsigned attr) {
        if (attr < 16)
            bits_ = static_cast<uint16_t>(bits_ & ~(1u << attr));
    }
    constexpr uint16_t Bits() const { return bits_; }
    constexpr bool operator==(const TkroFileAttributes&) const = default;

    // The platform attribute bits of the members (fsZeroAttr adds none).
    uint32_t ToPlatformBits() const;

private:
    uint16_t bits_ = 0;
};

// The writers' and the scanner's default include filter.
inline constexpr TkroFileAttributes kDefaultAttributes{fsZeroAttr, fsReadOnly, fsArchive,
                                                       fsCompressed, fsEncrypted};

// Include test: passes when one of the set's members finds its bit in `bits`
// (fsZeroAttr: bits exactly 0 or 0x80), or whenever 0x2000 is set.
bool PassesIncludeTest(TkroFileAttributes set, uint32_t bits);
// Exclude test: the same rules without the 0x2000 rule; true rejects the entry.
bool HitsExcludeTest(TkroFileAttributes set, uint32_t bits);

} // namespace tolvane::archive
