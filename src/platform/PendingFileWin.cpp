// A pending file on Windows: there are no unnamed files, so it is always a
// process-stamped name in the target's folder (RemoveStaleTempFiles removes
// those of a killed run), closed and then renamed over the target.
#include "platform/PendingFile.h"

#include "platform/FileMode.h"
#include "platform/FileSystem.h"
#include "platform/Win32Support.h"

#include <cerrno>
#include <io.h>

namespace tolvane::platform {

PendingFile::PendingFile(const std::string& folder, const std::string& prefix) : prefix_(prefix) {
    CreateNamed(folder.empty() ? std::string(".") : folder);
}

std::string PendingFile::Path() const {
    return name_;
}

int PendingFile::CommitTo(const std::string& target, uint32_t mode, bool durable) {
    if (durable && !FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(file_.Descriptor()))))
        return win::LastErrno();
    return Commit(target, mode);
}

int PendingFile::Commit(const std::string& target, uint32_t mode) {
    // Closed first: a file open here cannot be renamed over another.
    if (!file_.Close())
        return file_.LastError();
    const int error = RenameFile(name_, target);
    if (error != 0)
        return error;
    committed_ = true;
    ApplyFileMode(target, mode);
    return 0;
}

} // namespace tolvane::platform
