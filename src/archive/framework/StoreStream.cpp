// The stored data path: bytes go to the destination unchanged, or
// enciphered, with the CRC taken on the way.
#include "StoreStream.h"

#include <algorithm>
#include <memory>

namespace tolvane::archive {

TStoreStream::TStoreStream(TStream32& destination, const CodecRecord& record, CrcKind kind)
    : TCustomStream(destination, record, kind) {
    // An enciphered entry's CRC was taken beforehand by the pre-pass (the
    // cipher header needs it), so it is carried rather than recomputed.
    if (cipher_)
        crc_ = record.crcStart;
}

int64_t TStoreStream::Write(const void* buffer, int64_t count) {
    if (count <= 0)
        return 0;
    const auto length = static_cast<size_t>(count);
    if (cipher_) {
        // Enciphering in place spares a copy per piece; every caller hands
        // over a buffer of its own that it does not read back.
        cipher_->EncryptBuffer(const_cast<uint8_t*>(static_cast<const uint8_t*>(buffer)), length);
    } else {
        UpdateCrc(buffer, length);
    }
    Consume(count);
    inputTotal_ += count;
    destination_->WriteBuffer(buffer, count);
    ReportProgress(inputTotal_);
    return count;
}

int64_t TStoreStream::CopyFrom(TStream32& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    if (count <= 0)
        return 0;

    const int64_t pieceSize = std::min(count, kPieceSize);
    const auto buffer = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(pieceSize));
    int64_t copied = 0;
    while (count > 0 && !Cancelled()) {
        PumpMessages();
        if (Cancelled())
            break;
        const int64_t asked = std::min(pieceSize, count);
        const int64_t got = source.Read(buffer.get(), asked);
        if (got <= 0)
            break;
        Write(buffer.get(), got);
        copied += got;
        count -= got;
        // A source that delivers less than asked has ended early (a file cut
        // while it is read): the caller sees the shortfall in the result.
        if (got < asked)
            break;
    }
    return copied;
}

} // namespace tolvane::archive
