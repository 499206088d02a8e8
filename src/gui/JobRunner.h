// The one way a window runs a job off the GUI thread: the job takes its
// request as a value, reads the runner's stop token where it works, and
// hands back its result, which the window takes on the GUI thread once
// `finished` came. On the way, the job may post calls to the GUI thread
// (progress) and ask the user a question there while it waits for the
// answer, as the jobs of KDE Ark ask theirs.
//
// Everything the worker hands to the GUI thread goes through the runner's
// own queue, under its mutex; Qt only carries the wake-up.
#pragma once

#include "platform/CancelToken.h"

#include <QObject>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace tolvane::gui {

// What every runner has that does not depend on the request and the result
// (a template cannot carry Q_OBJECT).
class JobRunnerBase : public QObject {
    Q_OBJECT
public:
    // The worker's side: its calls are made on the worker thread.
    class Worker {
    public:
        // The stop request of this run; never cleared.
        const platform::CancelToken& Token() const { return token_; }
        // Runs `question` on the GUI thread and waits for its answer. A stop
        // requested meanwhile wakes the worker at once with false, and a
        // question not yet on screen then is never shown.
        bool AskOnGuiThread(std::function<bool()> question);
        // Runs `call` on the GUI thread later, in the order posted and before
        // `finished`; dropped once the runner is gone.
        void Post(std::function<void()> call);

    private:
        friend class JobRunnerBase;
        Worker(JobRunnerBase& runner, const platform::CancelToken& token, uint64_t run)
            : runner_(runner), token_(token), run_(run) {}

        JobRunnerBase& runner_;
        const platform::CancelToken& token_;
        uint64_t run_;
    };

    explicit JobRunnerBase(QObject* parent = nullptr) : QObject(parent) {}
    JobRunnerBase(const JobRunnerBase&) = delete;
    JobRunnerBase& operator=(const JobRunnerBase&) = delete;

    // From Start until the GUI thread has taken the result (GUI thread).
    bool Running() const { return running_; }
    // Requests the stop of the running job without waiting for it; the job
    // ends where it next reads the token, and `finished` follows.
    void RequestStop();
    bool StopRequested() const { return token_ && token_->Requested(); }
    // Requests the stop and waits for the thread to end; the result may then
    // be taken at once. `finished` is not sent for a run taken this way.
    void StopAndWait();

signals:
    // On the GUI thread, once the job has returned its result and every call
    // it posted has run; only for the run still to be taken.
    void finished();

protected:
    // Starts `body` on the worker thread with a token of its own.
    // @pre !Running()
    void Begin(std::function<void(Worker&)> body);
    // Waits for the thread and marks the result taken.
    void EndRun();

private:
    struct Question;

    Q_INVOKABLE void RunPosted();
    void Enqueue(uint64_t run, std::function<void()> call);

    std::thread thread_;
    // The running (or last) run's token: new for each, replaced only after
    // its thread was joined.
    std::unique_ptr<platform::CancelToken> token_;
    uint64_t run_ = 0;     // GUI thread
    bool running_ = false; // GUI thread

    std::mutex mutex_; // guards posted_ and the questions' answers
    std::condition_variable answered_;
    std::deque<std::pair<uint64_t, std::function<void()>>> posted_;
};

template <typename Request, typename Result> class JobRunner : public JobRunnerBase {
public:
    // Runs on the worker thread.
    using Work = std::function<Result(const Request& request, Worker& worker)>;

    explicit JobRunner(Work work, QObject* parent = nullptr)
        : JobRunnerBase(parent), work_(std::move(work)) {}
    // Stops a running job and waits for it.
    ~JobRunner() override { StopAndWait(); }

    // Runs the job on `request`; false at once while one runs.
    bool Start(Request request) {
        if (Running())
            return false;
        result_.reset();
        Begin([this, request = std::move(request)](Worker& worker) {
            result_.emplace(work_(request, worker));
        });
        return true;
    }

    // Waits for the job to end and hands over its result (GUI thread,
    // normally from the `finished` handler, where it returns at once).
    // @pre Running()
    Result TakeResult() {
        EndRun();
        return std::move(*result_);
    }

private:
    const Work work_;
    std::optional<Result> result_; // the worker's until joined
};

} // namespace tolvane::gui
