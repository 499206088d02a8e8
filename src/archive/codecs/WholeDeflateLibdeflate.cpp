// The whole-buffer deflate of libdeflate.
#include "WholeDeflate.h"

#include <libdeflate.h>

#include <new>

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

size_t WholeDeflate::Code(TDeflateType type, const uint8_t* data, size_t size, uint8_t* out,
                          size_t room) {
    const int level = LevelOf(type);
    if (!compressor_ || level != level_) {
        compressor_.reset(new Compressor(level));
        if (!compressor_->handle) {
            compressor_.reset();
            level_ = -1;
            throw std::bad_alloc();
        }
        level_ = level;
    }
    return libdeflate_deflate_compress(compressor_->handle, data, size, out, room);
}

} // namespace tolvane::archive
