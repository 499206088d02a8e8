#include "platform/ProgramArguments.h"

#include "platform/Win32Support.h"

#include <shellapi.h>

namespace tolvane::platform {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide)
        return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc)
                        : std::vector<std::string>();
    std::vector<std::string> arguments;
    // The program's paths use "/" between names (as the platform layer gives
    // them); a "\" typed in a path is the same separator. No other argument
    // of the command line takes a "\".
    for (int i = 1; i < count; ++i)
        arguments.push_back(win::ProgramPath(wide[i]));
    LocalFree(wide);
    return arguments;
}

void UseUtf8Console() {
    SetConsoleOutputCP(CP_UTF8);
}

} // namespace tolvane::platform
