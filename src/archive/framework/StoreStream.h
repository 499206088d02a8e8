// TStoreStream: copies data unchanged to the destination, taking its CRC or
// enciphering it in place.
#pragma once

#include "CustomStream.h"

namespace tolvane::archive {

class TStoreStream : public TCustomStream {
public:
    static constexpr int64_t kPieceSize = 102400;

    // CRC starts at the record's value when enciphering, else 0 (CRC-16) or
    // 0xFFFFFFFF (CRC-32).
    TStoreStream(TStream32& destination, const CodecRecord& record, CrcKind kind);

    // Enciphers `buffer` in place when a cipher is set (so it is modified),
    // otherwise updates the CRC; then writes it. Throws on a short write.
    // @pre with a cipher, `buffer` points to writable memory the caller owns.
    int64_t Write(const void* buffer, int64_t count) override;
    // Copies `count` bytes of `source` (0: all of it from position 0) in
    // 102400-byte pieces. Returns the bytes actually copied, which is less than
    // asked when the source ends early or the cancel flag is set.
    int64_t CopyFrom(TStream32& source, int64_t count) override;
};

} // namespace tolvane::archive
