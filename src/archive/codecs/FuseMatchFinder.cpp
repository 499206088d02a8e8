#include "FuseMatchFinder.h"

#include <algorithm>
#include <bit>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace tolvane::archive::fuse {

namespace {

constexpr int kHashBits = 15;

inline uint32_t Hash(uint32_t value) {
    return (value * 2654435761u) >> (32 - kHashBits);
}
// The four bytes at `p` in one load (the window has room past its end); their
// first three alone. Both only feed hashes and equality tests.
inline uint32_t Load4(const uint8_t* p) {
    uint32_t value;
    std::memcpy(&value, p, 4);
    return value;
}
inline uint32_t First3(uint32_t four) {
    if constexpr (std::endian::native == std::endian::little)
        return four & 0xFFFFFFu;
    else
        return four >> 8;
}

// Length of the common prefix of `a` and `b`, known to be at least `from`,
// at most `limit`; compares eight bytes at a time (the window has room to
// read past `limit`).
inline size_t CommonLength(const uint8_t* a, const uint8_t* b, size_t from, size_t limit) {
    size_t length = from;
    while (length < limit) {
        uint64_t x;
        uint64_t y;
        std::memcpy(&x, a + length, 8);
        std::memcpy(&y, b + length, 8);
        if (const uint64_t diff = x ^ y; diff != 0) {
            if constexpr (std::endian::native == std::endian::little)
                length += static_cast<size_t>(std::countr_zero(diff)) / 8;
            else
                length += static_cast<size_t>(std::countl_zero(diff)) / 8;
            return std::min(length, limit);
        }
        length += 8;
    }
    return limit;
}

} // namespace

FuseMatchFinder::FuseMatchFinder(const uint8_t* window)
    : window_(window), treeHead_(std::make_unique<Link[]>(kTreeHashSize)),
      tree_(std::make_unique<Link[]>(2 * kDicSize)),
      chainHead_(std::make_unique<Link[]>(kChainHashSize)),
      chain_(std::make_unique<Link[]>(kDicSize)) {
    static_assert(kTreeHashSize == (size_t{1} << kHashBits));
    static_assert(kChainHashSize == (size_t{1} << kHashBits));
    static_assert(2 * kDicSize - 1 <= UINT16_MAX);
}

void FuseMatchFinder::Reset() {
    // The tree and the chains are only reached through the heads, and every
    // position entered sets its own links first: old links are never followed.
    std::fill_n(treeHead_.get(), kTreeHashSize, Link{0});
    std::fill_n(chainHead_.get(), kChainHashSize, Link{0});
}

Match FuseMatchFinder::Insert(size_t position, size_t available) {
    if (available < kThreshold)
        return {}; // too near the end for any match that counts
    // The next position is entered next: fetch its heads while this one is
    // dealt with.
    const uint32_t next = Load4(window_ + position + 1);
    __builtin_prefetch(&chainHead_[Hash(First3(next))]);
    const uint32_t four = Load4(window_ + position);
    Match longer;
    if (available > kThreshold) {
        __builtin_prefetch(&treeHead_[Hash(next)]);
        longer = InsertInTree(position, available, four);
    }
    // Every position joins its chain; the chain is searched only when there
    // is no longer match.
    const Match three = InsertInChain(position, First3(four), longer.length == 0);
    return longer.length != 0 ? longer : three;
}

Match FuseMatchFinder::InsertInTree(size_t position, size_t available, uint32_t four) {
    Match best;
    const size_t limit = std::min(available, kMaxMatch);
    const uint8_t* current = window_ + position;
    const uint32_t hash = Hash(four);
    size_t candidate = treeHead_[hash];
    treeHead_[hash] = static_cast<Link>(position);

    const size_t slot = position & (kDicSize - 1);
    // Where the next smaller and the next larger candidate get linked in.
    Link* smaller = &tree_[2 * slot];
    Link* larger = &tree_[2 * slot + 1];
    size_t smallerLength = 0; // prefix shared with every node left of the path
    size_t largerLength = 0;
    size_t bestLength = kThreshold; // the tree reports four bytes or more
    for (;;) {
        // Children are older than their parents: past the window, all are.
        // (Position 0, "none", is always past it: positions start at kDicSize.)
        if (position - candidate >= kDicSize) {
            *smaller = 0;
            *larger = 0;
            break;
        }
        const uint8_t* text = window_ + candidate;
        Link* pair = &tree_[2 * (candidate & (kDicSize - 1))];
        const size_t length =
            CommonLength(text, current, std::min(smallerLength, largerLength), limit);
        if (length > bestLength) {
            bestLength = length;
            best.length = length;
            best.position = candidate;
        }
        if (length == limit) {
            // Equal as far as matches reach: the new position takes the old
            // one's place and children.
            *smaller = pair[0];
            *larger = pair[1];
            break;
        }
        if (text[length] < current[length]) {
            *smaller = static_cast<Link>(candidate);
            smaller = &pair[1];
            candidate = *smaller;
            smallerLength = length;
        } else {
            *larger = static_cast<Link>(candidate);
            larger = &pair[0];
            candidate = *larger;
            largerLength = length;
        }
    }
    return best;
}

Match FuseMatchFinder::InsertInChain(size_t position, uint32_t key, bool search) {
    const uint32_t hash = Hash(key);
    size_t candidate = chainHead_[hash];
    chainHead_[hash] = static_cast<Link>(position);
    chain_[position & (kDicSize - 1)] = static_cast<Link>(candidate);
    Match found;
    if (!search)
        return found;
    // Links only lead to older positions; one that left the window ends the
    // chain before its slot (since taken by a newer position) is read.
    while (position - candidate < kDicSize) {
        if (First3(Load4(window_ + candidate)) == key) {
            found.length = kThreshold;
            found.position = candidate;
            break;
        }
        candidate = chain_[candidate & (kDicSize - 1)];
    }
    return found;
}

void FuseMatchFinder::Slide() {
    // Positions move down with the text; those that fall out become 0, "none":
    // a saturating subtraction.
    for (auto [table, size] :
         {std::pair{treeHead_.get(), kTreeHashSize}, std::pair{tree_.get(), 2 * kDicSize},
          std::pair{chainHead_.get(), kChainHashSize}, std::pair{chain_.get(), kDicSize}}) {
        size_t i = 0;
#ifdef __SSE2__
        const __m128i step = _mm_set1_epi16(static_cast<short>(kDicSize));
        for (; i + 8 <= size; i += 8) {
            auto* at = reinterpret_cast<__m128i*>(table + i);
            _mm_storeu_si128(at, _mm_subs_epu16(_mm_loadu_si128(at), step));
        }
#endif
        for (; i < size; ++i)
            table[i] = static_cast<Link>(table[i] > kDicSize ? table[i] - kDicSize : 0);
    }
}

} // namespace tolvane::archive::fuse
