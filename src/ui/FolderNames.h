// The folder a job takes from a command-line argument, and the place and
// name the save dialog proposes for its ZIP. Both separators count, so that
// Windows paths and POSIX ones read alike on either system.
#pragma once

#include <string>

namespace tolvane::ui {

// The folder as the job takes it: absolute (against `currentFolder`),
// without trailing separators.
std::string FolderOf(const std::string& argument, const std::string& currentFolder);
// Its last component and the folder that holds it ("C:\a\b" gives "b"
// and "C:\a"; a drive's root "C:\" gives "C" and "C:\").
std::string LastComponent(const std::string& folder);
std::string ParentFolder(const std::string& folder);

} // namespace tolvane::ui
