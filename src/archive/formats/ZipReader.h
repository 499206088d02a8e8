// Reads ZIP archives for listing and testing: the central directory found
// through the end record (APPNOTE Zip64 included), and each entry's data
// deciphered, expanded and checked. The reader shares no code with the ZIP
// writer so that it can check the writer's output independently.
//
// Everything in the file is untrusted: every length and offset is checked
// against the file (and the central directory's place in it) before it is
// used, and a damaged archive gives an error text, never a read outside a
// buffer.
#pragma once

#include "archive/formats/ZipRecords.h"

#include "platform/CodePage.h"
#include "platform/File.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tolvane::archive {

inline constexpr uint16_t kZipFlagEncrypted = zip::kFlagEncrypted;
inline constexpr uint16_t kZipFlagDataDescriptor = zip::kFlagDescriptor;
inline constexpr uint16_t kZipFlagStrongEncryption = 0x0040;
inline constexpr uint16_t kZipFlagUtf8Name = zip::kFlagUtf8;

inline constexpr uint16_t kZipMethodStored = 0;
inline constexpr uint16_t kZipMethodDeflated = 8;

// One entry as its central record describes it, Zip64 values applied.
struct ZipEntry {
    std::string storedName; // the name's bytes as stored
    // UTF-8 as stored when flag bit 11 is set, else the Info-ZIP Unicode path
    // (0x7075) when one matches, else as stored when made on Unix, else as
    // NameFromOem (EntryPath.h) reads it.
    std::string name;
    bool unicodePath = false;   // `name` came from a Unicode path field
    uint16_t versionMadeBy = 0; // the high byte names the system (3 for Unix)
    uint16_t flags = 0;
    uint16_t method = 0;
    uint32_t dosDateTime = 0; // date in the high half, time in the low half
    uint32_t crc32 = 0;
    uint64_t compressedSize = 0; // includes the 12-byte encryption header
    uint64_t uncompressedSize = 0;
    uint64_t localHeaderOffset = 0;
    uint32_t externalAttributes = 0;

    bool Encrypted() const { return (flags & kZipFlagEncrypted) != 0; }
    bool MadeOnUnix() const;
    // The permission bits a Unix-made archive records (external attributes'
    // high half, version made by 3), nullopt when the entry carries none.
    std::optional<uint32_t> UnixMode() const;
};

class ZipReader {
public:
    // Opens the archive; IsOpen() tells whether that worked and OpenError() why not.
    ZipReader(const std::string& path, const platform::CodePage& codePage);

    bool IsOpen() const { return file_.IsOpen(); }
    // errno of the failed open (0 when the archive is open).
    int OpenError() const { return openError_; }

    // Appends the entries of the central directory in their order.
    // @return false with `error` set when the end record, the Zip64 records or
    //         a central record is missing or damaged; the entries read before
    //         the damaged record are kept in `entries`.
    bool ReadDirectory(std::vector<ZipEntry>& entries, std::string& error);

    using Sink = std::function<void(const uint8_t* data, size_t length)>;

    // Deciphers (flag bit 0, with `password`) and expands the entry's data into
    // `sink` in pieces of at most 64 KiB, then checks the size and the CRC-32
    // against the central record. The sink sees data before the checks are
    // complete, so a caller that keeps it must drop it when this returns false.
    // @pre `entry` came from ReadDirectory on this reader.
    // @param password nullptr when none was given; an encrypted entry then fails
    //        with "encrypted: give --password-file".
    // @return false with `error` set ("wrong password", a size or CRC-32
    //         mismatch, damaged data, an unsupported method).
    bool Extract(const ZipEntry& entry, const Sink& sink, const std::string* password,
                 std::string& error);

    // Reads the entry's local header and checks it against the central record:
    // the signature, and the stored name, whose bytes must be the same in both
    // (or name the same UTF-8 name where one of them carries a Unicode path
    // field). A name that differs is a damaged or crafted archive: an
    // extractor that took either name could write where the other did not say.
    // @return false with `error` set; else `dataOffset` is where the data begins.
    bool ReadLocalHeader(const ZipEntry& entry, uint64_t& dataOffset, std::string& error);

private:
    // Where the end record (or the Zip64 end record) puts the central directory.
    struct DirectoryPlace {
        uint32_t disk = 0;
        uint32_t directoryDisk = 0;
        uint64_t countOnDisk = 0;
        uint64_t count = 0;
        uint64_t offset = 0;
        uint64_t size = 0;
    };

    bool ReadAt(uint64_t offset, void* buffer, size_t count);
    bool ReadError(const std::string& what, uint64_t offset, std::string& error);
    bool FindEndRecord(uint64_t& endOffset, DirectoryPlace& place, std::string& error);
    bool ApplyZip64End(uint64_t endOffset, DirectoryPlace& place, uint64_t& directoryLimit,
                       std::string& error);
    bool ReadCentralRecord(uint64_t offset, uint64_t limit, ZipEntry& entry, uint64_t& next,
                           std::string& error);
    bool ExpandData(const ZipEntry& entry, uint64_t dataOffset, const std::string* password,
                    const Sink& sink, std::string& error);

    platform::File file_;
    platform::CodePage codePage_;
    int openError_ = 0;
    uint64_t fileSize_ = 0;
    // Entry data must end here: the start of the central directory once it is
    // known, the end of the file before.
    uint64_t dataLimit_ = 0;
};

// True when the file begins like a ZIP archive: a local header (50 4B 03 04)
// or the end record of an empty archive (50 4B 05 06). False for an empty or
// unreadable file.
bool LooksLikeZip(const std::string& path);

} // namespace tolvane::archive
