// Arbitrary bytes as the server's side of an SMTP dialogue, one reply line
// per input line, played through a scripted connection: the client either
// delivers or fails with the dialogue's cause, closes the connection, and
// sends nothing after QUIT.
#include "signup/SmtpClient.h"

#include "FuzzSupport.h"

#include <string_view>

using namespace tolvane;
using namespace tolvane::signup;

namespace {

// Plays back the script's lines. A line "!timeout" acts as a server that
// stops answering (the connection closes, as TcpLineConnection's does); a
// line "!sendfail" makes the next send fail. Past the last line the server
// has closed the connection.
class ScriptedConnection : public LineConnection {
public:
    explicit ScriptedConnection(std::string_view script) {
        while (!script.empty()) {
            const size_t end = std::min(script.find('\n'), script.size());
            std::string line(script.substr(0, end));
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines_.push_back(std::move(line));
            script.remove_prefix(std::min(end + 1, script.size()));
        }
    }

    void Connect(const std::string&, int, std::chrono::milliseconds) override {
        FUZZ_CHECK(!quitSent_ && !open_);
        open_ = true;
    }
    void Send(const std::string& bytes, std::chrono::milliseconds) override {
        FUZZ_CHECK(open_ && !quitSent_);
        FUZZ_CHECK(bytes.size() >= 2 && bytes.compare(bytes.size() - 2, 2, "\r\n") == 0);
        quitSent_ = bytes == "QUIT\r\n";
        if (failNextSend_) {
            failNextSend_ = false;
            throw NetworkError("scripted send failure");
        }
    }
    std::string ReceiveLine(std::chrono::milliseconds) override {
        FUZZ_CHECK(open_ && !quitSent_);
        for (;;) {
            if (next_ == lines_.size())
                throw NetworkError("The server closed the connection");
            const std::string& line = lines_[next_++];
            if (line == "!timeout") {
                open_ = false;
                timedOut_ = true;
                throw NetworkError("No reply from the server");
            }
            if (line != "!sendfail")
                return line;
            failNextSend_ = true;
        }
    }
    bool IsOpen() const override { return open_; }
    void Close() override { open_ = false; }

    // QUIT is owed unless the server's silence closed the connection.
    bool QuitOwed() const { return !timedOut_; }
    bool QuitSent() const { return quitSent_; }

private:
    std::vector<std::string> lines_;
    size_t next_ = 0;
    bool open_ = false;
    bool quitSent_ = false;
    bool failNextSend_ = false;
    bool timedOut_ = false;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ScriptedConnection connection(std::string_view(reinterpret_cast<const char*>(data), size));
    SmtpSettings settings;
    settings.host = "mail.example";
    settings.userName = "signup@example.com";
    settings.password = "secret";
    settings.sender = "signup@example.com";
    settings.recipients = {"partners@example.org", "support@example.com"};
    // A refused or broken dialogue fails with its cause; an exception escapes
    // and is reported.
    const platform::Expected<void> sent =
        SendMail(connection, settings, {"Subject: s", "", ".hidden", "last"});
    FUZZ_CHECK(sent || !sent.Error().extendedMsg.empty());
    FUZZ_CHECK(!connection.IsOpen());
    FUZZ_CHECK(connection.QuitSent() == connection.QuitOwed());
    return 0;
}
