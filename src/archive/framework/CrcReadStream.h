// A read-through view of a source that takes the CRC-32 of what is read from
// its start, so that an enciphered entry (whose CRC came from an earlier
// reading) can tell whether the data matches it.
#pragma once

#include "Stream32.h"

#include <cstdint>

namespace tolvane::archive {

class TCrcReadStream : public TStream32 {
public:
    explicit TCrcReadStream(TStream32& source) : source_(source) {}

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void*, int64_t) override { return 0; }
    // A seek back to the start begins a new reading (and a new CRC); the
    // readings of an entry always start there.
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override { return source_.Size(); }

    // The final CRC-32 of the bytes read since the last return to the start.
    uint32_t Crc() const { return reg_ ^ 0xFFFFFFFFu; }

private:
    TStream32& source_;
    uint32_t reg_ = 0xFFFFFFFFu;
};

} // namespace tolvane::archive
