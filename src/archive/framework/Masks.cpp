// Compilation of wildcard mask texts into element arrays and the backtracking
// matcher that runs them against one name.
#include "Masks.h"

#include <optional>

namespace tolvane::archive {

namespace {

// Only a-z fold: names in other scripts compare byte for byte.
char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

TInternalMask::TInternalMask(std::string_view text) {
    bool starPending = false;
    for (char c : text) {
        if (c == '*') {
            starPending = true;
            continue;
        }
        if (c == '?') {
            // After a star the one-character element adds nothing the star does not
            // already cover, so it is dropped and the star stays pending: "a*?c" matches "ac".
            if (!starPending)
                elements_.push_back({false, Kind::AnyOne, 0});
            continue;
        }
        elements_.push_back({starPending, Kind::Literal, UpperAscii(c)});
        starPending = false;
    }
    elements_.push_back({starPending, Kind::Literal, 0});
    endsWithDot_ = !text.empty() && text.back() == '.';
}

bool TInternalMask::Matches(std::string_view name) const {
    // A mask ending in "." selects names without an extension: such a name is
    // matched as if it ended with the dot.
    std::string dotted;
    if (endsWithDot_ && name.find('.') == std::string_view::npos) {
        dotted.assign(name);
        dotted.push_back('.');
        name = dotted;
    }

    // On a mismatch the match resumes at the retry point recorded last: the star
    // in front of that element then covers one more character. Only the latest
    // retry point is kept. Resuming at an older star could only move the text
    // between the two stars further right, which the later star can absorb
    // anyway; so the older points never turn a failure into a match, and dropping
    // them keeps masks like "*a*a*a*a*b" from taking exponential time.
    struct RetryPoint {
        size_t pos;
        size_t element;
    };
    std::optional<RetryPoint> retry;
    const size_t endElement = elements_.size() - 1;
    const size_t length = name.size();
    size_t pos = 0;
    size_t e = 0;

    for (;;) {
        const Element& el = elements_[e];
        const bool isEnd = e == endElement;
        if (el.afterStar) {
            // Skip to the next place where this element can match; a later
            // occurrence of the same literal is left to a retry.
            if (isEnd) {
                pos = length;
            } else {
                while (pos < length && UpperAscii(name[pos]) != el.upper)
                    ++pos;
            }
            if (pos < length)
                retry = RetryPoint{pos + 1, e};
        }

        bool ok = false;
        if (isEnd) {
            ok = pos == length;
        } else {
            switch (el.kind) {
            case Kind::Literal:
                ok = pos < length && UpperAscii(name[pos]) == el.upper;
                break;
            case Kind::AnyOne:
                ok = pos < length;
                break;
            case Kind::CharSet:
                // Never produced by the compiler; matches nothing.
                ok = false;
                break;
            }
        }

        if (ok) {
            if (isEnd)
                return true;
            ++pos;
            ++e;
            continue;
        }
        if (!retry)
            return false;
        pos = retry->pos;
        e = retry->element;
        retry.reset();
    }
}

bool TMaskList::Matches(std::string_view name) const {
    for (const TMultiMask& mask : masks_) {
        if (mask.Matches(name))
            return true;
    }
    return false;
}

bool MatchesMask(std::string_view name, std::string_view mask) {
    return TInternalMask(mask).Matches(name);
}

} // namespace tolvane::archive
