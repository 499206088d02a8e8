#include "WelcomeForm.h"

#include "DialogDispatch.h"
#include "MessageBoxes.h"
#include "Mnemonics.h"
#include "OpenAddress.h"
#include "RowStack.h"
#include "WelcomeFormIds.h"
#include "WideText.h"
#include "WindowPlacement.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <vector>

namespace tolvane::win {

namespace {

constexpr UINT kSignUpDoneMessage = WM_APP + 20; // the mail's result is in; wParam: its run

// Sizes at 96 dots per inch, scaled to the window's.
constexpr int kMargin = 11;
constexpr int kGap = 7;
constexpr int kButtonWidth = 105;
constexpr int kDescriptionHeight = 50;
constexpr int kComboWidth = 113;

using C = ui::WelcomeControl;

int Scaled(int pixels, UINT dpi) {
    return MulDiv(pixels, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}

int IdOf(C control) {
    switch (control) {
    case C::Panel1:
    case C::Panel2:
        return 0; // the pages are no windows of their own here
    case C::Label12:
        return IDC_Welcome_Label12;
    case C::Label1:
        return IDC_Welcome_Label1;
    case C::Label5:
        return IDC_Welcome_Label5;
    case C::EdName:
        return IDC_Welcome_EdName;
    case C::Label6:
        return IDC_Welcome_Label6;
    case C::EdEmail:
        return IDC_Welcome_EdEmail;
    case C::LblEmailError:
        return IDC_Welcome_LblEmailError;
    case C::Label7:
        return IDC_Welcome_Label7;
    case C::EdWebsite:
        return IDC_Welcome_EdWebsite;
    case C::Label8:
        return IDC_Welcome_Label8;
    case C::EdDescription:
        return IDC_Welcome_EdDescription;
    case C::Button2:
        return IDC_Welcome_Button2;
    case C::Label9:
        return IDC_Welcome_Label9;
    case C::LblSendError:
        return IDC_Welcome_LblSendError;
    case C::Label10:
        return IDC_Welcome_Label10;
    case C::Label2:
        return IDC_Welcome_Label2;
    case C::EdPartnerID:
        return IDC_Welcome_EdPartnerID;
    case C::Label4:
        return IDC_Welcome_Label4;
    case C::EdSoftwareID:
        return IDC_Welcome_EdSoftwareID;
    case C::Label11:
        return IDC_Welcome_Label11;
    case C::ComboBox1:
        return IDC_Welcome_ComboBox1;
    case C::BtnSaveChanges:
        return IDC_Welcome_BtnSaveChanges;
    case C::Label3:
        return IDC_Welcome_Label3;
    }
    return 0;
}

constexpr std::array kSignUpPage{
    IDC_Welcome_Label12, IDC_Welcome_Label1,  IDC_Welcome_Label5,        IDC_Welcome_EdName,
    IDC_Welcome_Label6,  IDC_Welcome_EdEmail, IDC_Welcome_Label7,        IDC_Welcome_EdWebsite,
    IDC_Welcome_Label8,  IDC_Welcome_Label9,  IDC_Welcome_EdDescription, IDC_Welcome_Button2,
};
constexpr std::array kIdsPage{
    IDC_Welcome_Label10,   IDC_Welcome_Label2,       IDC_Welcome_EdPartnerID,
    IDC_Welcome_Label4,    IDC_Welcome_EdSoftwareID, IDC_Welcome_Label11,
    IDC_Welcome_ComboBox1, IDC_Welcome_Label3,       IDC_Welcome_BtnSaveChanges,
};
// The captions that get an accelerator, one set for both pages.
constexpr std::array kMarked{
    IDC_Welcome_Label5, IDC_Welcome_Label6,  IDC_Welcome_Label7,
    IDC_Welcome_Label8, IDC_Welcome_Button2, IDC_Welcome_Label2,
    IDC_Welcome_Label4, IDC_Welcome_Label11, IDC_Welcome_BtnSaveChanges,
};
constexpr std::array kLinks{IDC_Welcome_Label12, IDC_Welcome_Label9, IDC_Welcome_Label3};

bool IsLink(int id) {
    return std::find(kLinks.begin(), kLinks.end(), id) != kLinks.end();
}

bool IsNote(int id) {
    return id == IDC_Welcome_LblEmailError || id == IDC_Welcome_LblSendError;
}

// A link's caption in the link control's markup: all of it the link.
std::wstring LinkMarkup(const std::wstring& caption) {
    return L"<a>" + caption + L"</a>";
}

std::wstring WindowText(HWND control) {
    std::vector<wchar_t> text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1);
    GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
    return text.data();
}

} // namespace

TWelcomeForm::TWelcomeForm(HWND owner, app::ProgramState& state, const app::TranslationTable& table,
                           const app::VendorConfig& vendor)
    : owner_(owner) {
    CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_WelcomeForm), owner,
                       &TWelcomeForm::Procedure, reinterpret_cast<LPARAM>(this));
    ui::WelcomeFormView& view = *this;
    logic_ = std::make_unique<ui::WelcomeFormLogic>(state, table, vendor, view);
    logic_->FormCreate();
}

TWelcomeForm::~TWelcomeForm() {
    logic_->FormClose();
    if (window_)
        DestroyWindow(window_);
}

int32_t TWelcomeForm::ShowModal(ui::SignUpPage page) {
    if (!window_)
        return logic_->Tag();
    logic_->ShowPage(page);
    logic_->FormShow();
    closed_ = false;
    // Started before the main window shows, the window needs a taskbar
    // button of its own.
    const bool ownerShown = owner_ && IsWindowVisible(owner_);
    const LONG_PTR exStyle = GetWindowLongPtrW(window_, GWL_EXSTYLE);
    SetWindowLongPtrW(window_, GWL_EXSTYLE,
                      ownerShown ? exStyle & ~WS_EX_APPWINDOW : exStyle | WS_EX_APPWINDOW);
    if (owner_)
        EnableWindow(owner_, FALSE);
    // In the middle of the screen at every showing, whichever page it shows.
    RECT frame{};
    GetWindowRect(window_, &frame);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(owner_ ? owner_ : window_, MONITOR_DEFAULTTOPRIMARY),
                    &monitor);
    const RECT& work = monitor.rcWork;
    SetWindowPos(window_, nullptr,
                 work.left + (work.right - work.left - (frame.right - frame.left)) / 2,
                 work.top + (work.bottom - work.top - (frame.bottom - frame.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    // The focus the logic chose while the window was hidden.
    logic_->ShowPage(logic_->Page());
    MSG message{};
    bool quit = false;
    while (!closed_) {
        if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
            quit = true;
            break;
        }
        if (IsDialogMessageW(window_, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    // The owner first, so that it is the one activated when this one hides.
    if (owner_)
        EnableWindow(owner_, TRUE);
    ::ShowWindow(window_, SW_HIDE);
    if (quit)
        PostQuitMessage(static_cast<int>(message.wParam));
    return logic_->Tag();
}

void TWelcomeForm::FillIds(const std::string& partnerId, const std::string& softwareId) {
    logic_->FillIds(partnerId, softwareId);
}

INT_PTR CALLBACK TWelcomeForm::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DispatchDialog(window, message, wParam, lParam, &TWelcomeForm::window_,
                          &TWelcomeForm::Handle);
}

INT_PTR TWelcomeForm::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return FALSE; // the focus is the logic's
    case WM_COMMAND:
        Command(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_NOTIFY:
        Notify(*reinterpret_cast<const NMHDR*>(lParam));
        return TRUE;
    case WM_CTLCOLORSTATIC: {
        // The messages in the window stand out in red.
        const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        if (!IsNote(id))
            return FALSE;
        auto dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, RGB(0xB0, 0x00, 0x20));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_SETCURSOR:
        if (!busy_)
            return FALSE;
        SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
        SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_DPICHANGED: {
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        Layout();
        return TRUE;
    }
    case kSignUpDoneMessage:
        if (std::optional<app::SignupResult> result = thread_.Take(static_cast<unsigned>(wParam)))
            logic_->SignUpFinished(*result);
        return TRUE;
    case WM_CLOSE:
        Close();
        return TRUE;
    case WM_NCDESTROY:
        window_ = nullptr;
        return FALSE;
    }
    return FALSE;
}

void TWelcomeForm::Command(int id, int code) {
    switch (id) {
    case IDC_Welcome_Button2:
        logic_->Button2Click();
        return;
    case IDC_Welcome_BtnSaveChanges:
        logic_->BtnSaveChangesClick();
        return;
    case IDC_Welcome_EdEmail:
        if (code == EN_CHANGE)
            logic_->EdEmailChange();
        return;
    case IDCANCEL: // Escape
        Close();
        return;
    case IDOK:
        // What the dialog manager sends for Enter when it knows no default
        // button: the page's button.
        SendMessageW(
            window_, WM_COMMAND,
            page_ == ui::SignUpPage::IDs ? IDC_Welcome_BtnSaveChanges : IDC_Welcome_Button2, 0);
        return;
    }
}

void TWelcomeForm::Notify(const NMHDR& header) {
    if (header.code != NM_CLICK && header.code != NM_RETURN)
        return;
    switch (header.idFrom) {
    case IDC_Welcome_Label9:
        logic_->Label9Click();
        return;
    case IDC_Welcome_Label3:
        logic_->Label3Click();
        return;
    case IDC_Welcome_Label12:
        logic_->Label12Click();
        return;
    }
}

void TWelcomeForm::Close() {
    logic_->FormClose();
    closed_ = true;
}

void TWelcomeForm::ApplyCaptions() {
    Mnemonics letters;
    for (int id : kMarked)
        SetDlgItemTextW(window_, id, letters.Marked(captions_[id]).c_str());
    for (int id : kLinks)
        SetDlgItemTextW(window_, id, LinkMarkup(captions_[id]).c_str());
    for (int id : {IDC_Welcome_Label1, IDC_Welcome_Label10})
        SetDlgItemTextW(window_, id, captions_[id].c_str());
}

int TWelcomeForm::TextHeight(int id, int width) const {
    const auto found = captions_.find(id);
    if (found == captions_.end() || found->second.empty())
        return 0;
    HDC dc = GetDC(window_);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window_, WM_GETFONT, 0, 0)));
    RECT box{0, 0, std::max(width, 1), 0};
    DrawTextW(dc, found->second.c_str(), -1, &box, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(window_, dc);
    return box.bottom - box.top;
}

int TWelcomeForm::TextWidth(int id) const {
    const auto found = captions_.find(id);
    if (found == captions_.end() || found->second.empty())
        return 0;
    HDC dc = GetDC(window_);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window_, WM_GETFONT, 0, 0)));
    RECT box{0, 0, 0, 0};
    DrawTextW(dc, found->second.c_str(), -1, &box, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(window_, dc);
    return box.right - box.left;
}

void TWelcomeForm::Layout() {
    if (!window_)
        return;
    const UINT dpi = GetDpiForWindow(window_);
    HDC dc = GetDC(window_);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window_, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(window_, dc);
    const int line = metrics.tmHeight + metrics.tmExternalLeading;
    const int edit = line + Scaled(8, dpi);
    const int button = line + Scaled(12, dpi);
    const int gap = Scaled(kGap, dpi);
    const int width = Scaled(clientWidth_, dpi);
    // A link's own focus rectangle takes a pixel on each side.
    const int linkPad = Scaled(2, dpi);

    RowStack rows(width, Scaled(kMargin, dpi), gap);
    std::vector<std::pair<int, Box>> placed;
    std::vector<std::pair<int, Box>> bottom; // kept to the client's bottom
    const auto buttonWidth = [&](int id) {
        return std::max(Scaled(kButtonWidth, dpi), TextWidth(id) + Scaled(24, dpi));
    };
    const auto linkAndButton = [&](int link, int pushButton) {
        const int wide = buttonWidth(pushButton);
        const BoxPair row = rows.Beside(TextHeight(link, rows.LeftWidth(wide) - linkPad) + linkPad,
                                        wide, button, RowStack::Align::Bottom);
        bottom.push_back({link, row.left});
        bottom.push_back({pushButton, row.right});
    };
    const auto shown = [this](int id) {
        const auto found = captions_.find(id);
        return found != captions_.end() && !found->second.empty();
    };

    if (page_ == ui::SignUpPage::SignUp) {
        placed.push_back({IDC_Welcome_Label12,
                          rows.Centred(TextWidth(IDC_Welcome_Label12) + 2 * linkPad,
                                       TextHeight(IDC_Welcome_Label12, rows.Inner()) + linkPad)});
        rows.Skip(gap);
        placed.push_back(
            {IDC_Welcome_Label1, rows.Full(TextHeight(IDC_Welcome_Label1, rows.Inner()))});
        const int caption = std::max({TextWidth(IDC_Welcome_Label5), TextWidth(IDC_Welcome_Label6),
                                      TextWidth(IDC_Welcome_Label7)});
        const auto field = [&](int label, int box) {
            const BoxPair row = rows.Labelled(caption, line, edit);
            placed.push_back({label, row.left});
            placed.push_back({box, row.right});
            return row.right;
        };
        field(IDC_Welcome_Label5, IDC_Welcome_EdName);
        const Box email = field(IDC_Welcome_Label6, IDC_Welcome_EdEmail);
        if (shown(IDC_Welcome_LblEmailError))
            // Under the address it is about, in the column of the fields.
            placed.push_back({IDC_Welcome_LblEmailError,
                              rows.Indented(email.x - Scaled(kMargin, dpi),
                                            TextHeight(IDC_Welcome_LblEmailError, email.width))});
        field(IDC_Welcome_Label7, IDC_Welcome_EdWebsite);
        rows.Skip(gap);
        placed.push_back(
            {IDC_Welcome_Label8, rows.Full(TextHeight(IDC_Welcome_Label8, rows.Inner()))});
        placed.push_back({IDC_Welcome_EdDescription, rows.Full(Scaled(kDescriptionHeight, dpi))});
        if (shown(IDC_Welcome_LblSendError))
            placed.push_back({IDC_Welcome_LblSendError,
                              rows.Full(TextHeight(IDC_Welcome_LblSendError, rows.Inner()))});
        rows.Skip(gap);
        linkAndButton(IDC_Welcome_Label9, IDC_Welcome_Button2);
    } else {
        placed.push_back(
            {IDC_Welcome_Label10, rows.Full(TextHeight(IDC_Welcome_Label10, rows.Inner()))});
        rows.Skip(gap);
        const int caption = std::max(TextWidth(IDC_Welcome_Label2), TextWidth(IDC_Welcome_Label4));
        for (const auto& [label, box] : {std::pair{IDC_Welcome_Label2, IDC_Welcome_EdPartnerID},
                                         std::pair{IDC_Welcome_Label4, IDC_Welcome_EdSoftwareID}}) {
            const BoxPair row = rows.Labelled(caption, line, edit);
            placed.push_back({label, row.left});
            placed.push_back({box, row.right});
        }
        // The drop list as wide as its longest language name.
        int combo = Scaled(kComboWidth, dpi);
        HWND list = Control(IDC_Welcome_ComboBox1);
        HDC listDc = GetDC(list);
        HGDIOBJ listOld =
            SelectObject(listDc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
        const auto count = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            std::vector<wchar_t> name(
                static_cast<size_t>(SendMessageW(list, CB_GETLBTEXTLEN, i, 0)) + 1);
            SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(name.data()));
            SIZE size{};
            GetTextExtentPoint32W(listDc, name.data(), static_cast<int>(name.size() - 1), &size);
            combo = std::max<int>(combo, size.cx + GetSystemMetricsForDpi(SM_CXVSCROLL, dpi) +
                                             Scaled(12, dpi));
        }
        SelectObject(listDc, listOld);
        ReleaseDC(list, listDc);
        const BoxPair language = rows.Beside(TextHeight(IDC_Welcome_Label11, rows.LeftWidth(combo)),
                                             combo, edit, RowStack::Align::Centre);
        placed.push_back({IDC_Welcome_Label11, language.left});
        // A drop list's height is that of its list when open.
        placed.push_back(
            {IDC_Welcome_ComboBox1,
             {language.right.x, language.right.y, language.right.width, Scaled(200, dpi)}});
        rows.Skip(gap);
        linkAndButton(IDC_Welcome_Label3, IDC_Welcome_BtnSaveChanges);
    }

    const int height = std::max(Scaled(clientHeight_, dpi), rows.Height());
    for (const auto& [id, box] : bottom)
        placed.push_back({id, Lowered(box, height - rows.Height())});

    // Only the page's controls show, and of its messages those that say something.
    const auto hide = [this](const auto& ids) {
        for (int id : ids)
            ::ShowWindow(Control(id), SW_HIDE);
    };
    if (page_ == ui::SignUpPage::SignUp)
        hide(kIdsPage);
    else
        hide(kSignUpPage);
    for (int id : {IDC_Welcome_LblEmailError, IDC_Welcome_LblSendError})
        ::ShowWindow(Control(id), SW_HIDE);
    for (const auto& [id, box] : placed) {
        MoveWindow(Control(id), box.x, box.y, box.width, box.height, FALSE);
        ::ShowWindow(Control(id), SW_SHOWNA);
    }

    PlaceWindow(window_, {width, height}, dpi, std::nullopt);
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TWelcomeForm::SetTitle(const std::string& title) {
    SetWindowTextW(window_, Wide(title).c_str());
}

void TWelcomeForm::SetCaption(C control, const std::string& caption) {
    if (const int id = IdOf(control))
        captions_[id] = Wide(caption);
}

void TWelcomeForm::SetEnabled(C control, bool enabled) {
    const int id = IdOf(control);
    if (!id)
        return;
    // A disabled control loses the focus to no one, and then no key reaches
    // the window: it goes to the window itself, where Escape still closes it.
    if (!enabled && GetFocus() == Control(id))
        SetFocus(window_);
    EnableWindow(Control(id), enabled);
}

std::string TWelcomeForm::Text(C control) const {
    const int id = IdOf(control);
    if (!id || IsLink(id) || id == IDC_Welcome_ComboBox1)
        return {};
    std::wstring text = WindowText(Control(id));
    // The memo's lines end as the core's texts do.
    for (size_t at = text.find(L"\r\n"); at != std::wstring::npos; at = text.find(L"\r\n", at))
        text.erase(at, 1);
    return Narrow(text);
}

void TWelcomeForm::SetText(C control, const std::string& text) {
    if (const int id = IdOf(control))
        SetDlgItemTextW(window_, id, Wide(text).c_str());
}

void TWelcomeForm::SetLanguages(const std::vector<std::string>& names, int32_t selected) {
    HWND list = Control(IDC_Welcome_ComboBox1);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (const std::string& name : names)
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(name).c_str()));
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

int32_t TWelcomeForm::SelectedLanguage() const {
    const LRESULT selected = SendMessageW(Control(IDC_Welcome_ComboBox1), CB_GETCURSEL, 0, 0);
    return selected == CB_ERR ? -1 : static_cast<int32_t>(selected);
}

void TWelcomeForm::ShowPage(ui::SignUpPage page, int clientWidth, int clientHeight) {
    page_ = page;
    clientWidth_ = clientWidth;
    clientHeight_ = clientHeight;
    ApplyCaptions();
    Layout();
    // Enter presses the button of the page shown.
    const bool ids = page == ui::SignUpPage::IDs;
    const int chosen = ids ? IDC_Welcome_BtnSaveChanges : IDC_Welcome_Button2;
    const int other = ids ? IDC_Welcome_Button2 : IDC_Welcome_BtnSaveChanges;
    SendMessageW(window_, DM_SETDEFID, chosen, 0);
    SendMessageW(Control(chosen), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    SendMessageW(Control(other), BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
}

void TWelcomeForm::ShowNote(C control, const std::string& text) {
    const int id = IdOf(control);
    // The core's lines end in "\n" or "\r\n"; the static control wants "\r\n".
    std::wstring shown;
    for (wchar_t letter : Wide(text)) {
        if (letter == L'\r')
            continue;
        if (letter == L'\n')
            shown += L'\r';
        shown += letter;
    }
    if (captions_[id] == shown)
        return;
    captions_[id] = shown;
    SetDlgItemTextW(window_, id, shown.c_str());
    Layout();
}

void TWelcomeForm::Focus(C control) {
    if (const int id = IdOf(control))
        // As Tab would: the default button follows, and an edit's text is selected.
        SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(id)), TRUE);
}

void TWelcomeForm::SelectAll(C control) {
    if (const int id = IdOf(control))
        SendMessageW(Control(id), EM_SETSEL, 0, -1);
}

void TWelcomeForm::SetBusy(bool busy) {
    busy_ = busy;
    POINT cursor{};
    GetCursorPos(&cursor);
    if (WindowFromPoint(cursor) == window_ || IsChild(window_, WindowFromPoint(cursor)))
        SetCursor(LoadCursorW(nullptr, busy ? IDC_APPSTARTING : IDC_ARROW));
}

void TWelcomeForm::ShowMessage(const ui::Message& message) {
    ShowMessageBox(window_, message);
}

void TWelcomeForm::ShowWriteError(const std::string& title, const std::string& text,
                                  const std::string& details) {
    MessageBoxW(window_, Wide(text + "\n\n" + details).c_str(), Wide(title).c_str(), MB_OK);
}

void TWelcomeForm::OpenLink(const std::string& url) {
    OpenAddress(window_, url,
                logic_->Translate("No program could open this address. Copy it into your "
                                  "browser or mail program:"));
}

void TWelcomeForm::StartSignUp(ui::SignUpBody body) {
    HWND window = window_;
    thread_.Start(std::move(body),
                  [window](unsigned run) { PostMessageW(window, kSignUpDoneMessage, run, 0); });
}

app::SignupResult TWelcomeForm::StopSignUp() {
    return thread_.Stop();
}

void TWelcomeForm::CloseWindow() {
    closed_ = true;
}

} // namespace tolvane::win
