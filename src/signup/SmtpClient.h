// The client side of one SMTP mail delivery: EHLO (HELO as fallback), AUTH
// LOGIN when the server offers it, the envelope, the text with dot-stuffing,
// and QUIT.
#pragma once

#include "LineConnection.h"

#include "platform/CancelToken.h"
#include "platform/Expected.h"

#include <chrono>
#include <string>
#include <vector>

namespace tolvane::signup {

struct SmtpSettings {
    std::string host;
    int port = 26;
    std::string userName;
    std::string password;
    std::string sender;                  // MAIL FROM
    std::vector<std::string> recipients; // RCPT TO, in this order
    std::chrono::milliseconds connectTimeout{std::chrono::seconds(30)};
    std::chrono::milliseconds replyTimeout{std::chrono::seconds(60)}; // per reply and per send
};

// Delivers `text` (the message's lines, without line ends) and says goodbye
// with QUIT, whose reply is not awaited. Whatever happens, the connection is
// closed on return, with QUIT sent first if it is still open. A failed
// delivery has the server's reply text, or the system's message for a
// lookup, connection or time-out failure, as its cause. A request on
// `cancel` (from any thread) closes the connection at once and the delivery
// fails as a cancellation; one made before the call stops it before it
// connects.
platform::Expected<void> SendMail(const SmtpSettings& settings,
                                  const std::vector<std::string>& text);
platform::Expected<void> SendMail(const SmtpSettings& settings,
                                  const std::vector<std::string>& text,
                                  const platform::CancelToken& cancel);
// The same over `connection`, which must not be connected yet.
platform::Expected<void> SendMail(LineConnection& connection, const SmtpSettings& settings,
                                  const std::vector<std::string>& text);

} // namespace tolvane::signup
