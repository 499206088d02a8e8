// A blocking TCP connection for line-based protocols, with a time limit on
// every step. Failures throw NetworkError with the system's message.
#pragma once

#include "LineConnection.h"

#include <chrono>
#include <memory>
#include <string>

namespace tolvane::signup {

class TcpLineConnection : public LineConnection {
public:
    TcpLineConnection();
    ~TcpLineConnection() override;
    TcpLineConnection(const TcpLineConnection&) = delete;
    TcpLineConnection& operator=(const TcpLineConnection&) = delete;

    // Resolves `host` and connects to the first address that answers, all
    // within `timeout`.
    void Connect(const std::string& host, int port, std::chrono::milliseconds timeout) override;
    // Sends `bytes` as they are.
    void Send(const std::string& bytes, std::chrono::milliseconds timeout) override;
    // The next line without its LF (and a CR before it). A line longer than
    // 64 KiB, a closed connection or no line within `timeout` is a failure;
    // a timeout also closes the connection.
    std::string ReceiveLine(std::chrono::milliseconds timeout) override;

    bool IsOpen() const override;
    void Close() override;
    // Safe from any thread: closes the connection at once; the step running
    // (or the next one) fails with NetworkError("Cancelled"). Made before
    // Connect, it makes Connect fail at once, with no lookup and no attempt.
    void Abort();

    // This machine's host name as the socket library reports it.
    static std::string LocalHostName();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace tolvane::signup
