// A growable memory stream; capacity grows in 8192-byte steps.
#pragma once

#include "Stream32.h"

#include <cstdint>
#include <vector>

namespace tolvane::archive {

class TMemoryStream32 : public TStream32 {
public:
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(size_); }
    void SetSize(int64_t size) override;
    void Clear();

    const uint8_t* Data() const { return data_.data(); }
    size_t Capacity() const { return data_.size(); }
    // Makes room for `capacity` bytes at once, so that writes up to it do
    // not grow the stream step by step.
    void Reserve(size_t capacity);

private:
    std::vector<uint8_t> data_; // its size is the capacity
    size_t size_ = 0;
    size_t position_ = 0;
};

} // namespace tolvane::archive
