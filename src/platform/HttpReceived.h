// What both systems' HTTP sessions keep between the network and Read: the
// body bytes received and not yet read, and the trimming of header values.
#pragma once

#include <cstddef>
#include <string>

namespace tolvane::platform {

class HttpReceived {
public:
    void Append(const char* data, size_t count);
    size_t Available() const { return bytes_.size() - offset_; }
    // Moves up to `capacity` bytes into `buffer`; returns how many.
    size_t Take(char* buffer, size_t capacity);

private:
    std::string bytes_;
    size_t offset_ = 0; // bytes_ before it have been read
};

// A header value without the blanks and line end around it.
std::string TrimmedHeaderValue(const std::string& text);

} // namespace tolvane::platform
