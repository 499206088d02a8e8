// Walks a BH archive's chain of entries and expands stored, deflated and
// Fuse-coded data, deciphering encrypted entries.
#include "archive/formats/BhReader.h"

#include "archive/codecs/FuseDecoder.h"
#include "archive/codecs/RawInflate.h"
#include "archive/formats/EntryPath.h"
#include "archive/formats/ReaderText.h"
#include "archive/formats/TraditionalDecipher.h"
#include "archive/framework/ByteOrder.h"

#include "platform/FileSystem.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

namespace tolvane::archive {

namespace {

// Field offsets inside the 37-byte entry header.
constexpr size_t kOffSignature = 0;
constexpr size_t kOffHeaderLength = 4;
constexpr size_t kOffFlags = 9;
constexpr size_t kOffMethod = 10;
constexpr size_t kOffDateTime = 11;
constexpr size_t kOffCompressed = 15;
constexpr size_t kOffUncompressed = 19;
constexpr size_t kOffCrc = 23;
constexpr size_t kOffAttributes = 27;
constexpr size_t kOffNameLength = 33;
constexpr size_t kOffExtraLength = 35;
static_assert(kOffExtraLength + 2 == kBhHeaderSize);

constexpr size_t kChunkSize = 64 * 1024;

} // namespace

BhReader::BhReader(const std::string& path, const platform::CodePage& codePage)
    : file_(path, platform::File::Mode::Read), codePage_(codePage) {
    if (!file_.IsOpen()) {
        openError_ = file_.LastError();
        return;
    }
    const int64_t size = file_.Size();
    // Opening a folder succeeds on Linux; only a read shows that it is not a file.
    uint8_t probe = 0;
    if (size < 0 || file_.Read(&probe, 1) < 0) {
        openError_ = file_.LastError();
        file_.Close();
        return;
    }
    fileSize_ = static_cast<uint64_t>(size);
}

void BhReader::Break(uint64_t offset, std::string reason) {
    state_ = State::Broken;
    breakOffset_ = offset;
    breakReason_ = std::move(reason);
}

bool BhReader::ReadAt(uint64_t offset, void* buffer, size_t count, int64_t& got) {
    got = 0;
    if (file_.Seek(static_cast<int64_t>(offset), platform::File::Origin::Begin) < 0)
        return false;
    got = file_.Read(buffer, count);
    return got >= 0;
}

std::optional<BhEntry> BhReader::Next() {
    if (state_ != State::Reading || !file_.IsOpen())
        return std::nullopt;
    const uint64_t offset = position_;
    if (fileSize_ == 0) {
        // The writer never makes an archive without entries.
        Break(0, "the file is empty: not an archive");
        return std::nullopt;
    }
    if (offset == fileSize_) {
        state_ = State::End;
        return std::nullopt;
    }

    uint8_t header[kBhHeaderSize];
    int64_t got = 0;
    if (!ReadAt(offset, header, sizeof header, got)) {
        Break(offset, "read error " + At(offset) + ": " + platform::ErrorText(file_.LastError()));
        return std::nullopt;
    }
    const auto headerBytes = static_cast<size_t>(got);
    // A wrong signature says more about stray bytes than their count does.
    if (headerBytes >= 4 && LoadLE32(header + kOffSignature) != kBhSignature) {
        Break(offset,
              "no entry header " + At(offset) + " (found bytes " + HexBytes(header, 4) + ")");
        return std::nullopt;
    }
    if (headerBytes < kBhHeaderSize) {
        Break(offset, "entry header " + At(offset) + " is cut short (" +
                          std::to_string(headerBytes) + " of 37 bytes)");
        return std::nullopt;
    }

    BhEntry entry;
    entry.headerOffset = offset;
    entry.headerLength = LoadLE16(header + kOffHeaderLength);
    entry.flags = header[kOffFlags];
    entry.method = header[kOffMethod];
    entry.dosDateTime = LoadLE32(header + kOffDateTime);
    entry.compressedLength = LoadLE32(header + kOffCompressed);
    entry.uncompressedLength = LoadLE32(header + kOffUncompressed);
    entry.crc32 = LoadLE32(header + kOffCrc);
    entry.attributes = LoadLE16(header + kOffAttributes);
    entry.extraLength = LoadLE16(header + kOffExtraLength);
    const uint16_t nameLength = LoadLE16(header + kOffNameLength);
    if (nameLength == 0) {
        Break(offset, "entry header " + At(offset) + " has an empty name");
        return std::nullopt;
    }

    const uint64_t nameOffset = offset + kBhHeaderSize;
    entry.storedName.resize(nameLength);
    if (!ReadAt(nameOffset, entry.storedName.data(), nameLength, got)) {
        Break(offset,
              "read error " + At(nameOffset) + ": " + platform::ErrorText(file_.LastError()));
        return std::nullopt;
    }
    if (got < nameLength) {
        Break(offset, "name of the entry " + At(offset) + " is cut short (" + std::to_string(got) +
                          " of " + std::to_string(nameLength) + " bytes)");
        return std::nullopt;
    }

    // Our writer always stores an extra length of 0. Archives from elsewhere may
    // carry extra bytes; they are taken to sit between the name and the data and
    // not to count in the compressed length.
    entry.dataOffset = nameOffset + nameLength + entry.extraLength;
    if (entry.dataOffset > fileSize_) {
        Break(offset, "extra bytes of the entry " + At(offset) + " are cut short (" +
                          std::to_string(fileSize_ - (nameOffset + nameLength)) + " of " +
                          std::to_string(entry.extraLength) + " bytes)");
        return std::nullopt;
    }
    const uint64_t dataLeft = fileSize_ - entry.dataOffset;
    if (entry.compressedLength > dataLeft) {
        Break(offset, "data of the entry " + At(offset) + " is cut short (" +
                          std::to_string(dataLeft) + " of " +
                          std::to_string(entry.compressedLength) + " bytes)");
        return std::nullopt;
    }

    entry.name = NameFromOem(entry.storedName, codePage_);
    position_ = entry.dataOffset + entry.compressedLength;
    return entry;
}

bool BhReader::Extract(const BhEntry& entry, const Sink& sink, const std::string* password,
                       std::string& error) {
    error.clear();
    if (!file_.IsOpen()) {
        error = "the archive is not open";
        return false;
    }
    if (entry.method != kBhMethodStored && entry.method != kBhMethodDeflated &&
        entry.method != kBhMethodFuse) {
        error = "unsupported method " + std::to_string(entry.method);
        return false;
    }
    uint64_t offset = entry.dataOffset;
    uint64_t length = entry.compressedLength;
    std::optional<TraditionalDecipher> decipher;
    if (entry.Encrypted()) {
        if (password == nullptr) {
            error = "encrypted: give --password-file";
            return false;
        }
        if (length < TraditionalDecipher::kHeaderSize) {
            error =
                "the encryption header is cut short (" + std::to_string(length) + " of 12 bytes)";
            return false;
        }
        uint8_t header[TraditionalDecipher::kHeaderSize];
        int64_t got = 0;
        if (!ReadAt(offset, header, sizeof header, got) || got != sizeof header) {
            error = "the encryption header " + At(offset) + " cannot be read";
            return false;
        }
        decipher.emplace(*password);
        decipher->Decrypt(header, sizeof header);
        if (header[sizeof header - 1] != static_cast<uint8_t>(entry.crc32 >> 24)) {
            error = "wrong password";
            return false;
        }
        offset += sizeof header;
        length -= sizeof header;
    }

    uint64_t size = 0;
    uint32_t crc = crc32(0L, Z_NULL, 0);
    if (!Expand(entry, offset, length, decipher ? &*decipher : nullptr, sink, size, crc, error))
        return false;
    if (size != entry.uncompressedLength) {
        error = "size mismatch: expanded to " + std::to_string(size) + " bytes, header says " +
                std::to_string(entry.uncompressedLength);
        return false;
    }
    if (crc != entry.crc32) {
        error = "CRC-32 mismatch: computed " + Hex32(crc) + ", header says " + Hex32(entry.crc32);
        return false;
    }
    return true;
}

bool BhReader::Expand(const BhEntry& entry, uint64_t offset, uint64_t length,
                      TraditionalDecipher* decipher, const Sink& sink, uint64_t& size,
                      uint32_t& crc, std::string& error) {
    auto readPiece = [&](uint8_t* buffer, size_t count) {
        int64_t got = 0;
        if (!ReadAt(offset, buffer, count, got)) {
            error = "read error " + At(offset) + ": " + platform::ErrorText(file_.LastError());
            return false;
        }
        if (static_cast<size_t>(got) < count) {
            error = "entry data " + At(offset + static_cast<uint64_t>(got)) + " is cut short";
            return false;
        }
        if (decipher)
            decipher->Decrypt(buffer, count);
        offset += count;
        return true;
    };
    auto deliver = [&](const uint8_t* data, size_t count) {
        crc = crc32(crc, data, static_cast<uInt>(count));
        if (sink)
            sink(data, count);
        size += count;
    };
    switch (entry.method) {
    case kBhMethodDeflated:
        return InflateRaw(length, entry.uncompressedLength, readPiece, deliver, error);
    case kBhMethodFuse:
        return FuseDecode(length, entry.uncompressedLength, readPiece, deliver, error);
    default:
        break;
    }
    std::vector<uint8_t> buffer(kChunkSize);
    while (length > 0) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(length, kChunkSize));
        if (!readPiece(buffer.data(), want))
            return false;
        deliver(buffer.data(), want);
        length -= want;
    }
    return true;
}

} // namespace tolvane::archive
