// The command line shared by the commands that take one archive.
#include "cli/ArchiveArguments.h"

#include <string_view>
#include <utility>

namespace tolvane::cli {

namespace {

constexpr std::string_view kPasswordFile = "--password-file";

} // namespace

ArchiveArguments ParseArchiveArguments(const std::vector<std::string>& args,
                                       const ArchiveOptions& accepted) {
    ArchiveArguments parsed;
    std::vector<std::string> operands;
    bool optionsEnded = false;
    auto complain = [&parsed](std::string problem) {
        // The first problem is the one the user sees.
        if (parsed.problem.empty())
            parsed.problem = std::move(problem);
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
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
        const std::string_view word = arg;
        if (accepted.passwordFile && word.starts_with(kPasswordFile) &&
            (word.size() == kPasswordFile.size() || word[kPasswordFile.size()] == '=')) {
            std::optional<std::string> value;
            if (word.size() > kPasswordFile.size())
                value = arg.substr(kPasswordFile.size() + 1);
            else if (i + 1 < args.size())
                value = args[++i];
            if (!value || value->empty())
                complain("option '--password-file' needs a FILE");
            else if (parsed.passwordFile)
                complain("option '--password-file' is given twice");
            else
                parsed.passwordFile = std::move(value);
            continue;
        }
        complain("unknown option '" + arg + "'");
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
