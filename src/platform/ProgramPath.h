// Where the running program's file is, for the data files shipped beside it.
#pragma once

#include <string>

namespace tolvane::platform {

// The running program's full path, links resolved; "" when the system does
// not tell.
std::string ProgramPath();

} // namespace tolvane::platform
