#include "WholeDeflate.h"

#include <libdeflate.h>

#include <new>

namespace tolvane::archive {

int WholeDeflate::LevelOf(TDeflateType type) {
    switch (type) {
    case dtDeflateS:
        return 0;
    case dtDeflateF:
        return 1;
    case dtDeflateN:
        return 6;
    case dtDeflateX:
        return 9;
    }
    return 6;
}

const char* WholeDeflate::LibraryVersion() {
    return LIBDEFLATE_VERSION_STRING;
}

void WholeDeflate::Free::operator()(libdeflate_compressor* compressor) const {
    libdeflate_free_compressor(compressor);
}

size_t WholeDeflate::Code(TDeflateType type, const uint8_t* data, size_t size, uint8_t* out,
                          size_t room) {
    const int level = LevelOf(type);
    if (!compressor_ || level != level_) {
        compressor_.reset(libdeflate_alloc_compressor(level));
        if (!compressor_) {
            level_ = -1;
            throw std::bad_alloc();
        }
        level_ = level;
    }
    return libdeflate_deflate_compress(compressor_.get(), data, size, out, room);
}

} // namespace tolvane::archive
