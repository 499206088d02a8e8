// What the commands that read one archive share.
#include "cli/ArchiveCommand.h"

#include "cli/PasswordFile.h"
#include "cli/PasswordInput.h"

#include <iostream>

namespace tolvane::cli {

bool TakePassword(const CommandLine& line, std::istream& in, std::optional<std::string>& password,
                  std::string& problem) {
    const std::optional<std::string> file = line.Value("password-file");
    const bool fromStdin = line.Has("password-stdin");
    if (file && fromStdin) {
        problem = "give the password one way only";
        return false;
    }
    std::string text;
    if (file) {
        if (file->empty()) {
            problem = "option '--password-file' needs a FILE";
            return false;
        }
        if (!ReadPasswordFile(*file, text, problem))
            return false;
    } else if (fromStdin) {
        // An archive's own password: asked for once on a terminal.
        if (!ReadInputPassword(in, IsTerminalInput(in), std::cerr, false, text, problem))
            return false;
    } else {
        return true;
    }
    password = std::move(text);
    return true;
}

} // namespace tolvane::cli
