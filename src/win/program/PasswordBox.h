// The password prompt: its caption, the line above the field, the masked
// field, "Show characters" that unmasks it, OK and Cancel.
#pragma once

#include "ui/ViewRequests.h"

#include <optional>
#include <string>

#include <windows.h>

namespace tolvane::win {

class TPasswordBox {
public:
    // `ok` and `cancel` are the buttons' captions in the interface language.
    TPasswordBox(const ui::PasswordPrompt& prompt, std::string ok, std::string cancel);

    // Shows the prompt modally over `owner`: the text typed, or nothing
    // when it was cancelled.
    std::optional<std::string> Ask(HWND owner);

private:
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(HWND dialog, UINT message, WPARAM wParam);
    void Initialise(HWND dialog);
    void ShowCharacters(HWND dialog, bool shown);

    ui::PasswordPrompt prompt_;
    std::string ok_;
    std::string cancel_;
    wchar_t mask_ = L'*';
    std::string typed_;
};

} // namespace tolvane::win
