// The base stream's defaults, the exact-length read/write helpers and the
// cancellable copy loop.
#include "Stream32.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace tolvane::archive {
namespace {

std::string WithReason(const char* what, int errorNumber) {
    if (errorNumber == 0)
        return what;
    return std::string(what) + ": " + std::strerror(errorNumber);
}

} // namespace

int64_t TStream32::Size() {
    const int64_t position = Seek(0, SeekOrigin::Current);
    const int64_t size = Seek(0, SeekOrigin::End);
    if (position >= 0)
        Seek(position, SeekOrigin::Begin);
    return size;
}

void TStream32::SetSize(int64_t) {
    throw StreamError("Stream cannot change its size", 0);
}

void TStream32::ReadBuffer(void* buffer, int64_t count) {
    // Loops so that a stream delivering in parts (a pipe) is not taken for a
    // short one; only a read that delivers nothing ends it early.
    auto* out = static_cast<uint8_t*>(buffer);
    int64_t done = 0;
    while (done < count) {
        const int64_t got = Read(out + done, count - done);
        if (got <= 0)
            throw StreamReadError(WithReason("Stream read error", LastErrorNumber()),
                                  LastErrorNumber());
        done += got;
    }
}

void TStream32::WriteBuffer(const void* buffer, int64_t count) {
    if (count <= 0)
        return;
    if (Write(buffer, count) != count)
        throw StreamWriteError(WithReason("Stream write error", LastErrorNumber()),
                               LastErrorNumber());
}

int64_t TStream32::CopyFrom(TStream32& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    if (count <= 0)
        return 0;

    const int64_t bufferSize = std::min(count, kCopyBufferSize);
    const auto buffer = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(bufferSize));
    int64_t copied = 0;
    while (count > 0 && !Cancelled()) {
        // A message handler run by the pump may set the cancel flag.
        PumpMessages();
        if (Cancelled())
            break;
        const int64_t piece = std::min(bufferSize, count);
        source.ReadBuffer(buffer.get(), piece);
        WriteBuffer(buffer.get(), piece);
        copied += piece;
        count -= piece;
    }
    return copied;
}

} // namespace tolvane::archive
