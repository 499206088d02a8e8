// The SMTP dialogue line by line against a scripted server, its failures, a
// cancel, and one mail end to end through a real server (aiosmtpd).
#include "signup/SmtpClient.h"

#include "signup/TcpLineConnection.h"

#include "support/Peers.h"
#include "support/ScriptedSmtpServer.h"
#include "support/SignupFixtures.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <asio.hpp>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <thread>

using namespace tolvane;
using namespace tolvane::test;
using Lines = std::vector<std::string>;
using namespace std::string_literals;

namespace {

const Lines kText = {"Subject: s", "", "first", ".", ".hidden", "last"};
const Lines kStuffed = {"Subject: s", "", "first", "..", "..hidden", "last", "."};

Lines Concat(std::initializer_list<Lines> parts) {
    Lines all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

struct Dialogue {
    const char* name;
    std::string greeting;
    Lines replies;
    Lines expected;      // what the client sends
    std::string failure; // empty: the mail goes through
};

void PrintTo(const Dialogue& dialogue, std::ostream* out) {
    *out << dialogue.name;
}

class SmtpDialogueTest : public ::testing::TestWithParam<Dialogue> {};

TEST_P(SmtpDialogueTest, LinesAndOutcome) {
    const Dialogue& d = GetParam();
    ScriptedSmtpServer server(d.greeting, d.replies);
    auto mail = TestMailSettings(server.Port());
    mail.smtp.replyTimeout = std::chrono::milliseconds(300);
    const platform::Expected<void> sent = signup::SendMail(mail.smtp, kText);
    EXPECT_EQ(sent ? std::string() : sent.Error().extendedMsg, d.failure);
    if (!sent) {
        EXPECT_EQ(sent.Error().grade, platform::ReportGrade::Failed);
    }
    EXPECT_EQ(server.Received(), d.expected);
}

const std::string kEhlo = "EHLO " + HostName();
const Lines kAuth = {"AUTH LOGIN", "c2lnbnVwQHRvbHZhbmUuZXhhbXBsZQ==", "dHVzYWxldmk0MDc="};
const Lines kEnvelope = {"MAIL FROM:<signup@tolvane.example>", "RCPT TO:<partners@quorvel.example>",
                         "RCPT TO:<support@tolvane.example>"};

Lines Without(Lines replies, size_t first, size_t count) {
    replies.erase(replies.begin() + first, replies.begin() + first + count);
    return replies;
}

Lines With(Lines replies, size_t index, const std::string& reply) {
    replies[index] = reply;
    return replies;
}

INSTANTIATE_TEST_SUITE_P(
    Scripted, SmtpDialogueTest,
    ::testing::Values(
        Dialogue{"WithAuthLogin", "220 ready", AcceptingReplies(),
                 Concat({{kEhlo, "RSET"}, kAuth, kEnvelope, {"DATA"}, kStuffed, {"QUIT"}}), ""},
        Dialogue{"NoAuthLine", "220 ready",
                 With(Without(AcceptingReplies(), 2, 3), 0, "250-mail.example\r\n250 8BITMIME"),
                 Concat({{kEhlo, "RSET"}, kEnvelope, {"DATA"}, kStuffed, {"QUIT"}}), ""},
        Dialogue{"AuthWithoutLogin", "220 ready",
                 With(Without(AcceptingReplies(), 2, 3), 0, "250 AUTH PLAIN CRAM-MD5"),
                 Concat({{kEhlo, "RSET"}, kEnvelope, {"DATA"}, kStuffed, {"QUIT"}}), ""},
        Dialogue{
            "EhloRejectedHeloNoAuth",
            "220 ready",
            {"502 unknown command", "250 hello", "250 reset", "250 ok", "250 ok", "250 ok",
             "354 go", "250 queued"},
            Concat(
                {{kEhlo, "HELO " + HostName(), "RSET"}, kEnvelope, {"DATA"}, kStuffed, {"QUIT"}}),
            ""},
        Dialogue{"RecipientRefused", "220 ready",
                 With(AcceptingReplies(), 7, "550 5.1.1 <support@tolvane.example>: no such user"),
                 Concat({{kEhlo, "RSET"}, kAuth, kEnvelope, {"QUIT"}}),
                 "5.1.1 <support@tolvane.example>: no such user"},
        Dialogue{"LoginRefused", "220 ready",
                 With(AcceptingReplies(), 4, "535-5.7.8 Authentication\r\n535 credentials invalid"),
                 Concat({{kEhlo, "RSET"}, kAuth, {"QUIT"}}),
                 "5.7.8 Authentication\ncredentials invalid"},
        Dialogue{"GreetingRefused", "554 no service here", {}, {"QUIT"}, "no service here"},
        // Control bytes in a reply would cut or garble the message shown.
        Dialogue{"RefusalWithControlBytes",
                 "554 \0\0no\x1b[2J\tservice"s,
                 {},
                 {"QUIT"},
                 "no[2J service"},
        Dialogue{
            "RefusalOfOnlyControlBytes", "554 \0\t\0"s, {}, {"QUIT"}, "The server answered 554"},
        Dialogue{"SilentServer", "", {}, {}, "No reply from the server within 300 ms"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SmtpClientTest, ConnectionRefusedCarriesTheSystemMessage) {
    int port = 0;
    {
        asio::io_context io;
        asio::ip::tcp::acceptor probe(io, {asio::ip::make_address("127.0.0.1"), 0});
        port = probe.local_endpoint().port();
    }
    const auto mail = TestMailSettings(port);
    const platform::Expected<void> sent = signup::SendMail(mail.smtp, kText);
    ASSERT_FALSE(sent) << "sent to a closed port";
    EXPECT_EQ(sent.Error().extendedMsg,
              "Cannot connect to 127.0.0.1 port " + std::to_string(port) + ": Connection refused");
}

TEST(SmtpClientTest, ARequestWhileAReplyIsAwaitedEndsTheDeliveryAtOnce) {
    ScriptedSmtpServer server("", {}); // takes the connection and never answers
    auto mail = TestMailSettings(server.Port());
    mail.smtp.replyTimeout = std::chrono::seconds(30);
    platform::CancelToken cancel;
    std::optional<platform::Report> failure;
    std::chrono::steady_clock::time_point ended;
    std::thread delivery([&] {
        const platform::Expected<void> sent = signup::SendMail(mail.smtp, kText, cancel);
        if (!sent)
            failure = sent.Error();
        ended = std::chrono::steady_clock::now();
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!server.Connected() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto requested = std::chrono::steady_clock::now();
    cancel.Request();
    delivery.join();
    EXPECT_TRUE(server.Connected());
    ASSERT_TRUE(failure);
    EXPECT_TRUE(failure->Cancelled()) << failure->extendedMsg;
    EXPECT_LT(ended - requested, std::chrono::seconds(2)); // not the 30 s of the reply limit
    EXPECT_TRUE(server.Received().empty());                // the connection was closed
}

TEST(SmtpClientTest, ARequestBeforeTheDeliveryStopsItBeforeItConnects) {
    ScriptedSmtpServer server("220 ready", AcceptingReplies());
    const auto mail = TestMailSettings(server.Port());
    platform::CancelToken cancel;
    cancel.Request();
    const platform::Expected<void> sent = signup::SendMail(mail.smtp, kText, cancel);
    ASSERT_FALSE(sent) << "sent after a cancel";
    EXPECT_TRUE(sent.Error().Cancelled());
    // Long enough for the server to see a connection that was made.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(server.Connected());
}

// The delivery's hook may abort its connection before it connects, when the
// request comes between the delivery's own check and the hook.
TEST(SmtpClientTest, AnAbortedConnectionDoesNotConnect) {
    ScriptedSmtpServer server("220 ready", {});
    signup::TcpLineConnection connection;
    connection.Abort();
    try {
        connection.Connect("127.0.0.1", server.Port(), std::chrono::seconds(5));
        FAIL() << "connected after an abort";
    } catch (const signup::NetworkError& error) {
        EXPECT_EQ(std::string(error.what()), "Cancelled");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(server.Connected());
}

// aiosmtpd with AUTH LOGIN required receives the whole sign-up mail.
TEST(SmtpClientTest, RealServerReceivesTheExactMail) {
#ifdef _WIN32
    GTEST_SKIP() << "runs Python's aiosmtpd, a program of the build machine, not of Wine";
#endif
    TempFolder scratch;
    const std::string received = scratch / "received";
    // aiosmtpd comes from a Debian package, for the system's interpreter.
    const std::string command = "/usr/bin/python3 " +
                                ShellQuote(std::string(std::getenv("TOLVANE_SOURCE_DIR")) +
                                           "/tests/signup/smtp_server.py") +
                                " " + ShellQuote(received) + " signup@tolvane.example tusalevi407";
    FILE* server = popen(command.c_str(), "r");
    ASSERT_NE(server, nullptr);
    char portLine[32] = {};
    ASSERT_NE(fgets(portLine, sizeof portLine, server), nullptr) << "the server did not start";
    const auto mail = TestMailSettings(std::atoi(portLine));
    const platform::Expected<void> sent =
        signup::SendMail(mail.smtp, signup::SignupMessageText(TestFields(), mail, TestTime()));
    EXPECT_TRUE(sent) << sent.Error().extendedMsg;
    EXPECT_EQ(pclose(server), 0);
    EXPECT_EQ(
        ReadFileText(received),
        "MAIL FROM:signup@tolvane.example\r\n"
        "RCPT TO:partners@quorvel.example\r\n"
        "RCPT TO:support@tolvane.example\r\n"
        "\r\n"
        "From: \"Tolvane\" <signup@tolvane.example>\r\n"
        "Subject: Tolvane - New SignUp\r\n"
        "To: partners@quorvel.example, support@tolvane.example\r\n"
        "Date: Sun, 5 Jan 2025 09:03:07 +0100\r\n"
        "X-Priority: 3\r\n"
        "X-Library: Indy 9.00.10\r\n"
        "\r\n"
        "Hello,\r\n"
        "\r\n"
        "This is an automatic email generated by Tolvane software for our joint project with "
        "Quorvel.\r\n"
        "If you didn't heard about the partnership between Quorvel and tolvane.example, DO NOT "
        "REPLY to this email.\r\n"
        "Instead, please forward this email to Doran Pell.\r\n"
        "\r\n"
        "Message:\r\n"
        "This is a new affiliate of Tolvane/Quorvel project. He wants to monetize the downloads "
        "on site.example with Quorvel (using Tolvane software).\r\n"
        "The name of affiliate: Ann Lee\r\n"
        "The email of affiliate: ann@site.example\r\n"
        "Short description of website site.example:\r\n"
        "Shareware games.\r\n"
        ".\r\n"
        "About 300 downloads a day.\r\n"
        "\r\n"
        "The following software will be bundled with Quorvel:\r\n"
        "http://dl.archiver.example/download/archiver.exe\r\n"
        "\r\n"
        "Please check site.example, and then create an affiliate account for Ann Lee in "
        "Quorvel.\r\n"
        "Send your email containing dashboard info, affiliate ID and software ID to "
        "ann@site.example\r\n"
        "\r\n"
        "Thank you.\r\n");
}

} // namespace
