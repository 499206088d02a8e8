// Layout of the 37-byte header in front of every BH entry.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tolvane::archive::bh {

inline constexpr size_t kHeaderSize = 37;
inline constexpr uint32_t kSignature = 0x07054842; // "BH" 5 7

// Field offsets.
inline constexpr size_t kOffSignature = 0;
inline constexpr size_t kOffHeaderLength = 4;
inline constexpr size_t kOffFixedSize = 6;
inline constexpr size_t kOffVersion = 7;
inline constexpr size_t kOffVersion2 = 8;
inline constexpr size_t kOffFlags = 9;
inline constexpr size_t kOffMethod = 10;
inline constexpr size_t kOffDateTime = 11;
inline constexpr size_t kOffCompressed = 15;
inline constexpr size_t kOffUncompressed = 19;
inline constexpr size_t kOffCrc = 23;
inline constexpr size_t kOffAttributes = 27;
inline constexpr size_t kOffReserved = 29;
inline constexpr size_t kOffNameLength = 33;
inline constexpr size_t kOffExtraLength = 35;
static_assert(kOffExtraLength + 2 == kHeaderSize);

inline constexpr uint8_t kVersion = 7;
inline constexpr uint8_t kFlagEncrypted = 0x01;
inline constexpr uint8_t kMethodStored = 0;
inline constexpr uint8_t kMethodFuse = 3;
inline constexpr uint8_t kMethodDeflated = 8;

// Sizes are 32-bit fields.
inline constexpr uint64_t kMaxEntrySize = 0xFFFFFFFFull;

} // namespace tolvane::archive::bh
