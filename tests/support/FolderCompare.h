// Compares two folder trees as an extraction must restore them: the same
// files and folders, the files byte for byte with the same modification
// times and write permission.
#pragma once

#include <string>

namespace tolvane::test {

// "" when the trees agree, else the first difference found, one line.
std::string CompareTrees(const std::string& expected, const std::string& actual);

// Sets the modification time of every file and folder under `root` to
// `unixSeconds` (an even number survives the DOS date-time's 2 seconds).
void SetTreeTimes(const std::string& root, long long unixSeconds);

} // namespace tolvane::test
