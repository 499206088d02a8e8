// One raw deflate stream made of independently coded pieces: a source too
// large to be held whole is coded a piece at a time with libdeflate, and the
// pieces are joined. Each piece but the last is made non-final (the final
// bit of its last block cleared) and closed with an empty stored block, so
// the next one starts on a byte boundary, as zlib's sync flush leaves it. A
// piece that deflate cannot shrink goes in as stored blocks, and so does one
// that looks like random data (flat byte frequencies, samples that do not
// shrink), without the full attempt. The stream depends only on the source,
// the level and the piece size.
#pragma once

#include "WholeDeflate.h"

#include "archive/framework/ByteSink.h"
#include "archive/framework/ScratchBuffer.h"
#include "platform/CancelToken.h"

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <span>

namespace tolvane::archive {

class DeflatePieces {
public:
    DeflatePieces();
    ~DeflatePieces();
    DeflatePieces(const DeflatePieces&) = delete;
    DeflatePieces& operator=(const DeflatePieces&) = delete;

    // Codes the next `size` bytes of the stream; `last` for its final piece.
    // The bytes to append stay valid until the next call. Throws
    // std::bad_alloc when out of memory.
    std::span<uint8_t> Code(TDeflateType type, const uint8_t* data, size_t size, bool last);

    // Codes the `size` bytes of `source` into `sink`, a piece of `pieceSize`
    // at a time read into `piece` (the caller's, reused for its other work);
    // false when the source ended first (stopped) or `cancel` was requested
    // between pieces.
    bool Encode(TDeflateType type, size_t pieceSize, int64_t size, ByteSource& source,
                ByteSink& sink, ScratchBuffer& piece, const platform::CancelToken* cancel);

private:
    bool LooksIncompressible(TDeflateType type, const uint8_t* data, size_t size);
    size_t Stored(const uint8_t* data, size_t size, bool last);
    // Makes the `length` coded bytes of a piece of `plain` bytes non-final
    // and byte-aligned at their end; the new length.
    size_t Unfinish(size_t length, size_t plain);

    WholeDeflate deflate_;
    ScratchBuffer coded_;
    ScratchBuffer decoded_;
    ScratchBuffer sample_;
    z_stream scan_{};
};

} // namespace tolvane::archive
