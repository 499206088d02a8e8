// The names of files being written: the same on every system.
#include "platform/PartFiles.h"

#include "platform/ProcessExists.h"
#include "platform/Random.h"

#include <algorithm>
#include <cstdio>

namespace tolvane::platform {

namespace {

constexpr std::string_view kPrefix = ".tolvane-";
constexpr std::string_view kSuffix = ".part";
constexpr size_t kRandomDigits = 16;
// More digits than any process ID has.
constexpr size_t kMaxPidDigits = 10;

bool IsLowerHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

} // namespace

std::string NewPartFileName() {
    uint8_t bytes[kRandomDigits / 2];
    RandomBytes(bytes, sizeof bytes);
    std::string name(kPrefix);
    name += std::to_string(CurrentProcessId()) + "-";
    for (const uint8_t byte : bytes) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", byte);
        name += hex;
    }
    return name + std::string(kSuffix);
}

std::optional<int64_t> PartFileWriter(std::string_view name) {
    if (name.size() < kPrefix.size() + kSuffix.size() ||
        name.substr(0, kPrefix.size()) != kPrefix ||
        name.substr(name.size() - kSuffix.size()) != kSuffix)
        return std::nullopt;
    name = name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
    const size_t dash = name.find('-');
    if (dash == 0 || dash == name.npos || dash > kMaxPidDigits || name[0] == '0')
        return std::nullopt;
    const std::string_view random = name.substr(dash + 1);
    if (random.size() != kRandomDigits || !std::all_of(random.begin(), random.end(), IsLowerHex))
        return std::nullopt;
    int64_t pid = 0;
    for (const char c : name.substr(0, dash)) {
        if (c < '0' || c > '9')
            return std::nullopt;
        pid = pid * 10 + (c - '0');
    }
    return pid;
}

} // namespace tolvane::platform
