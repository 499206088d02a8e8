// The file a download is written to: a file beside the target that replaces
// the target only when the download is complete. Until Commit, the target is
// untouched; a download that is not committed leaves nothing behind.
#pragma once

#include "platform/PendingFile.h"

#include <cstddef>
#include <string>

namespace tolvane::update {

class DownloadFile {
public:
    explicit DownloadFile(std::string target);
    DownloadFile(const DownloadFile&) = delete;
    DownloadFile& operator=(const DownloadFile&) = delete;

    // False when the file could not be created (Error() says why).
    bool IsOpen() const { return file_.IsOpen(); }
    bool Write(const char* data, size_t count);
    // Puts the file in place of the target.
    bool Commit();
    const std::string& Error() const { return error_; }

private:
    std::string target_;
    std::string folder_;
    platform::PendingFile file_;
    std::string error_;
};

} // namespace tolvane::update
