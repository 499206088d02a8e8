#include "HeaderList.h"

namespace tolvane::archive {

std::string TCompHeaderObj::Key(std::string_view name) {
    std::string key(name);
    for (char& c : key) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return key;
}

size_t TCompHeaderObj::Add(HeaderItem item) {
    size_t index = items_.size();
    index_.try_emplace(Key(item.path), index);
    items_.push_back(std::move(item));
    return index;
}

std::ptrdiff_t TCompHeaderObj::IndexOf(std::string_view name) const {
    auto it = index_.find(Key(name));
    return it == index_.end() ? -1 : static_cast<std::ptrdiff_t>(it->second);
}

void TCompHeaderObj::Rename(size_t index, std::string newName) {
    std::string oldKey = Key(items_[index].path);
    items_[index].path = std::move(newName);
    auto it = index_.find(oldKey);
    if (it != index_.end() && it->second == index) {
        // The old name now resolves to the next item that still carries it.
        index_.erase(it);
        for (size_t i = 0; i < items_.size(); ++i) {
            if (Key(items_[i].path) == oldKey) {
                index_.emplace(oldKey, i);
                break;
            }
        }
    }
    std::string newKey = Key(items_[index].path);
    auto existing = index_.find(newKey);
    if (existing == index_.end() || existing->second > index)
        index_[newKey] = index;
}

void TCompHeaderObj::Clear() {
    items_.clear();
    index_.clear();
}

} // namespace tolvane::archive
