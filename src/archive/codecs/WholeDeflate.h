// Raw deflate of a source held whole in memory, in one call: libdeflate's
// (about twice zlib's speed at the same level for slightly smaller output),
// or zlib's where the build has no libdeflate (WholeDeflateZlib.cpp). The
// coder keeps one compressor for the run and makes a new one only when the
// level changes, since its tables cost more than coding a small file.
#pragma once

#include "DeflateLevel.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tolvane::archive {

class WholeDeflate {
public:
    // The coder's level for `type`: 0, 1, 6 or 9, as zlib's levels.
    static int LevelOf(TDeflateType type);
    // The library that codes ("libdeflate" or "zlib") and the version the
    // program was built with.
    static const char* LibraryName();
    static const char* LibraryVersion();

    // Deflates `size` bytes at `data` into `out` as one raw deflate stream.
    // Returns the coded length, or 0 when it would not fit in `room` bytes.
    // The coder may give up on a stream that would just fit, so a caller
    // that wants the stream when it is shorter than `size` leaves slack.
    // Throws std::bad_alloc when the compressor cannot get its memory.
    size_t Code(TDeflateType type, const uint8_t* data, size_t size, uint8_t* out, size_t room);

private:
    struct Compressor; // the library's, defined by the implementation
    struct Free {
        void operator()(Compressor* compressor) const;
    };
    using CompressorPtr = std::unique_ptr<Compressor, Free>;

    // The library's compressor at `level`; null when it cannot get its memory.
    static CompressorPtr NewCompressor(int level);
    // Makes the compressor for `type`'s level when there is none of that
    // level yet. True when the one of the last call is kept (it may need a
    // reset); throws std::bad_alloc when a new one cannot be made.
    bool Prepare(TDeflateType type);

    CompressorPtr compressor_;
    int level_ = -1;
};

} // namespace tolvane::archive
