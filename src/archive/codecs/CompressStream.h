// TCompressStream deflates what is written to it into a destination stream,
// buffering output in 131070-byte pieces; CompressEntryData drives a whole
// source through it.
#pragma once

#include "DeflateEngine.h"
#include "DeflateLevel.h"

#include "archive/framework/CustomStream.h"

#include <cstddef>
#include <cstdint>

namespace tolvane::archive {

class TCompressStream : public TCustomStream {
public:
    static constexpr size_t kBufferSize = DeflateEngine::kOutputBufferSize;

    // Remembers the destination's position as the write position and readies
    // `engine` at the level of `type`. The CRC starts at the record's value;
    // it is taken over the input only when the record has no cipher. The
    // output buffer is the engine's, so `engine` must outlive the stream and
    // drive no other stream meanwhile.
    TCompressStream(TStream32& destination, DeflateEngine& engine, const CodecRecord& record,
                    TDeflateType type);

    // Deflates `count` bytes; output lands at the write position even if the
    // destination was moved in between. Always returns `count`.
    int64_t Write(const void* buffer, int64_t count) override;
    // Ends the deflate stream and writes what is left. Throws on a short write.
    // Returns false when the cancel flag was set: then nothing more is
    // written and the output is incomplete. A stream destroyed without
    // Finish leaves its output incomplete too; the destructor never throws.
    bool Finish();

private:
    void FlushBuffer(size_t length);

    DeflateEngine& engine_;
    z_stream& zs_;
    uint8_t* buffer_;
    bool finished_ = false;
};

// Deflates `count` bytes of `source` from its current position into
// `destination`, never more, so a file that grows meanwhile gives the entry
// the size it began with. Without a cipher, `entryCrc` becomes the CRC-32 of
// those bytes (0 for none); with one it is left as the caller set it. Throws
// StreamReadError when the source ends early. False when cancelled.
bool CompressEntryData(TStream32& source, TStream32& destination, const CodecRecord& record,
                       TStream32::ProgressRoutine progress, DeflateEngine& engine,
                       TDeflateType type, int64_t count, uint32_t& entryCrc);

} // namespace tolvane::archive
