// The fixed part of an entry's header record as a format keeps it in the work
// list, held in the item itself: a list of many entries then costs no
// allocation per header. The records of every format fit.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <stdexcept>
#include <string>

namespace tolvane::archive {

class HeaderRecord {
public:
    static constexpr size_t kCapacity = 46;

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    uint8_t* data() { return bytes_.data(); }
    const uint8_t* data() const { return bytes_.data(); }
    uint8_t* begin() { return bytes_.data(); }
    uint8_t* end() { return bytes_.data() + size_; }
    const uint8_t* begin() const { return bytes_.data(); }
    const uint8_t* end() const { return bytes_.data() + size_; }
    uint8_t& operator[](size_t i) { return bytes_[i]; }
    uint8_t operator[](size_t i) const { return bytes_[i]; }

    // New bytes are zero, as a vector's are.
    void resize(size_t size) {
        Check(size);
        if (size > size_)
            std::fill(bytes_.begin() + size_, bytes_.begin() + size, uint8_t{0});
        size_ = static_cast<uint8_t>(size);
    }
    void assign(size_t size, uint8_t value) {
        Check(size);
        std::fill(bytes_.begin(), bytes_.begin() + size, value);
        size_ = static_cast<uint8_t>(size);
    }
    template <std::input_iterator It> void assign(It first, It last) {
        const auto size = static_cast<size_t>(std::distance(first, last));
        Check(size);
        std::copy(first, last, bytes_.begin());
        size_ = static_cast<uint8_t>(size);
    }

private:
    static void Check(size_t size) {
        if (size > kCapacity)
            throw std::length_error("a header record of " + std::to_string(size) +
                                    " bytes is longer than any format's");
    }

    std::array<uint8_t, kCapacity> bytes_{};
    uint8_t size_ = 0;
};

} // namespace tolvane::archive
