// A growable memory stream; capacity grows in 8192-byte steps.
#pragma once

#include "Stream32.h"

#include <cstdint>
#include <memory>

namespace tolvane::archive {

class TMemoryStream32 : public TStream32 {
public:
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(size_); }
    void SetSize(int64_t size) override;
    void Clear();

    const uint8_t* Data() const { return data_.get(); }
    size_t Capacity() const { return capacity_; }
    // Makes room for `capacity` bytes at once, so that writes up to it do
    // not grow the stream step by step.
    void Reserve(size_t capacity);

private:
    // Room beyond the size is never cleared, so reserving for a coded entry
    // costs no pass over its bytes; the block grows geometrically underneath.
    std::unique_ptr<uint8_t[]> data_;
    size_t allocated_ = 0;
    size_t capacity_ = 0;
    size_t size_ = 0;
    size_t position_ = 0;
};

} // namespace tolvane::archive
