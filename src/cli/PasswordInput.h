// The password of --password-stdin: asked for on a terminal, read silently
// from a pipe or a file.
#pragma once

#include <istream>
#include <ostream>
#include <string>

namespace tolvane::cli {

// Whether `in` is the program's standard input and that is a terminal.
bool IsTerminalInput(const std::istream& in);

// On a terminal (`terminal`): "Password: " on `prompts` with the echo off,
// and "Repeat password: " when `repeat` (a new password being set), as
// `zip -e` asks. Otherwise the first line of `in`, without its line end.
// @return false with `problem` set when no password came or the two differ.
bool ReadInputPassword(std::istream& in, bool terminal, std::ostream& prompts, bool repeat,
                       std::string& password, std::string& problem);

} // namespace tolvane::cli
