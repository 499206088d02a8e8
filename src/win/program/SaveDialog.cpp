#include "SaveDialog.h"

#include "WideText.h"

#include "platform/Environment.h"

#include <shobjidl.h>
#include <wrl/client.h>

#include <algorithm>

namespace tolvane::win {

using Microsoft::WRL::ComPtr;

std::optional<std::string> ShowSaveDialog(HWND owner, const SaveRequest& request) {
    ComPtr<IFileSaveDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileSaveDialog, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&dialog))))
        return std::nullopt;
    const std::wstring title = Wide(request.title);
    const std::wstring filterName = Wide(request.filterName);
    const std::wstring filterMask = Wide(request.filterMask);
    const COMDLG_FILTERSPEC filter{filterName.c_str(), filterMask.c_str()};
    dialog->SetTitle(title.c_str());
    dialog->SetFileTypes(1, &filter);
    dialog->SetFileTypeIndex(1);
    dialog->SetDefaultExtension(Wide(request.defaultExtension).c_str());
    dialog->SetFileName(Wide(request.fileName).c_str());
    FILEOPENDIALOGOPTIONS options = 0;
    if (SUCCEEDED(dialog->GetOptions(&options)))
        dialog->SetOptions((options | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST) &
                           ~FOS_OVERWRITEPROMPT);
    // The shell parses only the system's separators; the program's paths
    // may hold "/" too.
    std::wstring folderPath = Wide(request.folder);
    std::replace(folderPath.begin(), folderPath.end(), L'/', L'\\');
    ComPtr<IShellItem> folder;
    if (!folderPath.empty() &&
        SUCCEEDED(SHCreateItemFromParsingName(folderPath.c_str(), nullptr, IID_PPV_ARGS(&folder))))
        dialog->SetFolder(folder.Get());
    if (FAILED(dialog->Show(owner)))
        return std::nullopt; // cancelled
    ComPtr<IShellItem> chosen;
    if (FAILED(dialog->GetResult(&chosen)))
        return std::nullopt;
    PWSTR path = nullptr;
    if (FAILED(chosen->GetDisplayName(SIGDN_FILESYSPATH, &path)))
        return std::nullopt;
    std::string out = CorePath(path);
    CoTaskMemFree(path);
    return out;
}

std::optional<std::string> AskSavePath(HWND owner, const SaveRequest& request) {
    if (const std::optional<std::string> answer =
            platform::EnvironmentValue("TOLVANE_TEST_SAVE_PATH")) {
        if (answer->empty() || *answer == "-")
            return std::nullopt;
        return CorePath(Wide(*answer)); // as the dialog gives its answer
    }
    return ShowSaveDialog(owner, request);
}

} // namespace tolvane::win
