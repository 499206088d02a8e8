// What the commands that read one archive (list, test, extract) share: their
// exit codes and the password options.
#pragma once

#include "cli/CommandLine.h"

#include <istream>
#include <optional>
#include <string>

namespace tolvane::cli {

// Exit codes of these commands.
inline constexpr int kExitOk = 0;
inline constexpr int kExitDamaged = 1;   // the archive or an entry is damaged or unsupported
inline constexpr int kExitNoArchive = 2; // usage error, or the archive cannot be opened

// The password of --password-file FILE or --password-stdin (its first line);
// nullopt in `password` when neither was given.
// @return false with `problem` set when both were given, the file cannot be
//         read, or the password is empty.
bool TakePassword(const CommandLine& line, std::istream& in, std::optional<std::string>& password,
                  std::string& problem);

} // namespace tolvane::cli
