#include "CodeAhead.h"

namespace tolvane::archive {

int64_t CodeAhead::ReserveFor(int64_t size) {
    // Deflate's worst case over stored blocks, the encryption header, slack.
    return size + size / 1024 + 4096;
}

CodeAhead::CodeAhead(std::vector<Task> tasks, int threads, int64_t budget, EntryCoder::Hooks hooks,
                     std::string password)
    : tasks_(std::move(tasks)), password_(std::move(password)), budget_(budget) {
    coded_.resize(tasks_.size());
    for (size_t n = 0; n < tasks_.size(); ++n)
        taskOf_.emplace(tasks_[n].index, n);
    hooks.pump = nullptr;
    hooks.progress = nullptr;
    hooks.remaining = nullptr;
    for (int i = 0; i < threads; ++i)
        workers_.emplace_back([this, hooks] { Work(hooks); });
}

CodeAhead::~CodeAhead() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    for (std::thread& worker : workers_)
        worker.join();
}

void CodeAhead::Work(EntryCoder::Hooks hooks) {
    const std::atomic<bool>* cancel = hooks.cancel;
    EntryCoder coder(std::move(hooks));
    for (;;) {
        size_t n = 0;
        {
            std::unique_lock lock(mutex_);
            // Tasks go out in list order, each once its bytes fit the budget
            // (or when nothing is held: one task alone may always run).
            changed_.wait(lock, [&] {
                return stop_ || next_ == tasks_.size() || reserved_ == 0 ||
                       reserved_ + tasks_[next_].reserve <= budget_;
            });
            if (stop_ || next_ == tasks_.size())
                return;
            n = next_++;
            reserved_ += tasks_[n].reserve;
        }
        auto coded = std::make_unique<Coded>();
        try {
            // After a cancel the writer still takes the entries it waits
            // for; they come back cancelled without touching their files.
            if (cancel && cancel->load())
                coded->result.state = EntryResult::State::Cancelled;
            else if (coder.Open(tasks_[n].plan, coded->result))
                coder.Code(tasks_[n].plan, password_, coded->bytes, coded->result);
        } catch (const std::exception& e) {
            coded->failure = e.what();
        }
        {
            std::lock_guard lock(mutex_);
            coded_[n] = std::move(coded);
        }
        changed_.notify_all();
    }
}

std::unique_ptr<CodeAhead::Coded> CodeAhead::Take(size_t index) {
    const size_t n = taskOf_.at(index);
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return coded_[n] != nullptr; });
    std::unique_ptr<Coded> coded = std::move(coded_[n]);
    reserved_ -= tasks_[n].reserve;
    lock.unlock();
    changed_.notify_all();
    return coded;
}

} // namespace tolvane::archive
