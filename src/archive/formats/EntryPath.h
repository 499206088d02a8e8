// Turns an entry's stored name, which is outside input, into the folder and
// file names it may be extracted under, or says why it must not be.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tolvane::archive {

struct EntryPath {
    // The names from the destination folder down, the entry's own last; each
    // one component without "/", never "." or "..". Empty when refused.
    std::vector<std::string> parts;
    bool isFolder = false; // the stored name ends with a separator
    // Why the name is refused ("an absolute name"), empty when it is not.
    std::string refusal;
};

// "/" and "\" both separate; empty and "." components are dropped; control
// characters (NUL included) become "_". Refused: an absolute name, a drive
// letter ("C:"), a ".." component, a component longer than 255 bytes, and a
// name with nothing left.
EntryPath ParseEntryPath(std::string_view storedName);

} // namespace tolvane::archive
