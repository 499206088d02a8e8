// Shared state of the write-only codec streams.
#include "CustomStream.h"

namespace tolvane::archive {

TCustomStream::TCustomStream(const CodecRecord& record, CrcKind kind)
    : destination_(nullptr), crc_(kind == CrcKind::Crc16 ? 0u : kCrc32Start),
      remaining_(record.remaining), cipher_(record.cipher), kind_(kind) {
    SetCancelToken(record.cancel);
    if (record.pump)
        SetMessagePump(*record.pump);
}

TCustomStream::TCustomStream(TStream32& destination, const CodecRecord& record, CrcKind kind)
    : TCustomStream(record, kind) {
    destination_ = &destination;
    writePosition_ = destination.Position();
}

int64_t TCustomStream::Seek(int64_t offset, SeekOrigin origin) {
    if (offset == 0 && origin == SeekOrigin::Current)
        return inputTotal_;
    return -1;
}

void TCustomStream::UpdateCrc(const void* data, size_t length) {
    switch (kind_) {
    case CrcKind::Crc16:
        crc_ = UpdateCrc16(static_cast<uint16_t>(crc_), data, length);
        return;
    case CrcKind::Crc32:
        crc_ = UpdateCrc32(crc_, data, length);
        return;
    }
}

} // namespace tolvane::archive
