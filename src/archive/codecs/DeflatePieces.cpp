#include "DeflatePieces.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <new>
#include <stdexcept>

namespace tolvane::archive {
namespace {

constexpr size_t kStoredBlockMax = 65535;
constexpr size_t kStoredBlockHead = 5; // the byte of the block's three bits, LEN, NLEN
// Bytes that make a piece non-final: at most a byte for the three bits of the
// empty stored block, and its LEN and NLEN.
constexpr size_t kJoinRoom = 5;
// Where a coded piece is decoded to find its last block.
constexpr size_t kScanBuffer = size_t{64} << 10;
// Room the deflate coder gets beyond the longest stream that is kept.
constexpr size_t kDeflateSlack = 32;

// A piece this large is first looked at for being incompressible.
constexpr size_t kLookedAtPiece = size_t{128} << 10;
constexpr size_t kSamples = 4;
constexpr size_t kSampleSize = size_t{16} << 10;
// Bits per byte of the piece's byte frequencies from which its literals
// cannot pay for deflate's codes; text and most binary formats lie far below.
constexpr double kIncompressibleEntropy = 7.9;

double ByteEntropy(const uint8_t* data, size_t size) {
    // Four tables, so that runs of one byte value do not stall on one counter.
    std::array<std::array<uint32_t, 256>, 4> counts{};
    size_t at = 0;
    for (; at + 4 <= size; at += 4) {
        ++counts[0][data[at]];
        ++counts[1][data[at + 1]];
        ++counts[2][data[at + 2]];
        ++counts[3][data[at + 3]];
    }
    for (; at < size; ++at)
        ++counts[0][data[at]];
    double bits = 0;
    for (size_t value = 0; value < 256; ++value) {
        const double count =
            double(counts[0][value]) + counts[1][value] + counts[2][value] + counts[3][value];
        if (count > 0)
            bits -= count * std::log2(count / double(size));
    }
    return bits / double(size);
}

} // namespace

bool DeflatePieces::LooksIncompressible(TDeflateType type, const uint8_t* data, size_t size) {
    // Deflating random data costs as much as deflating text and gains
    // nothing. A piece whose byte frequencies are flat and whose samples,
    // spread over it, do not shrink at the piece's own level is stored
    // without the full attempt.
    if (size < kLookedAtPiece || ByteEntropy(data, size) < kIncompressibleEntropy)
        return false;
    uint8_t* out = sample_.Room(kSampleSize + kDeflateSlack);
    for (size_t index = 0; index < kSamples; ++index) {
        const uint8_t* sample = data + (size - kSampleSize) * index / (kSamples - 1);
        const size_t coded =
            deflate_.Code(type, sample, kSampleSize, out, kSampleSize + kDeflateSlack);
        if (coded != 0 && coded < kSampleSize)
            return false;
    }
    return true;
}

DeflatePieces::DeflatePieces() {
    if (inflateInit2(&scan_, -15) != Z_OK)
        throw std::bad_alloc();
}

DeflatePieces::~DeflatePieces() {
    inflateEnd(&scan_);
}

std::span<uint8_t> DeflatePieces::Code(TDeflateType type, const uint8_t* data, size_t size,
                                       bool last) {
    const size_t blocks = std::max<size_t>(1, (size + kStoredBlockMax - 1) / kStoredBlockMax);
    uint8_t* coded = coded_.Room(size + blocks * kStoredBlockHead + kJoinRoom + kDeflateSlack);
    // Coded data that is not smaller than the piece is stored instead. The
    // coder gets room past that: near the end of its room it gives up on
    // streams that would still fit.
    size_t length = size > 0 && !LooksIncompressible(type, data, size)
                        ? deflate_.Code(type, data, size, coded, size + kDeflateSlack)
                        : 0;
    if (length == 0 || length >= size)
        length = Stored(data, size, last);
    else if (!last)
        length = Unfinish(length, size);
    return {coded, length};
}

size_t DeflatePieces::Stored(const uint8_t* data, size_t size, bool last) {
    uint8_t* out = coded_.Data();
    size_t at = 0;
    size_t done = 0;
    do {
        const size_t block = std::min(size - done, kStoredBlockMax);
        const bool final = last && done + block == size;
        // The pieces before start on a byte boundary, so the three bits and
        // their padding take exactly one byte.
        out[at++] = final ? 1 : 0;
        out[at++] = static_cast<uint8_t>(block);
        out[at++] = static_cast<uint8_t>(block >> 8);
        out[at++] = static_cast<uint8_t>(~block);
        out[at++] = static_cast<uint8_t>(~block >> 8);
        std::copy_n(data + done, block, out + at);
        at += block;
        done += block;
    } while (done < size);
    return at;
}

size_t DeflatePieces::Unfinish(size_t length, size_t plain) {
    // Only decoding finds where the last block begins: the piece is inflated
    // a block at a time, and the final bit of each block's header is looked
    // at (and cleared on the last) before the block is read.
    uint8_t* coded = coded_.Data();
    if (inflateReset(&scan_) != Z_OK)
        throw std::logic_error("the deflate scan cannot be reset");
    scan_.next_in = coded;
    scan_.avail_in = static_cast<uInt>(length);
    // The decoded bytes are not kept: they go round a small buffer, zlib
    // keeps the window its matches need.
    uint8_t* decoded = decoded_.Room(kScanBuffer);
    scan_.next_out = decoded;
    scan_.avail_out = static_cast<uInt>(kScanBuffer);
    bool lastBlock = coded[0] & 1;
    coded[0] &= ~1;
    for (;;) {
        if (scan_.avail_out == 0) {
            scan_.next_out = decoded;
            scan_.avail_out = static_cast<uInt>(kScanBuffer);
        }
        const int result = inflate(&scan_, Z_BLOCK);
        if (result != Z_OK)
            throw std::logic_error("a coded piece does not decode");
        if (!(scan_.data_type & 128))
            continue;
        if (lastBlock)
            break;
        // Between blocks: the next header's first bit is the next unused one.
        const int unused = scan_.data_type & 7;
        if (!unused && scan_.avail_in == 0)
            throw std::logic_error("a coded piece ends without its last block");
        uint8_t* byte = unused ? scan_.next_in - 1 : scan_.next_in;
        const auto bit = static_cast<uint8_t>(unused ? 0x100 >> unused : 1);
        lastBlock = (*byte & bit) != 0;
        *byte &= static_cast<uint8_t>(~bit);
    }
    if (scan_.avail_in != 0 || scan_.total_out != plain)
        throw std::logic_error("a coded piece decodes to the wrong size");
    // An empty stored block: three zero bits (in the last byte's padding if
    // it has room), padding to the byte, LEN 0 and NLEN 0xFFFF.
    if ((scan_.data_type & 7) < 3)
        coded[length++] = 0;
    coded[length++] = 0;
    coded[length++] = 0;
    coded[length++] = 0xFF;
    coded[length++] = 0xFF;
    return length;
}

bool DeflatePieces::Encode(TDeflateType type, size_t pieceSize, int64_t size, ByteSource& source,
                           ByteSink& sink, ScratchBuffer& pieceBuffer,
                           const platform::CancelToken* cancel) {
    uint8_t* piece = pieceBuffer.Room(pieceSize);
    int64_t done = 0;
    while (done < size) {
        if (cancel && cancel->Requested())
            return false;
        const auto length = static_cast<size_t>(std::min<int64_t>(pieceSize, size - done));
        if (ReadFull(source, piece, length) != length)
            return false;
        done += static_cast<int64_t>(length);
        const std::span<uint8_t> coded = Code(type, piece, length, done == size);
        sink.Write(coded.data(), coded.size());
    }
    return true;
}

} // namespace tolvane::archive
