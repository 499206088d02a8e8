// The verb's steps shown in Win32 windows: the shell's save dialog, a task
// dialog for the question, the progress window, message boxes.
#pragma once

#include "win/VerbView.h"

namespace tolvane::win {

class WinVerbView : public VerbView {
public:
    std::optional<std::string> ChooseSavePath(const SaveRequest& request) override;
    ReplaceAnswer AskReplaceOrAdd(const ReplaceQuestion& question) override;
    app::JobResult RunJob(const ProgressTexts& texts, const JobBody& job) override;
    void ShowMessage(const Message& message) override;
    std::string ShownPath(const std::string& path) const override;
};

} // namespace tolvane::win
