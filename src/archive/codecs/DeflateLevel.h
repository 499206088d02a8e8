// Deflate levels by TDeflateType, and the method names of deflated entries.
#pragma once

#include <cstdint>

namespace tolvane::archive {

enum TDeflateType : uint8_t { dtDeflateS, dtDeflateF, dtDeflateN, dtDeflateX };

// Level passed to the engine: 0, 1, -1 (the engine's default, 6), 9.
int DeflateLevel(TDeflateType type);
// "DeflateS", "DeflateF", "DeflateN", "DeflateX".
const char* DeflateMethodName(TDeflateType type);

} // namespace tolvane::archive
