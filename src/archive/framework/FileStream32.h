// Streams over operating-system files.
#pragma once

#include "Stream32.h"

#include "platform/File.h"

#include <string>

namespace tolvane::archive {

// A file handle the stream does not open itself.
class THandleStream32 : public TStream32 {
public:
    explicit THandleStream32(platform::File file) : file_(std::move(file)) {}

    bool IsValid() const { return file_.IsOpen(); }
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override;
    void SetSize(int64_t size) override;
    bool Close() { return file_.Close(); }
    int LastErrorNumber() const override { return file_.LastError(); }

protected:
    platform::File file_;
};

// Opens or creates a named file; never throws on failure: test IsValid().
class TFileStream32 : public THandleStream32 {
public:
    enum class Mode { Read, ReadWrite, Create };
    TFileStream32(const std::string& path, Mode mode);
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

} // namespace tolvane::archive
