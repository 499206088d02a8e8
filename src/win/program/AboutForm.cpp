#include "AboutForm.h"

#include "AboutFormIds.h"
#include "DialogDispatch.h"
#include "Mnemonics.h"
#include "OpenAddress.h"
#include "RowStack.h"
#include "TolvaneFormIds.h"
#include "WideText.h"
#include "WindowPlacement.h"

#include "app/ProgramInfo.h"

#include <commctrl.h>

#include <algorithm>

namespace tolvane::win {

namespace {

// Sizes at 96 dots per inch, scaled to the window's.
constexpr int kClientWidth = 326;
constexpr int kClientHeight = 248;
constexpr int kMargin = 11;
constexpr int kGap = 6;
constexpr int kLogo = 64;
constexpr int kButtonWidth = 75;
constexpr int kTitlePoints = 12;

int Scaled(int pixels, UINT dpi) {
    return MulDiv(pixels, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}

std::wstring Text(HWND control) {
    wchar_t text[1024] = L"";
    GetWindowTextW(control, text, 1024);
    return text;
}

// The size of `control`'s text in its font, wrapped at `width` (0: one line).
SIZE Extent(HWND control, int width, bool link = false) {
    std::wstring text = Text(control);
    if (link) // the markup takes no room
        text = text.substr(3, text.size() >= 7 ? text.size() - 7 : 0);
    HDC dc = GetDC(control);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT box{0, 0, std::max(width, 1), 0};
    const bool prefix = (GetWindowLongPtrW(control, GWL_STYLE) & SS_NOPREFIX) == 0 && !link;
    DrawTextW(dc, text.c_str(), -1, &box,
              DT_CALCRECT | (width > 0 ? DT_WORDBREAK : DT_SINGLELINE) |
                  (prefix ? 0 : DT_NOPREFIX));
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return {box.right - box.left, box.bottom - box.top};
}

} // namespace

TAboutForm::TAboutForm(const app::TranslationTable& table, const app::ProgramState& state,
                       app::VendorConfig vendor)
    : table_(table), state_(state), vendor_(std::move(vendor)) {}

std::string TAboutForm::Translate(const char* english) const {
    return table_.Translate(english, state_.UILanguage);
}

void TAboutForm::ShowModal(HWND owner) {
    owner_ = owner;
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_AboutForm), owner,
                    &TAboutForm::Procedure, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK TAboutForm::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DispatchDialog(window, message, wParam, lParam, &TAboutForm::window_,
                          &TAboutForm::Handle);
}

void TAboutForm::FormShow() {
    SetWindowTextW(window_, Wide(Translate("About...")).c_str());
    SetDlgItemTextW(window_, IDC_About_Label1,
                    Wide(std::string("Tolvane v. ") + app::kProgramVersion).c_str());
    // Alt and the caption's letter goes to its link.
    Mnemonics letters;
    SetDlgItemTextW(window_, IDC_About_Button1, Wide(Translate("OK")).c_str());
    SetDlgItemTextW(window_, IDC_About_Label4, letters.Marked(Wide(Translate("Website:"))).c_str());
    SetDlgItemTextW(window_, IDC_About_Label5, letters.Marked(Wide(Translate("Support:"))).c_str());
    SetDlgItemTextW(window_, IDC_About_Label6, (L"<a>" + Wide(vendor_.homeHost) + L"</a>").c_str());
    SetDlgItemTextW(window_, IDC_About_Label7,
                    (L"<a>" + Wide(vendor_.supportEmail) + L"</a>").c_str());
    SetDlgItemTextW(window_, IDC_About_Label2,
                    Wide(Translate("Copyright (C) 2026 Tolvane. All rights reserved.")).c_str());
    SetDlgItemTextW(window_, IDC_About_Label3,
                    Wide(Translate("This program is protected by copyright law. Unauthorized "
                                   "reproduction or distribution of it, or of any part of it, "
                                   "may be prosecuted."))
                        .c_str());
}

void TAboutForm::Layout() {
    const UINT dpi = GetDpiForWindow(window_);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(window_, WM_GETFONT, 0, 0));
    LOGFONTW description{};
    if (font && GetObjectW(font, sizeof description, &description)) {
        description.lfHeight = -MulDiv(kTitlePoints, static_cast<int>(dpi), 72);
        description.lfWeight = FW_BOLD;
        title_.reset(CreateFontIndirectW(&description));
        SendMessageW(Control(IDC_About_Label1), WM_SETFONT, reinterpret_cast<WPARAM>(title_.get()),
                     FALSE);
    }
    const int logo = Scaled(kLogo, dpi);
    // The logo from the program's icon, drawn at its size from the largest image.
    logo_.reset(
        static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_Tolvane),
                                      IMAGE_ICON, logo, logo, LR_DEFAULTCOLOR)));
    SendMessageW(Control(IDC_About_Image1), STM_SETIMAGE, IMAGE_ICON,
                 reinterpret_cast<LPARAM>(logo_.get()));

    HDC dc = GetDC(window_);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(window_, dc);
    const int line = metrics.tmHeight + metrics.tmExternalLeading;
    const int gap = Scaled(kGap, dpi);
    const int margin = Scaled(kMargin, dpi);
    // As wide as the longest line of the links' rows needs, the least width at least.
    const int caption =
        std::max(Extent(Control(IDC_About_Label4), 0).cx, Extent(Control(IDC_About_Label5), 0).cx);
    const int links = std::max(Extent(Control(IDC_About_Label6), 0, true).cx,
                               Extent(Control(IDC_About_Label7), 0, true).cx);
    const int width = std::max(Scaled(kClientWidth, dpi),
                               2 * margin + 2 * std::max(caption, links + Scaled(4, dpi)) + gap);

    RowStack rows(width, margin, gap);
    const int titleHeight = Extent(Control(IDC_About_Label1), rows.Inner() - logo - gap).cy;
    const BoxPair head = rows.Labelled(logo, logo, titleHeight);
    const Box bevel1 = rows.Full(2);
    const auto linkRow = [&](int label, int link) {
        const BoxPair row = rows.Labelled(caption, line, line + Scaled(2, dpi));
        MoveWindow(Control(label), row.left.x, row.left.y, row.left.width, row.left.height, FALSE);
        MoveWindow(Control(link), row.right.x, row.right.y,
                   std::min(row.right.width, links + Scaled(4, dpi)), row.right.height, FALSE);
    };
    linkRow(IDC_About_Label4, IDC_About_Label6);
    linkRow(IDC_About_Label5, IDC_About_Label7);
    const Box copyright = rows.Full(Extent(Control(IDC_About_Label2), rows.Inner()).cy);
    const Box bevel2 = rows.Full(2);
    const Box notice = rows.Full(Extent(Control(IDC_About_Label3), rows.Inner()).cy);
    rows.Skip(gap);
    const int buttonWidth =
        std::max(Scaled(kButtonWidth, dpi),
                 static_cast<int>(Extent(Control(IDC_About_Button1), 0).cx) + Scaled(24, dpi));
    const BoxPair bottom =
        rows.Beside(0, buttonWidth, line + Scaled(12, dpi), RowStack::Align::Bottom);
    const int height = std::max(Scaled(kClientHeight, dpi), rows.Height());
    const Box ok = Lowered(bottom.right, height - rows.Height());

    const auto place = [this](int id, const Box& box) {
        MoveWindow(Control(id), box.x, box.y, box.width, box.height, FALSE);
    };
    place(IDC_About_Image1, head.left);
    place(IDC_About_Label1, head.right);
    place(IDC_About_Bevel1, bevel1);
    place(IDC_About_Label2, copyright);
    place(IDC_About_Bevel2, bevel2);
    place(IDC_About_Label3, notice);
    place(IDC_About_Button1, ok);

    // Centred on the main window, within its screen's work area.
    RECT over{};
    if (owner_ && IsWindowVisible(owner_))
        GetWindowRect(owner_, &over);
    else
        over = WorkArea(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY));
    PlaceWindow(window_, {width, height}, dpi, over);
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

INT_PTR TAboutForm::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        FormShow();
        Layout();
        SetFocus(Control(IDC_About_Button1));
        return FALSE; // the focus is set
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_About_Button1:
        case IDOK:
        case IDCANCEL: // Escape, the title bar's close
            EndDialog(window_, IDOK);
            return TRUE;
        }
        return FALSE;
    case WM_NOTIFY: {
        const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
        if (header.code != NM_CLICK && header.code != NM_RETURN)
            return FALSE;
        const std::string failed = Translate("No program could open this address. Copy it into "
                                             "your browser or mail program:");
        if (header.idFrom == IDC_About_Label6)
            OpenAddress(window_, WebsiteUrl(), failed);
        else if (header.idFrom == IDC_About_Label7)
            OpenAddress(window_, SupportUrl(), failed);
        return TRUE;
    }
    case WM_DPICHANGED:
        Layout();
        return TRUE;
    case WM_NCDESTROY:
        window_ = nullptr;
        return FALSE;
    }
    return FALSE;
}

} // namespace tolvane::win
