// The Fuse encoder's match finder: for each position of the window, the
// longest earlier occurrence (at most kDicSize - 1 bytes back) of the text
// there, and of several equally long ones the nearest.
//
// Matches of four bytes or more: the positions that share a 4-byte hash form
// a binary search tree ordered by the text that follows them, with newer
// positions above older ones: a new position becomes the root and the old
// tree is split around it. The search path then passes the newest position of
// every run of equal prefixes, so the walk finds the longest match, and the
// nearest among equals, without visiting the rest of the window.
// Matches of exactly three bytes, needed only when there is no longer one: a
// chain per 3-byte hash, newest first, walked to the first position whose
// three bytes are equal. Matches shorter than kThreshold are never reported.
#pragma once

#include "FuseParameters.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tolvane::archive::fuse {

struct Match {
    size_t length = 0; // 0 when there is none of at least kThreshold bytes
    size_t position = 0;
};

class FuseMatchFinder {
public:
    // Bytes the window needs after the last one a match may reach, for the
    // word-wise comparison.
    static constexpr size_t kWindowPadding = 8;

    // `window` is the encoder's text buffer; positions are indexes into it.
    explicit FuseMatchFinder(const uint8_t* window);

    // Forgets every position.
    void Reset();
    // Enters `position` and returns its longest match among the positions
    // entered before. `available` is the number of valid bytes from `position`
    // on; matches never reach beyond them.
    // @pre position >= kDicSize (so that 0 can stand for "none")
    Match Insert(size_t position, size_t available);
    // The window's text moved down by kDicSize bytes.
    void Slide();

private:
    static constexpr size_t kTreeHashSize = size_t{1} << 15;
    static constexpr size_t kChainHashSize = size_t{1} << 15;

    // Positions are window indexes below 2 * kDicSize: 16 bits hold them, and
    // small tables stay in the cache.
    using Link = uint16_t;

    // `four`: the four bytes at `position`; `first3`: the first three of them.
    Match InsertInTree(size_t position, size_t available, uint32_t four);
    // The nearest earlier position with the same first three bytes.
    Match InsertInChain(size_t position, uint32_t first3, bool search);

    const uint8_t* window_;
    std::unique_ptr<Link[]> treeHead_;  // newest position per 4-byte hash, 0 = none
    std::unique_ptr<Link[]> tree_;      // left and right child per position modulo kDicSize
    std::unique_ptr<Link[]> chainHead_; // newest position per 3-byte hash
    std::unique_ptr<Link[]> chain_;     // next older position per position modulo kDicSize
};

} // namespace tolvane::archive::fuse
