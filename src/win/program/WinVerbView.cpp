#include "WinVerbView.h"

#include "MessageBoxes.h"
#include "ProgressWindow.h"
#include "SaveDialog.h"
#include "WideText.h"

#include "platform/Environment.h"

#include <algorithm>

namespace tolvane::win {

std::optional<std::string> WinVerbView::ChooseSavePath(const SaveRequest& request) {
    // For the tests that drive the program without a user: the dialog's
    // answer given beforehand, "-" for Cancel (Wine passes no empty variables).
    if (const std::optional<std::string> answer =
            platform::EnvironmentValue("TOLVANE_TEST_SAVE_PATH")) {
        if (answer->empty() || *answer == "-")
            return std::nullopt;
        return CorePath(Wide(*answer)); // as the dialog gives its answer
    }
    return ShowSaveDialog(nullptr, request);
}

ReplaceAnswer WinVerbView::AskReplaceOrAdd(const ReplaceQuestion& question) {
    return AskReplaceOrAddBox(nullptr, question);
}

app::JobResult WinVerbView::RunJob(const ProgressTexts& texts, const JobBody& job) {
    ProgressWindow window(texts);
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
