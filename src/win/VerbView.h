// What the Explorer verb's steps need from the windows: a save dialog, a
// question, the progress window with the job behind it, and a message box.
// Every text arrives translated; the windows only show it.
#pragma once

#include "ui/ViewRequests.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tolvane::win {

using ui::JobBody;
using ui::Message;
using ui::ProgressTexts;
using ui::ReplaceAnswer;
using ui::ReplaceQuestion;
using ui::SaveRequest;

class VerbView {
public:
    virtual ~VerbView() = default;

    // The path the user chose, or nothing when the dialog was cancelled.
    virtual std::optional<std::string> ChooseSavePath(const SaveRequest& request) = 0;
    virtual ReplaceAnswer AskReplaceOrAdd(const ReplaceQuestion& question) = 0;
    // Shows the progress window, runs `job` off the window's thread, and
    // returns its result once the worker has ended and the window is gone.
    virtual app::JobResult RunJob(const ProgressTexts& texts, const JobBody& job) = 0;
    virtual void ShowMessage(const Message& message) = 0;
    // A path of the core ("/" between its parts) as the user's system writes it.
    virtual std::string ShownPath(const std::string& path) const { return path; }
};

} // namespace tolvane::win
