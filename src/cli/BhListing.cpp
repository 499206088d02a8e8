// How BH entries appear in the listing table.
#include "cli/BhListing.h"

namespace tolvane::cli {

std::string BhMethodName(uint8_t method) {
    switch (method) {
    case archive::kBhMethodStored:
        return "Stored";
    case archive::kBhMethodDeflated:
        return "Deflated";
    case archive::kBhMethodFuse:
        return "Fuse";
    default:
        return std::to_string(method);
    }
}

ListedEntry ToListedEntry(const archive::BhEntry& entry) {
    ListedEntry listed;
    listed.name = entry.name;
    listed.size = entry.uncompressedLength;
    listed.packedSize = entry.compressedLength;
    listed.method = BhMethodName(entry.method);
    listed.dosDateTime = entry.dosDateTime;
    listed.attributes = entry.attributes;
    listed.crc32 = entry.crc32;
    listed.encrypted = entry.Encrypted();
    return listed;
}

} // namespace tolvane::cli
