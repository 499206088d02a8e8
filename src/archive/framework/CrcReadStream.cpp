#include "CrcReadStream.h"

#include "Crc.h"

namespace tolvane::archive {

int64_t TCrcReadStream::Read(void* buffer, int64_t count) {
    const int64_t got = source_.Read(buffer, count);
    if (got > 0)
        reg_ = UpdateCrc32(reg_, buffer, static_cast<size_t>(got));
    return got;
}

int64_t TCrcReadStream::Seek(int64_t offset, SeekOrigin origin) {
    const int64_t position = source_.Seek(offset, origin);
    if (position == 0 && !(offset == 0 && origin == SeekOrigin::Current))
        reg_ = kCrc32Start;
    return position;
}

} // namespace tolvane::archive
