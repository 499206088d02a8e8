// The stored "codec": the source's bytes into the sink as they are.
#pragma once

#include "archive/framework/ByteSink.h"
#include "archive/framework/ScratchBuffer.h"

namespace tolvane::archive {

// Copies `source` to its end through `buffer`, 256 KiB at a time.
inline void EncodeStored(ByteSource& source, ByteSink& sink, ScratchBuffer& buffer) {
    constexpr size_t kStep = size_t{256} << 10;
    uint8_t* room = buffer.Room(kStep);
    for (size_t read; (read = source.Read(room, kStep)) > 0;)
        sink.Write(room, read);
}

} // namespace tolvane::archive
