// Little-endian stores and loads at fixed offsets of record buffers.
#pragma once

#include <cstdint>

namespace tolvane::archive {

inline void StoreLE16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void StoreLE32(uint8_t* p, uint32_t v) {
    StoreLE16(p, v & 0xFFFFu);
    StoreLE16(p + 2, v >> 16);
}
inline uint16_t LoadLE16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t LoadLE32(const uint8_t* p) {
    return LoadLE16(p) | (static_cast<uint32_t>(LoadLE16(p + 2)) << 16);
}

inline void StoreLE64(uint8_t* p, uint64_t v) {
    StoreLE32(p, static_cast<uint32_t>(v));
    StoreLE32(p + 4, static_cast<uint32_t>(v >> 32));
}
inline uint64_t LoadLE64(const uint8_t* p) {
    return LoadLE32(p) | (static_cast<uint64_t>(LoadLE32(p + 4)) << 32);
}

} // namespace tolvane::archive
