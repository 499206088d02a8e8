// Streams over platform::File; open failures leave the stream invalid rather
// than throwing, so callers can report the file and go on.
#include "FileStream32.h"

#include <cstring>

namespace tolvane::archive {
namespace {

platform::File::Origin ToFileOrigin(SeekOrigin origin) {
    switch (origin) {
    case SeekOrigin::Begin:
        return platform::File::Origin::Begin;
    case SeekOrigin::Current:
        return platform::File::Origin::Current;
    case SeekOrigin::End:
        return platform::File::Origin::End;
    }
    return platform::File::Origin::Begin;
}

platform::File::Mode ToFileMode(TFileStream32::Mode mode) {
    switch (mode) {
    case TFileStream32::Mode::Read:
        return platform::File::Mode::Read;
    case TFileStream32::Mode::ReadWrite:
        return platform::File::Mode::ReadWrite;
    case TFileStream32::Mode::Create:
        return platform::File::Mode::CreateTruncate;
    }
    return platform::File::Mode::Read;
}

} // namespace

int64_t THandleStream32::Read(void* buffer, int64_t count) {
    if (count <= 0)
        return 0;
    int64_t got = Handle().Read(buffer, static_cast<size_t>(count));
    if (got < 0)
        got = 0;
    // Counted by what was delivered, so a file that ends early does not
    // push the remaining counter below what is really left.
    if (got > 0 && OnReadProgress) {
        if (ReadRemaining)
            *ReadRemaining -= got;
        OnReadProgress(*this);
    }
    return got;
}

int64_t THandleStream32::Write(const void* buffer, int64_t count) {
    if (count <= 0)
        return 0;
    const int64_t written = Handle().Write(buffer, static_cast<size_t>(count));
    return written < 0 ? 0 : written;
}

int64_t THandleStream32::Seek(int64_t offset, SeekOrigin origin) {
    return Handle().Seek(offset, ToFileOrigin(origin));
}

int64_t THandleStream32::Size() {
    return Handle().Size();
}

void THandleStream32::SetSize(int64_t size) {
    // The position follows the new end, so that output cut back after a
    // cancelled entry continues where the file now ends, not past a hole.
    platform::File& file = Handle();
    if (file.Seek(size, platform::File::Origin::Begin) != size || !file.Truncate(size)) {
        const int error = file.LastError();
        throw StreamError(std::string("Cannot set the file size: ") + std::strerror(error), error);
    }
}

TFileStream32::TFileStream32(const std::string& path, Mode mode)
    : file_(path, ToFileMode(mode)), path_(path) {}

} // namespace tolvane::archive
