#include "JobRunner.h"

#include <QMetaObject>

namespace tolvane::gui {

// A question on its way: answered on the GUI thread, or withdrawn by the
// worker that stopped waiting. Guarded by the runner's mutex.
struct JobRunnerBase::Question {
    bool answered = false;
    bool answer = false;
    bool withdrawn = false;
};

void JobRunnerBase::Begin(std::function<void(Worker&)> body) {
    if (thread_.joinable())
        thread_.join();
    token_ = std::make_unique<platform::CancelToken>();
    running_ = true;
    const uint64_t run = ++run_;
    thread_ = std::thread([this, body = std::move(body), run, &token = *token_] {
        Worker worker(*this, token, run);
        body(worker);
        // The last call of the run: after everything it posted.
        worker.Post([this, run] {
            if (run == run_ && running_)
                emit finished();
        });
    });
}

void JobRunnerBase::EndRun() {
    if (thread_.joinable())
        thread_.join();
    running_ = false;
}

void JobRunnerBase::RequestStop() {
    if (!token_)
        return;
    token_->Request();
    // A worker waiting for an answer checks the token under the mutex: taking
    // it here once orders the request before its wake-up.
    { const std::lock_guard<std::mutex> lock(mutex_); }
    answered_.notify_all();
}

void JobRunnerBase::StopAndWait() {
    RequestStop();
    if (thread_.joinable())
        thread_.join();
}

void JobRunnerBase::Enqueue(uint64_t run, std::function<void()> call) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        posted_.emplace_back(run, std::move(call));
    }
    // No functor crosses the threads: the GUI thread takes the calls from the
    // queue. A wake-up for a runner already gone is dropped by Qt.
    QMetaObject::invokeMethod(this, "RunPosted", Qt::QueuedConnection);
}

void JobRunnerBase::RunPosted() {
    for (;;) {
        std::pair<uint64_t, std::function<void()>> next;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (posted_.empty())
                return;
            next = std::move(posted_.front());
            posted_.pop_front();
        }
        // A call of an earlier run, left when its result was taken at once.
        if (next.first == run_)
            next.second();
    }
}

void JobRunnerBase::Worker::Post(std::function<void()> call) {
    runner_.Enqueue(run_, std::move(call));
}

bool JobRunnerBase::Worker::AskOnGuiThread(std::function<bool()> question) {
    auto pending = std::make_shared<Question>();
    JobRunnerBase& runner = runner_;
    Post([&runner, pending, question = std::move(question)] {
        {
            const std::lock_guard<std::mutex> lock(runner.mutex_);
            if (pending->withdrawn)
                return;
        }
        const bool answer = question();
        {
            const std::lock_guard<std::mutex> lock(runner.mutex_);
            pending->answered = true;
            pending->answer = answer;
        }
        runner.answered_.notify_all();
    });
    std::unique_lock<std::mutex> lock(runner.mutex_);
    runner.answered_.wait(lock, [&] { return pending->answered || token_.Requested(); });
    if (token_.Requested()) {
        pending->withdrawn = true;
        return false;
    }
    return pending->answer;
}

} // namespace tolvane::gui
