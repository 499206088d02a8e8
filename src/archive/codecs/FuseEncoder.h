// The Fuse encoder: LZSS with lazy matching over a 16 KiB window, the codes
// collected in blocks and sent with static Huffman trees in the block layout
// of the LHA family's lh5 method.
#pragma once

#include "FuseMatchFinder.h"
#include "FuseParameters.h"

#include "archive/framework/ByteSink.h"

#include "platform/CancelToken.h"
#include <array>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace tolvane::archive::fuse {

struct FuseStreams {
    // Fills up to `length` bytes of source and returns how many (0 at the
    // end). May throw; the encoder then stops where it is.
    std::function<size_t(uint8_t* buffer, size_t length)> read;
    // Takes coded bytes; may change them in place (a cipher does). May throw.
    std::function<void(uint8_t* data, size_t length)> write;
    const platform::CancelToken* cancel = nullptr;
};

enum class FuseOutcome {
    Done,       // the whole source is coded and written
    NotSmaller, // the coded data caught up with the source: the output is incomplete
    Cancelled,
};

class FuseEncoder {
public:
    // Allocates the work areas; one encoder serves one entry after another.
    FuseEncoder();

    // Codes the whole source. With `stopWhenNotSmaller` (what an archive
    // writer wants) the encoder gives up as soon as its output is as long as
    // the input read so far, instead of producing a stream that does not pay.
    FuseOutcome Encode(const FuseStreams& streams, bool stopWhenNotSmaller = true);
    // The same from a source into a sink.
    FuseOutcome Encode(ByteSource& source, ByteSink& sink, const platform::CancelToken* cancel,
                       bool stopWhenNotSmaller = true);

private:
    size_t Fill(uint8_t* buffer, size_t length);
    // Moves to the next position (sliding the window when it reaches the end)
    // and finds its match.
    void Advance();
    void Output(int code, uint32_t distance);
    void SendBlock();
    template <typename Visit> void ForEachCLengthToken(Visit visit) const;
    void CountTFreq();
    void WritePtLength(int n, int countBits, int special);
    void WriteCLength();
    void EncodeC(int code) { PutBits(cLength_[code], cCode_[code]); }
    void EncodeP(uint32_t distance);
    void PutBits(int count, uint32_t value);
    void PutByte(uint8_t byte);
    void FlushOutput();
    bool Cancelled() const { return streams_->cancel && streams_->cancel->Requested(); }

    std::unique_ptr<uint8_t[]> text_;   // 2 * kDicSize + kMaxMatch + 1
    std::unique_ptr<uint8_t[]> block_;  // kBlockBufferSize + 1
    std::unique_ptr<uint8_t[]> output_; // kOutputBufferSize + 1
    FuseMatchFinder finder_;

    std::array<uint32_t, kNC> cFreq_{};
    std::array<uint32_t, kNT> tFreq_{};
    std::array<uint32_t, kNP> pFreq_{};
    std::array<uint8_t, kNC> cLength_{};
    std::array<uint16_t, kNC> cCode_{};
    std::array<uint8_t, kNT> ptLength_{}; // t-tree, then p-tree, of the block being sent
    std::array<uint16_t, kNT> ptCode_{};

    const FuseStreams* streams_ = nullptr;
    bool stopRule_ = true;
    bool stop_ = false;
    uint64_t bytesRead_ = 0;
    uint64_t produced_ = 0;

    size_t position_ = 0;
    size_t remainder_ = 0; // bytes from position_ on that are in the window
    Match match_;

    size_t blockLength_ = 0;
    size_t flagPosition_ = 0;
    uint8_t flagMask_ = 0;

    uint32_t bitBuffer_ = 0;
    int bitCount_ = 0;
    size_t outputLength_ = 0;
};

} // namespace tolvane::archive::fuse
