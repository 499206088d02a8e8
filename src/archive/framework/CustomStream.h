// TCustomStream: the base of the write-only codec streams that sit in front
// of a destination stream, keeping the running CRC, the remaining-bytes
// counter and the optional cipher of one entry.
#pragma once

#include "BufferCipher.h"
#include "Crc.h"
#include "Stream32.h"

#include <cstdint>
#include <functional>

namespace tolvane::archive {

enum class CrcKind : uint8_t { Crc16 = 16, Crc32 = 32 };

// What the caller hands a codec stream for one entry.
struct CodecRecord {
    uint32_t crcStart = kCrc32Start; // carried as the CRC when enciphering
    int64_t* remaining = nullptr;    // bytes still to process, for progress
    const platform::CancelToken* cancel = nullptr;
    BufferCipher* cipher = nullptr;              // set: encipher every buffer before writing
    const std::function<void()>* pump = nullptr; // lets the host keep its interface alive
};

class TCustomStream : public TStream32 {
public:
    int64_t Read(void*, int64_t) override { return -1; }
    // Only the position query (0 from Current) answers, with the input total.
    int64_t Seek(int64_t offset, SeekOrigin origin) override;

    uint32_t CrcRegister() const { return crc_; }
    int64_t InputTotal() const { return inputTotal_; }

protected:
    // Takes the cancel flag, pump, remaining counter and cipher from `record`;
    // the CRC starts at the kind's start value (0 for CRC-16, 0xFFFFFFFF for
    // CRC-32) and the write position at the destination's position.
    TCustomStream(TStream32& destination, const CodecRecord& record, CrcKind kind);
    // For streams that write nowhere (the CRC-only stream).
    TCustomStream(const CodecRecord& record, CrcKind kind);

    void UpdateCrc(const void* data, size_t length);
    void Consume(int64_t count) {
        if (remaining_)
            *remaining_ -= count;
    }

    TStream32* destination_; // null for a stream that writes nowhere
    int64_t writePosition_ = 0;
    uint32_t crc_;
    int64_t inputTotal_ = 0;
    int64_t* remaining_;
    BufferCipher* cipher_;
    CrcKind kind_;
};

} // namespace tolvane::archive
