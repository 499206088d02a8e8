// A mail server on loopback that plays back a script of replies and records
// every line the client sends, for exact checks of an SMTP dialogue.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tolvane::test {

class ScriptedSmtpServer {
public:
    // Accepts one connection on 127.0.0.1 and sends `greeting` (nothing when
    // empty). Each line received then gets the next of `replies` (an empty
    // one: no answer to that line; "\r\n" inside one makes a multi-line
    // reply). After a reply beginning with "354" the lines are mail text,
    // answered only at the lone ".". Once the script runs out, lines are
    // recorded and not answered.
    ScriptedSmtpServer(std::string greeting, std::vector<std::string> replies);
    ~ScriptedSmtpServer();
    ScriptedSmtpServer(const ScriptedSmtpServer&) = delete;
    ScriptedSmtpServer& operator=(const ScriptedSmtpServer&) = delete;

    int Port() const { return port_; }
    // The lines received, without CR LF, once the client has closed the
    // connection (waits 20 s at most).
    std::vector<std::string> Received();
    // Whether a client connected so far.
    bool Connected();

private:
    struct Io;
    std::unique_ptr<Io> io_;
    std::string greeting_;
    std::vector<std::string> replies_;
    int port_ = 0;
    std::mutex mutex_;
    std::condition_variable ended_;
    bool connected_ = false;
    bool done_ = false;
    std::vector<std::string> lines_;
    std::thread thread_;

    void Serve();
};

// A port on 127.0.0.1 that nothing listens on (bound, then let go), where a
// connection is refused at once.
int ClosedLoopbackPort();

} // namespace tolvane::test
