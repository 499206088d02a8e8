// ShellTreeView1's content: the drives, and under each branch its folders,
// read when the branch is first opened (a placeholder child until then, so
// that every branch shows its button), with the system's small icons. The
// drives' names and icons come from the icon reader's thread: asking the
// shell about a slow or absent drive takes seconds.
#pragma once

#include "IconReader.h"

#include <deque>
#include <optional>
#include <string>

#include <windows.h>

#include <commctrl.h>

namespace tolvane::win {

class FolderTree {
public:
    // `iconsMessage` is posted to `owner` when drive names wait for TakeIcons.
    FolderTree(HWND tree, HWND owner, UINT iconsMessage);

    void FillDrives();
    // The drives' names and icons read since the last call.
    void TakeIcons();
    // TVN_ITEMEXPANDING: the branch's folders, read on its first opening.
    void Expand(HTREEITEM item);
    // The folder `item` stands for (a system path, "\" between names).
    std::optional<std::wstring> PathOf(HTREEITEM item) const;
    // Opens the branches down to `path` and selects it, as a click would;
    // false when some part of it is not in the tree.
    bool Reveal(const std::wstring& path);

private:
    HTREEITEM Insert(HTREEITEM parent, const std::wstring& text, std::wstring path, int icon,
                     int openIcon);

    HWND tree_;
    // Item data is an index + 1 into this; 0 marks the placeholder child.
    std::deque<std::wstring> paths_;
    IconReader icons_;
};

} // namespace tolvane::win
