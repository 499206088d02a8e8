// DeflateType to engine level and method name.
#include "DeflateLevel.h"

#include <zlib.h>

namespace tolvane::archive {

int DeflateLevel(TDeflateType type) {
    switch (type) {
    case dtDeflateS:
        return Z_NO_COMPRESSION;
    case dtDeflateF:
        return Z_BEST_SPEED;
    case dtDeflateN:
        return Z_DEFAULT_COMPRESSION;
    case dtDeflateX:
        return Z_BEST_COMPRESSION;
    }
    return Z_DEFAULT_COMPRESSION;
}

const char* DeflateMethodName(TDeflateType type) {
    switch (type) {
    case dtDeflateS:
        return "DeflateS";
    case dtDeflateF:
        return "DeflateF";
    case dtDeflateN:
        return "DeflateN";
    case dtDeflateX:
        return "DeflateX";
    }
    return "DeflateN";
}

} // namespace tolvane::archive
