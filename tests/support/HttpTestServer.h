// The update tests' HTTP server (tests/update/update_server.py) as a child
// process on a free loopback port, stopped when the object goes.
#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>

namespace tolvane::test {

class HttpTestServer {
public:
    // Serves the files below `root`; every request head is appended to `log`.
    HttpTestServer(const std::string& root, const std::string& log);
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    // 0 when the server did not start.
    uint16_t Port() const { return port_; }
    // "http://127.0.0.1:PORT" + path.
    std::string Url(const std::string& path) const;

private:
    pid_t pid_ = -1;
    uint16_t port_ = 0;
};

} // namespace tolvane::test
