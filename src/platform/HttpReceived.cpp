#include "platform/HttpReceived.h"

#include <algorithm>
#include <cstring>

namespace tolvane::platform {

void HttpReceived::Append(const char* data, size_t count) {
    // What was read goes first, so the buffer never holds more than one
    // network read beyond what is still wanted.
    if (offset_ > 0) {
        bytes_.erase(0, offset_);
        offset_ = 0;
    }
    bytes_.append(data, count);
}

size_t HttpReceived::Take(char* buffer, size_t capacity) {
    const size_t count = std::min(Available(), capacity);
    std::memcpy(buffer, bytes_.data() + offset_, count);
    offset_ += count;
    return count;
}

std::string TrimmedHeaderValue(const std::string& text) {
    const size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(" \t\r\n") + 1 - begin);
}

} // namespace tolvane::platform
