#include "DownloadFile.h"

#include "platform/FileSystem.h"

#include <utility>

namespace tolvane::update {

namespace {

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind(platform::kPathSeparator);
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

// Beside the target, so that the final step stays on one file system.
DownloadFile::DownloadFile(std::string target)
    : target_(std::move(target)), folder_(FolderOf(target_)), file_(folder_, ".download") {
    if (!file_.IsOpen())
        error_ = folder_ + ": " + platform::ErrorText(file_.Error());
}

bool DownloadFile::Write(const char* data, size_t count) {
    if (file_.Handle().Write(data, count) == static_cast<int64_t>(count))
        return true;
    error_ = target_ + ": " + platform::ErrorText(file_.Handle().LastError());
    return false;
}

bool DownloadFile::Commit() {
    // Private to the user, as the downloaded installer always was.
    if (const int error = file_.CommitTo(target_, 0600); error != 0) {
        error_ = target_ + ": " + platform::ErrorText(error);
        return false;
    }
    return true;
}

} // namespace tolvane::update
