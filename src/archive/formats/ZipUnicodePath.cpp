// The Info-ZIP Unicode path extra field (0x7075).
#include "archive/formats/ZipUnicodePath.h"

#include "archive/framework/ByteOrder.h"
#include "archive/framework/Crc.h"
#include "platform/CodePage.h"

#include <algorithm>

namespace tolvane::archive {

std::optional<std::string> UnicodePathFromExtra(const std::vector<uint8_t>& extra,
                                                std::string_view storedName) {
    size_t pos = 0;
    while (extra.size() - pos >= 4) {
        const uint16_t tag = LoadLE16(extra.data() + pos);
        const size_t length = LoadLE16(extra.data() + pos + 2);
        pos += 4;
        if (length > extra.size() - pos)
            return std::nullopt;
        // Version byte, CRC-32 of the stored name, then the name.
        if (tag == kZipUnicodePathTag && length >= 5 && extra[pos] == 1 &&
            LoadLE32(extra.data() + pos + 1) == Crc32(storedName.data(), storedName.size())) {
            std::string name(extra.begin() + static_cast<long>(pos + 5),
                             extra.begin() + static_cast<long>(pos + length));
            if (!name.empty() && platform::IsValidUtf8(name))
                return name;
            return std::nullopt;
        }
        pos += length;
    }
    return std::nullopt;
}

std::vector<uint8_t> UnicodePathField(std::string_view storedName, std::string_view utf8Name) {
    constexpr size_t kFixed = 5; // version byte and CRC-32
    if (utf8Name.size() > 0xFFFF - kFixed)
        return {};
    std::vector<uint8_t> block(4 + kFixed + utf8Name.size());
    StoreLE16(block.data(), kZipUnicodePathTag);
    StoreLE16(block.data() + 2, static_cast<uint32_t>(kFixed + utf8Name.size()));
    block[4] = 1;
    StoreLE32(block.data() + 5, Crc32(storedName.data(), storedName.size()));
    std::copy(utf8Name.begin(), utf8Name.end(), block.begin() + 4 + kFixed);
    return block;
}

std::vector<uint8_t> WithoutUnicodePath(const std::vector<uint8_t>& extra) {
    std::vector<uint8_t> out;
    size_t pos = 0;
    while (extra.size() - pos >= 4) {
        const size_t length = LoadLE16(extra.data() + pos + 2);
        if (length > extra.size() - pos - 4)
            break;
        if (LoadLE16(extra.data() + pos) != kZipUnicodePathTag)
            out.insert(out.end(), extra.begin() + static_cast<long>(pos),
                       extra.begin() + static_cast<long>(pos + 4 + length));
        pos += 4 + length;
    }
    // Bytes that form no block are kept as they were.
    out.insert(out.end(), extra.begin() + static_cast<long>(pos), extra.end());
    return out;
}

} // namespace tolvane::archive
