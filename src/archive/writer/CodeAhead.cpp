#include "CodeAhead.h"

#include <chrono>

namespace tolvane::archive {

int64_t CodeAhead::ReserveFor(int64_t size) {
    // Deflate's worst case over stored blocks, the encryption header, slack.
    return size + size / 1024 + 4096;
}

CodeAhead::CodeAhead(std::vector<Task> tasks, int threads, int64_t budget, int64_t spillBudget,
                     std::string spillFolder, EntryCoder::Hooks hooks, std::string password)
    : tasks_(std::move(tasks)), password_(std::move(password)),
      spillFolder_(std::move(spillFolder)), budget_(budget), spillBudget_(spillBudget) {
    coded_.resize(tasks_.size());
    read_ = std::make_unique<std::atomic<int64_t>[]>(tasks_.size());
    for (size_t n = 0; n < tasks_.size(); ++n)
        taskOf_.emplace(tasks_[n].index, n);
    hooks.pump = nullptr;
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
    std::atomic<int64_t>* read = nullptr; // of the task being coded
    hooks.progress = [&read](int64_t position) {
        read->store(position, std::memory_order_relaxed);
    };
    EntryCoder coder(std::move(hooks));
    for (;;) {
        size_t n = 0;
        {
            std::unique_lock lock(mutex_);
            // Tasks go out in list order, each once its bytes fit its budget
            // (or when that budget holds nothing: one task alone may always run).
            changed_.wait(lock, [&] {
                if (stop_ || next_ == tasks_.size())
                    return true;
                const Task& task = tasks_[next_];
                const int64_t held = task.spill ? spilled_ : reserved_;
                return held == 0 || held + task.reserve <= (task.spill ? spillBudget_ : budget_);
            });
            if (stop_ || next_ == tasks_.size())
                return;
            n = next_++;
            (tasks_[n].spill ? spilled_ : reserved_) += tasks_[n].reserve;
        }
        read = &read_[n];
        auto coded = std::make_unique<Coded>();
        try {
            // After a cancel the writer still takes the entries it waits
            // for; they come back cancelled without touching their files.
            if (cancel && cancel->load())
                coded->result.state = EntryResult::State::Cancelled;
            else if (coder.Open(tasks_[n].plan, coded->result))
                CodeInto(coder, tasks_[n], *coded);
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

void CodeAhead::CodeInto(EntryCoder& coder, const Task& task, Coded& coded) const {
    if (!task.spill) {
        coder.Code(task.plan, password_, coded.bytes, coded.result);
        return;
    }
    coded.spill = std::make_unique<TTempFileStream>(spillFolder_, "kro");
    if (!coded.spill->IsValid())
        throw StreamWriteError("cannot create a temporary file in " + spillFolder_,
                               coded.spill->LastErrorNumber());
    coder.Code(task.plan, password_, *coded.spill, coded.result);
}

std::unique_ptr<CodeAhead::Coded>
CodeAhead::Take(size_t index, const std::function<void(int64_t read)>& waiting) {
    const size_t n = taskOf_.at(index);
    std::unique_lock lock(mutex_);
    while (!changed_.wait_for(lock, std::chrono::milliseconds(50),
                              [&] { return coded_[n] != nullptr; })) {
        lock.unlock();
        waiting(read_[n].load(std::memory_order_relaxed));
        lock.lock();
    }
    std::unique_ptr<Coded> coded = std::move(coded_[n]);
    (tasks_[n].spill ? spilled_ : reserved_) -= tasks_[n].reserve;
    lock.unlock();
    changed_.notify_all();
    return coded;
}

} // namespace tolvane::archive
