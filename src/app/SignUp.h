// What the sign-up button does, without the window: the required-field and
// address checks, the mail, the settings saved with signed-up set once the
// mail is accepted, and which message to show.
#pragma once

#include "ProgramState.h"
#include "SettingsStore.h"
#include "Translation.h"
#include "VendorConfig.h"

#include "signup/MailDate.h"
#include "signup/SignupMessage.h"
#include "signup/SmtpClient.h"

#include "platform/CancelToken.h"

#include <cstdint>
#include <string>

namespace tolvane::app {

struct SignupResult {
    enum class Outcome {
        MissingFields, // nothing saved or sent; `message` is the warning
        BadEmail,      // nothing saved or sent; `message` says what an address is
        Sent,          // `message` is the information to show; the window closes
        NotSent,       // nothing saved; `message` is the error, `failure` the
                       // failure's own text
    };
    Outcome outcome = Outcome::MissingFields;
    std::string message; // translated; its parts separated by CR LF
    std::string failure;
    // Set when the settings could not be written ("Error writing data to
    // Registry" and the cause); shown untranslated, and the sign-up goes on.
    std::string settingsError;
};

struct SignupContext {
    ProgramState& state;
    const SettingsStore& store;
    const TranslationTable& texts; // looked up in state.UILanguage
    signup::SignupMailSettings mail;
    signup::LocalClock clock = signup::CurrentLocalTime;
    // Closes the mail's connection when requested from another thread; read,
    // never cleared. None: the mail cannot be cancelled.
    const platform::CancelToken* cancel = nullptr;
};

// Port, account, recipients (partner contact, then support) and hosts from
// `vendor`; the account doubles as SMTP user name and sender.
signup::SignupMailSettings MakeSignupMailSettings(const VendorConfig& vendor);

// The text shown when `IsEmailAddress` refuses what was typed.
constexpr const char* kBadEmailText =
    "Please enter a valid email address, for example name@example.com.";

// Name and e-mail address required, the address of the form local@domain.
// The settings are saved (SignedUp true, TargetLanguage := `selectedLanguage`,
// the caller's choice of audience language) only once the server has
// accepted the mail: a sign-up that never left records nothing, in the state
// or on disk, so the next start asks for it again and not for IDs from a mail
// that was never sent. Blocks until the mail is through, has failed or was
// cancelled through `context.cancel` (NotSent, "Cancelled").
SignupResult SignUp(const signup::SignupFields& fields, int32_t selectedLanguage,
                    SignupContext& context);

} // namespace tolvane::app
