// A growable memory stream. The block's length is kept at a multiple of
// 8192 bytes; the allocation underneath grows geometrically, so a run of
// small writes does not copy the block every 8 KiB.
#include "MemoryStream32.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>
#include <new>

namespace tolvane::archive {
namespace {

constexpr size_t kCapacityStep = 8192;
// Doubling stops here, so a stream of gigabytes does not ask for twice that.
constexpr size_t kLargestGrowth = size_t{1} << 30;

StreamError OutOfMemory() {
    return StreamError("Out of memory while expanding memory stream", 0);
}

} // namespace

int64_t TMemoryStream32::Read(void* buffer, int64_t count) {
    if (count <= 0 || position_ >= size_)
        return 0;
    const size_t n =
        static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(count), size_ - position_));
    std::memcpy(buffer, data_.get() + position_, n);
    position_ += n;
    return static_cast<int64_t>(n);
}

int64_t TMemoryStream32::Write(const void* buffer, int64_t count) {
    if (count <= 0)
        return 0;
    if (static_cast<uint64_t>(count) > std::numeric_limits<size_t>::max() - position_)
        throw OutOfMemory();
    const size_t end = position_ + static_cast<size_t>(count);
    if (end > size_) {
        if (end > capacity_)
            Reserve(end);
        // A gap left by seeking past the end reads back as zeros, not as
        // whatever an earlier, longer content left there.
        if (position_ > size_)
            std::memset(data_.get() + size_, 0, position_ - size_);
        size_ = end;
    }
    std::memcpy(data_.get() + position_, buffer, static_cast<size_t>(count));
    position_ = end;
    return count;
}

int64_t TMemoryStream32::Seek(int64_t offset, SeekOrigin origin) {
    int64_t base = 0;
    switch (origin) {
    case SeekOrigin::Begin:
        base = 0;
        break;
    case SeekOrigin::Current:
        base = static_cast<int64_t>(position_);
        break;
    case SeekOrigin::End:
        base = static_cast<int64_t>(size_);
        break;
    }
    const int64_t target = base + offset;
    if (target < 0)
        return -1;
    position_ = static_cast<size_t>(target);
    return target;
}

void TMemoryStream32::SetSize(int64_t size) {
    if (size < 0)
        throw StreamError("Invalid memory stream size", 0);
    const auto newSize = static_cast<size_t>(size);
    Reserve(newSize);
    if (newSize > size_)
        std::memset(data_.get() + size_, 0, newSize - size_);
    size_ = newSize;
    if (position_ > size_)
        position_ = size_;
}

void TMemoryStream32::Clear() {
    data_.reset();
    allocated_ = 0;
    capacity_ = 0;
    size_ = 0;
    position_ = 0;
}

void TMemoryStream32::Reserve(size_t capacity) {
    if (capacity > std::numeric_limits<size_t>::max() - (kCapacityStep - 1))
        throw OutOfMemory();
    const size_t rounded = (capacity + kCapacityStep - 1) / kCapacityStep * kCapacityStep;
    // No allocation is ever asked for beyond what an object may span.
    if (rounded > static_cast<size_t>(std::numeric_limits<ptrdiff_t>::max()))
        throw OutOfMemory();
    if (rounded > allocated_) {
        const size_t grown = std::max(rounded, std::min(allocated_ * 2, kLargestGrowth));
        std::unique_ptr<uint8_t[]> bigger;
        try {
            bigger = std::make_unique_for_overwrite<uint8_t[]>(grown);
        } catch (const std::bad_alloc&) {
            throw OutOfMemory();
        }
        if (size_ > 0)
            std::memcpy(bigger.get(), data_.get(), size_);
        data_ = std::move(bigger);
        allocated_ = grown;
    }
    capacity_ = rounded;
}

} // namespace tolvane::archive
