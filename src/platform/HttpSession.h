// One HTTP or HTTPS GET, read in pieces of the caller's size: the request goes
// out and its response head arrives in Send, the body comes in through Read.
// Redirections are not followed. The system's proxy settings apply: on Linux
// through libcurl (http_proxy, https_proxy, no_proxy), on Windows through
// WinHTTP (the proxy configured for the user).
#pragma once

#include "platform/Expected.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tolvane::platform {

struct HttpRequest {
    std::string scheme = "http"; // or "https"
    std::string host;
    uint16_t port = 80;
    std::string path = "/";
    std::string userName; // with a password, sent as basic authentication when not empty
    std::string password;
    std::string userAgent;
    // Limits; zero means none. `total` bounds the whole exchange, `stall` the
    // time without any byte arriving.
    std::chrono::milliseconds connectTimeout{0};
    std::chrono::milliseconds total{0};
    std::chrono::milliseconds stall{0};
    // Reads the body until the server closes the connection (as an HTTP/1.0
    // server does after it) instead of stopping at its Content-Length, so
    // that the caller can tell a body longer than announced from a right one.
    // WinHTTP always ends the body at its Content-Length.
    bool readToClose = false;
};

class HttpSession {
public:
    // `abort` is asked while waiting for the network; true ends the exchange,
    // and the call waiting fails with a cancellation.
    explicit HttpSession(std::function<bool()> abort = {});
    ~HttpSession();
    HttpSession(const HttpSession&) = delete;
    HttpSession& operator=(const HttpSession&) = delete;

    // Sends the request and waits for the response head; fails when no head
    // arrived (the cause in the report's extendedMsg).
    Expected<void> Send(const HttpRequest& request);
    // The response's status code (after a successful Send).
    int Status() const;
    // The Content-Length header's value as sent, blanks trimmed; nullopt without one.
    const std::optional<std::string>& ContentLength() const;

    // Fills `buffer` with up to `capacity` body bytes, fewer only at the end of
    // the body. Returns the count, 0 at the end.
    Expected<size_t> Read(char* buffer, size_t capacity);

private:
    struct Exchange; // the system's side of it, in HttpSessionPosix/Win.cpp
    std::unique_ptr<Exchange> exchange_;
};

} // namespace tolvane::platform
