// What the update window's logic asks of the update window: its caption
// and texts, showing and hiding it, the question "Update now?", the bar, the
// Abort button, and the check run off the window's thread with its calls
// and question handed back to the window's thread. The Qt window and the
// Win32 one implement it; the tests fake it.
#pragma once

#include "ViewRequests.h"

#include "platform/CancelToken.h"
#include "platform/Report.h"

#include <functional>
#include <optional>
#include <string>

namespace tolvane::ui {

// The update window's controls that the logic names, by their names in the window.
enum class UpdaterControl {
    lblInfo,   // what the window is doing, or why the update failed
    CancelBtn, // "Abort", "Close" once a failure is shown
};

// What a check ended with: nothing to say for a page without a newer
// version, a failed page, a No or a cancel.
struct UpdateCheckResult {
    std::optional<platform::Report> downloadFailure;
    std::optional<platform::Report> launchFailure;
    // An installer was started and the options end the program.
    bool terminate = false;
};

// The check's side of the thread it runs on; every call is made there.
class UpdateCheckWorker {
public:
    virtual ~UpdateCheckWorker() = default;
    // The stop request of this run; never cleared.
    virtual const platform::CancelToken& Token() const = 0;
    // Runs `call` on the window's thread later, in the order posted and
    // before the result is handed back.
    virtual void Post(std::function<void()> call) = 0;
    // Runs `question` on the window's thread and waits for its answer. A
    // stop requested meanwhile wakes the worker at once with false, and a
    // question not yet on screen then is never shown.
    virtual bool Ask(std::function<bool()> question) = 0;
};

// The check as the view runs it: on its worker thread.
using UpdateCheckBody = std::function<UpdateCheckResult(UpdateCheckWorker& worker)>;

class UpdaterFormView {
public:
    virtual ~UpdaterFormView() = default;

    virtual void SetTitle(const std::string& title) = 0;
    // The text of `control`; the view fits the window round a longer one.
    virtual void SetCaption(UpdaterControl control, const std::string& caption) = 0;
    virtual void SetEnabled(UpdaterControl control, bool enabled) = 0;
    // The bar at `position` of `maximum` steps.
    virtual void SetProgress(int position, int maximum) = 0;
    // The window shown (not modally, in front) or hidden.
    virtual void ShowWindow(bool shown) = 0;
    // A warning with Yes and No; true for Yes.
    virtual bool AskYesNo(const Message& question) = 0;

    // Runs `body` off the window's thread and returns at once; the view
    // hands its result to UpdaterFormLogic::CheckFinished on the window's
    // thread once the worker has ended and every call it posted has run.
    virtual void StartCheck(UpdateCheckBody body) = 0;
    // Asks the running check to stop; its end still comes through CheckFinished.
    virtual void StopCheck() = 0;
    // The check is over and its window closed (a start-up check waiting for
    // it may return).
    virtual void CheckEnded() = 0;
};

} // namespace tolvane::ui
