// The scanner's result list: ordered insertion and re-sorting of TFileObject items.
#include "FileObject.h"

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <utility>

namespace tolvane::archive {

namespace {

// Case-insensitive three-way comparison. Folding to lower case puts "_" and the
// other punctuation between "Z" and "a" in front of the letters, as users expect
// from file lists; bytes above 0x7F compare by value.
int CompareText(std::string_view a, std::string_view b) {
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        auto ca = static_cast<unsigned char>(a[i]);
        auto cb = static_cast<unsigned char>(b[i]);
        if (ca >= 'A' && ca <= 'Z')
            ca = static_cast<unsigned char>(ca - 'A' + 'a');
        if (cb >= 'A' && cb <= 'Z')
            cb = static_cast<unsigned char>(cb - 'A' + 'a');
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

// The extension is the text from the last "."; a name without one has none.
std::string_view Extension(std::string_view name) {
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

template <typename T> int CompareValues(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

int Compare(TkroSortOptions order, const TFileObject& a, const TFileObject& b) {
    switch (order) {
    case soUnsort:
        return 0;
    case soByName:
        return CompareText(a.FileName, b.FileName);
    case soByType:
        return CompareText(Extension(a.FileName), Extension(b.FileName));
    case soBySize:
        return CompareValues(a.Size(), b.Size());
    case soByTime:
        // Compared as signed numbers: dates from 2044 on (top bit set) sort first.
        return CompareValues(static_cast<int32_t>(a.DosDateTime),
                             static_cast<int32_t>(b.DosDateTime));
    case soByPath:
        return CompareText(a.FilePath, b.FilePath);
    }
    return 0;
}

using Items = std::vector<std::unique_ptr<TFileObject>>;

// Quicksort with the middle item of each range as the pivot; the right part
// is handled by the loop, the left one by recursion.
void QuickSort(Items& items, ptrdiff_t left, ptrdiff_t right, TkroSortOptions order) {
    ptrdiff_t i = 0;
    do {
        i = left;
        ptrdiff_t j = right;
        const TFileObject* pivot = items[static_cast<size_t>((left + right) / 2)].get();
        do {
            while (Compare(order, *items[static_cast<size_t>(i)], *pivot) < 0)
                ++i;
            while (Compare(order, *items[static_cast<size_t>(j)], *pivot) > 0)
                --j;
            if (i <= j) {
                std::swap(items[static_cast<size_t>(i)], items[static_cast<size_t>(j)]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (left < j)
            QuickSort(items, left, j, order);
        left = i;
    } while (i < right);
}

} // namespace

void TFilesList::Insert(std::unique_ptr<TFileObject> item) {
    if (order_ == soUnsort) {
        items_.push_back(std::move(item));
        return;
    }
    // Binary search for the first item that does not compare less, so a new item
    // goes in front of the items equal to it.
    ptrdiff_t low = 0;
    ptrdiff_t high = static_cast<ptrdiff_t>(items_.size()) - 1;
    while (low <= high) {
        const ptrdiff_t mid = (low + high) / 2;
        if (Compare(order_, *items_[static_cast<size_t>(mid)], *item) < 0)
            low = mid + 1;
        else
            high = mid - 1;
    }
    items_.insert(items_.begin() + low, std::move(item));
}

void TFilesList::SetSortOrder(TkroSortOptions order) {
    if (order == order_)
        return;
    order_ = order;
    // Unsorted keeps whatever order the list has.
    if (order_ != soUnsort && items_.size() > 1)
        QuickSort(items_, 0, static_cast<ptrdiff_t>(items_.size()) - 1, order_);
}

} // namespace tolvane::archive
