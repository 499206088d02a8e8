#include "WinVerbView.h"

#include "MessageBoxes.h"
#include "ProgressForm.h"
#include "SaveDialog.h"
#include "WideText.h"

#include <algorithm>

namespace tolvane::win {

std::optional<std::string> WinVerbView::ChooseSavePath(const SaveRequest& request) {
    return AskSavePath(nullptr, request);
}

ReplaceAnswer WinVerbView::AskReplaceOrAdd(const ReplaceQuestion& question) {
    return AskReplaceOrAddBox(nullptr, question);
}

app::JobResult WinVerbView::RunJob(const ProgressTexts& texts, const JobBody& job) {
    TProgressForm window(texts);
    return window.Run(job);
}

void WinVerbView::ShowMessage(const Message& message) {
    ShowMessageBox(nullptr, message);
}

std::string WinVerbView::ShownPath(const std::string& path) const {
    std::string shown = path;
    std::replace(shown.begin(), shown.end(), '/', '\\');
    return shown;
}

} // namespace tolvane::win
