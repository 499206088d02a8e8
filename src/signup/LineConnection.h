// The line-based connection the SMTP client talks through, so that the
// dialogue can run over a socket or over lines a test supplies.
#pragma once

#include <chrono>
#include <stdexcept>
#include <string>

namespace tolvane::signup {

// A failed connection step, with the system's message.
class NetworkError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Every operation throws NetworkError on failure.
class LineConnection {
public:
    virtual ~LineConnection() = default;

    virtual void Connect(const std::string& host, int port, std::chrono::milliseconds timeout) = 0;
    // Sends `bytes` as they are.
    virtual void Send(const std::string& bytes, std::chrono::milliseconds timeout) = 0;
    // The next line without its LF (and a CR before it).
    virtual std::string ReceiveLine(std::chrono::milliseconds timeout) = 0;
    virtual bool IsOpen() const = 0;
    virtual void Close() = 0;
};

} // namespace tolvane::signup
