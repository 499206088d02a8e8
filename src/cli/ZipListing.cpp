// How ZIP entries appear in the listing table.
#include "cli/ZipListing.h"

namespace tolvane::cli {

std::string ZipMethodName(uint16_t method) {
    switch (method) {
    case archive::kZipMethodStored:
        return "Stored";
    case archive::kZipMethodDeflated:
        return "Deflated";
    default:
        return std::to_string(method);
    }
}

ListedEntry ToListedEntry(const archive::ZipEntry& entry) {
    ListedEntry row;
    row.name = entry.name;
    row.size = entry.uncompressedSize;
    row.packedSize = entry.compressedSize;
    row.method = ZipMethodName(entry.method);
    row.dosDateTime = entry.dosDateTime;
    // The high half holds host-specific bits (Unix modes); the table shows the DOS side.
    row.attributes = entry.externalAttributes & 0xFFFFu;
    row.crc32 = entry.crc32;
    row.encrypted = entry.Encrypted();
    return row;
}

} // namespace tolvane::cli
