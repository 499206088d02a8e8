// TAboutForm in Win32: the program's logo, name and version, the vendor's
// web site and support address as links opened through the shell, the
// copyright and the legal notice, and OK. Modal over the main window.
#pragma once

#include "app/ProgramState.h"
#include "app/Translation.h"
#include "app/VendorConfig.h"

#include <memory>
#include <string>
#include <type_traits>

#include <windows.h>

namespace tolvane::win {

class TAboutForm {
public:
    // `table` and `state` (for the interface language) must outlive this object.
    TAboutForm(const app::TranslationTable& table, const app::ProgramState& state,
               app::VendorConfig vendor);
    TAboutForm(const TAboutForm&) = delete;
    TAboutForm& operator=(const TAboutForm&) = delete;

    // Shows the window over `owner`, centred on it, until it is closed.
    void ShowModal(HWND owner);

    // The addresses the links open.
    std::string WebsiteUrl() const { return "http://" + vendor_.homeHost; }
    std::string SupportUrl() const { return "mailto:" + vendor_.supportEmail; }

private:
    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    // FormShow: the texts in the interface language.
    void FormShow();
    // The logo and the title's font at the window's DPI, the controls placed
    // for it and the captions, the window sized round them.
    void Layout();
    std::string Translate(const char* english) const;
    HWND Control(int id) const { return GetDlgItem(window_, id); }

    using FontHandle = std::unique_ptr<std::remove_pointer_t<HFONT>, decltype(&DeleteObject)>;
    using IconHandle = std::unique_ptr<std::remove_pointer_t<HICON>, decltype(&DestroyIcon)>;

    const app::TranslationTable& table_;
    const app::ProgramState& state_;
    app::VendorConfig vendor_;
    HWND owner_ = nullptr;
    HWND window_ = nullptr;
    FontHandle title_{nullptr, &DeleteObject};
    IconHandle logo_{nullptr, &DestroyIcon};
};

} // namespace tolvane::win
