// One HTTP or HTTPS GET through libcurl, read in pieces of the caller's size: the
// request goes out and its response head arrives in Send, the body comes in
// through Read. The system's proxy settings (http_proxy, https_proxy,
// no_proxy) apply.
#pragma once

#include "platform/Expected.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tolvane::update {

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
    platform::Expected<void> Send(const HttpRequest& request);
    // The response's status code (after a successful Send).
    int Status() const { return status_; }
    // The Content-Length header's value as sent, blanks trimmed; nullopt without one.
    const std::optional<std::string>& ContentLength() const { return contentLength_; }

    // Fills `buffer` with up to `capacity` body bytes, fewer only at the end of
    // the body. Returns the count, 0 at the end.
    platform::Expected<size_t> Read(char* buffer, size_t capacity);

private:
    struct Handles;

    static size_t OnHeader(char* data, size_t size, size_t count, void* self);
    static size_t OnBody(char* data, size_t size, size_t count, void* self);
    // Lets libcurl move the exchange on; false when it ended in failure, was
    // aborted or stalled (failure_ says which).
    bool Pump();
    bool Stalled() const;
    bool Fail(std::string why);

    std::unique_ptr<Handles> handles_;
    std::function<bool()> abort_;
    std::chrono::milliseconds stall_{0};
    std::chrono::steady_clock::time_point lastActivity_;
    int status_ = 0;
    bool headDone_ = false;
    bool finished_ = false;
    std::optional<platform::Report> failure_; // why the exchange ended early
    std::optional<std::string> contentLength_;
    std::string pending_; // body bytes received but not yet read
    size_t pendingOffset_ = 0;
};

} // namespace tolvane::update
