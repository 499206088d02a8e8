// The CRC-only stream and the CRC pre-pass of enciphered entries.
#include "CalcStreamCRC.h"

namespace tolvane::archive {

TCalcStreamCRC::TCalcStreamCRC(TStream32& source, ProgressRoutine progress,
                               const CodecRecord& record, CrcKind kind, int64_t count)
    : TCustomStream(record, kind) {
    SetProgressRoutine(std::move(progress));
    CopyFrom(source, count);
}

int64_t TCalcStreamCRC::Write(const void* buffer, int64_t count) {
    if (count <= 0)
        return 0;
    UpdateCrc(buffer, static_cast<size_t>(count));
    inputTotal_ += count;
    if (Progress()) {
        Consume(count);
        ReportProgress(inputTotal_);
    }
    return count;
}

uint32_t CrcPrePass(TStream32& source, int64_t count, const platform::CancelToken* cancel,
                    const std::function<void()>* pump) {
    // No remaining counter: the pre-pass reads the data a second time and
    // must not move the run's overall progress.
    CodecRecord record;
    record.cancel = cancel;
    record.pump = pump;
    // Taken from the start wherever the source stands, so a source that was
    // already read from is not mistaken for a short one.
    source.SetPosition(0);
    uint32_t crc = kCrc32Start;
    if (count > 0)
        crc = TCalcStreamCRC(source, nullptr, record, CrcKind::Crc32, count).CrcRegister();
    source.SetPosition(0);
    return crc;
}

} // namespace tolvane::archive
