#include "WholeDeflate.h"

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

bool WholeDeflate::Prepare(TDeflateType type) {
    const int level = LevelOf(type);
    if (compressor_ && level == level_)
        return true;
    compressor_ = NewCompressor(level);
    level_ = compressor_ ? level : -1;
    if (!compressor_)
        throw std::bad_alloc();
    return false;
}

} // namespace tolvane::archive
