// The vendor's addresses, a publisher's entries and a fixed clock shared by
// the sign-up mail tests, and the dialogue a well-behaved server sees.
#pragma once

#include "signup/Base64.h"
#include "signup/SignupMessage.h"

#include <chrono>
#include <string>
#ifdef _WIN32
// Lean: Asio, included after this by some tests, brings its own WinSock.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <unistd.h>
#endif
#include <vector>

namespace tolvane::test {

// As the program makes them from the vendor's configuration, with these hosts
// and addresses, on a loopback server.
inline signup::SignupMailSettings TestMailSettings(int port) {
    signup::SignupMailSettings mail;
    mail.smtp.host = "127.0.0.1";
    mail.smtp.port = port;
    mail.smtp.userName = "signup@tolvane.example";
    mail.smtp.password = "tusalevi407";
    mail.smtp.sender = "signup@tolvane.example";
    mail.smtp.recipients = {"partners@quorvel.example", "support@tolvane.example"};
    mail.webDomain = "tolvane.example";
    mail.archiverHost = "dl.archiver.example";
    mail.smtp.connectTimeout = std::chrono::seconds(5);
    mail.smtp.replyTimeout = std::chrono::seconds(5);
    return mail;
}

// A description whose second line is a lone "." (which must not end the mail).
inline signup::SignupFields TestFields() {
    return {"Ann Lee", "ann@site.example", "site.example",
            "Shareware games.\r\n.\r\nAbout 300 downloads a day."};
}

// Sunday 5 January 2025, 09:03:07 at UTC+01:00.
inline signup::LocalTime TestTime() {
    return {2025, 1, 5, 0, 9, 3, 7, 60};
}

inline std::string HostName() {
    char name[256] = {};
#ifdef _WIN32
    DWORD size = sizeof name - 1;
    GetComputerNameExA(ComputerNameDnsHostname, name, &size);
#else
    gethostname(name, sizeof name - 1);
#endif
    return name;
}

// Replies of a server that offers AUTH LOGIN and takes the mail.
inline std::vector<std::string> AcceptingReplies() {
    return {"250-mail.example\r\n250-auth=login plain\r\n250 SIZE 10000",
            "250 reset",
            "334 VXNlcm5hbWU6",
            "334 UGFzc3dvcmQ6",
            "235 welcome",
            "250 sender ok",
            "250 recipient ok",
            "251 will forward",
            "354 go ahead",
            "250 queued"};
}

// Every line a client sends an accepting server for the sign-up mail of
// `fields`, from EHLO to QUIT, the text's leading dots doubled.
inline std::vector<std::string> SignupDialogue(const signup::SignupFields& fields, int port) {
    const signup::SignupMailSettings mail = TestMailSettings(port);
    std::vector<std::string> lines = {"EHLO " + HostName(),
                                      "RSET",
                                      "AUTH LOGIN",
                                      signup::EncodeBase64(mail.smtp.userName),
                                      signup::EncodeBase64(mail.smtp.password),
                                      "MAIL FROM:<signup@tolvane.example>",
                                      "RCPT TO:<partners@quorvel.example>",
                                      "RCPT TO:<support@tolvane.example>",
                                      "DATA"};
    for (const std::string& line : signup::SignupMessageText(fields, mail, TestTime()))
        lines.push_back((!line.empty() && line[0] == '.' ? "." : "") + line);
    lines.insert(lines.end(), {".", "QUIT"});
    return lines;
}

} // namespace tolvane::test
