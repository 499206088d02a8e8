// The writers' ExcludeSpec test for one scanned file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tolvane::archive {

// True when an entry of `excludeSpec` selects the file `fileName` in `folder`
// (with a trailing separator). An entry without a separator is a mask on the
// file name; an entry with one also names the folder that must begin the
// file's folder (a relative one is taken from the root, as Windows takes it
// from the drive's root). `rootFolder` is the scan root last reported.
bool IsExcluded(const std::vector<std::string>& excludeSpec, std::string_view folder,
                std::string_view fileName, std::string_view rootFolder);

} // namespace tolvane::archive
