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

constexpr int kLastColumn = 3; // Modified

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

// The icon of a kind of entry, from its attributes alone (no disk is asked).
int KindIcon(DWORD attributes, HIMAGELIST* images = nullptr) {
    SHFILEINFOW info{};
    const auto list = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(L"entry", attributes, &info, sizeof info,
                       SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES));
    if (images)
        *images = list;
    return info.iIcon;
}

std::wstring Joined(const std::string& folder, const std::wstring& name) {
    std::wstring path = Wide(folder);
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    if (!path.empty() && path.back() != L'\\')
        path += L'\\';
    return path + name;
}

} // namespace

FileList::FileList(HWND list, const FileListTexts& texts, int language, HWND owner,
                   UINT iconsMessage)
    : list_(list), texts_(texts), language_(language), icons_(owner, iconsMessage) {
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    HIMAGELIST images = nullptr;
    fileIcon_ = KindIcon(FILE_ATTRIBUTE_NORMAL, &images);
    folderIcon_ = KindIcon(FILE_ATTRIBUTE_DIRECTORY);
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
    int column = 0;
    for (const std::string* caption : {&texts_.name, &texts_.size, &texts_.type, &texts_.modified})
        FitColumn(column++, *caption);
}

void FileList::FitColumn(int column, const std::string& caption) {
    // The header's "use header" size leaves out its own padding on some
    // systems (Wine's): a caption gets at least its width and a margin.
    const int margin =
        MulDiv(16, static_cast<int>(GetDpiForWindow(list_)), USER_DEFAULT_SCREEN_DPI);
    // The last column sized to its content, not stretched to the list's
    // edge: the stretch may overshoot by the scroll bar and show a
    // horizontal one for nothing.
    ListView_SetColumnWidth(list_, column,
                            column == kLastColumn ? LVSCW_AUTOSIZE : LVSCW_AUTOSIZE_USEHEADER);
    const std::wstring text = Wide(caption);
    const int least = static_cast<int>(SendMessageW(list_, LVM_GETSTRINGWIDTHW, 0,
                                                    reinterpret_cast<LPARAM>(text.c_str()))) +
                      margin;
    if (ListView_GetColumnWidth(list_, column) < least)
        ListView_SetColumnWidth(list_, column, least);
}

void FileList::Show(const std::string& folder) {
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list_);
    std::vector<platform::DirEntry> entries =
        platform::ListDirectory(folder).value_or(std::vector<platform::DirEntry>{});
    // Folders first, as the tree has them; the listing's order within each.
    std::stable_partition(entries.begin(), entries.end(),
                          [](const platform::DirEntry& entry) { return entry.IsDirectory(); });
    std::vector<IconReader::Item> wanted;
    wanted.reserve(entries.size());
    folders_.clear();
    int row = 0;
    for (const platform::DirEntry& entry : entries) {
        const std::wstring name = Wide(entry.name);
        const bool isFolder = entry.IsDirectory();
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
        item.iItem = row;
        item.pszText = const_cast<wchar_t*>(name.c_str());
        item.iImage = isFolder ? folderIcon_ : fileIcon_;
        item.stateMask = LVIS_CUT;
        item.state = (entry.attributes & platform::kAttrHidden) ? LVIS_CUT : 0;
        row = static_cast<int>(
            SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        if (!isFolder)
            SetCell(list_, row, 1, Wide(ui::SizeText(entry.size, language_)));
        if (isFolder)
            SetCell(list_, row, 2, Wide(texts_.folder));
        SetCell(list_, row, 3, ModifiedText(entry.lastWriteTime));
        folders_.push_back(isFolder);
        wanted.push_back(
            {row, Joined(folder, name),
             static_cast<DWORD>(isFolder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL)});
        ++row;
    }
    FitColumns();
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
    icons_.Read(std::move(wanted));
}

void FileList::TakeIcons() {
    const std::vector<IconReader::Found> found = icons_.Take();
    if (found.empty())
        return;
    // The type column widens for a longer name; measuring only the new
    // names keeps a large folder's batches cheap.
    const int margin =
        MulDiv(16, static_cast<int>(GetDpiForWindow(list_)), USER_DEFAULT_SCREEN_DPI);
    int widest = ListView_GetColumnWidth(list_, 2);
    const int before = widest;
    for (const IconReader::Found& entry : found) {
        const int row = static_cast<int>(entry.key);
        LVITEMW item{};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        item.iImage = entry.icon;
        SendMessageW(list_, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        // A folder keeps this program's word for its type.
        if (row < static_cast<int>(folders_.size()) && !folders_[row] && !entry.typeName.empty()) {
            SetCell(list_, row, 2, entry.typeName);
            widest = std::max(widest, static_cast<int>(SendMessageW(
                                          list_, LVM_GETSTRINGWIDTHW, 0,
                                          reinterpret_cast<LPARAM>(entry.typeName.c_str()))) +
                                          margin);
        }
    }
    if (widest > before)
        ListView_SetColumnWidth(list_, 2, widest);
}

} // namespace tolvane::win
