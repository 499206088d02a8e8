#include "TempFileStream.h"

#include "platform/FileSystem.h"

namespace tolvane::archive {

TTempFileStream::TTempFileStream(const std::string& folder, const std::string& prefix)
    : pending_(folder, prefix) {}

ScopedFileRemoval::~ScopedFileRemoval() {
    if (!path_.empty())
        platform::RemoveFile(path_);
}

} // namespace tolvane::archive
