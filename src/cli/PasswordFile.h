// Passwords come from a file, never from the command line, where other users
// could read them in the process list.
#pragma once

#include <string>

namespace tolvane::cli {

// The file's content without one trailing line end ("\n" or "\r\n").
// False with `error` set when the file cannot be read or the password is empty.
bool ReadPasswordFile(const std::string& path, std::string& password, std::string& error);

} // namespace tolvane::cli
