#include "SignUp.h"

#include "signup/EmailAddress.h"
#include "signup/SmtpClient.h"

namespace tolvane::app {

namespace {

// The state's four settings into the store; TargetLanguage is taken first so
// the choice holds for the run even when it cannot be stored.
std::string SaveSettings(ProgramState& state, int32_t selectedLanguage,
                         const SettingsStore& store) {
    state.TargetLanguage = selectedLanguage;
    Settings settings;
    settings.signedUp = state.SignedUp;
    settings.partnerId = state.PartnerID;
    settings.softwareId = state.SoftwareID;
    settings.targetLanguage = state.TargetLanguage;
    std::string error;
    store.Save(settings, error);
    return error;
}

// "www.example.com" is named as "example.com" in the body.
std::string BareDomain(const std::string& host) {
    return host.rfind("www.", 0) == 0 ? host.substr(4) : host;
}

} // namespace

signup::SignupMailSettings MakeSignupMailSettings(const VendorConfig& vendor) {
    signup::SignupMailSettings mail;
    mail.smtp.host = vendor.smtpHost;
    mail.smtp.port = vendor.smtpPort;
    mail.smtp.userName = vendor.signupAccount;
    mail.smtp.password = "tusalevi407";
    mail.smtp.sender = vendor.signupAccount;
    mail.smtp.recipients = {vendor.partnerEmail, vendor.supportEmail};
    mail.webDomain = BareDomain(vendor.homeHost);
    mail.archiverHost = vendor.archiverHost;
    return mail;
}

SignupResult SignUp(const signup::SignupFields& fields, int32_t selectedLanguage,
                    SignupContext& context) {
    const auto translate = [&context](const char* text) {
        return context.texts.Translate(text, context.state.UILanguage);
    };
    SignupResult result;
    if (fields.name.empty() || fields.email.empty()) {
        result.outcome = SignupResult::Outcome::MissingFields;
        result.message = translate("Please fillout all fields marked with *");
        return result;
    }
    if (!signup::IsEmailAddress(fields.email)) {
        result.outcome = SignupResult::Outcome::BadEmail;
        result.message = translate(kBadEmailText);
        return result;
    }

    try {
        const platform::CancelToken never;
        signup::SendMail(context.mail.smtp,
                         signup::SignupMessageText(fields, context.mail, context.clock()),
                         context.cancel ? *context.cancel : never);
    } catch (const signup::SmtpError& failure) {
        result.outcome = SignupResult::Outcome::NotSent;
        result.message = translate("Could not send entered information.") + "\r\n" +
                         translate("Please check your Internet connection.");
        result.failure = failure.what();
        return result;
    }
    context.state.SignedUp = true;
    result.settingsError = SaveSettings(context.state, selectedLanguage, context.store);
    result.outcome = SignupResult::Outcome::Sent;
    result.message = translate("Thank you for signup. You will receive email from Quorvel within "
                               "the next few days.") +
                     "\r\n" +
                     translate("The email will contain your account information, your AffiliateID "
                               "and SoftwareID. After that, run this program again, and start "
                               "monetizing your files!");
    return result;
}

} // namespace tolvane::app
