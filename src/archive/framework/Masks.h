// Wildcard masks: "*" any run, "?" one character, ASCII-only case folding,
// the whole name must be covered. A trailing "." selects names without one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::archive {

class TInternalMask {
public:
    explicit TInternalMask(std::string_view text);
    bool Matches(std::string_view name) const;

private:
    enum class Kind : uint8_t { Literal, AnyOne, CharSet };
    struct Element {
        bool afterStar = false;
        Kind kind = Kind::Literal;
        char upper = 0; // 0 marks the end element
    };
    std::vector<Element> elements_;
    bool endsWithDot_ = false;
};

// One compiled mask of a mask list.
class TMultiMask {
public:
    explicit TMultiMask(std::string_view text) : fMultiMask(text), text_(text) {}
    bool Matches(std::string_view name) const { return fMultiMask.Matches(name); }
    const std::string& Text() const { return text_; }

private:
    TInternalMask fMultiMask;
    std::string text_;
};

// Matches if any mask does, in order; an empty list matches nothing.
class TMaskList {
public:
    void Add(std::string_view text) { masks_.emplace_back(text); }
    bool Matches(std::string_view name) const;
    bool Empty() const { return masks_.empty(); }
    size_t Size() const { return masks_.size(); }
    const TMultiMask& operator[](size_t i) const { return masks_[i]; }

private:
    std::vector<TMultiMask> masks_;
};

bool MatchesMask(std::string_view name, std::string_view mask);

} // namespace tolvane::archive
