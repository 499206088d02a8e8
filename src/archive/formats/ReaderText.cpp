#include "ReaderText.h"

#include <cstdio>

namespace tolvane::archive {

std::string At(uint64_t offset) {
    return "at offset " + std::to_string(offset);
}

std::string Hex32(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

std::string HexBytes(const uint8_t* p, size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, i == 0 ? "%02x" : " %02x", p[i]);
        text += byte;
    }
    return text;
}

} // namespace tolvane::archive
