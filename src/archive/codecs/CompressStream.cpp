// The deflate stage of the entry data path: input -> CRC -> zlib deflate ->
// optional cipher -> destination, in 131070-byte output pieces.
#include "CompressStream.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace tolvane::archive {
namespace {

// zlib counts input in uInt; larger writes are fed in slices of this size.
constexpr int64_t kMaxSlice = std::numeric_limits<uInt>::max() / 2 + 1;

} // namespace

TCompressStream::TCompressStream(TStream32& destination, DeflateEngine& engine,
                                 const CodecRecord& record, TDeflateType type)
    : TCustomStream(destination, record, CrcKind::Crc32), engine_(engine), zs_(engine.Stream()),
      buffer_(engine.OutputBuffer()) {
    crc_ = record.crcStart;
    engine_.Begin(DeflateLevel(type));
    zs_.next_in = nullptr;
    zs_.avail_in = 0;
    zs_.next_out = buffer_;
    zs_.avail_out = static_cast<uInt>(kBufferSize);
}

int64_t TCompressStream::Write(const void* buffer, int64_t count) {
    if (finished_)
        throw std::logic_error("Write on a finished compress stream");
    const auto* input = static_cast<const uint8_t*>(buffer);
    int64_t left = count;
    while (left > 0 && !Cancelled()) {
        const int64_t slice = std::min(left, kMaxSlice);
        zs_.next_in = const_cast<Bytef*>(input);
        zs_.avail_in = static_cast<uInt>(slice);
        while (zs_.avail_in > 0 && !Cancelled()) {
            const Bytef* before = zs_.next_in;
            if (deflate(&zs_, Z_NO_FLUSH) == Z_STREAM_ERROR)
                throw std::logic_error("Deflate engine state is damaged");
            const auto consumed = static_cast<size_t>(zs_.next_in - before);
            // With a cipher the CRC of the plain data was taken by the
            // pre-pass and stays as supplied.
            if (!cipher_)
                UpdateCrc(before, consumed);
            Consume(static_cast<int64_t>(consumed));
            inputTotal_ += static_cast<int64_t>(consumed);
            if (zs_.avail_out == 0)
                FlushBuffer(kBufferSize);
            ReportProgress(inputTotal_);
        }
        const int64_t taken = slice - zs_.avail_in;
        input += taken;
        left -= taken;
    }
    zs_.next_in = nullptr;
    zs_.avail_in = 0;
    return count;
}

bool TCompressStream::Finish() {
    if (finished_)
        throw std::logic_error("Compress stream finished twice");
    finished_ = true;
    zs_.next_in = nullptr;
    zs_.avail_in = 0;
    for (;;) {
        if (Cancelled())
            return false;
        const int result = deflate(&zs_, Z_FINISH);
        if (result == Z_STREAM_END)
            break;
        if (result != Z_OK && result != Z_BUF_ERROR)
            throw std::logic_error("Deflate engine state is damaged");
        // Z_OK with room left cannot happen under Z_FINISH; only a full
        // buffer keeps the stream from ending.
        if (zs_.avail_out != 0)
            throw std::logic_error("Deflate engine stopped before the end of the stream");
        FlushBuffer(kBufferSize);
    }
    const size_t pending = kBufferSize - zs_.avail_out;
    if (pending > 0)
        FlushBuffer(pending);
    return true;
}

void TCompressStream::FlushBuffer(size_t length) {
    if (cipher_)
        cipher_->EncryptBuffer(buffer_, length);
    // The writer may have moved the destination to rewrite a header since the
    // last piece; output continues where the previous piece ended.
    if (destination_->Position() != writePosition_ &&
        destination_->Seek(writePosition_, SeekOrigin::Begin) != writePosition_)
        throw StreamWriteError("Cannot return to the write position of the deflate output", 0);
    destination_->WriteBuffer(buffer_, static_cast<int64_t>(length));
    writePosition_ += static_cast<int64_t>(length);
    zs_.next_out = buffer_;
    zs_.avail_out = static_cast<uInt>(kBufferSize);
}

bool CompressEntryData(TStream32& source, TStream32& destination, const CodecRecord& record,
                       TStream32::ProgressRoutine progress, DeflateEngine& engine,
                       TDeflateType type, int64_t count, uint32_t& entryCrc) {
    TCompressStream stream(destination, engine, record, type);
    stream.SetProgressRoutine(std::move(progress));
    if (count > 0)
        stream.CopyFrom(source, count);
    if (!stream.Finish())
        return false;
    if (!record.cipher)
        entryCrc = stream.CrcRegister() ^ 0xFFFFFFFFu;
    if (stream.InputTotal() == 0 && entryCrc == 0xFFFFFFFFu)
        entryCrc = 0;
    return !stream.Cancelled();
}

} // namespace tolvane::archive
