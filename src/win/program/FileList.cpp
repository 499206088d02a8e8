#include "FileList.h"

#include "WideText.h"

#include "platform/FileSystem.h"
#include "ui/ResultText.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

namespace tolvane::win {

namespace {

// Seconds since 1970 as the user's short date and time.
std::wstring ModifiedText(int64_t seconds) {
    const uint64_t ticks = (static_cast<uint64_t>(seconds) + 11644473600ULL) * 10000000ULL;
    const FILETIME utc{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME universal{}, local{};
    if (!FileTimeToSystemTime(&utc, &universal) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local))
        return {};
    wchar_t date[80] = L"", time[80] = L"";
    GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &local, nullptr, date, 80, nullptr);
    GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, &local, nullptr, time, 80);
    return std::wstring(date) + L' ' + time;
}

void SetCell(HWND list, int row, int column, const std::wstring& text) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

} // namespace

FileList::FileList(HWND list, const FileListTexts& texts, int language)
    : list_(list), texts_(texts), language_(language) {
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    SHFILEINFOW info{};
    const auto images = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(L"file", FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                       SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES));
    if (images)
        ListView_SetImageList(list_, images, LVSIL_SMALL); // shared: LVS_SHAREIMAGELISTS
    int column = 0;
    for (const std::string* caption :
         {&texts_.name, &texts_.size, &texts_.type, &texts_.modified}) {
        const std::wstring text = Wide(*caption);
        LVCOLUMNW header{};
        header.mask = LVCF_TEXT | LVCF_FMT;
        header.fmt = column == 1 ? LVCFMT_RIGHT : LVCFMT_LEFT;
        header.pszText = const_cast<wchar_t*>(text.c_str());
        SendMessageW(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&header));
        ++column;
    }
    FitColumns();
}

void FileList::FitColumns() {
    // The header's "use header" size leaves out its own padding on some
    // systems (Wine's): a caption gets at least its width and a margin.
    const int margin =
        MulDiv(16, static_cast<int>(GetDpiForWindow(list_)), USER_DEFAULT_SCREEN_DPI);
    int column = 0;
    for (const std::string* caption :
         {&texts_.name, &texts_.size, &texts_.type, &texts_.modified}) {
        ListView_SetColumnWidth(list_, column, LVSCW_AUTOSIZE_USEHEADER);
        const std::wstring text = Wide(*caption);
        const int least = static_cast<int>(SendMessageW(list_, LVM_GETSTRINGWIDTHW, 0,
                                                        reinterpret_cast<LPARAM>(text.c_str()))) +
                          margin;
        if (ListView_GetColumnWidth(list_, column) < least)
            ListView_SetColumnWidth(list_, column, least);
        ++column;
    }
}

void FileList::Show(const std::string& folder) {
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list_);
    std::vector<platform::DirEntry> entries =
        platform::ListDirectory(folder).value_or(std::vector<platform::DirEntry>{});
    // Folders first, as the tree has them; the listing's order within each.
    std::stable_partition(entries.begin(), entries.end(),
                          [](const platform::DirEntry& entry) { return entry.IsDirectory(); });
    int row = 0;
    for (const platform::DirEntry& entry : entries) {
        const std::wstring name = Wide(entry.name);
        SHFILEINFOW info{};
        SHGetFileInfoW(
            name.c_str(), entry.IsDirectory() ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL,
            &info, sizeof info,
            SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES);
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = row;
        item.pszText = const_cast<wchar_t*>(name.c_str());
        item.iImage = info.iIcon;
        row = static_cast<int>(
            SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        if (!entry.IsDirectory())
            SetCell(list_, row, 1, Wide(ui::SizeText(entry.size, language_)));
        SetCell(list_, row, 2, entry.IsDirectory() ? Wide(texts_.folder) : info.szTypeName);
        SetCell(list_, row, 3, ModifiedText(entry.lastWriteTime));
        ++row;
    }
    FitColumns();
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}

} // namespace tolvane::win
