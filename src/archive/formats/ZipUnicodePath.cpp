// The Info-ZIP Unicode path extra field (0x7075).
#include "archive/formats/ZipUnicodePath.h"

#include "archive/framework/ByteOrder.h"
#include "archive/framework/Crc.h"
#include "platform/CodePage.h"

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

} // namespace tolvane::archive
