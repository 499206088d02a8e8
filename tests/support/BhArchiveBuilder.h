// Assembles BH archives byte by byte for reader tests, with explicit
// little-endian stores at the header's fixed offsets, so that the tests do not
// depend on the archive writer.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tolvane::test {

// One entry as it goes into the file; every header field is set explicitly.
struct RawBhEntry {
    uint32_t signature = 0x07054842;
    uint8_t flags = 0;
    uint8_t method = 0;
    uint32_t dosDateTime = 0;
    uint32_t compressedLength = 0;
    uint32_t uncompressedLength = 0;
    uint32_t crc32 = 0;
    uint16_t attributes = 0x20;
    std::string name;           // stored name bytes
    std::vector<uint8_t> extra; // bytes between name and data
    std::vector<uint8_t> data;  // what follows the name (and extra bytes)
};

inline void StoreLE16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

inline void StoreLE32(uint8_t* p, uint32_t v) {
    StoreLE16(p, static_cast<uint16_t>(v));
    StoreLE16(p + 2, static_cast<uint16_t>(v >> 16));
}

inline uint32_t ZlibCrc32(const std::vector<uint8_t>& data) {
    return static_cast<uint32_t>(crc32(0L, data.data(), static_cast<uInt>(data.size())));
}

inline std::vector<uint8_t> Bytes(std::string_view text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

// Raw deflate (no zlib header or trailer) of `data` at level 6.
inline std::vector<uint8_t> RawDeflate(const std::vector<uint8_t>& data) {
    z_stream stream{};
    if (deflateInit2(&stream, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    std::vector<uint8_t> out(deflateBound(&stream, static_cast<uLong>(data.size())));
    stream.next_in = const_cast<Bytef*>(data.data());
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    const int status = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (status != Z_STREAM_END)
        throw std::runtime_error("deflate did not finish");
    return out;
}

// A stored entry with consistent lengths and CRC.
inline RawBhEntry StoredBhEntry(std::string name, const std::vector<uint8_t>& content) {
    RawBhEntry entry;
    entry.method = 0;
    entry.name = std::move(name);
    entry.data = content;
    entry.compressedLength = static_cast<uint32_t>(content.size());
    entry.uncompressedLength = static_cast<uint32_t>(content.size());
    entry.crc32 = content.empty() ? 0 : ZlibCrc32(content);
    return entry;
}

// A deflated entry with consistent lengths and CRC.
inline RawBhEntry DeflatedBhEntry(std::string name, const std::vector<uint8_t>& content) {
    RawBhEntry entry;
    entry.method = 8;
    entry.name = std::move(name);
    entry.data = RawDeflate(content);
    entry.compressedLength = static_cast<uint32_t>(entry.data.size());
    entry.uncompressedLength = static_cast<uint32_t>(content.size());
    entry.crc32 = content.empty() ? 0 : ZlibCrc32(content);
    return entry;
}

// Appends header, name, extra bytes and data; returns the header's offset.
inline size_t AppendBhEntry(std::vector<uint8_t>& archive, const RawBhEntry& entry) {
    const size_t offset = archive.size();
    uint8_t h[37] = {};
    StoreLE32(h + 0, entry.signature);
    StoreLE16(h + 4, static_cast<uint16_t>(37 + entry.name.size() + entry.extra.size()));
    h[6] = 37; // fixed header size
    h[7] = 7;  // version byte
    h[8] = 0;  // second version byte
    h[9] = entry.flags;
    h[10] = entry.method;
    StoreLE32(h + 11, entry.dosDateTime);
    StoreLE32(h + 15, entry.compressedLength);
    StoreLE32(h + 19, entry.uncompressedLength);
    StoreLE32(h + 23, entry.crc32);
    StoreLE16(h + 27, entry.attributes);
    StoreLE32(h + 29, 0); // reserved
    StoreLE16(h + 33, static_cast<uint16_t>(entry.name.size()));
    StoreLE16(h + 35, static_cast<uint16_t>(entry.extra.size()));
    archive.insert(archive.end(), h, h + 37);
    archive.insert(archive.end(), entry.name.begin(), entry.name.end());
    archive.insert(archive.end(), entry.extra.begin(), entry.extra.end());
    archive.insert(archive.end(), entry.data.begin(), entry.data.end());
    return offset;
}

} // namespace tolvane::test
