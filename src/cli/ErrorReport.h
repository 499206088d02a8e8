// How the command-line tool prints a writer's reports.
#pragma once

#include "archive/writer/WriterError.h"

#include <string>

namespace tolvane::cli {

// The report's line as the windows show it too (app::ReportLine): "FILE:
// what happened – reason", after "warning: " for a warning. With -v
// (`withCode`) the code comes first, after the writer's name when one is
// given: "BH error 25303: ", "warning 25300: ".
std::string FormatWriterError(const archive::WriterReport& report, bool withCode,
                              const std::string& writer = "");

} // namespace tolvane::cli
