// The CRC-32 of the bytes a source gives, taken as they pass.
#pragma once

#include "ByteSink.h"
#include "Crc.h"

namespace tolvane::archive {

class CrcStage : public ByteSource {
public:
    explicit CrcStage(ByteSource& from) : from_(from) {}

    size_t Read(uint8_t* buffer, size_t length) override {
        const size_t read = from_.Read(buffer, length);
        reg_ = UpdateCrc32(reg_, buffer, read);
        return read;
    }
    // The final CRC-32 of what passed so far.
    uint32_t Crc() const { return FinalCrc32(reg_); }

private:
    ByteSource& from_;
    uint32_t reg_ = kCrc32Start;
};

} // namespace tolvane::archive
