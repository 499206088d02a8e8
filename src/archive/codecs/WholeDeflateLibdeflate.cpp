// The whole-buffer deflate of libdeflate.
#include "WholeDeflate.h"

#include <libdeflate.h>

namespace tolvane::archive {

struct WholeDeflate::Compressor {
    explicit Compressor(int level) : handle(libdeflate_alloc_compressor(level)) {}
    ~Compressor() { libdeflate_free_compressor(handle); }
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;

    libdeflate_compressor* handle;
};

const char* WholeDeflate::LibraryName() {
    return "libdeflate";
}

const char* WholeDeflate::LibraryVersion() {
    return LIBDEFLATE_VERSION_STRING;
}

void WholeDeflate::Free::operator()(Compressor* compressor) const {
    delete compressor;
}

WholeDeflate::CompressorPtr WholeDeflate::NewCompressor(int level) {
    CompressorPtr compressor(new Compressor(level));
    if (!compressor->handle)
        compressor.reset();
    return compressor;
}

size_t WholeDeflate::Code(TDeflateType type, const uint8_t* data, size_t size, uint8_t* out,
                          size_t room) {
    Prepare(type);
    return libdeflate_deflate_compress(compressor_->handle, data, size, out, room);
}

} // namespace tolvane::archive
