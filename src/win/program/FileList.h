// ShellListView1's content: the selected folder's folders, then its files,
// in columns Name, Size, Type and Modified, with the system's small icons.
// The rows come at once with their kind's icon; each entry's own icon and
// type name follow from the icon reader's thread. Hidden entries are shown
// dimmed, as the shell shows them: they go into the archive too.
#pragma once

#include "IconReader.h"

#include <string>
#include <vector>

#include <windows.h>

namespace tolvane::win {

struct FileListTexts {
    std::string name, size, type, modified; // the columns' captions
    std::string folder;                     // the type of a folder
};

class FileList {
public:
    // `iconsMessage` is posted to `owner` when icons wait for TakeIcons.
    FileList(HWND list, const FileListTexts& texts, int language, HWND owner, UINT iconsMessage);

    // Lists `folder` (the core's form of its path).
    void Show(const std::string& folder);
    // The icons and type names read since the last call go into their rows.
    void TakeIcons();
    // Wide enough for each column's texts and its caption (again after a DPI change).
    void FitColumns();

private:
    void FitColumn(int column, const std::string& caption);

    HWND list_;
    FileListTexts texts_;
    int language_;
    int folderIcon_ = 0, fileIcon_ = 0; // the kinds' icons until an entry's own is read
    std::vector<bool> folders_;         // by row: a folder keeps the type "Folder"
    IconReader icons_;
};

} // namespace tolvane::win
