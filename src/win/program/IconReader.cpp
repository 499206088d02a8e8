#include "IconReader.h"

#include "ComApartment.h"

#include <shellapi.h>

#include <utility>

namespace tolvane::win {

IconReader::IconReader(HWND owner, UINT message) : owner_(owner), message_(message) {}

IconReader::~IconReader() {
    worker_.request_stop();
    if (worker_.joinable())
        worker_.join();
}

void IconReader::Read(std::vector<Item> items) {
    worker_.request_stop();
    if (worker_.joinable())
        worker_.join();
    unsigned generation = 0;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        generation = ++generation_;
        found_.clear();
    }
    // A message still queued for the dropped read may be gone unanswered;
    // the new read posts its own.
    posted_ = false;
    worker_ = std::jthread([this, generation, items = std::move(items)](std::stop_token stop) {
        Work(stop, generation, items);
    });
}

void IconReader::Work(const std::stop_token& stop, unsigned generation,
                      const std::vector<Item>& items) {
    // The shell's extraction needs COM on the thread that asks.
    const ComApartment com;
    for (const Item& item : items) {
        if (stop.stop_requested())
            return;
        SHFILEINFOW info{};
        if (!SHGetFileInfoW(item.path.c_str(), item.attributes, &info, sizeof info,
                            SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_DISPLAYNAME |
                                SHGFI_TYPENAME)) {
            // Gone or unreadable: its kind's icon, from the name alone.
            SHGetFileInfoW(item.path.c_str(), item.attributes, &info, sizeof info,
                           SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_TYPENAME |
                               SHGFI_USEFILEATTRIBUTES);
        }
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (generation != generation_)
                return;
            found_.push_back({item.key, info.iIcon, info.szDisplayName, info.szTypeName});
        }
        if (!posted_.exchange(true))
            PostMessageW(owner_, message_, 0, 0);
    }
}

std::vector<IconReader::Found> IconReader::Take() {
    posted_ = false;
    const std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(found_, {});
}

} // namespace tolvane::win
