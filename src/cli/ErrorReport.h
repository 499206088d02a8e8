// How the command-line tool prints a writer's reports.
#pragma once

#include "archive/writer/WriterError.h"

#include <string>

namespace tolvane::cli {

// "error CODE: " ("warning CODE: " for a warning) and the report's line as
// the windows show it too (app::ReportLine): "FILE: what happened – reason".
std::string FormatWriterError(const archive::WriterReport& report);

} // namespace tolvane::cli
