// Streams over operating-system files.
#pragma once

#include "Stream32.h"

#include "platform/File.h"

#include <string>

namespace tolvane::archive {

// A stream over a file handle that the derived class keeps.
class THandleStream32 : public TStream32 {
public:
    bool IsValid() const { return Handle().IsOpen(); }
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override;
    void SetSize(int64_t size) override;
    bool Close() { return Handle().Close(); }
    // Size and last write time now, to compare with those at the start of a read.
    bool Status(platform::FileStatus& status) { return Handle().Status(status); }
    int LastErrorNumber() const override { return Handle().LastError(); }

protected:
    virtual platform::File& Handle() = 0;
    virtual const platform::File& Handle() const = 0;
};

// Opens or creates a named file; never throws on failure: test IsValid().
class TFileStream32 : public THandleStream32 {
public:
    enum class Mode { Read, ReadWrite, Create };
    TFileStream32(const std::string& path, Mode mode);
    const std::string& Path() const { return path_; }

protected:
    platform::File& Handle() override { return file_; }
    const platform::File& Handle() const override { return file_; }

private:
    platform::File file_;
    std::string path_;
};

} // namespace tolvane::archive
