#include "FolderTree.h"

#include "WideText.h"

#include "platform/FileSystem.h"

#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace tolvane::win {

namespace {

std::wstring Joined(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && folder.back() == L'\\')
        return folder + name;
    return folder + L'\\' + name;
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// The parts of `path` after its drive ("C:\"), one a folder name.
std::vector<std::wstring> Names(const std::wstring& path, size_t from) {
    std::vector<std::wstring> names;
    size_t start = from;
    while (start < path.size()) {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring::npos)
            end = path.size();
        if (end > start)
            names.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

} // namespace

FolderTree::FolderTree(HWND tree, HWND owner, UINT iconsMessage)
    : tree_(tree), icons_(owner, iconsMessage) {
    // The system's list is shared: the tree does not destroy it.
    SHFILEINFOW info{};
    const auto images = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(L"drive", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                       SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES));
    if (images)
        TreeView_SetImageList(tree_, images, TVSIL_NORMAL);
}

HTREEITEM FolderTree::Insert(HTREEITEM parent, const std::wstring& text, std::wstring path,
                             int icon, int openIcon) {
    paths_.push_back(std::move(path));
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    insert.item.lParam = static_cast<LPARAM>(paths_.size());
    insert.item.iImage = icon;
    insert.item.iSelectedImage = openIcon;
    HTREEITEM item = TreeView_InsertItem(tree_, &insert);
    // The placeholder that gives the branch its button until it is read.
    TVINSERTSTRUCTW dummy{};
    dummy.hParent = item;
    dummy.hInsertAfter = TVI_LAST;
    dummy.item.mask = TVIF_PARAM;
    dummy.item.lParam = 0;
    TreeView_InsertItem(tree_, &dummy);
    return item;
}

void FolderTree::FillDrives() {
    const DWORD length = GetLogicalDriveStringsW(0, nullptr);
    std::vector<wchar_t> drives(length + 1);
    GetLogicalDriveStringsW(length, drives.data());
    // Until the shell has named them: "C:\" with a folder's icon.
    SHFILEINFOW folder{};
    SHGetFileInfoW(L"drive", FILE_ATTRIBUTE_DIRECTORY, &folder, sizeof folder,
                   SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
    std::vector<IconReader::Item> wanted;
    for (const wchar_t* drive = drives.data(); *drive; drive += wcslen(drive) + 1) {
        HTREEITEM item = Insert(TVI_ROOT, drive, drive, folder.iIcon, folder.iIcon);
        wanted.push_back({reinterpret_cast<LPARAM>(item), drive, FILE_ATTRIBUTE_DIRECTORY});
    }
    icons_.Read(std::move(wanted));
}

void FolderTree::TakeIcons() {
    for (IconReader::Found& found : icons_.Take()) {
        TVITEMW item{};
        item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        item.hItem = reinterpret_cast<HTREEITEM>(found.key);
        item.iImage = item.iSelectedImage = found.icon;
        if (!found.displayName.empty()) {
            item.mask |= TVIF_TEXT;
            item.pszText = found.displayName.data();
        }
        TreeView_SetItem(tree_, &item);
    }
}

void FolderTree::Expand(HTREEITEM item) {
    HTREEITEM child = TreeView_GetChild(tree_, item);
    TVITEMW data{};
    data.mask = TVIF_PARAM;
    data.hItem = child;
    if (!child || !TreeView_GetItem(tree_, &data) || data.lParam != 0)
        return; // read already
    TreeView_DeleteItem(tree_, child);
    const std::optional<std::wstring> folder = PathOf(item);
    if (!folder)
        return;

    // The platform's listing: folders only (never a link to one, which could
    // loop), without the hidden ones.
    const std::optional<std::vector<platform::DirEntry>> entries =
        platform::ListDirectory(CorePath(*folder));
    if (!entries)
        return;
    std::vector<std::wstring> names;
    for (const platform::DirEntry& entry : *entries) {
        if (entry.kind == platform::EntryKind::Folder &&
            (entry.attributes & platform::kAttrHidden) == 0)
            names.push_back(Wide(entry.name));
    }
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        return CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(),
                               -1, nullptr, nullptr, 0) == CSTR_LESS_THAN;
    });

    // Every folder has the same icon: asked once, without touching the disk.
    SHFILEINFOW closed{}, open{};
    SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &closed, sizeof closed,
                   SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
    SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &open, sizeof open,
                   SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES | SHGFI_OPENICON);
    for (const std::wstring& name : names)
        Insert(item, name, Joined(*folder, name), closed.iIcon, open.iIcon);
}

std::optional<std::wstring> FolderTree::PathOf(HTREEITEM item) const {
    TVITEMW data{};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    if (!item || !TreeView_GetItem(tree_, &data) || data.lParam <= 0 ||
        static_cast<size_t>(data.lParam) > paths_.size())
        return std::nullopt;
    return paths_[static_cast<size_t>(data.lParam) - 1];
}

bool FolderTree::Reveal(const std::wstring& path) {
    // The drive first ("C:\"), then one folder name a level.
    HTREEITEM item = nullptr;
    for (HTREEITEM root = TreeView_GetRoot(tree_); root;
         root = TreeView_GetNextSibling(tree_, root)) {
        const std::optional<std::wstring> drive = PathOf(root);
        if (drive && path.size() >= drive->size() &&
            SameName(path.substr(0, drive->size()), *drive)) {
            item = root;
            break;
        }
    }
    if (!item)
        return false;
    for (const std::wstring& name : Names(path, PathOf(item)->size())) {
        Expand(item); // the notification is not sent for a programmatic expand everywhere
        TreeView_Expand(tree_, item, TVE_EXPAND);
        HTREEITEM next = nullptr;
        for (HTREEITEM child = TreeView_GetChild(tree_, item); child;
             child = TreeView_GetNextSibling(tree_, child)) {
            const std::optional<std::wstring> childPath = PathOf(child);
            if (childPath &&
                SameName(childPath->substr(childPath->find_last_of(L'\\') + 1), name)) {
                next = child;
                break;
            }
        }
        if (!next)
            return false;
        item = next;
    }
    TreeView_SelectItem(tree_, item);
    TreeView_EnsureVisible(tree_, item);
    return true;
}

} // namespace tolvane::win
