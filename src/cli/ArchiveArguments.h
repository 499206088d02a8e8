// The command line shared by the commands that take one archive: `ARCHIVE` or
// `--help`, with "--" ending the options.
#pragma once

#include <string>
#include <vector>

namespace tolvane::cli {

// Exit codes of these commands.
inline constexpr int kExitOk = 0;
inline constexpr int kExitDamaged = 1;   // the archive or an entry is damaged or unsupported
inline constexpr int kExitNoArchive = 2; // usage error, or the archive cannot be opened

struct ArchiveArguments {
    enum class Action { Run, Help, UsageError };

    Action action = Action::UsageError;
    std::string archive; // for Run
    std::string problem; // for UsageError: what was wrong, one line without a newline
};

// `args` are the words after the command name. "--help" anywhere before "--" wins.
ArchiveArguments ParseArchiveArguments(const std::vector<std::string>& args);

} // namespace tolvane::cli
