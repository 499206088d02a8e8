#include "MessageBoxes.h"

#include "WideText.h"

#include <commctrl.h>

namespace tolvane::win {

namespace {

constexpr int kReplaceButton = 100;
constexpr int kAddButton = 101;

UINT IconOf(Message::Kind kind) {
    switch (kind) {
    case Message::Kind::Information:
        return MB_ICONINFORMATION;
    case Message::Kind::Warning:
        return MB_ICONWARNING;
    case Message::Kind::Error:
        return MB_ICONERROR;
    }
    return 0;
}

} // namespace

void ShowMessageBox(HWND owner, const Message& message) {
    MessageBoxW(owner, Wide(message.text).c_str(), Wide(message.title).c_str(),
                MB_OK | IconOf(message.kind) | (owner ? 0 : MB_SETFOREGROUND | MB_TOPMOST));
}

ReplaceAnswer AskReplaceOrAddBox(HWND owner, const ReplaceQuestion& question) {
    const std::wstring text = Wide(question.text);
    const std::wstring replace = Wide(question.replace);
    const std::wstring add = Wide(question.add);
    std::string names;
    for (const std::string& name : question.otherEntries)
        names += (names.empty() ? "" : "\n") + name;
    const std::wstring details = Wide(names);
    const TASKDIALOG_BUTTON buttons[] = {{kReplaceButton, replace.c_str()},
                                         {kAddButton, add.c_str()}};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = owner;
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
    config.dwCommonButtons = TDCBF_CANCEL_BUTTON;
    config.pszWindowTitle = L"Tolvane";
    config.pszMainIcon = TD_INFORMATION_ICON;
    config.pszContent = text.c_str();
    config.pszExpandedInformation = details.c_str();
    config.cButtons = static_cast<UINT>(std::size(buttons));
    config.pButtons = buttons;
    config.nDefaultButton = kAddButton;
    int pressed = IDCANCEL;
    if (FAILED(TaskDialogIndirect(&config, &pressed, nullptr, nullptr)))
        return ReplaceAnswer::Cancel;
    switch (pressed) {
    case kReplaceButton:
        return ReplaceAnswer::Replace;
    case kAddButton:
        return ReplaceAnswer::Add;
    default:
        return ReplaceAnswer::Cancel;
    }
}

} // namespace tolvane::win
