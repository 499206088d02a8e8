// list-controls TITLE: prints the control identifiers of the visible
// top-level window named TITLE, one per line as "ID CLASS", for the window
// checks to compare with the identifiers the windows are built from. (Its
// menu cannot be read from here: Wine keeps menus to their process.) Exit
// status 1 when no such window is there.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct Search {
    const wchar_t* title;
    HWND found = nullptr;
};

BOOL CALLBACK FindTop(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<Search*>(parameter);
    wchar_t text[512];
    if (IsWindowVisible(window) && GetWindowTextW(window, text, 512) > 0 &&
        std::wstring(text) == search.title) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK PrintControl(HWND control, LPARAM) {
    wchar_t name[128];
    GetClassNameW(control, name, 128);
    std::printf("%d %ls\n", GetDlgCtrlID(control), name);
    return TRUE;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: list-controls TITLE\n");
        return 2;
    }
    Search search{argv[1]};
    EnumWindows(FindTop, reinterpret_cast<LPARAM>(&search));
    if (!search.found) {
        std::fprintf(stderr, "list-controls: no visible window \"%ls\"\n", argv[1]);
        return 1;
    }
    EnumChildWindows(search.found, PrintControl, 0);
    return 0;
}
