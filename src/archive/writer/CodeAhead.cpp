#include "CodeAhead.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <string>

namespace tolvane::archive {

int64_t CodeAhead::ReserveFor(int64_t size) {
    // Deflate's worst case over stored blocks, the encryption header, slack.
    return size + size / 1024 + 4096;
}

size_t CodeAhead::WindowFor(int64_t budget) {
    return static_cast<size_t>(std::clamp<int64_t>(budget / (16 << 10), 16, 4096));
}

CodeAhead::CodeAhead(Source source, size_t window, int threads, int64_t budget, int64_t spillBudget,
                     std::string spillFolder, EntryCoder::Hooks hooks, std::string password)
    : source_(std::move(source)), window_(std::max<size_t>(window, 2)),
      password_(std::move(password)), spillFolder_(std::move(spillFolder)), budget_(budget),
      spillBudget_(spillBudget) {
    Refill();
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

void CodeAhead::Refill() {
    size_t room = 0;
    {
        std::lock_guard lock(mutex_);
        if (sourceDone_ || slots_.size() > window_ / 2)
            return;
        room = window_ - slots_.size();
    }
    // The source reads the writer's list: it runs here, outside the lock.
    std::vector<Task> more;
    more.reserve(room);
    bool done = false;
    while (more.size() < room) {
        Task task;
        if (!source_(task)) {
            done = true;
            break;
        }
        more.push_back(std::move(task));
    }
    {
        std::lock_guard lock(mutex_);
        for (Task& task : more)
            slots_.emplace_back(std::move(task));
        sourceDone_ = done;
    }
    changed_.notify_all();
}

void CodeAhead::Work(EntryCoder::Hooks hooks) {
    const platform::CancelToken* cancel = hooks.cancel;
    std::atomic<int64_t>* read = nullptr; // of the task being coded
    hooks.progress = [&read](int64_t position) {
        read->store(position, std::memory_order_relaxed);
    };
    EntryCoder coder(std::move(hooks));
    for (;;) {
        Slot* slot = nullptr;
        {
            std::unique_lock lock(mutex_);
            // Tasks go out in list order, each once its bytes fit its budget
            // (or when that budget holds nothing: one task alone may always run).
            changed_.wait(lock, [&] {
                if (stop_ || (sourceDone_ && started_ == slots_.size()))
                    return true;
                if (started_ == slots_.size())
                    return false;
                const Task& task = slots_[started_].task;
                const int64_t held = task.spill ? spilled_ : reserved_;
                return held == 0 || held + task.reserve <= (task.spill ? spillBudget_ : budget_);
            });
            if (stop_ || started_ == slots_.size())
                return;
            slot = &slots_[started_++];
            (slot->task.spill ? spilled_ : reserved_) += slot->task.reserve;
        }
        read = &slot->read;
        auto coded = std::make_unique<Coded>();
        try {
            // After a cancel the writer still takes the entries it waits
            // for; they come back cancelled without touching their files.
            if (cancel && cancel->Requested())
                coded->result.state = EntryResult::State::Cancelled;
            else if (coder.Open(slot->task.plan, coded->result))
                CodeInto(coder, slot->task, *coded);
        } catch (const std::exception& e) {
            coded->failure = e.what();
        }
        {
            std::lock_guard lock(mutex_);
            slot->coded = std::move(coded);
        }
        changed_.notify_all();
    }
}

void CodeAhead::CodeInto(EntryCoder& coder, const Task& task, Coded& coded) const {
    if (!task.spill) {
        // Held at the size its budget counts: a growing stream would take
        // up to twice that.
        coded.bytes.Reserve(static_cast<size_t>(task.reserve));
        coder.Code(task.plan, password_, coded.bytes, coded.result);
        return;
    }
    coded.spill = std::make_unique<TTempFileStream>(spillFolder_, "kro");
    if (!coded.spill->IsValid())
        throw StreamWriteError("cannot create a temporary file in " + spillFolder_,
                               coded.spill->LastErrorNumber());
    coder.Code(task.plan, password_, *coded.spill, coded.result);
}

bool CodeAhead::Has(size_t index) {
    for (;;) {
        Refill();
        size_t front = 0;
        {
            std::lock_guard lock(mutex_);
            if (slots_.empty())
                return false;
            front = slots_.front().task.index;
        }
        if (front >= index)
            return front == index;
        TakeFront([](int64_t) {});
    }
}

std::unique_ptr<CodeAhead::Coded>
CodeAhead::Take(size_t index, const std::function<void(int64_t read)>& waiting) {
    if (!Has(index))
        throw std::logic_error("entry " + std::to_string(index) + " is not coded ahead");
    std::unique_ptr<Coded> coded = TakeFront(waiting);
    Refill();
    return coded;
}

std::unique_ptr<CodeAhead::Coded>
CodeAhead::TakeFront(const std::function<void(int64_t read)>& waiting) {
    std::unique_lock lock(mutex_);
    Slot& slot = slots_.front();
    while (!changed_.wait_for(lock, std::chrono::milliseconds(50),
                              [&] { return slot.coded != nullptr; })) {
        lock.unlock();
        waiting(slot.read.load(std::memory_order_relaxed));
        lock.lock();
    }
    std::unique_ptr<Coded> coded = std::move(slot.coded);
    (slot.task.spill ? spilled_ : reserved_) -= slot.task.reserve;
    slots_.pop_front();
    --started_;
    lock.unlock();
    changed_.notify_all();
    return coded;
}

} // namespace tolvane::archive
