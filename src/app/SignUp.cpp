#include "SignUp.h"

#include "signup/EmailAddress.h"
#include "signup/SmtpClient.h"

namespace tolvane::app {

namespace {

// "www.example.com" is named as "example.com" in the body.
std::string BareDomain(const std::string& host) {
    return host.rfind("www.", 0) == 0 ? host.substr(4) : host;
}

} // namespace

void SignupResult::ApplyTo(ProgramState& state) const {
    if (!settings)
        return;
    state.SignedUp = settings->signedUp;
    state.TargetLanguage = settings->targetLanguage;
}

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

SignupResult SignUp(const SignupRequest& request, const platform::CancelToken& cancel) {
    const auto translate = [&request](const char* text) {
        return request.texts.Translate(text, request.uiLanguage);
    };
    SignupResult result;
    const signup::SignupFields& fields = request.fields;
    if (fields.name.empty() || fields.email.empty()) {
        result.outcome = SignupResult::Outcome::MissingFields;
        result.report.text = translate("Please fillout all fields marked with *");
        return result;
    }
    if (!signup::IsEmailAddress(fields.email)) {
        result.outcome = SignupResult::Outcome::BadEmail;
        result.report.text = translate(kBadEmailText);
        return result;
    }

    const platform::Expected<void> sent =
        signup::SendMail(request.mail.smtp,
                         signup::SignupMessageText(fields, request.mail, request.clock()), cancel);
    if (!sent) {
        result.outcome = SignupResult::Outcome::NotSent;
        result.report = sent.Error();
        result.report.text = translate("Could not send entered information.") + "\r\n" +
                             translate("Please check your Internet connection.");
        return result;
    }
    // The audience language holds for the run even when it cannot be stored.
    Settings settings = request.stored;
    settings.signedUp = true;
    settings.targetLanguage = request.selectedLanguage;
    if (const platform::Expected<void> saved = request.store.Save(settings); !saved)
        result.settingsError = saved.Error();
    result.settings = std::move(settings);
    result.outcome = SignupResult::Outcome::Sent;
    result.report.grade = platform::ReportGrade::Notice;
    result.report.text = translate("Thank you for signup. You will receive email from Quorvel "
                                   "within the next few days.") +
                         "\r\n" +
                         translate("The email will contain your account information, your "
                                   "AffiliateID and SoftwareID. After that, run this program "
                                   "again, and start monetizing your files!");
    return result;
}

} // namespace tolvane::app
