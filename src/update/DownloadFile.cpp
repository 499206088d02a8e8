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
DownloadFile::DownloadFile(std::string target, std::string folder)
    : target_(std::move(target)), folder_(std::move(folder)), file_(folder_, ".download") {}

platform::Expected<std::unique_ptr<DownloadFile>> DownloadFile::Create(std::string target) {
    std::string folder = FolderOf(target);
    std::unique_ptr<DownloadFile> file(new DownloadFile(std::move(target), std::move(folder)));
    if (!file->file_.IsOpen())
        return platform::Unexpected{
            platform::Failure(file->folder_, platform::ErrorText(file->file_.Error()))};
    return file;
}

platform::Expected<void> DownloadFile::Write(const char* data, size_t count) {
    if (file_.Handle().Write(data, count) == static_cast<int64_t>(count))
        return {};
    return platform::Unexpected{
        platform::Failure(target_, platform::ErrorText(file_.Handle().LastError()))};
}

platform::Expected<void> DownloadFile::Commit() {
    // Private to the user, as the downloaded installer always was.
    if (const int error = file_.CommitTo(target_, 0600); error != 0)
        return platform::Unexpected{platform::Failure(target_, platform::ErrorText(error))};
    return {};
}

} // namespace tolvane::update
