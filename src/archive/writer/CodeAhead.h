// Codes entries ahead of the writer on worker threads: while the writer puts
// entry n into the archive, the workers code entries n+1, n+2, ..., each
// exactly as the writer would (one EntryCoder per worker), so the archive's
// bytes do not depend on the number of threads. The tasks come from the
// writer's thread a window at a time, so that a folder of any number of files
// costs the workers the same memory. Small entries are coded into
// memory, within a budget of bytes waiting for the writer; large ones into
// unnamed temporary files (gone with the process, whatever happens), within a
// budget of their own, so that a folder of any size is packed in bounded
// memory and a large file never holds up the other cores.
#pragma once

#include "EntryCoder.h"

#include "TempFileStream.h"

#include "archive/framework/MemoryStream32.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
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

    // Hands out the next task in list order into its argument; false when
    // there is none left. Called on the writer's thread only.
    using Source = std::function<bool(Task&)>;

    // Starts `threads` workers on the tasks `source` gives, at most `window`
    // of them waiting at a time. `hooks` are those of the workers' coders:
    // cancel flag and cipher only, never the host's pump or progress, which
    // belong to the writer's thread. `budget` bounds the bytes in memory,
    // `spillBudget` those in temporary files in `spillFolder`.
    CodeAhead(Source source, size_t window, int threads, int64_t budget, int64_t spillBudget,
              std::string spillFolder, EntryCoder::Hooks hooks, std::string password);
    // Stops the workers (each within its current entry) and waits for them.
    ~CodeAhead();
    CodeAhead(const CodeAhead&) = delete;
    CodeAhead& operator=(const CodeAhead&) = delete;

    // Whether entry `index` is coded ahead. Entries are asked for in list
    // order; a task of an earlier entry that was not taken is dropped.
    bool Has(size_t index);
    // Waits until entry `index` is coded and hands it over, calling `waiting`
    // now and then meanwhile with the bytes of its source read so far (so
    // that a host sees progress and can ask to stop). @pre Has(index).
    std::unique_ptr<Coded> Take(size_t index, const std::function<void(int64_t read)>& waiting);

    // The number of tasks a window holds for a run's `budget`: about as many
    // as its bytes hold small files.
    static size_t WindowFor(int64_t budget);
    // The budget a source of `size` bytes reserves, and the largest source
    // coded ahead, for a run's `budget`.
    static int64_t ReserveFor(int64_t size);
    static int64_t LargestAhead(int64_t budget) { return budget / 8; }

private:
    struct Slot {
        explicit Slot(Task t) : task(std::move(t)) {}
        Task task;
        std::atomic<int64_t> read{0}; // bytes of the source read so far
        std::unique_ptr<Coded> coded; // set once the worker is done with it
    };

    void Work(EntryCoder::Hooks hooks);
    void CodeInto(EntryCoder& coder, const Task& task, Coded& coded) const;
    // Tops the window up from the source once it is half empty.
    void Refill();
    // Takes the front slot once it is coded. @pre the window is not empty.
    std::unique_ptr<Coded> TakeFront(const std::function<void(int64_t read)>& waiting);

    Source source_;
    const size_t window_;
    const std::string password_;
    const std::string spillFolder_;
    const int64_t budget_;
    const int64_t spillBudget_;
    std::mutex mutex_;
    std::condition_variable changed_;
    // The tasks not yet taken, in list order. Only the writer adds and
    // removes slots (at the ends, which leaves the others where they are);
    // a worker holds on to the slot it codes until it sets `coded`.
    std::deque<Slot> slots_;
    size_t started_ = 0; // slots at the front that a worker has taken up
    bool sourceDone_ = false;
    int64_t reserved_ = 0;
    int64_t spilled_ = 0;
    bool stop_ = false;
    std::vector<std::thread> workers_;
};

} // namespace tolvane::archive
