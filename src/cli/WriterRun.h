// Runs a configured archive writer for a command: progress bar, error
// reports on the error stream, Ctrl-C, and the command's exit status.
#pragma once

#include "PackCommand.h"

#include "archive/writer/CustomCClass.h"

#include <ostream>
#include <string>

namespace tolvane::cli {

// Exit status: 0 the archive holds every file, 1 files were left out,
// 2 nothing was written, 130 interrupted.
int RunWriter(archive::TCustomCClass& writer, const std::string& command,
              const std::string& progressLabel, std::ostream& out, std::ostream& err,
              const PackOptions& options);

} // namespace tolvane::cli
