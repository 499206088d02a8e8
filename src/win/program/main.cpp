// tolvane.exe: the Windows desktop program. Without arguments the main
// window; one argument (a folder) monetizes that folder and ends, as
// Explorer's "Monetize..." verb starts it; --unregister removes that verb
// for the current user.
#include "ComApartment.h"
#include "MessageBoxes.h"
#include "TolvaneForm.h"
#include "TolvaneFormIds.h"
#include "WideText.h"
#include "WinVerbView.h"

#include "win/VerbRun.h"

#include "app/StartUp.h"
#include "app/VendorConfig.h"
#include "platform/ProgramPath.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windows.h>

#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Arguments() {
    int count = 0;
    std::unique_ptr<LPWSTR, decltype(&LocalFree)> argv(
        CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
    std::vector<std::string> arguments;
    for (int i = 1; argv && i < count; ++i)
        arguments.push_back(tolvane::win::CorePath(argv.get()[i]));
    return arguments;
}

// The class of the program's own dialogs (the main and the sign-up
// window): the dialog manager's, with the program's icon, which the title
// bars, Alt+Tab and the taskbar show.
void RegisterDialogClass() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW dialog{};
    dialog.cbSize = sizeof dialog;
    dialog.style = CS_DBLCLKS;
    dialog.lpfnWndProc = DefDlgProcW;
    dialog.cbWndExtra = DLGWINDOWEXTRA;
    dialog.hInstance = instance;
    dialog.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    dialog.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_Tolvane),
                                                 IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    dialog.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_Tolvane),
                                                   IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                   GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    dialog.lpszClassName = L"TolvaneDialog";
    RegisterClassExW(&dialog);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace tolvane;
    // Whatever the program was started for: what killed jobs left behind goes first.
    app::RemoveLeftoverJobFolders();
    const std::vector<std::string> arguments = Arguments();
    if (arguments.size() == 1 && arguments.front() == "--unregister")
        return app::UnregisterFolderMenu(std::cout, std::cerr);

    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS |
                                            ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES |
                                            ICC_BAR_CLASSES | ICC_LINK_CLASS};
    InitCommonControlsEx(&controls);
    RegisterDialogClass();
    const win::ComApartment com;

    // Interface language, transl.dat, working folder emptied, Explorer's verb
    // for this program, the settings.
    std::ostringstream warnings;
    app::StartUpResult started = app::StartUp(platform::ProgramPath(), warnings);
    if (!warnings.str().empty())
        std::cerr << "tolvane: " << warnings.str();

    if (arguments.empty()) {
        win::TTolvaneForm window(started, app::VendorConfig::FromEnvironment());
        return window.Run();
    }
    win::WinVerbView view;
    win::VerbRun run(started, app::VendorConfig::FromEnvironment(), view);
    return static_cast<int>(run.Run(arguments.front()));
}
