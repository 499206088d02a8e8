// The deflate levels a writer offers, and the method names of deflated entries.
#pragma once

#include <cstdint>

namespace tolvane::archive {

enum TDeflateType : uint8_t { dtDeflateS, dtDeflateF, dtDeflateN, dtDeflateX };

// "DeflateS", "DeflateF", "DeflateN", "DeflateX".
const char* DeflateMethodName(TDeflateType type);

} // namespace tolvane::archive
