// Reads ZIP archives for listing and testing: the central directory through
// the end record (Zip64 included), and each entry's data expanded, deciphered
// and checked. Every size and offset is checked against the file first.
#pragma once

#include "platform/CodePage.h"
#include "platform/File.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tolvane::archive {

struct ZipEntry {
    std::string name;       // decoded (UTF-8 flag, else the OEM code page)
    std::string storedName; // bytes as stored
    uint16_t flags = 0;
    uint16_t method = 0;
    uint32_t dosDateTime = 0;
    uint32_t crc32 = 0;
    uint64_t compressedSize = 0;
    uint64_t uncompressedSize = 0;
    uint64_t localOffset = 0;
    uint32_t externalAttributes = 0;

    bool Encrypted() const { return (flags & 0x0001) != 0; }
};

class ZipReader {
public:
    ZipReader(const std::string& path, const platform::CodePage& codePage);

    bool IsOpen() const { return file_.IsOpen(); }
    int OpenError() const { return openError_; }

    // The entries of the central directory; false with `error` when the
    // archive's directory is damaged (entries read before that are kept).
    bool ReadDirectory(std::vector<ZipEntry>& entries, std::string& error);

    using Sink = std::function<void(const uint8_t* data, size_t length)>;
    // Expands (and, with a password, deciphers) the entry, checking its size and
    // CRC-32. The sink may be empty.
    bool Extract(const ZipEntry& entry, const Sink& sink, const std::string* password,
                 std::string& error);

private:
    bool ReadAt(uint64_t offset, void* buffer, size_t count);

    platform::File file_;
    platform::CodePage codePage_;
    int openError_ = 0;
    uint64_t size_ = 0;
};

// True when the file starts like a ZIP archive (a local header or an empty
// archive's end record).
bool LooksLikeZip(const std::string& path);

} // namespace tolvane::archive
