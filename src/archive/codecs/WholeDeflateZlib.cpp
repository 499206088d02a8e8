// The whole-buffer deflate of zlib, for builds without libdeflate: the same
// levels and the same raw stream format, only other (valid) bytes.
#include "WholeDeflate.h"

#include <zlib.h>

#include <limits>
#include <new>

namespace tolvane::archive {

struct WholeDeflate::Compressor {
    explicit Compressor(int level) {
        // Raw deflate (negative window bits), zlib's default memory level.
        ready = deflateInit2(&stream, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~Compressor() {
        if (ready)
            deflateEnd(&stream);
    }
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;

    z_stream stream{};
    bool ready = false;
};

const char* WholeDeflate::LibraryName() {
    return "zlib";
}

const char* WholeDeflate::LibraryVersion() {
    return zlibVersion();
}

void WholeDeflate::Free::operator()(Compressor* compressor) const {
    delete compressor;
}

WholeDeflate::CompressorPtr WholeDeflate::NewCompressor(int level) {
    CompressorPtr compressor(new Compressor(level));
    if (!compressor->ready)
        compressor.reset();
    return compressor;
}

size_t WholeDeflate::Code(TDeflateType type, const uint8_t* data, size_t size, uint8_t* out,
                          size_t room) {
    // A kept stream ended the last call: it starts again for this one.
    if (Prepare(type) && deflateReset(&compressor_->stream) != Z_OK)
        throw std::bad_alloc();
    z_stream& stream = compressor_->stream;
    // One call takes at most 4 GiB less one of input and output: feed in steps.
    constexpr size_t kStep = std::numeric_limits<uInt>::max();
    stream.next_in = const_cast<Bytef*>(data);
    stream.next_out = out;
    size_t inLeft = size;
    size_t outLeft = room;
    for (;;) {
        const uInt inNow = static_cast<uInt>(inLeft < kStep ? inLeft : kStep);
        const uInt outNow = static_cast<uInt>(outLeft < kStep ? outLeft : kStep);
        stream.avail_in = inNow;
        stream.avail_out = outNow;
        const int flush = inLeft == inNow ? Z_FINISH : Z_NO_FLUSH;
        const int rc = deflate(&stream, flush);
        inLeft -= inNow - stream.avail_in;
        outLeft -= outNow - stream.avail_out;
        if (rc == Z_STREAM_END)
            return room - outLeft;
        if (rc == Z_STREAM_ERROR)
            throw std::bad_alloc();
        // No room left for the rest of the stream: it does not fit.
        if (outLeft == 0 || (rc == Z_BUF_ERROR && stream.avail_out != 0))
            return 0;
    }
}

} // namespace tolvane::archive
