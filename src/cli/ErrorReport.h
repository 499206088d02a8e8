// How the command-line tool prints a writer's reports.
#pragma once

#include "archive/writer/WriterError.h"

#include <string>

namespace tolvane::cli {

// "error CODE: TEXT: FILE (DETAIL)" ("warning CODE: ..." for a warning),
// leaving out the parts that are empty.
std::string FormatWriterError(const archive::WriterReport& report);

} // namespace tolvane::cli
