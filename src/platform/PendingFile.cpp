// The named form of a pending file and its end, the same on every system.
#include "platform/PendingFile.h"

#include "platform/FileSystem.h"
#include "platform/TempFile.h"

namespace tolvane::platform {

void PendingFile::CreateNamed(const std::string& folder) {
    name_ = CreateUniqueFile(folder, prefix_, error_);
    if (name_.empty())
        return;
    file_ = File(name_, File::Mode::CreateTruncate);
    if (!file_.IsOpen()) {
        error_ = file_.LastError();
        RemoveFile(name_);
        name_.clear();
    }
}

PendingFile::~PendingFile() {
    file_.Close();
    if (!committed_ && !name_.empty())
        RemoveFile(name_);
}

} // namespace tolvane::platform
