// Runs a configured archive writer for a command: progress bar, error
// reports on the error stream, Ctrl-C, and the command's exit status.
#pragma once

#include "cli/CommandLine.h"
#include "cli/PackCommand.h"

#include "archive/writer/CustomCClass.h"

#include <ostream>
#include <string>

namespace tolvane::cli {

// Takes --jobs and the verbosity from a packing command's line into `run`;
// the problem with --jobs, or "".
std::string ApplyRunOptions(const CommandLine& line, PackOptions& run);

// Exit status: 0 the archive holds every file, 1 files were left out,
// 2 nothing was written, 130 interrupted.
int RunWriter(archive::TCustomCClass& writer, const std::string& command,
              const std::string& progressLabel, std::ostream& out, std::ostream& err,
              const PackOptions& options);

} // namespace tolvane::cli
