// What the sign-up button does, without the window: the required-field check,
// the settings saved with signed-up set, the mail, and which message to show.
#pragma once

#include "ProgramState.h"
#include "SettingsStore.h"
#include "Translation.h"
#include "VendorConfig.h"

#include "signup/MailDate.h"
#include "signup/SignupMessage.h"
#include "signup/SmtpClient.h"

#include <cstdint>
#include <string>

namespace tolvane::app {

struct SignupResult {
    enum class Outcome {
        MissingFields, // nothing saved or sent; `message` is the warning
        Sent,          // `message` is the information to show; the window closes
        NotSent,       // `message` is the error, `failure` the failure's own text
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
    // Closes the mail's connection when requested from another thread.
    signup::SmtpCancel* cancel = nullptr;
};

// The settings are saved (SignedUp true, TargetLanguage := `selectedLanguage`,
// the caller's choice of audience language) before any network activity, so
// they stay saved when the mail then fails. Blocks until the mail is through,
// has failed or was cancelled through `context.cancel` (NotSent, "Cancelled").
// Port, account, recipients (partner contact, then support) and hosts from
// `vendor`; the account doubles as SMTP user name and sender.
signup::SignupMailSettings MakeSignupMailSettings(const VendorConfig& vendor);

SignupResult SignUp(const signup::SignupFields& fields, int32_t selectedLanguage,
                    SignupContext& context);

} // namespace tolvane::app
