// How the command-line tool prints a writer's error reports.
#pragma once

#include <string>

namespace tolvane::cli {

// "error CODE: TEXT: FILE (DETAIL)", leaving out the parts that are empty.
std::string FormatWriterError(int code, const std::string& fileName,
                              const std::string& extendedMsg);

} // namespace tolvane::cli
