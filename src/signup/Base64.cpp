#include "Base64.h"

#include <cstdint>

namespace tolvane::signup {

std::string EncodeBase64(const std::string& bytes) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t left = bytes.size() - i;
        uint32_t group = static_cast<uint8_t>(bytes[i]) << 16;
        if (left > 1)
            group |= static_cast<uint8_t>(bytes[i + 1]) << 8;
        if (left > 2)
            group |= static_cast<uint8_t>(bytes[i + 2]);
        out += kAlphabet[(group >> 18) & 63];
        out += kAlphabet[(group >> 12) & 63];
        out += left > 1 ? kAlphabet[(group >> 6) & 63] : '=';
        out += left > 2 ? kAlphabet[group & 63] : '=';
    }
    return out;
}

} // namespace tolvane::signup
