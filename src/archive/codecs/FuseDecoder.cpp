#include "FuseDecoder.h"

#include "FuseParameters.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace tolvane::archive {

using namespace fuse;

namespace {

// Raised inside the decoder for damaged data; caught at its edge.
struct Damaged {
    std::string reason;
};

// Reads the coded data most significant bit first. Past the end it supplies
// zero bits but counts them, so running past the end is noticed.
class BitReader {
public:
    BitReader(uint64_t size, const std::function<bool(uint8_t*, size_t)>& readPiece)
        : readPiece_(readPiece), unread_(size), totalBits_(size * 8),
          buffer_(std::make_unique<uint8_t[]>(kPieceSize)) {}

    uint32_t Peek(int count) {
        while (bitCount_ < count)
            LoadByte();
        return static_cast<uint32_t>(bits_ >> (bitCount_ - count)) & ((1u << count) - 1);
    }
    void Skip(int count) {
        bitCount_ -= count;
        consumedBits_ += static_cast<uint64_t>(count);
        if (consumedBits_ > totalBits_)
            throw Damaged{"the data is cut short"};
    }
    uint32_t Get(int count) {
        if (count == 0)
            return 0;
        const uint32_t value = Peek(count);
        Skip(count);
        return value;
    }
    // Bits of the data not used by any code.
    uint64_t UnusedBits() const { return totalBits_ - consumedBits_; }
    bool ReadFailed() const { return readFailed_; }

private:
    static constexpr size_t kPieceSize = 32768;

    void LoadByte() {
        uint8_t byte = 0;
        if (position_ == length_ && unread_ > 0) {
            length_ = static_cast<size_t>(std::min<uint64_t>(unread_, kPieceSize));
            if (!readPiece_(buffer_.get(), length_)) {
                readFailed_ = true;
                throw Damaged{};
            }
            unread_ -= length_;
            position_ = 0;
        }
        if (position_ < length_)
            byte = buffer_[position_++];
        bits_ = (bits_ << 8) | byte;
        bitCount_ += 8;
    }

    const std::function<bool(uint8_t*, size_t)>& readPiece_;
    uint64_t unread_;
    uint64_t totalBits_;
    uint64_t consumedBits_ = 0;
    std::unique_ptr<uint8_t[]> buffer_;
    size_t position_ = 0;
    size_t length_ = 0;
    uint64_t bits_ = 0;
    int bitCount_ = 0;
    bool readFailed_ = false;
};

// A canonical prefix code given by its lengths, or a single symbol that takes
// no bits.
class PrefixCode {
public:
    void SetSingle(int symbol) { single_ = symbol; }

    void SetLengths(const uint8_t* lengths, int n, const char* tree) {
        single_ = -1;
        count_.fill(0);
        for (int i = 0; i < n; ++i)
            ++count_[lengths[i]];
        count_[0] = 0;
        int left = 1;
        for (int bits = 1; bits <= kMaxCodeBits; ++bits) {
            left = (left << 1) - count_[bits];
            if (left < 0)
                throw Damaged{std::string("the ") + tree + " has too many short codes"};
        }
        std::array<int, kMaxCodeBits + 2> offset{};
        for (int bits = 1; bits <= kMaxCodeBits; ++bits)
            offset[bits + 1] = offset[bits] + count_[bits];
        symbols_.resize(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            if (lengths[i] != 0)
                symbols_[offset[lengths[i]]++] = static_cast<uint16_t>(i);
        }
        tree_ = tree;
    }

    int Decode(BitReader& in) const {
        if (single_ >= 0)
            return single_;
        const uint32_t bits = in.Peek(kMaxCodeBits);
        int first = 0;
        int index = 0;
        for (int length = 1; length <= kMaxCodeBits; ++length) {
            const int code = static_cast<int>(bits >> (kMaxCodeBits - length));
            const int count = count_[length];
            if (code - first < count) {
                in.Skip(length);
                return symbols_[static_cast<size_t>(index + code - first)];
            }
            index += count;
            first = (first + count) << 1;
        }
        throw Damaged{std::string("a code of the ") + tree_ + " is not in the tree"};
    }

private:
    int single_ = 0;
    std::array<int, kMaxCodeBits + 1> count_{};
    std::vector<uint16_t> symbols_;
    const char* tree_ = "";
};

class Decoder {
public:
    Decoder(BitReader& in, const std::function<void(const uint8_t*, size_t)>& deliver)
        : in_(in), deliver_(deliver), ring_(std::make_unique<uint8_t[]>(kRingSize)) {}

    void Run(uint64_t declaredSize) {
        while (produced_ < declaredSize) {
            if (blockRemaining_ == 0)
                ReadBlockHeader();
            --blockRemaining_;
            const int code = c_.Decode(in_);
            if (code < 256) {
                Put(static_cast<uint8_t>(code));
                continue;
            }
            const uint64_t length = static_cast<uint64_t>(code) - 256 + kThreshold;
            const int bits = p_.Decode(in_);
            const uint32_t value =
                bits <= 1 ? static_cast<uint32_t>(bits) : (1u << (bits - 1)) + in_.Get(bits - 1);
            const uint64_t distance = uint64_t{value} + 1;
            if (distance > produced_)
                throw Damaged{"a match refers to " + std::to_string(distance) +
                              " bytes back, before the start of the data"};
            if (length > declaredSize - produced_)
                throw Damaged{"the data expands past the size the header gives"};
            for (uint64_t k = 0; k < length; ++k)
                Put(ring_[(ringPosition_ - distance) & (kRingSize - 1)]);
        }
        if (blockRemaining_ != 0)
            throw Damaged{"the last block holds codes past the size the header gives"};
        if (in_.UnusedBits() >= 8)
            throw Damaged{"the data goes on after the last code"};
        if (ringPosition_ != 0)
            deliver_(ring_.get(), ringPosition_);
    }

private:
    static constexpr size_t kRingSize = 2 * kDicSize;

    void Put(uint8_t byte) {
        ring_[ringPosition_++] = byte;
        ++produced_;
        if (ringPosition_ == kRingSize) {
            deliver_(ring_.get(), kRingSize);
            ringPosition_ = 0;
        }
    }

    void ReadBlockHeader() {
        blockRemaining_ = in_.Get(16);
        if (blockRemaining_ == 0)
            throw Damaged{"a block holds no codes"};
        ReadPtLengths(kNT, kTBit, 3, t_, "code-length tree");
        ReadCLengths();
        ReadPtLengths(kNP, kPBit, -1, p_, "distance tree");
    }

    void ReadPtLengths(int alphabet, int countBits, int special, PrefixCode& code,
                       const char* tree) {
        const int n = static_cast<int>(in_.Get(countBits));
        if (n == 0) {
            const int symbol = static_cast<int>(in_.Get(countBits));
            if (symbol >= alphabet)
                throw Damaged{std::string("the ") + tree + " names a symbol out of range"};
            code.SetSingle(symbol);
            return;
        }
        if (n > alphabet)
            throw Damaged{std::string("the ") + tree + " has too many lengths"};
        std::array<uint8_t, kNT> lengths{};
        int i = 0;
        while (i < n) {
            int length = static_cast<int>(in_.Get(3));
            if (length == 7) {
                while (in_.Get(1) == 1) {
                    if (++length > kMaxCodeBits)
                        throw Damaged{std::string("the ") + tree + " has a code over 16 bits"};
                }
            }
            lengths[static_cast<size_t>(i++)] = static_cast<uint8_t>(length);
            if (i == special) {
                const int zeros = static_cast<int>(in_.Get(2));
                if (i + zeros > alphabet)
                    throw Damaged{std::string("the ") + tree + " has too many lengths"};
                i += zeros;
            }
        }
        code.SetLengths(lengths.data(), alphabet, tree);
    }

    void ReadCLengths() {
        const int n = static_cast<int>(in_.Get(kCBit));
        if (n == 0) {
            const int symbol = static_cast<int>(in_.Get(kCBit));
            if (symbol >= kNC)
                throw Damaged{"the character tree names a symbol out of range"};
            c_.SetSingle(symbol);
            return;
        }
        if (n > kNC)
            throw Damaged{"the character tree has too many lengths"};
        std::array<uint8_t, kNC> lengths{};
        int i = 0;
        while (i < n) {
            const int token = t_.Decode(in_);
            if (token > 2) {
                lengths[static_cast<size_t>(i++)] = static_cast<uint8_t>(token - 2);
                continue;
            }
            const int zeros = token == 0   ? 1
                              : token == 1 ? static_cast<int>(in_.Get(4)) + 3
                                           : static_cast<int>(in_.Get(kCBit)) + 20;
            if (i + zeros > n)
                throw Damaged{"the character tree has too many lengths"};
            i += zeros;
        }
        c_.SetLengths(lengths.data(), kNC, "character tree");
    }

    BitReader& in_;
    const std::function<void(const uint8_t*, size_t)>& deliver_;
    std::unique_ptr<uint8_t[]> ring_;
    size_t ringPosition_ = 0;
    uint64_t produced_ = 0;
    uint32_t blockRemaining_ = 0;
    PrefixCode t_;
    PrefixCode c_;
    PrefixCode p_;
};

} // namespace

bool FuseDecode(uint64_t compressedSize, uint64_t declaredSize,
                const std::function<bool(uint8_t* buffer, size_t length)>& readPiece,
                const std::function<void(const uint8_t* data, size_t length)>& deliver,
                std::string& error) {
    // An empty source still makes one block: nothing in it needs checking.
    if (declaredSize == 0)
        return true;
    BitReader in(compressedSize, readPiece);
    try {
        Decoder(in, deliver).Run(declaredSize);
        return true;
    } catch (const Damaged& damaged) {
        if (!in.ReadFailed())
            error = "damaged Fuse data: " + damaged.reason;
        return false;
    }
}

} // namespace tolvane::archive
