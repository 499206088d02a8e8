// Whether an archive can be written where the user asked, found out before
// any work is done: a whole tree packed for a folder that does not exist is
// time lost, and the writers would name the failure only in their own terms.
#pragma once

#include <string>

namespace tolvane::app {

// "" when a file can be created in the folder of `file`; otherwise "cannot
// write FILE: " and what the operating system says ("No such file or
// directory", "Permission denied", "Not a directory").
std::string OutputProblem(const std::string& file);

} // namespace tolvane::app
