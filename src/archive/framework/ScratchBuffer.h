// A byte buffer reused from one entry to the next: it keeps the largest room
// it was asked for, and its bytes are not cleared.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tolvane::archive {

class ScratchBuffer {
public:
    // At least `size` bytes; earlier contents are lost when it grows.
    uint8_t* Room(size_t size) {
        if (size > capacity_) {
            bytes_.reset();
            bytes_ = std::make_unique_for_overwrite<uint8_t[]>(size);
            capacity_ = size;
        }
        return bytes_.get();
    }
    uint8_t* Data() { return bytes_.get(); }

private:
    std::unique_ptr<uint8_t[]> bytes_;
    size_t capacity_ = 0;
};

} // namespace tolvane::archive
