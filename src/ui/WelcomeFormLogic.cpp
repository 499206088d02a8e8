#include "WelcomeFormLogic.h"

#include "app/ReferralRef.h"
#include "signup/Base64.h"
#include "signup/EmailAddress.h"

#include <array>

namespace tolvane::ui {

namespace {

constexpr const char* kRegistryWriteError = "Error writing data to Registry";

} // namespace

WelcomeFormLogic::WelcomeFormLogic(app::ProgramState& state, const app::TranslationTable& table,
                                   const app::VendorConfig& vendor, WelcomeFormView& view)
    : Mail(app::MakeSignupMailSettings(vendor)), state_(state), table_(table), vendor_(vendor),
      view_(view) {}

std::string WelcomeFormLogic::Translate(const char* english) const {
    return table_.Translate(english, state_.UILanguage);
}

std::string WelcomeFormLogic::Title() const {
    return Translate("Welcome!");
}

void WelcomeFormLogic::FormCreate() {
    std::vector<std::string> languages;
    for (size_t language = 0; language < table_.Languages(); ++language)
        languages.push_back(table_.At(0, language));
    const int32_t target = state_.TargetLanguage;
    view_.SetLanguages(languages,
                       target >= 0 && static_cast<size_t>(target) < languages.size() ? target : -1);
    // The IDs as the partner's mail names them, in every language.
    view_.SetCaption(WelcomeControl::Label2, "Affiliate ID*:");
    view_.SetCaption(WelcomeControl::Label4, "Software ID*:");
}

void WelcomeFormLogic::FormShow() {
    // One call a text, so that the check of transl.dat's rows sees every key.
    using C = WelcomeControl;
    view_.SetTitle(Title());
    view_.SetCaption(C::Label10,
                     Translate("Have you received email from Quorvel with your Affiliate ID and "
                               "Software ID? If so, please enter that information below."));
    view_.SetCaption(C::Label3, Translate("<< Return to Signup page"));
    view_.SetCaption(C::BtnSaveChanges, Translate("Save Changes"));
    view_.SetCaption(C::Label1,
                     Translate("Before to start monetization, you need to signup first. Please "
                               "enter the information about you and your main website, then "
                               "click \"Signup!\"."));
    view_.SetCaption(C::Label5, Translate("Your name*:"));
    view_.SetCaption(C::Label7, Translate("Your website:"));
    view_.SetCaption(C::Label6, Translate("Your email*:"));
    view_.SetCaption(C::Label8,
                     Translate("If you will use monetized files on your website, please describe "
                               "it. What kind of downloads are you providing? How many downloads "
                               "per day?"));
    view_.SetCaption(C::Label9, Translate("I already have an account. Skip this step."));
    view_.SetCaption(C::Button2, Translate("Sign up!"));
    view_.SetCaption(C::Label11, Translate("The most commonly used language of people who will "
                                           "download monetized files:"));
    view_.SetCaption(C::Label12, Translate("Click here to watch tutorial"));
    ShowPage(page_);
}

void WelcomeFormLogic::ShowPage(SignUpPage page) {
    page_ = page;
    view_.ShowPage(page, kClientWidth, page == SignUpPage::IDs ? kIdsHeight : kSignUpHeight);
    FocusFirstEmptyField();
}

void WelcomeFormLogic::FocusFirstEmptyField() {
    using C = WelcomeControl;
    const bool ids = page_ == SignUpPage::IDs;
    const std::array<C, 2> required =
        ids ? std::array{C::EdPartnerID, C::EdSoftwareID} : std::array{C::EdName, C::EdEmail};
    for (C field : required) {
        // The IDs are stored without the blanks around them.
        const std::string text = view_.Text(field);
        if (ids ? app::TrimmedId(text).empty() : text.empty()) {
            view_.Focus(field);
            return;
        }
    }
    view_.Focus(ids ? C::BtnSaveChanges : C::Button2);
}

void WelcomeFormLogic::FillIds(const std::string& partnerId, const std::string& softwareId) {
    view_.SetText(WelcomeControl::EdPartnerID, partnerId);
    view_.SetText(WelcomeControl::EdSoftwareID, softwareId);
}

void WelcomeFormLogic::Label9Click() {
    ShowPage(SignUpPage::IDs);
}

void WelcomeFormLogic::Label3Click() {
    ShowPage(SignUpPage::SignUp);
}

void WelcomeFormLogic::Label12Click() {
    view_.OpenLink("http://" + vendor_.homeHost);
}

void WelcomeFormLogic::Warn(const std::string& text) {
    view_.ShowMessage({Message::Kind::Warning, Title(), text});
}

void WelcomeFormLogic::BtnSaveChangesClick() {
    // Pasted from the partner's mail, the IDs often bring blanks along.
    const std::string partnerId = app::TrimmedId(view_.Text(WelcomeControl::EdPartnerID));
    const std::string softwareId = app::TrimmedId(view_.Text(WelcomeControl::EdSoftwareID));
    if (partnerId.empty() || softwareId.empty()) {
        Warn(Translate("Please fillout all fields marked with *"));
        FocusFirstEmptyField();
        return;
    }
    tag_ = 1;
    FillIds(partnerId, softwareId);
    state_.PartnerID = partnerId;
    state_.SoftwareID = softwareId;
    state_.SignedUp = true;
    SaveSettings();
    view_.CloseWindow();
}

void WelcomeFormLogic::SaveSettings() {
    state_.TargetLanguage = view_.SelectedLanguage();
    if (const platform::Expected<void> saved = Store.Save(
            {state_.SignedUp, state_.PartnerID, state_.SoftwareID, state_.TargetLanguage});
        !saved)
        ShowWriteError(saved.Error());
}

void WelcomeFormLogic::ShowWriteError(const platform::Report& report) {
    view_.ShowWriteError(Title(), kRegistryWriteError, platform::TextWithCause(report));
}

void WelcomeFormLogic::EdEmailChange() {
    view_.ShowNote(WelcomeControl::LblEmailError, {});
}

void WelcomeFormLogic::Button2Click() {
    using C = WelcomeControl;
    // One mail at a time: a second press while one is on its way does nothing.
    if (sending_)
        return;
    // What went wrong with the last press no longer holds.
    view_.ShowNote(C::LblSendError, {});
    signup::SignupFields fields{view_.Text(C::EdName), view_.Text(C::EdEmail),
                                view_.Text(C::EdWebsite), view_.Text(C::EdDescription)};
    if (fields.name.empty() || fields.email.empty()) {
        Warn(Translate("Please fillout all fields marked with *"));
        FocusFirstEmptyField();
        return;
    }
    // Refused here, before anything is sent, where the address is typed.
    if (!signup::IsEmailAddress(fields.email)) {
        view_.ShowNote(C::LblEmailError, Translate(app::kBadEmailText));
        view_.Focus(C::EdEmail);
        view_.SelectAll(C::EdEmail);
        return;
    }
    view_.ShowNote(C::LblEmailError, {});
    abandoned_ = false;
    sending_ = true;
    view_.SetEnabled(C::Button2, false);
    view_.SetBusy(true);
    // The mail works on a copy of what it needs and hands back what changed.
    app::SignupRequest request{
        .texts = table_,
        .uiLanguage = state_.UILanguage,
        .fields = std::move(fields),
        .selectedLanguage = view_.SelectedLanguage(),
        .stored = {state_.SignedUp, state_.PartnerID, state_.SoftwareID, state_.TargetLanguage},
        .store = Store,
        .mail = Mail,
        .clock = Clock,
    };
    view_.StartSignUp([send = SendSignUp, request = std::move(request)](
                          const platform::CancelToken& cancel) { return send(request, cancel); });
}

void WelcomeFormLogic::SignUpFinished(const app::SignupResult& result) {
    using C = WelcomeControl;
    sending_ = false;
    view_.SetEnabled(C::Button2, true);
    view_.SetBusy(false);
    // SignedUp and TargetLanguage were set (and stored) once the mail was
    // accepted, also when the window was closed just after.
    result.ApplyTo(state_);
    if (abandoned_)
        return;
    if (result.settingsError)
        ShowWriteError(*result.settingsError);
    switch (result.outcome) {
    case app::SignupResult::Outcome::Sent:
        view_.ShowMessage({Message::Kind::Information, Title(), result.report.text});
        view_.CloseWindow(); // Tag stays as it was
        return;
    case app::SignupResult::Outcome::MissingFields:
        Warn(result.report.text);
        return;
    case app::SignupResult::Outcome::BadEmail:
        view_.ShowNote(C::LblEmailError, result.report.text);
        view_.Focus(C::EdEmail);
        return;
    case app::SignupResult::Outcome::NotSent:
        // In the window, with the failure's own text, which stays open on the
        // sign-up page for another try.
        view_.ShowNote(C::LblSendError,
                       result.report.text + "\r\n" + WithoutPassword(result.report.extendedMsg));
        view_.Focus(C::Button2);
        return;
    }
}

std::string WelcomeFormLogic::WithoutPassword(const std::string& text) const {
    std::string out = text;
    const std::string& password = Mail.smtp.password;
    if (password.empty())
        return out;
    for (const std::string& secret : {password, signup::EncodeBase64(password)}) {
        for (size_t at = out.find(secret); at != std::string::npos; at = out.find(secret, at))
            out.replace(at, secret.size(), "********");
    }
    return out;
}

void WelcomeFormLogic::FormClose() {
    if (!sending_)
        return;
    abandoned_ = true;
    SignUpFinished(view_.StopSignUp());
}

} // namespace tolvane::ui
