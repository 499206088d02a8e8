#include "ZipReader.h"

#include "ZipCipher.h"
#include "ZipRecords.h"

#include "archive/framework/ByteOrder.h"

#include <zlib.h>

#include <algorithm>
#include <memory>

namespace tolvane::archive {

using namespace zip;

namespace {

constexpr size_t kPiece = 65536;

std::string At(uint64_t offset) {
    return " at offset " + std::to_string(offset);
}

// Zip64 values for the fields that hold 0xFFFFFFFF, in APPNOTE order.
bool ApplyZip64(const std::vector<uint8_t>& extra, uint64_t& uncompressed, uint64_t& compressed,
                uint64_t& offset) {
    size_t pos = 0;
    while (pos + 4 <= extra.size()) {
        const uint16_t tag = LoadLE16(extra.data() + pos);
        const uint16_t size = LoadLE16(extra.data() + pos + 2);
        if (pos + 4 + size > extra.size())
            break;
        if (tag == kZip64Tag) {
            size_t at = pos + 4;
            const size_t end = at + size;
            for (uint64_t* field : {&uncompressed, &compressed, &offset}) {
                if (*field != kMax32)
                    continue;
                if (at + 8 > end)
                    return false;
                *field = LoadLE64(extra.data() + at);
                at += 8;
            }
            return true;
        }
        pos += 4 + size;
    }
    return uncompressed != kMax32 && compressed != kMax32 && offset != kMax32;
}

} // namespace

bool LooksLikeZip(const std::string& path) {
    platform::File file(path, platform::File::Mode::Read);
    uint8_t magic[4] = {};
    if (!file.IsOpen() || file.Read(magic, 4) != 4)
        return false;
    const uint32_t value = LoadLE32(magic);
    return value == kLocalSignature || value == kEndSignature;
}

ZipReader::ZipReader(const std::string& path, const platform::CodePage& codePage)
    : file_(path, platform::File::Mode::Read), codePage_(codePage) {
    if (!file_.IsOpen()) {
        openError_ = file_.LastError();
        return;
    }
    const int64_t size = file_.Size();
    size_ = size > 0 ? static_cast<uint64_t>(size) : 0;
}

bool ZipReader::ReadAt(uint64_t offset, void* buffer, size_t count) {
    if (offset > size_ || count > size_ - offset)
        return false;
    if (file_.Seek(static_cast<int64_t>(offset), platform::File::Origin::Begin) < 0)
        return false;
    return file_.Read(buffer, count) == static_cast<int64_t>(count);
}

bool ZipReader::ReadDirectory(std::vector<ZipEntry>& entries, std::string& error) {
    const uint64_t tailLength = std::min<uint64_t>(size_, kEndSize + 0xFFFF);
    std::vector<uint8_t> tail(tailLength);
    if (tailLength < kEndSize || !ReadAt(size_ - tailLength, tail.data(), tailLength)) {
        error = "no end record: not a ZIP archive, or cut short";
        return false;
    }
    int64_t found = -1;
    for (int64_t i = static_cast<int64_t>(tailLength - kEndSize); i >= 0; --i) {
        if (LoadLE32(tail.data() + i) == kEndSignature) {
            found = i;
            break;
        }
    }
    if (found < 0) {
        error = "no end record: not a ZIP archive, or cut short";
        return false;
    }
    const uint64_t endPos = size_ - tailLength + static_cast<uint64_t>(found);
    const uint8_t* end = tail.data() + found;
    uint64_t count = LoadLE16(end + kEndEntries);
    uint64_t cdSize = LoadLE32(end + kEndCdSize);
    uint64_t cdOffset = LoadLE32(end + kEndCdOffset);
    uint64_t dirEnd = endPos;
    uint8_t locator[kZip64LocatorSize];
    if (endPos >= kZip64LocatorSize &&
        ReadAt(endPos - kZip64LocatorSize, locator, kZip64LocatorSize) &&
        LoadLE32(locator) == kZip64LocatorSignature) {
        const uint64_t z64Pos = LoadLE64(locator + 8);
        uint8_t z64[kZip64EndSize];
        if (!ReadAt(z64Pos, z64, kZip64EndSize) || LoadLE32(z64) != kZip64EndSignature) {
            error = "the Zip64 locator points to no Zip64 end record";
            return false;
        }
        count = LoadLE64(z64 + 32);
        cdSize = LoadLE64(z64 + 40);
        cdOffset = LoadLE64(z64 + 48);
        dirEnd = z64Pos;
    }
    if (cdOffset > dirEnd || cdSize > dirEnd - cdOffset) {
        error = "the central directory lies outside the archive";
        return false;
    }
    uint64_t pos = cdOffset;
    for (uint64_t n = 0; n < count; ++n) {
        uint8_t c[kCentralSize];
        if (pos + kCentralSize > dirEnd || !ReadAt(pos, c, kCentralSize) ||
            LoadLE32(c) != kCentralSignature) {
            error = "no central record" + At(pos);
            return false;
        }
        const size_t nameLength = LoadLE16(c + kCenNameLength);
        const size_t extraLength = LoadLE16(c + kCenExtraLength);
        const size_t commentLength = LoadLE16(c + kCenCommentLength);
        const uint64_t recordEnd = pos + kCentralSize + nameLength + extraLength + commentLength;
        if (recordEnd > dirEnd) {
            error = "a central record runs past the directory" + At(pos);
            return false;
        }
        ZipEntry entry;
        entry.storedName.resize(nameLength);
        std::vector<uint8_t> extra(extraLength);
        if (!ReadAt(pos + kCentralSize, entry.storedName.data(), nameLength) ||
            !ReadAt(pos + kCentralSize + nameLength, extra.data(), extraLength)) {
            error = "cannot read the central record" + At(pos);
            return false;
        }
        entry.flags = LoadLE16(c + kCenFlags);
        entry.method = LoadLE16(c + kCenMethod);
        entry.dosDateTime =
            (static_cast<uint32_t>(LoadLE16(c + kCenDate)) << 16) | LoadLE16(c + kCenTime);
        entry.crc32 = LoadLE32(c + kCenCrc);
        entry.compressedSize = LoadLE32(c + kCenCompressed);
        entry.uncompressedSize = LoadLE32(c + kCenUncompressed);
        entry.localOffset = LoadLE32(c + kCenOffset);
        entry.externalAttributes = LoadLE32(c + kCenExternal);
        if (!ApplyZip64(extra, entry.uncompressedSize, entry.compressedSize, entry.localOffset)) {
            error = "a Zip64 field is missing" + At(pos);
            return false;
        }
        entry.name =
            (entry.flags & kFlagUtf8) ? entry.storedName : codePage_.ToAnsi(entry.storedName);
        entries.push_back(std::move(entry));
        pos = recordEnd;
    }
    return true;
}

bool ZipReader::Extract(const ZipEntry& entry, const Sink& sink, const std::string* password,
                        std::string& error) {
    uint8_t h[kLocalSize];
    if (!ReadAt(entry.localOffset, h, kLocalSize) || LoadLE32(h) != kLocalSignature) {
        error = "no local header" + At(entry.localOffset);
        return false;
    }
    uint64_t pos = entry.localOffset + kLocalSize + LoadLE16(h + kLocNameLength) +
                   LoadLE16(h + kLocExtraLength);
    if (pos > size_ || entry.compressedSize > size_ - pos) {
        error = "the data runs past the end of the archive";
        return false;
    }
    if (entry.method != 0 && entry.method != 8) {
        error = "unsupported method " + std::to_string(entry.method);
        return false;
    }
    uint64_t remaining = entry.compressedSize;
    ZipCipher cipher;
    if (entry.Encrypted()) {
        if (!password) {
            error = "encrypted: give --password-file";
            return false;
        }
        uint8_t header[ZipCipher::kHeaderSize];
        if (remaining < sizeof header || !ReadAt(pos, header, sizeof header)) {
            error = "the encryption header is cut short";
            return false;
        }
        cipher.InitKeys(*password);
        cipher.DecryptBuffer(header, sizeof header);
        // Writers that stream (data descriptor) check against the time instead.
        const uint8_t check = (entry.flags & kFlagDescriptor)
                                  ? static_cast<uint8_t>(entry.dosDateTime >> 8)
                                  : static_cast<uint8_t>(entry.crc32 >> 24);
        if (header[11] != check) {
            error = "wrong password";
            return false;
        }
        pos += sizeof header;
        remaining -= sizeof header;
    }

    z_stream zs{};
    std::unique_ptr<z_stream, int (*)(z_stream*)> inflater(nullptr, inflateEnd);
    if (entry.method == 8) {
        if (inflateInit2(&zs, -15) != Z_OK) {
            error = "out of memory";
            return false;
        }
        inflater.reset(&zs);
    }
    std::vector<uint8_t> in(kPiece), out(kPiece);
    uint64_t produced = 0;
    uLong crc = crc32(0, nullptr, 0);
    bool ended = entry.method == 0;
    auto deliver = [&](const uint8_t* data, size_t length) {
        produced += length;
        crc = crc32_z(crc, data, length);
        if (sink)
            sink(data, length);
    };
    while (remaining > 0) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(remaining, kPiece));
        if (!ReadAt(pos, in.data(), n)) {
            error = "cannot read the data";
            return false;
        }
        if (entry.Encrypted())
            cipher.DecryptBuffer(in.data(), n);
        pos += n;
        remaining -= n;
        if (entry.method == 0) {
            deliver(in.data(), n);
            continue;
        }
        zs.next_in = in.data();
        zs.avail_in = static_cast<uInt>(n);
        while (zs.avail_in > 0 && !ended) {
            zs.next_out = out.data();
            zs.avail_out = static_cast<uInt>(out.size());
            const int rc = inflate(&zs, Z_NO_FLUSH);
            if (rc != Z_OK && rc != Z_STREAM_END) {
                error = "the deflate data is damaged";
                return false;
            }
            deliver(out.data(), out.size() - zs.avail_out);
            ended = rc == Z_STREAM_END;
            if (produced > entry.uncompressedSize) {
                error = "more data than the header says";
                return false;
            }
        }
        if (ended && (zs.avail_in > 0 || remaining > 0)) {
            error = "bytes after the end of the deflate data";
            return false;
        }
    }
    if (!ended) {
        error = "the deflate data is cut short";
        return false;
    }
    if (produced != entry.uncompressedSize) {
        error = "size " + std::to_string(produced) + " instead of " +
                std::to_string(entry.uncompressedSize);
        return false;
    }
    if (static_cast<uint32_t>(crc) != entry.crc32) {
        error = "CRC mismatch";
        return false;
    }
    return true;
}

} // namespace tolvane::archive
