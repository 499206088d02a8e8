// The password of --password-stdin.
#include "cli/PasswordInput.h"

#include "platform/Terminal.h"

#include <iostream>

namespace tolvane::cli {

namespace {

bool ReadLine(std::istream& in, std::string& line) {
    line.clear();
    if (!std::getline(in, line))
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

// One answer typed at `prompt`, not shown; the line end the terminal did
// not echo is put on `prompts`.
bool Ask(std::istream& in, std::ostream& prompts, const char* prompt, std::string& answer) {
    const platform::EchoOff echoOff(platform::kStandardInput);
    prompts << prompt << std::flush;
    const bool read = ReadLine(in, answer);
    prompts << "\n" << std::flush;
    return read;
}

} // namespace

bool IsTerminalInput(const std::istream& in) {
    return &in == &std::cin && platform::IsTerminal(platform::kStandardInput);
}

bool ReadInputPassword(std::istream& in, bool terminal, std::ostream& prompts, bool repeat,
                       std::string& password, std::string& problem) {
    const bool read = terminal ? Ask(in, prompts, "Password: ", password) : ReadLine(in, password);
    if (!read || password.empty()) {
        problem = "no password on standard input";
        return false;
    }
    if (!terminal || !repeat)
        return true;
    std::string again;
    if (!Ask(in, prompts, "Repeat password: ", again) || again != password) {
        password.clear();
        problem = "the passwords do not match; nothing was written";
        return false;
    }
    return true;
}

} // namespace tolvane::cli
