// The command line shared by the commands that take one archive: `ARCHIVE` or
// `--help`, with "--" ending the options, and the options a command accepts
// besides those.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tolvane::cli {

// Exit codes of these commands.
inline constexpr int kExitOk = 0;
inline constexpr int kExitDamaged = 1;   // the archive or an entry is damaged or unsupported
inline constexpr int kExitNoArchive = 2; // usage error, or the archive cannot be opened

// The options with a value that a command accepts; any other option is a usage error.
struct ArchiveOptions {
    bool passwordFile = false; // --password-file FILE, or --password-file=FILE
};

struct ArchiveArguments {
    enum class Action { Run, Help, UsageError };

    Action action = Action::UsageError;
    std::string archive;                     // for Run
    std::optional<std::string> passwordFile; // for Run, when --password-file was given
    std::string problem; // for UsageError: what was wrong, one line without a newline
};

// `args` are the words after the command name. "--help" anywhere before "--"
// wins, except as the value of an option (which is always the next word).
ArchiveArguments ParseArchiveArguments(const std::vector<std::string>& args,
                                       const ArchiveOptions& accepted = {});

} // namespace tolvane::cli
