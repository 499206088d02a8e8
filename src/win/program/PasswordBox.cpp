#include "PasswordBox.h"

#include "TolvaneFormIds.h"
#include "WideText.h"

#include <vector>

namespace tolvane::win {

TPasswordBox::TPasswordBox(const ui::PasswordPrompt& prompt, std::string ok, std::string cancel)
    : prompt_(prompt), ok_(std::move(ok)), cancel_(std::move(cancel)) {}

std::optional<std::string> TPasswordBox::Ask(HWND owner) {
    typed_.clear();
    const INT_PTR chosen =
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PasswordForm), owner,
                        &TPasswordBox::Procedure, reinterpret_cast<LPARAM>(this));
    if (chosen != IDOK)
        return std::nullopt;
    std::string typed = std::move(typed_);
    typed_.clear();
    return typed;
}

INT_PTR CALLBACK TPasswordBox::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG)
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto* self = reinterpret_cast<TPasswordBox*>(GetWindowLongPtrW(dialog, DWLP_USER));
    return self ? self->Handle(dialog, message, wParam) : FALSE;
}

void TPasswordBox::Initialise(HWND dialog) {
    SetWindowTextW(dialog, Wide(prompt_.caption).c_str());
    SetDlgItemTextW(dialog, IDC_PasswordPrompt, Wide(prompt_.prompt).c_str());
    SetDlgItemTextW(dialog, IDC_ShowCharacters, Wide(prompt_.showCharacters).c_str());
    SetDlgItemTextW(dialog, IDOK, Wide(ok_).c_str());
    SetDlgItemTextW(dialog, IDCANCEL, Wide(cancel_).c_str());
    // The system's mask character, to put back when the box is cleared.
    const auto mask = static_cast<wchar_t>(
        SendDlgItemMessageW(dialog, IDC_PasswordEdit, EM_GETPASSWORDCHAR, 0, 0));
    if (mask != 0)
        mask_ = mask;
}

void TPasswordBox::ShowCharacters(HWND dialog, bool shown) {
    HWND edit = GetDlgItem(dialog, IDC_PasswordEdit);
    SendMessageW(edit, EM_SETPASSWORDCHAR, shown ? 0 : mask_, 0);
    InvalidateRect(edit, nullptr, TRUE);
}

INT_PTR TPasswordBox::Handle(HWND dialog, UINT message, WPARAM wParam) {
    switch (message) {
    case WM_INITDIALOG:
        Initialise(dialog);
        return TRUE; // the focus goes to the field, the first tab stop
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_ShowCharacters:
            ShowCharacters(dialog, IsDlgButtonChecked(dialog, IDC_ShowCharacters) == BST_CHECKED);
            return TRUE;
        case IDOK: {
            HWND edit = GetDlgItem(dialog, IDC_PasswordEdit);
            std::vector<wchar_t> text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1);
            GetWindowTextW(edit, text.data(), static_cast<int>(text.size()));
            typed_ = Narrow(text.data());
            // The copy of the password in this buffer is not left behind.
            SecureZeroMemory(text.data(), text.size() * sizeof(wchar_t));
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

} // namespace tolvane::win
