#include "FuseEncoder.h"

#include "FuseHuffman.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace tolvane::archive::fuse {

namespace {

constexpr size_t kTextSize = 2 * kDicSize + kMaxMatch + 1 + FuseMatchFinder::kWindowPadding;
// A block is sent before a new flag byte when fewer bytes than the codes of
// one flag byte can take (8 matches of 3 bytes) are left.
constexpr size_t kBlockLimit = kBlockBufferSize - 3 * 8;

int BitLength(uint32_t value) {
    return static_cast<int>(std::bit_width(value));
}

int SingleSymbol(const uint32_t* freq, int n) {
    for (int i = 0; i < n; ++i) {
        if (freq[i] != 0)
            return i;
    }
    return 0;
}

} // namespace

FuseEncoder::FuseEncoder()
    : text_(std::make_unique<uint8_t[]>(kTextSize)),
      block_(std::make_unique<uint8_t[]>(kBlockBufferSize + 1)),
      output_(std::make_unique<uint8_t[]>(kOutputBufferSize + 1)), finder_(text_.get()) {}

FuseOutcome FuseEncoder::Encode(ByteSource& source, ByteSink& sink,
                                const platform::CancelToken* cancel, bool stopWhenNotSmaller) {
    FuseStreams streams;
    streams.read = [&source](uint8_t* buffer, size_t length) {
        return source.Read(buffer, length);
    };
    streams.write = [&sink](uint8_t* data, size_t length) { sink.Write(data, length); };
    streams.cancel = cancel;
    return Encode(streams, stopWhenNotSmaller);
}

FuseOutcome FuseEncoder::Encode(const FuseStreams& streams, bool stopWhenNotSmaller) {
    streams_ = &streams;
    stopRule_ = stopWhenNotSmaller;
    stop_ = false;
    bytesRead_ = 0;
    produced_ = 0;
    blockLength_ = 0;
    flagPosition_ = 0;
    flagMask_ = 0;
    bitBuffer_ = 0;
    bitCount_ = 0;
    outputLength_ = 0;
    cFreq_.fill(0);
    pFreq_.fill(0);
    finder_.Reset();

    remainder_ = Fill(text_.get() + kDicSize, kDicSize + kMaxMatch);
    position_ = kDicSize;
    match_ = finder_.Insert(position_, remainder_);
    while (remainder_ > 0 && !stop_) {
        if (Cancelled())
            return FuseOutcome::Cancelled;
        const Match last = match_;
        Advance();
        // Lazy evaluation: a match is taken only if the one starting at the
        // next byte is not longer.
        if (match_.length > last.length || last.length < kThreshold) {
            Output(text_[position_ - 1], 0);
        } else {
            Output(MatchCode(last.length),
                   static_cast<uint32_t>((position_ - last.position - 2) & (kDicSize - 1)));
            for (size_t rest = last.length - 1; rest > 0; --rest)
                Advance();
        }
        if (stopRule_ && blockLength_ > bytesRead_)
            stop_ = true;
    }
    if (Cancelled())
        return FuseOutcome::Cancelled;
    if (!stop_) {
        SendBlock();
        PutBits(7, 0); // completes the last byte
    }
    if (stop_)
        return FuseOutcome::NotSmaller;
    FlushOutput();
    return FuseOutcome::Done;
}

size_t FuseEncoder::Fill(uint8_t* buffer, size_t length) {
    size_t total = 0;
    while (total < length) {
        const size_t got = streams_->read(buffer + total, length - total);
        if (got == 0)
            break;
        total += got;
    }
    bytesRead_ += total;
    return total;
}

void FuseEncoder::Advance() {
    --remainder_;
    if (++position_ == 2 * kDicSize) {
        std::memmove(text_.get(), text_.get() + kDicSize, kDicSize + kMaxMatch);
        remainder_ += Fill(text_.get() + kDicSize + kMaxMatch, kDicSize);
        position_ -= kDicSize;
        finder_.Slide();
    }
    match_ = finder_.Insert(position_, remainder_);
}

void FuseEncoder::Output(int code, uint32_t distance) {
    flagMask_ >>= 1;
    if (flagMask_ == 0) {
        flagMask_ = 0x80;
        if (blockLength_ >= kBlockLimit) {
            SendBlock();
            if (stop_)
                return;
            blockLength_ = 0;
        }
        flagPosition_ = blockLength_++;
        block_[flagPosition_] = 0;
    }
    block_[blockLength_++] = static_cast<uint8_t>(code);
    ++cFreq_[code];
    if (code >= 256) {
        block_[flagPosition_] |= flagMask_;
        block_[blockLength_++] = static_cast<uint8_t>(distance >> 8);
        block_[blockLength_++] = static_cast<uint8_t>(distance);
        ++pFreq_[BitLength(distance)];
    }
}

void FuseEncoder::SendBlock() {
    uint32_t size = 0;
    for (uint32_t freq : cFreq_)
        size += freq;
    const int cSymbols = MakeHuffmanCode(cFreq_.data(), kNC, cLength_.data(), cCode_.data());
    PutBits(16, size);
    if (cSymbols >= 2) {
        CountTFreq();
        if (MakeHuffmanCode(tFreq_.data(), kNT, ptLength_.data(), ptCode_.data()) >= 2) {
            WritePtLength(kNT, kTBit, 3);
        } else {
            PutBits(kTBit, 0);
            PutBits(kTBit, static_cast<uint32_t>(SingleSymbol(tFreq_.data(), kNT)));
        }
        WriteCLength();
    } else {
        PutBits(kTBit, 0);
        PutBits(kTBit, 0);
        PutBits(kCBit, 0);
        PutBits(kCBit, static_cast<uint32_t>(SingleSymbol(cFreq_.data(), kNC)));
    }
    if (MakeHuffmanCode(pFreq_.data(), kNP, ptLength_.data(), ptCode_.data()) >= 2) {
        WritePtLength(kNP, kPBit, -1);
    } else {
        PutBits(kPBit, 0);
        PutBits(kPBit, static_cast<uint32_t>(SingleSymbol(pFreq_.data(), kNP)));
    }

    size_t at = 0;
    uint8_t flags = 0;
    for (uint32_t i = 0; i < size && !stop_; ++i) {
        if (i % 8 == 0)
            flags = block_[at++];
        else
            flags = static_cast<uint8_t>(flags << 1);
        if (flags & 0x80) {
            EncodeC(block_[at++] + 256);
            const uint32_t distance = (uint32_t{block_[at]} << 8) | block_[at + 1];
            at += 2;
            EncodeP(distance);
        } else {
            EncodeC(block_[at++]);
        }
    }
    cFreq_.fill(0);
    pFreq_.fill(0);
}

// The c-lengths as the t-tree codes them, trailing zeros dropped: a length L
// as token L + 2, a run of zeros as tokens 0, 1 or 2 with extra bits.
// `visit(token, extraBits, extra)` sees every token in order.
template <typename Visit> void FuseEncoder::ForEachCLengthToken(Visit visit) const {
    int n = kNC;
    while (n > 0 && cLength_[n - 1] == 0)
        --n;
    int i = 0;
    while (i < n) {
        const int length = cLength_[i++];
        if (length != 0) {
            visit(length + 2, 0, 0u);
            continue;
        }
        int zeros = 1;
        while (i < n && cLength_[i] == 0) {
            ++i;
            ++zeros;
        }
        if (zeros <= 2) {
            for (int k = 0; k < zeros; ++k)
                visit(0, 0, 0u);
        } else if (zeros <= 18) {
            visit(1, 4, static_cast<uint32_t>(zeros - 3));
        } else if (zeros == 19) {
            visit(0, 0, 0u);
            visit(1, 4, 15u);
        } else {
            visit(2, kCBit, static_cast<uint32_t>(zeros - 20));
        }
    }
}

void FuseEncoder::CountTFreq() {
    tFreq_.fill(0);
    ForEachCLengthToken([this](int token, int, uint32_t) { ++tFreq_[token]; });
}

void FuseEncoder::WritePtLength(int n, int countBits, int special) {
    while (n > 0 && ptLength_[n - 1] == 0)
        --n;
    PutBits(countBits, static_cast<uint32_t>(n));
    int i = 0;
    while (i < n) {
        const int length = ptLength_[i++];
        if (length <= 6)
            PutBits(3, static_cast<uint32_t>(length));
        else
            PutBits(length - 3, (1u << (length - 3)) - 2); // unary continuation after 7
        if (i == special) {
            while (i < 6 && ptLength_[i] == 0)
                ++i;
            PutBits(2, static_cast<uint32_t>(i - 3));
        }
    }
}

void FuseEncoder::WriteCLength() {
    int n = kNC;
    while (n > 0 && cLength_[n - 1] == 0)
        --n;
    PutBits(kCBit, static_cast<uint32_t>(n));
    ForEachCLengthToken([this](int token, int extraBits, uint32_t extra) {
        PutBits(ptLength_[token], ptCode_[token]);
        PutBits(extraBits, extra);
    });
}

void FuseEncoder::EncodeP(uint32_t distance) {
    const int bits = BitLength(distance);
    PutBits(ptLength_[bits], ptCode_[bits]);
    if (bits > 1)
        PutBits(bits - 1, distance & ((1u << (bits - 1)) - 1));
}

void FuseEncoder::PutBits(int count, uint32_t value) {
    if (count == 0)
        return;
    bitBuffer_ = (bitBuffer_ << count) | (value & ((1u << count) - 1));
    bitCount_ += count;
    while (bitCount_ >= 8) {
        bitCount_ -= 8;
        PutByte(static_cast<uint8_t>(bitBuffer_ >> bitCount_));
    }
    bitBuffer_ &= (1u << bitCount_) - 1;
}

void FuseEncoder::PutByte(uint8_t byte) {
    if (stop_)
        return;
    if (stopRule_ && produced_ >= bytesRead_) {
        stop_ = true;
        return;
    }
    output_[outputLength_++] = byte;
    ++produced_;
    if (outputLength_ == kOutputBufferSize)
        FlushOutput();
}

void FuseEncoder::FlushOutput() {
    if (outputLength_ == 0)
        return;
    streams_->write(output_.get(), outputLength_);
    outputLength_ = 0;
}

} // namespace tolvane::archive::fuse
