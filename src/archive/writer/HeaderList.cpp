#include "HeaderList.h"

#include "PathText.h"

#include <algorithm>
#include <stdexcept>

namespace tolvane::archive {

namespace {

constexpr uint32_t kEmpty = UINT32_MAX;
constexpr uint32_t kRemoved = UINT32_MAX - 1;

// The hash folds case as EqualsIgnoreCase does, so equal names meet.
char UpperAsciiChar(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

TCompFileInfo::TCompFileInfo(const TCompFileInfo& other)
    : offset(other.offset), uncompressedSize(other.uncompressedSize),
      compressedSize(other.compressedSize), dosDateTime(other.dosDateTime),
      attributes(other.attributes), status(other.status), encryption(other.encryption),
      utf8Name(other.utf8Name),
      bytes_(other.bytes_ ? std::make_unique<TCompFileBytes>(*other.bytes_) : nullptr) {}

TCompFileInfo& TCompFileInfo::operator=(const TCompFileInfo& other) {
    if (this != &other)
        *this = TCompFileInfo(other);
    return *this;
}

const std::vector<uint8_t>& TCompFileInfo::ExtraField() const {
    static const std::vector<uint8_t> none;
    return bytes_ ? bytes_->extraField : none;
}

const std::vector<uint8_t>& TCompFileInfo::Comment() const {
    static const std::vector<uint8_t> none;
    return bytes_ ? bytes_->comment : none;
}

const std::string& TCompFileInfo::StoredName() const {
    static const std::string none;
    return bytes_ ? bytes_->storedName : none;
}

TCompFileBytes& TCompFileInfo::Bytes() {
    if (!bytes_)
        bytes_ = std::make_unique<TCompFileBytes>();
    return *bytes_;
}

HeaderItem::HeaderItem(const HeaderItem& other)
    : claimed(other.claimed), rootLength(other.rootLength), info(other.info), header(other.header),
      path_(other.path_), nameAt_(other.nameAt_),
      ownName_(other.ownName_ ? std::make_unique<std::string>(*other.ownName_) : nullptr) {}

HeaderItem& HeaderItem::operator=(const HeaderItem& other) {
    if (this != &other)
        *this = HeaderItem(other);
    return *this;
}

std::string_view HeaderItem::Name() const {
    return ownName_ ? std::string_view(*ownName_) : std::string_view(path_).substr(nameAt_);
}

void HeaderItem::SetPath(std::string path) {
    std::string name(Name());
    path_ = std::move(path);
    PlaceName(name.empty() ? std::string_view(path_) : std::string_view(name));
}

void HeaderItem::SetName(std::string_view name) {
    const std::string copy(name); // `name` may be a view of this item
    PlaceName(copy);
}

void HeaderItem::PlaceName(std::string_view name) {
    if (std::string_view(path_).ends_with(name) && path_.size() - name.size() < UINT32_MAX) {
        nameAt_ = static_cast<uint32_t>(path_.size() - name.size());
        ownName_.reset();
    } else {
        nameAt_ = 0;
        ownName_ = std::make_unique<std::string>(name);
    }
}

uint64_t TCompHeaderObj::Hash(std::string_view name) {
    uint64_t hash = 14695981039346656037ull; // FNV-1a
    for (char c : name) {
        hash ^= static_cast<uint8_t>(UpperAsciiChar(c));
        hash *= 1099511628211ull;
    }
    return hash;
}

void TCompHeaderObj::Grow() {
    std::vector<uint32_t> old = std::move(slots_);
    size_t size = 64; // a power of two, for the mask
    while (size < count_ * 2)
        size *= 2;
    slots_.assign(size, kEmpty);
    used_ = 0;
    for (uint32_t index : old) {
        if (index != kEmpty && index != kRemoved)
            Insert(index);
    }
}

void TCompHeaderObj::Insert(uint32_t index) {
    if ((used_ + 1) * 4 > slots_.size() * 3)
        Grow();
    const size_t mask = slots_.size() - 1;
    size_t at = Hash((*this)[index].Name()) & mask;
    while (slots_[at] != kEmpty && slots_[at] != kRemoved)
        at = (at + 1) & mask;
    if (slots_[at] == kEmpty)
        ++used_;
    slots_[at] = index;
}

size_t TCompHeaderObj::Add(HeaderItem item) {
    if (count_ >= kRemoved)
        throw std::length_error("too many entries for one archive");
    const auto index = static_cast<uint32_t>(count_);
    if (count_ % kChunk == 0)
        chunks_.push_back(std::make_unique<HeaderItem[]>(kChunk));
    (*this)[count_++] = std::move(item);
    Insert(index);
    return index;
}

std::vector<size_t> TCompHeaderObj::Matches(std::string_view name) const {
    std::vector<size_t> found;
    if (slots_.empty())
        return found;
    const size_t mask = slots_.size() - 1;
    for (size_t at = Hash(name) & mask; slots_[at] != kEmpty; at = (at + 1) & mask) {
        const uint32_t index = slots_[at];
        if (index != kRemoved && EqualsIgnoreCase((*this)[index].Name(), name))
            found.push_back(index);
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::ptrdiff_t TCompHeaderObj::IndexOf(std::string_view name) const {
    const std::vector<size_t> found = Matches(name);
    return found.empty() ? -1 : static_cast<std::ptrdiff_t>(found.front());
}

void TCompHeaderObj::Rename(size_t index, std::string newName) {
    const size_t mask = slots_.size() - 1;
    size_t at = Hash((*this)[index].Name()) & mask;
    while (slots_[at] != index)
        at = (at + 1) & mask;
    slots_[at] = kRemoved;
    (*this)[index].SetPath(newName);
    (*this)[index].SetName(newName);
    Insert(static_cast<uint32_t>(index));
}

void TCompHeaderObj::Clear() {
    chunks_.clear();
    count_ = 0;
    slots_.clear();
    used_ = 0;
}

} // namespace tolvane::archive
