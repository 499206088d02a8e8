#include "FuseHuffman.h"

#include "FuseParameters.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace tolvane::archive::fuse {

namespace {

constexpr int kMaxSymbols = 512;

// Depths of the leaves of a Huffman tree over `count` symbols given in
// ascending order of frequency, by the two-queue method: leaves and merged
// nodes each come out of their queue in ascending weight order.
void TreeDepths(const uint32_t* sortedFreq, int count, int* depth) {
    std::array<uint64_t, kMaxSymbols> weight;
    std::array<int, 2 * kMaxSymbols> parent;
    int leaf = 0;
    int merged = 0;
    int created = 0;
    auto takeSmallest = [&]() {
        if (leaf < count && (merged >= created || sortedFreq[leaf] <= weight[merged])) {
            const int node = leaf++;
            return std::pair<int, uint64_t>(node, sortedFreq[node]);
        }
        const int node = merged++;
        return std::pair<int, uint64_t>(count + node, weight[node]);
    };
    while (created < count - 1) {
        const auto [a, wa] = takeSmallest();
        const auto [b, wb] = takeSmallest();
        weight[created] = wa + wb;
        parent[a] = count + created;
        parent[b] = count + created;
        ++created;
    }
    // The root is the last merged node; parents are created after their children.
    std::array<int, 2 * kMaxSymbols> nodeDepth;
    const int root = count + created - 1;
    nodeDepth[root] = 0;
    for (int node = root - 1; node >= 0; --node)
        nodeDepth[node] = nodeDepth[parent[node]] + 1;
    for (int i = 0; i < count; ++i)
        depth[i] = nodeDepth[i];
}

} // namespace

int MakeHuffmanCode(const uint32_t* freq, int n, uint8_t* lengths, uint16_t* codes) {
    std::array<int, kMaxSymbols> order;
    int count = 0;
    for (int i = 0; i < n; ++i) {
        lengths[i] = 0;
        codes[i] = 0;
        if (freq[i] != 0)
            order[count++] = i;
    }
    if (count < 2)
        return count;
    std::sort(order.begin(), order.begin() + count,
              [freq](int a, int b) { return freq[a] != freq[b] ? freq[a] < freq[b] : a < b; });

    std::array<uint32_t, kMaxSymbols> sortedFreq;
    for (int i = 0; i < count; ++i)
        sortedFreq[i] = freq[order[i]];
    std::array<int, kMaxSymbols> depth;
    TreeDepths(sortedFreq.data(), count, depth.data());

    // Count the lengths, deeper leaves counted at the limit, then move leaves
    // down from shorter lengths until the code is complete again.
    std::array<uint32_t, kMaxCodeBits + 2> lengthCount{};
    for (int i = 0; i < count; ++i)
        ++lengthCount[std::min(depth[i], kMaxCodeBits)];
    uint32_t kraft = 0;
    for (int bits = kMaxCodeBits; bits > 0; --bits)
        kraft += lengthCount[bits] << (kMaxCodeBits - bits);
    while (kraft != (1u << kMaxCodeBits)) {
        --lengthCount[kMaxCodeBits];
        for (int bits = kMaxCodeBits - 1; bits > 0; --bits) {
            if (lengthCount[bits] != 0) {
                --lengthCount[bits];
                lengthCount[bits + 1] += 2;
                break;
            }
        }
        --kraft;
    }
    // The longest codes go to the rarest symbols.
    int next = 0;
    for (int bits = kMaxCodeBits; bits > 0; --bits) {
        for (uint32_t k = 0; k < lengthCount[bits]; ++k)
            lengths[order[next++]] = static_cast<uint8_t>(bits);
    }

    std::array<uint16_t, kMaxCodeBits + 2> start{};
    for (int bits = 1; bits <= kMaxCodeBits; ++bits)
        start[bits + 1] = static_cast<uint16_t>((start[bits] + lengthCount[bits]) << 1);
    for (int i = 0; i < n; ++i) {
        if (lengths[i] != 0)
            codes[i] = start[lengths[i]]++;
    }
    return count;
}

} // namespace tolvane::archive::fuse
