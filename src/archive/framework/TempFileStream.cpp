#include "TempFileStream.h"

#include "platform/FileSystem.h"

namespace tolvane::archive {

TTempFileStream::TTempFileStream(const std::string& path)
    : TFileStream32(path, TFileStream32::Mode::Create) {}

TTempFileStream::~TTempFileStream() {
    if (released_)
        return;
    Close();
    platform::RemoveFile(Path());
}

void TTempFileStream::Release() {
    Close();
    released_ = true;
}

ScopedFileRemoval::~ScopedFileRemoval() {
    if (!path_.empty())
        platform::RemoveFile(path_);
}

} // namespace tolvane::archive
