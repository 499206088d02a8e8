#include "DownloadFile.h"

#include "platform/FileSystem.h"
#include "platform/TempFile.h"

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

DownloadFile::DownloadFile(std::string target) : target_(std::move(target)) {
    int error = 0;
    // Beside the target, so that the final rename stays on one file system.
    temporary_ = platform::CreateUniqueFile(FolderOf(target_), ".download-", error);
    if (temporary_.empty()) {
        error_ = FolderOf(target_) + ": " + platform::ErrorText(error);
        return;
    }
    file_ = platform::File(temporary_, platform::File::Mode::CreateTruncate);
    if (!file_.IsOpen())
        error_ = temporary_ + ": " + platform::ErrorText(file_.LastError());
}

DownloadFile::~DownloadFile() {
    file_.Close();
    if (!committed_ && !temporary_.empty())
        platform::RemoveFile(temporary_);
}

bool DownloadFile::Write(const char* data, size_t count) {
    if (file_.Write(data, count) == static_cast<int64_t>(count))
        return true;
    error_ = temporary_ + ": " + platform::ErrorText(file_.LastError());
    return false;
}

bool DownloadFile::Commit() {
    if (!file_.Close()) {
        error_ = temporary_ + ": " + platform::ErrorText(file_.LastError());
        return false;
    }
    if (const int error = platform::RenameFile(temporary_, target_); error != 0) {
        error_ = target_ + ": " + platform::ErrorText(error);
        return false;
    }
    committed_ = true;
    return true;
}

} // namespace tolvane::update
