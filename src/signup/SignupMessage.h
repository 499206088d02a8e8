// The sign-up mail: its settings and its text as it goes over the wire
// (header lines, an empty line, the body).
#pragma once

#include "MailDate.h"
#include "SmtpClient.h"

#include <string>
#include <vector>

namespace tolvane::signup {

// What the publisher typed, unchanged. Website and description may be empty.
struct SignupFields {
    std::string name;
    std::string email;
    std::string website;
    std::string description; // may hold line breaks (CR LF, LF or CR)
};

struct SignupMailSettings {
    SmtpSettings smtp;
    std::string senderName = "Tolvane";
    std::string subject = "Tolvane - New SignUp";
    std::string webDomain;    // the vendor's bare domain, named in the body
    std::string archiverHost; // the archiver download site, in the installer's address
};

// The twenty body rows, each split at its own line breaks, so that every
// element is one line on the wire.
std::vector<std::string> SignupBody(const SignupFields& fields, const SignupMailSettings& mail);

// `line` as it goes out: unchanged up to 78 characters, otherwise broken at
// the last blank, tab or comma that keeps the piece within 78 characters;
// every continuation begins with a blank.
std::vector<std::string> FoldHeaderLine(const std::string& line);

// The whole text: From, Subject, To, Date (from `now`), X-Priority, X-Library
// (folded), an empty line, then the body.
std::vector<std::string> SignupMessageText(const SignupFields& fields,
                                           const SignupMailSettings& mail, const LocalTime& now);

} // namespace tolvane::signup
