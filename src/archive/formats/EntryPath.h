// Turns an entry's stored name, which is outside input, into the folder and
// file names it may be extracted under, or says why it must not be.
#pragma once

#include "platform/CodePage.h"

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

// The name of an entry stored without a UTF-8 flag or Unicode path, in the
// OEM code page or as its own bytes: a writer here keeps the bytes of a name
// that is not valid UTF-8 as they are, and they go back to the file system
// as they came. Bytes that are not UTF-8 are taken for such a name when they
// are not valid in the OEM page, or when read as OEM they give a box-drawing,
// block or shape character or a no-break space, which no name converted to
// OEM from a file name holds. All other names are read as OEM
// (CodePage::ToAnsi).
std::string NameFromOem(std::string_view storedName, const platform::CodePage& codePage);

} // namespace tolvane::archive
