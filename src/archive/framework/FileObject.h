// The scanner's own result list: one TFileObject per accepted entry.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tolvane::archive {

enum TkroSortOptions { soUnsort, soByName, soByType, soBySize, soByTime, soByPath };

struct TFileObject {
    std::string FileName; // empty for a folder entry
    std::string FilePath; // with a trailing separator
    uint32_t SizeLow = 0;
    uint32_t SizeHigh = 0;
    uint32_t Attributes = 0;
    uint32_t DosDateTime = 0;

    uint64_t Size() const { return (uint64_t{SizeHigh} << 32) | SizeLow; }
};

class TFilesList {
public:
    // Appends (soUnsort) or inserts before the first item that does not compare less.
    void Insert(std::unique_ptr<TFileObject> item);
    // Re-sorts the whole list when the order changes.
    void SetSortOrder(TkroSortOptions order);
    TkroSortOptions SortOrder() const { return order_; }
    void Clear() { items_.clear(); }
    size_t Count() const { return items_.size(); }
    const TFileObject& operator[](size_t i) const { return *items_[i]; }

private:
    std::vector<std::unique_ptr<TFileObject>> items_;
    TkroSortOptions order_ = soUnsort;
};

} // namespace tolvane::archive
