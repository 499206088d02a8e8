// TWelcomeForm's logic without a toolkit: the sign-up page (Panel1) and the
// IDs page (Panel2) taking turns in one window, the sign-up page's checks,
// the sign-up mail on a worker with its result applied once it went out,
// the IDs saved with the audience language, the Tag, and closing while the
// mail is on its way. The window is its WelcomeFormView.
#pragma once

#include "WelcomeFormView.h"

#include "app/ProgramState.h"
#include "app/SettingsStore.h"
#include "app/SignUp.h"
#include "app/Translation.h"
#include "app/VendorConfig.h"

#include <cstdint>
#include <functional>
#include <string>

namespace tolvane::ui {

class WelcomeFormLogic {
public:
    // The client width of both pages and their heights.
    static constexpr int kClientWidth = 385;
    static constexpr int kSignUpHeight = 340;
    static constexpr int kIdsHeight = 210;

    // `state` is the program's (the window reads and replaces SignedUp, the
    // IDs and TargetLanguage); `table` the translation table. Both and
    // `view` must outlive this object.
    WelcomeFormLogic(app::ProgramState& state, const app::TranslationTable& table,
                     const app::VendorConfig& vendor, WelcomeFormView& view);

    // Fills the language list with the table's languages, the stored one chosen.
    void FormCreate();
    // The texts in the interface language, and the page shown again.
    void FormShow();
    // Shows `page` at its size, with the focus in its first empty required
    // field (its button when all are filled).
    void ShowPage(SignUpPage page);
    void FillIds(const std::string& partnerId, const std::string& softwareId);

    void Label9Click();
    void Label3Click();
    void Label12Click();
    void Button2Click();
    void BtnSaveChangesClick();
    // Typing in the address takes its message away.
    void EdEmailChange();
    // The mail's end, on the window's thread.
    void SignUpFinished(const app::SignupResult& result);
    // The window closes: a mail still on its way is stopped and waited for;
    // what it changed is applied, but nothing is shown.
    void FormClose();

    // 0 at creation, 1 once IDs were saved.
    int32_t Tag() const { return tag_; }
    bool Sending() const { return sending_; }
    SignUpPage Page() const { return page_; }
    // The interface text for `english` in the interface language.
    std::string Translate(const char* english) const;

    // The mail's server, account and time limits (tests shorten them).
    signup::SignupMailSettings Mail;
    // The clock of the mail's Date line.
    signup::LocalClock Clock = signup::CurrentLocalTime;
    // Where the IDs and the sign-up are stored.
    app::SettingsStore Store{app::SettingsStore::DefaultPath()};
    // The sign-up itself, on the worker; app::SignUp unless a test puts in its own.
    std::function<app::SignupResult(const app::SignupRequest&, const platform::CancelToken&)>
        SendSignUp = app::SignUp;

private:
    void FocusFirstEmptyField();
    void SaveSettings();
    void ShowWriteError(const platform::Report& report);
    void Warn(const std::string& text);
    std::string Title() const;
    // The failure's text without the account's password in any form.
    std::string WithoutPassword(const std::string& text) const;

    app::ProgramState& state_;
    const app::TranslationTable& table_;
    app::VendorConfig vendor_;
    WelcomeFormView& view_;
    SignUpPage page_ = SignUpPage::SignUp;
    int32_t tag_ = 0;
    bool sending_ = false;
    // The window was closed while the mail was on its way.
    bool abandoned_ = false;
};

} // namespace tolvane::ui
