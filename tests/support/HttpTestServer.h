// An HTTP/1.0 server on a free loopback port, in the test's own process, for
// the update check. It serves the files below a root folder; paths starting
// with
//
//   /nolength/NAME  send the file without a Content-Length header,
//   /short/NAME     send a Content-Length 100 bytes larger than the file,
//   /long/NAME      send a Content-Length 100 bytes smaller than the file,
//   /stall/NAME     send the head and the first 2 KiB of the file, then
//                   nothing for a minute,
//   /silent         accept the request and never answer.
//
// A request in absolute form (as sent to a proxy) is served by its path; a
// CONNECT request (a secure address through the proxy) is refused with 403,
// and a connection that does not begin with an HTTP method (a TLS greeting)
// is closed.
// Connections still open when the object goes are closed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <thread>

namespace tolvane::test {

class HttpTestServer {
public:
    // Every request head is appended to the file `log` as it arrived (request
    // line and headers, CR LF line ends, the blank line after them).
    HttpTestServer(const std::string& root, const std::string& log);
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    uint16_t Port() const { return port_; }
    // "http://127.0.0.1:PORT" + path.
    std::string Url(const std::string& path) const;

    struct Io; // the sockets and the served folder, in the .cpp

private:
    std::unique_ptr<Io> io_;
    uint16_t port_ = 0;
    std::thread thread_;
};

} // namespace tolvane::test
