// The output of a run: a temporary file that is deleted when the stream goes
// away, unless the run committed it (moved it over the archive).
#pragma once

#include "FileStream32.h"

#include <string>

namespace tolvane::archive {

class TTempFileStream : public TFileStream32 {
public:
    // Opens the (already created) file `path` for writing, truncating it.
    explicit TTempFileStream(const std::string& path);
    ~TTempFileStream() override;

    // The file now belongs to someone else: it is closed and not deleted.
    void Release();

private:
    bool released_ = false;
};

// Deletes a file when it goes out of scope unless released.
class ScopedFileRemoval {
public:
    explicit ScopedFileRemoval(std::string path) : path_(std::move(path)) {}
    ~ScopedFileRemoval();
    ScopedFileRemoval(const ScopedFileRemoval&) = delete;
    ScopedFileRemoval& operator=(const ScopedFileRemoval&) = delete;
    void Release() { path_.clear(); }

private:
    std::string path_;
};

} // namespace tolvane::archive
