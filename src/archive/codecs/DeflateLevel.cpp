// The method names of deflated entries.
#include "DeflateLevel.h"

namespace tolvane::archive {

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
