#include "SmtpClient.h"

#include "Base64.h"
#include "TcpLineConnection.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <sstream>
#include <stdexcept>
#include <string_view>

namespace tolvane::signup {

namespace {

// A refused or broken dialogue, inside the delivery; SendMail turns it into
// its result.
class SmtpError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A server's text as it may be shown: a tab becomes a space, other control
// bytes go (a NUL would cut the message short, an escape would drive the
// terminal), and the ends are trimmed.
std::string Printable(std::string_view text) {
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\t')
            shown += ' ';
        else if (byte >= 0x20 && byte != 0x7F)
            shown += c;
    }
    const size_t first = shown.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return shown.substr(first, shown.find_last_not_of(' ') - first + 1);
}

struct Reply {
    int code = 0;
    std::vector<std::string> lines; // the text after each line's code and separator

    std::string Text() const {
        std::string text;
        for (const auto& line : lines) {
            const std::string shown = Printable(line);
            if (!shown.empty())
                text += (text.empty() ? "" : "\n") + shown;
        }
        return text.empty() ? "The server answered " + std::to_string(code) : text;
    }
};

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The words after "AUTH" of every "AUTH ..." or "AUTH=..." line of an EHLO
// reply; the "=" form is what older servers advertise.
std::vector<std::string> AuthMechanisms(const Reply& ehlo) {
    std::vector<std::string> mechanisms;
    for (const auto& line : ehlo.lines) {
        std::string upper = Upper(line);
        if (upper.rfind("AUTH ", 0) != 0 && upper.rfind("AUTH=", 0) != 0)
            continue;
        std::replace(upper.begin(), upper.end(), '=', ' ');
        std::istringstream words(upper.substr(4));
        for (std::string word; words >> word;)
            mechanisms.push_back(word);
    }
    return mechanisms;
}

class Session {
public:
    Session(LineConnection& connection, const SmtpSettings& settings)
        : connection_(connection), settings_(settings) {}

    Reply Read() {
        Reply reply;
        for (;;) {
            const std::string line = connection_.ReceiveLine(settings_.replyTimeout);
            const bool coded =
                line.size() >= 3 && std::all_of(line.begin(), line.begin() + 3, [](char c) {
                    return std::isdigit(static_cast<unsigned char>(c)) != 0;
                });
            if (!coded || (line.size() > 3 && line[3] != '-' && line[3] != ' '))
                throw SmtpError("The server sent no valid reply: " + Printable(line));
            reply.code = std::stoi(line.substr(0, 3));
            reply.lines.push_back(line.size() > 4 ? line.substr(4) : "");
            if (line.size() == 3 || line[3] == ' ')
                return reply;
        }
    }

    void Send(const std::string& line) { connection_.Send(line + "\r\n", settings_.replyTimeout); }

    // Sends `line` and reads the reply; a code outside `accepted` fails with
    // the reply's text. An empty list accepts any code.
    Reply Command(const std::string& line, std::initializer_list<int> accepted) {
        Send(line);
        return Expect(accepted);
    }

    Reply Expect(std::initializer_list<int> accepted) {
        Reply reply = Read();
        if (accepted.size() != 0 &&
            std::find(accepted.begin(), accepted.end(), reply.code) == accepted.end())
            throw SmtpError(reply.Text());
        return reply;
    }

private:
    LineConnection& connection_;
    const SmtpSettings& settings_;
};

void Deliver(LineConnection& connection, const SmtpSettings& settings,
             const std::vector<std::string>& text) {
    Session session(connection, settings);
    connection.Connect(settings.host, settings.port, settings.connectTimeout);
    session.Expect({220});

    const std::string hostName = TcpLineConnection::LocalHostName();
    const Reply ehlo = session.Command("EHLO " + hostName, {});
    std::vector<std::string> mechanisms;
    if (ehlo.code == 250)
        mechanisms = AuthMechanisms(ehlo);
    else
        session.Command("HELO " + hostName, {250});

    session.Command("RSET", {});
    if (std::find(mechanisms.begin(), mechanisms.end(), "LOGIN") != mechanisms.end()) {
        session.Command("AUTH LOGIN", {334});
        session.Command(EncodeBase64(settings.userName), {334});
        session.Command(EncodeBase64(settings.password), {235});
    }
    session.Command("MAIL FROM:<" + settings.sender + ">", {250});
    for (const auto& recipient : settings.recipients)
        session.Command("RCPT TO:<" + recipient + ">", {250, 251});
    session.Command("DATA", {354});
    // One write for the whole text: a line-by-line exchange would cost a
    // round of small packets per line for nothing.
    std::string data;
    for (const auto& line : text)
        data += (!line.empty() && line[0] == '.' ? "." : "") + line + "\r\n";
    connection.Send(data, settings.replyTimeout);
    session.Command(".", {250});
}

void Quit(LineConnection& connection, const SmtpSettings& settings) {
    if (!connection.IsOpen())
        return;
    try {
        connection.Send("QUIT\r\n", settings.replyTimeout);
    } catch (const NetworkError&) {
        // The server may have gone already; the connection is closed below.
    }
    connection.Close();
}

} // namespace

platform::Expected<void> SendMail(const SmtpSettings& settings,
                                  const std::vector<std::string>& text) {
    const platform::CancelToken never;
    return SendMail(settings, text, never);
}

platform::Expected<void> SendMail(const SmtpSettings& settings,
                                  const std::vector<std::string>& text,
                                  const platform::CancelToken& cancel) {
    if (cancel.Requested())
        return platform::Unexpected{platform::Cancellation()};
    TcpLineConnection connection;
    // A request that came after the check above runs the hook here at once;
    // an aborted connection refuses to connect, so it is not lost.
    const platform::CancelToken::Hook hook(cancel, [&connection] { connection.Abort(); });
    platform::Expected<void> sent = SendMail(connection, settings, text);
    // The aborted connection's failure is the request's doing, not the server's.
    if (!sent && cancel.Requested())
        return platform::Unexpected{platform::Cancellation()};
    return sent;
}

platform::Expected<void> SendMail(LineConnection& connection, const SmtpSettings& settings,
                                  const std::vector<std::string>& text) {
    try {
        Deliver(connection, settings, text);
    } catch (const NetworkError& failure) {
        Quit(connection, settings);
        return platform::Unexpected{platform::Failure("", failure.what())};
    } catch (const SmtpError& failure) {
        Quit(connection, settings);
        return platform::Unexpected{platform::Failure("", failure.what())};
    } catch (...) {
        Quit(connection, settings);
        throw;
    }
    Quit(connection, settings);
    return {};
}

} // namespace tolvane::signup
