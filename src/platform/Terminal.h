// What the command line needs to know of the terminal it writes to.
#pragma once

#include <memory>
#include <optional>

namespace tolvane::platform {

// The descriptors of the standard streams, as the functions below take them.
inline constexpr int kStandardInput = 0;
inline constexpr int kStandardError = 2;

// True when `fd` is a terminal (a progress line redraws in place only there).
bool IsTerminal(int fd);

// The terminal's width in columns: the window size of `fd`, else $COLUMNS
// (when it is a width from 1 to 9999), else 80.
int TerminalColumns(int fd);

// The width of the window of the terminal `fd`, as the system tells it;
// nullopt when `fd` is no terminal or its window tells no width.
std::optional<int> WindowColumns(int fd);

// Turns the echo of the terminal `fd` off for its lifetime, so that a
// password typed there is not shown, and puts back the settings it found
// however the read in between ends. Does nothing when `fd` is no terminal.
class EchoOff {
public:
    explicit EchoOff(int fd);
    ~EchoOff();
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

    // False when `fd` is no terminal or its echo could not be turned off.
    bool Active() const { return saved_ != nullptr; }

private:
    struct Saved;
    int fd_;
    std::unique_ptr<Saved> saved_;
};

} // namespace tolvane::platform
