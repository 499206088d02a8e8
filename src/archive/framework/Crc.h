// CRC-32 (ISO 3309, reflected 0xEDB88320) and CRC-16/ARC (reflected 0xA001).
// Both work on the running register: CRC-32 starts at 0xFFFFFFFF and the final
// value is the register xor 0xFFFFFFFF; CRC-16 starts at 0 with no final xor.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tolvane::archive {

inline constexpr uint32_t kCrc32Start = 0xFFFFFFFFu;
// The final value is the register xor this.
inline constexpr uint32_t kCrc32FinalXor = 0xFFFFFFFFu;
inline constexpr uint32_t FinalCrc32(uint32_t reg) {
    return reg ^ kCrc32FinalXor;
}

// Advances a CRC-32 register over `data` (zlib's crc32 underneath).
uint32_t UpdateCrc32(uint32_t reg, const void* data, size_t length);
// Advances a CRC-16/ARC register over `data`.
uint16_t UpdateCrc16(uint16_t reg, const void* data, size_t length);

// Whole-buffer forms: the final CRC values.
inline uint32_t Crc32(const void* data, size_t length) {
    return FinalCrc32(UpdateCrc32(kCrc32Start, data, length));
}
inline uint16_t Crc16(const void* data, size_t length) {
    return UpdateCrc16(0, data, length);
}

} // namespace tolvane::archive
