// The names of the temporary files, the same on every system:
// `prefix`-PID-START-XXXXXX.tmp, where PID and START (the process's start
// time, in the system's own unit) name the process that made the file even
// after its ID is reused, and XXXXXX is random.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tolvane::platform {

inline constexpr char kTempFileExtension[] = ".tmp";
inline constexpr size_t kTempFileRandomLength = 6;

// "`prefix`-PID-START-": what every name of one process begins with.
std::string TempFileLead(const std::string& prefix, uint64_t pid, uint64_t start);

// kTempFileRandomLength random letters and digits, for the XXXXXX of a name.
std::string TempFileRandom();

// The process a name tells: its ID (never 0) and start time (0 when the maker
// could not read its own).
struct TempFileMaker {
    uint64_t pid = 0;
    uint64_t start = 0;
};

// The maker of `name`, or nullopt when `name` is not a name of `prefix`.
std::optional<TempFileMaker> TempFileMakerOf(const std::string& name, const std::string& prefix);

// The start time of the running process of an ID, or nullopt when none runs.
using ProcessStartTime = std::function<std::optional<uint64_t>(uint64_t pid)>;

// The paths of the files listed in `folder` (with a trailing separator) that
// are named for `prefix` by a process that no longer runs: by `startOf`, none
// runs under its ID, or another process does.
std::vector<std::string> StaleTempFiles(const std::string& folder, const std::string& prefix,
                                        const ProcessStartTime& startOf);

} // namespace tolvane::platform
