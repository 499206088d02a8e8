#include "WholeDeflate.h"

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

} // namespace tolvane::archive
