// The command line as the program's own text: UTF-8 arguments, and a
// console that shows the UTF-8 the program writes.
#pragma once

#include <string>
#include <vector>

namespace tolvane::platform {

// The arguments after the program's name, in UTF-8. POSIX: `argv` as it
// is. Windows: from GetCommandLineW, since `argv` holds the ANSI code
// page's form there, which loses what that page cannot write; a "\" in an
// argument is read as the "/" the program's paths use.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Lets the console show UTF-8 output (SetConsoleOutputCP on Windows; the
// terminal's own business elsewhere).
void UseUtf8Console();

} // namespace tolvane::platform
