// The worker thread of the progress window and the stop request it reads:
// both owned here, so the thread never outlives the token, the mailbox or the
// result it writes. Free of any window system, so that it runs in the tests.
#pragma once

#include "ProgressMailbox.h"
#include "VerbView.h"

#include "platform/CancelToken.h"

#include <functional>
#include <optional>
#include <thread>

namespace tolvane::win {

class JobThread {
public:
    JobThread() = default;
    // Requests the stop of a running job and waits for it.
    ~JobThread();
    JobThread(const JobThread&) = delete;
    JobThread& operator=(const JobThread&) = delete;

    // Runs `job` on the worker thread. `wake` is called there when progress
    // waits in Progress() (once until it is taken), `finished` once the
    // result is in; both must only post to the window. One run per object.
    void Start(JobBody job, std::function<void()> wake, std::function<void()> finished);
    // Asks the job to stop; it ends where it next reads the token.
    void RequestStop() { token_.Request(); }
    bool StopRequested() const { return token_.Requested(); }
    ProgressMailbox& Progress() { return mailbox_; }
    // Waits for the worker and hands over its result.
    // @pre Start was called
    app::JobResult Take();

private:
    platform::CancelToken token_;
    ProgressMailbox mailbox_;
    std::optional<app::JobResult> result_; // the worker's until joined
    std::thread thread_;
};

} // namespace tolvane::win
