// Whether a shortcut name from transl.dat can be a file of the job folder.
#pragma once

#include <string>

namespace tolvane::app {

// Why `name` (".URL" included) is no usable file name, or "" when it is one:
// its base is empty, "." or "..", or holds a separator, a NUL or a control
// character (a name such as "../../x" must never reach outside the job folder).
std::string ShortcutNameProblem(const std::string& name);

} // namespace tolvane::app
