// The update window's worker thread and the stop request it reads, both
// owned here, so the thread never outlives the token, the queue or the
// result it writes. What the check hands to the window (calls to run, the
// question "Update now?", its end) waits in a queue under a mutex; the
// window is only woken to take it. Free of any window system, so that it
// runs in the tests.
#pragma once

#include "ui/UpdaterFormView.h"

#include "platform/CancelToken.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace tolvane::win {

class UpdateCheckThread : private ui::UpdateCheckWorker {
public:
    // `wake` is called on the worker whenever something waits for the
    // window's thread; it must only post to the window.
    explicit UpdateCheckThread(std::function<void()> wake);
    // Requests the stop of a running check and waits for it.
    ~UpdateCheckThread() override;
    UpdateCheckThread(const UpdateCheckThread&) = delete;
    UpdateCheckThread& operator=(const UpdateCheckThread&) = delete;

    // Runs `body` on the worker with a token of its own.
    // @pre !Running()
    void Start(ui::UpdateCheckBody body);
    // From Start until the result was taken (window's thread).
    bool Running() const { return running_; }
    // Asks the check to stop without waiting; a question waiting is
    // answered No and one not yet shown never is.
    void RequestStop();
    bool StopRequested() const { return token_ && token_->Requested(); }
    // On the window's thread, once woken: runs the calls and questions that
    // wait, in order. True when the check has ended and every call it
    // posted has run: its result may be taken. A call made from inside a
    // question's own message loop does nothing and returns false.
    bool RunPending();
    // Waits for the worker and hands over its result.
    // @pre Running()
    ui::UpdateCheckResult Take();

private:
    struct Question;

    // ui::UpdateCheckWorker, on the worker thread.
    const platform::CancelToken& Token() const override { return *token_; }
    void Post(std::function<void()> call) override;
    bool Ask(std::function<bool()> question) override;

    std::function<void()> wake_;
    // The running (or last) run's token: new for each, replaced only after
    // its thread was joined.
    std::unique_ptr<platform::CancelToken> token_;
    bool running_ = false; // window's thread
    bool pumping_ = false; // window's thread: RunPending is running the calls
    std::mutex mutex_;     // guards posted_, done_ and the questions' answers
    std::condition_variable answered_;
    std::deque<std::function<void()>> posted_;
    bool done_ = false;                           // the body has returned
    std::optional<ui::UpdateCheckResult> result_; // the worker's until joined
    std::thread thread_;
};

} // namespace tolvane::win
