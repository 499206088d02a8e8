// TCalcStreamCRC: a write-only stream that only takes the CRC of what passes.
#pragma once

#include "CustomStream.h"

namespace tolvane::archive {

class TCalcStreamCRC : public TCustomStream {
public:
    // Takes the CRC of `count` bytes of `source` at once (0: all of it).
    TCalcStreamCRC(TStream32& source, ProgressRoutine progress, const CodecRecord& record,
                   CrcKind kind, int64_t count);

    int64_t Write(const void* buffer, int64_t count) override;
};

// The CRC pre-pass of an entry that is enciphered: the CRC-32 register over
// the first `count` bytes of the source (the entry's size), which is then
// rewound to position 0. The caller applies the final xor. `pump`, when
// given, keeps the host's interface alive between pieces.
uint32_t CrcPrePass(TStream32& source, int64_t count, const platform::CancelToken* cancel,
                    const std::function<void()>* pump = nullptr);

} // namespace tolvane::archive
