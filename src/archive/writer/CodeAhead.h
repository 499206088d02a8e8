// Codes entries ahead of the writer on worker threads: while the writer puts
// entry n into the archive, the workers code entries n+1, n+2, ... into
// memory, each exactly as the writer would (one EntryCoder per worker), so
// the archive's bytes do not depend on the number of threads. The coded bytes
// waiting for the writer stay within a budget; entries too large for it are
// left to the writer itself.
#pragma once

#include "EntryCoder.h"

#include "archive/framework/MemoryStream32.h"

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace tolvane::archive {

class CodeAhead {
public:
    struct Task {
        size_t index; // in the header list
        EntryPlan plan;
        int64_t reserve; // budget bytes the coded entry may take
    };
    struct Coded {
        EntryResult result;
        TMemoryStream32 bytes; // [encryption header][data]
        std::string failure;   // an unexpected error: the run cannot go on
    };

    // Starts `threads` workers on `tasks` (in list order). `hooks` are those
    // of the workers' coders: cancel flag and cipher only, never the host's
    // pump or progress, which belong to the writer's thread.
    CodeAhead(std::vector<Task> tasks, int threads, int64_t budget, EntryCoder::Hooks hooks,
              std::string password);
    // Stops the workers (each within its current entry) and waits for them.
    ~CodeAhead();
    CodeAhead(const CodeAhead&) = delete;
    CodeAhead& operator=(const CodeAhead&) = delete;

    bool Has(size_t index) const { return taskOf_.count(index) != 0; }
    // Waits until entry `index` is coded and hands it over. @pre Has(index);
    // entries are taken in list order.
    std::unique_ptr<Coded> Take(size_t index);

    // The budget a source of `size` bytes reserves, and the largest source
    // coded ahead, for a run's `budget`.
    static int64_t ReserveFor(int64_t size);
    static int64_t LargestAhead(int64_t budget) { return budget / 8; }

private:
    void Work(EntryCoder::Hooks hooks);

    std::vector<Task> tasks_;
    std::unordered_map<size_t, size_t> taskOf_;
    const std::string password_;
    const int64_t budget_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::unique_ptr<Coded>> coded_; // by task number
    size_t next_ = 0;                           // the next task a worker takes
    int64_t reserved_ = 0;
    bool stop_ = false;
    std::vector<std::thread> workers_;
};

} // namespace tolvane::archive
