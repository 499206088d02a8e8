// What a format is told of the entry it writes a header for: everything its
// local header and its directory record hold, decided by the writer. A format
// encodes from this alone, so it never reads the writer's run state.
#pragma once

#include "archive/codecs/DeflateLevel.h"

#include <cstdint>
#include <string_view>

namespace tolvane::archive {

// How an entry's data is coded; each format writes its own method number for it.
enum class CodingStage : uint8_t { Store, Deflate, Fuse };

struct EntryContext {
    std::string_view name;        // list form: "/" separators, the locale's text
    std::string_view storedBytes; // the name as written into the archive
    bool utf8Name = false;        // storedBytes are UTF-8 the OEM code page could not hold
    uint64_t size = 0;            // of the source
    // The data as written, an encryption header included; with the CRC and
    // the stage only known once the data is written (0 before).
    uint64_t codedSize = 0;
    uint32_t crc = 0;
    CodingStage stage = CodingStage::Store;
    TDeflateType level = dtDeflateN; // the run's level, for the formats' level flags
    bool encrypted = false;
    uint32_t dosDateTime = 0;
    uint32_t attributes = 0;
};

} // namespace tolvane::archive
