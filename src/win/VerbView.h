// What the Explorer verb's steps need from the windows: a save dialog, a
// question, the progress window with the job behind it, and a message box.
// Every text arrives translated; the windows only show it.
#pragma once

#include "app/MonetizeJob.h"
#include "platform/CancelToken.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tolvane::win {

struct SaveRequest {
    std::string title;
    std::string filterName; // ".zip"
    std::string filterMask; // "*.zip"
    std::string defaultExtension;
    std::string folder;   // where the dialog opens
    std::string fileName; // the name it proposes
};

struct ReplaceQuestion {
    std::string text;
    std::vector<std::string> otherEntries;
    std::string replace; // the buttons' captions; Cancel is the system's own
    std::string add;
};

enum class ReplaceAnswer { Replace, Add, Cancel };

struct ProgressTexts {
    std::string caption;
    std::string heading;
    std::string stage1;
    std::string stage2;
    std::string abort;
};

struct Message {
    enum class Kind { Information, Warning, Error };
    Kind kind = Kind::Information;
    std::string title;
    std::string text;
};

// The job as the progress window runs it: on its worker thread, with the
// window's token and a progress callback that may be called from there.
using JobBody = std::function<app::JobResult(const platform::CancelToken& cancel,
                                             const std::function<void(const app::JobProgress&)>&)>;

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
