// The command line shared by the commands that take one archive.
#include "cli/ArchiveArguments.h"

namespace tolvane::cli {

ArchiveArguments ParseArchiveArguments(const std::vector<std::string>& args) {
    ArchiveArguments parsed;
    std::vector<std::string> operands;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help") {
            parsed.action = ArchiveArguments::Action::Help;
            return parsed;
        }
        if (parsed.problem.empty())
            parsed.problem = "unknown option '" + arg + "'";
    }
    if (!parsed.problem.empty())
        return parsed;
    if (operands.empty()) {
        parsed.problem = "missing ARCHIVE";
        return parsed;
    }
    if (operands.size() > 1) {
        parsed.problem = "too many arguments: '" + operands[1] + "'";
        return parsed;
    }
    parsed.action = ArchiveArguments::Action::Run;
    parsed.archive = operands.front();
    return parsed;
}

} // namespace tolvane::cli
