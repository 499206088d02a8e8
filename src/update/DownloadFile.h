// The file a download is written to: a file beside the target that replaces
// the target only when the download is complete. Until Commit, the target is
// untouched; a download that is not committed leaves nothing behind.
#pragma once

#include "platform/Expected.h"
#include "platform/PendingFile.h"

#include <cstddef>
#include <memory>
#include <string>

namespace tolvane::update {

class DownloadFile {
public:
    // The file for `target`, or why it could not be created.
    static platform::Expected<std::unique_ptr<DownloadFile>> Create(std::string target);
    DownloadFile(const DownloadFile&) = delete;
    DownloadFile& operator=(const DownloadFile&) = delete;

    platform::Expected<void> Write(const char* data, size_t count);
    // Puts the file in place of the target.
    platform::Expected<void> Commit();

private:
    DownloadFile(std::string target, std::string folder);

    std::string target_;
    std::string folder_;
    platform::PendingFile file_;
};

} // namespace tolvane::update
