#include "JobThread.h"

#include <utility>

namespace tolvane::win {

JobThread::~JobThread() {
    if (thread_.joinable()) {
        token_.Request();
        thread_.join();
    }
}

void JobThread::Start(JobBody job, std::function<void()> wake, std::function<void()> finished) {
    thread_ = std::thread(
        [this, job = std::move(job), wake = std::move(wake), finished = std::move(finished)] {
            const auto progress = [this, &wake](const app::JobProgress& p) {
                if (mailbox_.Put(p) && wake)
                    wake();
            };
            result_.emplace(job(token_, progress));
            if (finished)
                finished();
        });
}

app::JobResult JobThread::Take() {
    if (thread_.joinable())
        thread_.join();
    return std::move(*result_);
}

} // namespace tolvane::win
