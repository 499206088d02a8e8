// ShellListView1's content: the selected folder's folders, then its files,
// in columns Name, Size, Type and Modified, with the system's small icons.
#pragma once

#include <string>

#include <windows.h>

namespace tolvane::win {

struct FileListTexts {
    std::string name, size, type, modified; // the columns' captions
    std::string folder;                     // the type of a folder
};

class FileList {
public:
    FileList(HWND list, const FileListTexts& texts, int language);

    // Lists `folder` (the core's form of its path).
    void Show(const std::string& folder);

private:
    // Wide enough for each column's texts and its caption.
    void FitColumns();

    HWND list_;
    FileListTexts texts_;
    int language_;
};

} // namespace tolvane::win
