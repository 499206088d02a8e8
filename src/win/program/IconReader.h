// The shell's icons and type names of a folder's entries, read on a thread of
// its own: for a file the shell may open it (a program's own icon) or ask a
// slow drive, which would freeze the window. The owner is told by a posted
// message and takes what was found on its own thread.
#pragma once

#include <atomic>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>

namespace tolvane::win {

class IconReader {
public:
    struct Item {
        LPARAM key = 0;    // the owner's: a row, a tree item
        std::wstring path; // the entry, a system path
        DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    };
    struct Found {
        LPARAM key = 0;
        int icon = -1;            // in the system's small image list
        std::wstring displayName; // as the shell names it ("Local Disk (C:)")
        std::wstring typeName;    // "Text Document"
    };

    // `message` is posted to `owner` when results wait and none was posted
    // since the last Take.
    IconReader(HWND owner, UINT message);
    // Stops the read and waits for it: the shell is asked about one item at most.
    ~IconReader();
    IconReader(const IconReader&) = delete;
    IconReader& operator=(const IconReader&) = delete;

    // Reads `items` in order; what an earlier Read had not yet found is dropped.
    void Read(std::vector<Item> items);
    // What was found since the last call, for the latest Read only.
    std::vector<Found> Take();

private:
    void Work(const std::stop_token& stop, unsigned generation, const std::vector<Item>& items);

    HWND owner_;
    UINT message_;
    std::mutex mutex_;
    unsigned generation_ = 0;  // guarded by mutex_; the Read that results belong to
    std::vector<Found> found_; // guarded by mutex_
    std::atomic<bool> posted_{false};
    std::jthread worker_; // last: stopped and joined before the rest goes
};

} // namespace tolvane::win
