// Codes entries ahead of the writer on worker threads: while the writer puts
// entry n into the archive, the workers code entries n+1, n+2, ..., each
// exactly as the writer would (one EntryCoder per worker), so the archive's
// bytes do not depend on the number of threads. Small entries are coded into
// memory, within a budget of bytes waiting for the writer; large ones into
// unnamed temporary files (gone with the process, whatever happens), within a
// budget of their own, so that a folder of any size is packed in bounded
// memory and a large file never holds up the other cores.
#pragma once

#include "EntryCoder.h"

#include "TempFileStream.h"

#include "archive/framework/MemoryStream32.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
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
        bool spill;      // coded into a temporary file, not into memory
    };
    struct Coded {
        EntryResult result;
        TMemoryStream32 bytes;                  // [encryption header][data], or
        std::unique_ptr<TTempFileStream> spill; // the same in a temporary file
        std::string failure;                    // an unexpected error: the run cannot go on
    };

    // Starts `threads` workers on `tasks` (in list order). `hooks` are those
    // of the workers' coders: cancel flag and cipher only, never the host's
    // pump or progress, which belong to the writer's thread.
    // `budget` bounds the bytes in memory, `spillBudget` those in temporary
    // files in `spillFolder`.
    CodeAhead(std::vector<Task> tasks, int threads, int64_t budget, int64_t spillBudget,
              std::string spillFolder, EntryCoder::Hooks hooks, std::string password);
    // Stops the workers (each within its current entry) and waits for them.
    ~CodeAhead();
    CodeAhead(const CodeAhead&) = delete;
    CodeAhead& operator=(const CodeAhead&) = delete;

    bool Has(size_t index) const { return taskOf_.count(index) != 0; }
    // Waits until entry `index` is coded and hands it over, calling `waiting`
    // now and then meanwhile with the bytes of its source read so far (so
    // that a host sees progress and can ask to stop). @pre Has(index);
    // entries are taken in list order.
    std::unique_ptr<Coded> Take(size_t index, const std::function<void(int64_t read)>& waiting);

    // The budget a source of `size` bytes reserves, and the largest source
    // coded ahead, for a run's `budget`.
    static int64_t ReserveFor(int64_t size);
    static int64_t LargestAhead(int64_t budget) { return budget / 8; }

private:
    void Work(EntryCoder::Hooks hooks);
    void CodeInto(EntryCoder& coder, const Task& task, Coded& coded) const;

    std::vector<Task> tasks_;
    std::unordered_map<size_t, size_t> taskOf_;
    const std::string password_;
    const std::string spillFolder_;
    const int64_t budget_;
    const int64_t spillBudget_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::unique_ptr<Coded>> coded_;    // by task number
    std::unique_ptr<std::atomic<int64_t>[]> read_; // bytes read so far, by task number
    size_t next_ = 0;                              // the next task a worker takes
    int64_t reserved_ = 0;
    int64_t spilled_ = 0;
    bool stop_ = false;
    std::vector<std::thread> workers_;
};

} // namespace tolvane::archive
