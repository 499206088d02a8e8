// What the sign-up button does, without the window: the required-field and
// address checks, the mail, the settings saved with signed-up set once the
// mail is accepted, and which message to show. It takes its inputs as a
// value and hands back what it changed, so that it may run on any thread.
#pragma once

#include "ProgramState.h"
#include "SettingsStore.h"
#include "Translation.h"
#include "VendorConfig.h"

#include "signup/MailDate.h"
#include "signup/SignupMessage.h"
#include "signup/SmtpClient.h"

#include "platform/CancelToken.h"
#include "platform/Report.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tolvane::app {

struct SignupRequest {
    // The messages' texts, looked up in `uiLanguage`; outlives the sign-up.
    const TranslationTable& texts;
    int32_t uiLanguage = 0;
    signup::SignupFields fields;
    // The audience language the sign-up stores.
    int32_t selectedLanguage = 0;
    // The settings as they are; the IDs are saved with the sign-up unchanged.
    Settings stored;
    SettingsStore store{SettingsStore::DefaultPath()};
    signup::SignupMailSettings mail;
    signup::LocalClock clock = signup::CurrentLocalTime;
};

struct SignupResult {
    enum class Outcome {
        MissingFields, // nothing saved or sent; the report's text is the warning
        BadEmail,      // nothing saved or sent; the text says what an address is
        Sent,          // the text is the information to show; the window closes
        NotSent,       // nothing saved; the text is the error, extendedMsg the
                       // failure's own words (graded Cancelled when stopped)
    };
    Outcome outcome = Outcome::MissingFields;
    // Its text translated, its parts separated by CR LF.
    platform::Report report;
    // Once the mail was accepted: the settings as saved (signed up, the
    // audience language chosen), also when they could not be written.
    std::optional<Settings> settings;
    // They could not be written ("Error writing data to Registry", the file
    // and the cause; shown untranslated); the sign-up goes on.
    std::optional<platform::Report> settingsError;

    // What the sign-up changed of the program state: SignedUp and
    // TargetLanguage, once the mail was accepted.
    void ApplyTo(ProgramState& state) const;
};

// Port, account, recipients (partner contact, then support) and hosts from
// `vendor`; the account doubles as SMTP user name and sender.
signup::SignupMailSettings MakeSignupMailSettings(const VendorConfig& vendor);

// The text shown when `IsEmailAddress` refuses what was typed.
constexpr const char* kBadEmailText =
    "Please enter a valid email address, for example name@example.com.";

// Name and e-mail address required, the address of the form local@domain.
// The settings are saved (signed up, the audience language `selectedLanguage`)
// only once the server has accepted the mail: a sign-up that never left
// records nothing, so the next start asks for it again and not for IDs from
// a mail that was never sent. Blocks until the mail is through, has failed or
// was stopped through `cancel`.
SignupResult SignUp(const SignupRequest& request, const platform::CancelToken& cancel);

} // namespace tolvane::app
