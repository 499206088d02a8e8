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

std::string ShownName(std::string_view name) {
    std::string shown = "'";
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        shown += byte < 0x20 || byte == 0x7F ? '?' : c;
    }
    return shown + "'";
}

} // namespace tolvane::archive
