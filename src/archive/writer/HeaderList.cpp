#include "HeaderList.h"

#include <algorithm>

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
    const size_t index = items_.size();
    if (item.name.empty())
        item.name = item.path;
    index_[Key(item.name)].push_back(index);
    items_.push_back(std::move(item));
    return index;
}

std::ptrdiff_t TCompHeaderObj::IndexOf(std::string_view name) const {
    auto it = index_.find(Key(name));
    return it == index_.end() ? -1 : static_cast<std::ptrdiff_t>(it->second.front());
}

std::vector<size_t> TCompHeaderObj::Matches(std::string_view name) const {
    auto it = index_.find(Key(name));
    return it == index_.end() ? std::vector<size_t>{} : it->second;
}

void TCompHeaderObj::Rename(size_t index, std::string newName) {
    const std::string oldKey = Key(items_[index].name);
    auto& old = index_[oldKey];
    std::erase(old, index);
    if (old.empty())
        index_.erase(oldKey);
    items_[index].path = newName;
    items_[index].name = std::move(newName);
    auto& now = index_[Key(items_[index].name)];
    now.insert(std::lower_bound(now.begin(), now.end(), index), index);
}

void TCompHeaderObj::Clear() {
    items_.clear();
    index_.clear();
}

} // namespace tolvane::archive
