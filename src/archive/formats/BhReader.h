// Reads BH archives: walks the chain of entry headers from the start of the
// file and expands the data of its entries.
#pragma once

#include "platform/CodePage.h"
#include "platform/File.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tolvane::archive {

class TraditionalDecipher;

inline constexpr uint32_t kBhSignature = 0x07054842; // bytes 42 48 05 07
inline constexpr size_t kBhHeaderSize = 37;

inline constexpr uint8_t kBhFlagEncrypted = 0x01;
inline constexpr uint8_t kBhMethodStored = 0;
inline constexpr uint8_t kBhMethodFuse = 3;
inline constexpr uint8_t kBhMethodDeflated = 8;

// One entry as its header describes it. Offsets are from the start of the file.
struct BhEntry {
    uint64_t headerOffset = 0;
    uint16_t headerLength = 0;
    uint8_t flags = 0;
    uint8_t method = 0;
    uint32_t dosDateTime = 0;
    uint32_t compressedLength = 0;
    uint32_t uncompressedLength = 0;
    uint32_t crc32 = 0;
    uint16_t attributes = 0;
    uint16_t extraLength = 0;
    std::string storedName; // the name's bytes as stored (OEM code page, "/" separators)
    std::string name;       // the stored name as NameFromOem (EntryPath.h) reads it
    uint64_t dataOffset = 0;

    bool Encrypted() const { return (flags & kBhFlagEncrypted) != 0; }
};

class BhReader {
public:
    // Opens the archive; IsOpen() tells whether that worked and OpenError() why not.
    BhReader(const std::string& path, const platform::CodePage& codePage);

    bool IsOpen() const { return file_.IsOpen(); }
    // errno of the failed open (0 when the archive is open).
    int OpenError() const { return openError_; }

    // The next entry in file order; nullopt at the end of the file and at the
    // first place where no complete entry is found (then ChainBroken() is true).
    // An entry is only returned when its header, name and data all lie in the file.
    std::optional<BhEntry> Next();

    bool ChainBroken() const { return state_ == State::Broken; }
    // Offset of the entry header where the chain broke.
    uint64_t BreakOffset() const { return breakOffset_; }
    // What was wrong there; the text names the offset.
    const std::string& BreakReason() const { return breakReason_; }

    using Sink = std::function<void(const uint8_t* data, size_t length)>;

    // Expands the entry's data into `sink` piece by piece and checks it against
    // the header: the expanded size must equal the uncompressed length, the
    // CRC-32 must match, and a deflate stream must end exactly at the end of the
    // compressed data. The sink sees the data before the checks are complete,
    // so a caller that keeps it must drop it when this returns false.
    // Encrypted entries are deciphered with `password` (nullptr when none was
    // given: such an entry then fails with "encrypted: give --password-file").
    // @return false with `error` set when the entry is unsupported (method
    //         other than 0, 3 or 8), the password is wrong, or the entry is
    //         damaged or cannot be read.
    bool Extract(const BhEntry& entry, const Sink& sink, const std::string* password,
                 std::string& error);
    bool Extract(const BhEntry& entry, const Sink& sink, std::string& error) {
        return Extract(entry, sink, nullptr, error);
    }

private:
    enum class State { Reading, End, Broken };

    void Break(uint64_t offset, std::string reason);
    bool ReadAt(uint64_t offset, void* buffer, size_t count, int64_t& got);
    // Expands the data from `offset` on, `length` bytes, deciphering each
    // piece when `decipher` is set.
    bool Expand(const BhEntry& entry, uint64_t offset, uint64_t length,
                TraditionalDecipher* decipher, const Sink& sink, uint64_t& size, uint32_t& crc,
                std::string& error);

    platform::File file_;
    platform::CodePage codePage_;
    int openError_ = 0;
    uint64_t fileSize_ = 0;
    uint64_t position_ = 0;
    State state_ = State::Reading;
    uint64_t breakOffset_ = 0;
    std::string breakReason_;
};

} // namespace tolvane::archive
