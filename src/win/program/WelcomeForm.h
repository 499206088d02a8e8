// TWelcomeForm in Win32: the sign-up page (Panel1) and the IDs page
// (Panel2) taking turns in one modal window, a view over
// ui::WelcomeFormLogic. One object for the whole run, so that the fields keep
// what was typed between showings. The sign-up mail goes out on a worker
// thread while the window stays responsive; closing the window asks the
// worker to stop and waits for it.
#pragma once

#include "SignUpThread.h"

#include "app/ProgramState.h"
#include "app/Translation.h"
#include "app/VendorConfig.h"
#include "ui/WelcomeFormLogic.h"

#include <map>
#include <memory>
#include <string>
#include <type_traits>

#include <windows.h>

namespace tolvane::win {

class TWelcomeForm : private ui::WelcomeFormView {
public:
    // `state` is the program's (the window reads and replaces SignedUp, the
    // IDs and TargetLanguage), `table` the translation table; both outlive
    // this object. `owner` is disabled while the window shows.
    TWelcomeForm(HWND owner, app::ProgramState& state, const app::TranslationTable& table,
                 const app::VendorConfig& vendor);
    // Stops and waits for a mail still on its way.
    ~TWelcomeForm() override;
    TWelcomeForm(const TWelcomeForm&) = delete;
    TWelcomeForm& operator=(const TWelcomeForm&) = delete;

    // Shows the window modally on `page` until it is closed; its Tag (1 once
    // IDs were saved).
    int32_t ShowModal(ui::SignUpPage page);
    // The IDs page's fields, as the Configure command fills them.
    void FillIds(const std::string& partnerId, const std::string& softwareId);

private:
    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Command(int id, int code);
    void Notify(const NMHDR& header);
    // Closing by Escape, the title bar or Alt+F4: a mail on its way is
    // stopped and waited for first.
    void Close();
    // The captions with their accelerators, one set for both pages.
    void ApplyCaptions();
    // Places the page's controls for the DPI and the captions and sizes the
    // window round them.
    void Layout();
    int TextHeight(int id, int width) const;
    int TextWidth(int id) const;
    HWND Control(int id) const { return GetDlgItem(window_, id); }

    // ui::WelcomeFormView
    void SetTitle(const std::string& title) override;
    void SetCaption(ui::WelcomeControl control, const std::string& caption) override;
    void SetEnabled(ui::WelcomeControl control, bool enabled) override;
    std::string Text(ui::WelcomeControl control) const override;
    void SetText(ui::WelcomeControl control, const std::string& text) override;
    void SetLanguages(const std::vector<std::string>& names, int32_t selected) override;
    int32_t SelectedLanguage() const override;
    void ShowPage(ui::SignUpPage page, int clientWidth, int clientHeight) override;
    void ShowNote(ui::WelcomeControl control, const std::string& text) override;
    void Focus(ui::WelcomeControl control) override;
    void SelectAll(ui::WelcomeControl control) override;
    void SetBusy(bool busy) override;
    void ShowMessage(const ui::Message& message) override;
    void ShowWriteError(const std::string& title, const std::string& text,
                        const std::string& details) override;
    void OpenLink(const std::string& url) override;
    void StartSignUp(ui::SignUpBody body) override;
    app::SignupResult StopSignUp() override;
    void CloseWindow() override;

    HWND owner_;
    HWND window_ = nullptr;
    ui::SignUpPage page_ = ui::SignUpPage::SignUp;
    // The page's least client size at 96 DPI, as the logic last asked.
    int clientWidth_ = ui::WelcomeFormLogic::kClientWidth;
    int clientHeight_ = ui::WelcomeFormLogic::kSignUpHeight;
    std::map<int, std::wstring> captions_; // by control, without accelerators
    bool busy_ = false;
    bool closed_ = false; // ends ShowModal's loop
    std::unique_ptr<ui::WelcomeFormLogic> logic_;
    // Last: joined before the window it posts to goes.
    SignUpThread thread_;
};

} // namespace tolvane::win
