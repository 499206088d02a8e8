// The one data path of an entry, whatever its coding: the source opened and
// sized, the coding stage (store, deflate or Fuse), the encryption header,
// the store fall-back when coding does not pay, and the checks that the
// source did not change under the reader. A format only writes the header
// around it. A source within the coder's whole limit is read once into memory
// and coded in one call; a larger one is coded a piece at a time, after a CRC
// pre-pass when it is enciphered.
#pragma once

#include "EntryContext.h"
#include "EntrySource.h"
#include "WriterError.h"

#include "archive/codecs/DeflateLevel.h"
#include "archive/codecs/DeflatePieces.h"
#include "archive/codecs/FuseEncoder.h"
#include "archive/framework/BufferCipher.h"
#include "archive/framework/FileStream32.h"
#include "archive/framework/ScratchBuffer.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tolvane::archive {

// The traditional ZIP cipher as a format provides it, one per coder.
class EntryCipher : public BufferCipher {
public:
    static constexpr size_t kHeaderSize = 12;
    using Header = std::array<uint8_t, kHeaderSize>;
    // Sets the keys from `password` and returns the enciphered header for an
    // entry whose CRC-32 is `crc`; the keys are then ready for the data.
    virtual Header MakeHeader(const std::string& password, uint32_t crc) = 0;
};

// What the writer decided for an entry before its data is read.
struct EntryPlan {
    std::string path;
    CodingStage stage = CodingStage::Deflate;
    TDeflateType level = dtDeflateN;
    bool encrypt = false;          // unless the file turns out empty
    uint64_t maxSize = UINT64_MAX; // the largest source the format's size fields hold
};

// What coding an entry came to.
struct EntryResult {
    enum class State {
        Opened,    // after Open: ready to code
        Coded,     // the entry's data is written
        LeftOut,   // the file is not in the archive (see the report)
        Cancelled, // the run's cancel flag stopped it
    };
    State state = State::LeftOut;
    int64_t size = 0; // what the entry takes of the source: its size when opened
    uint32_t crc = 0;
    CodingStage stage = CodingStage::Store; // as used: a coding that does not pay is stored
    bool encrypted = false;
    // A report for the entry's turn: a warning with Coded, the reason with LeftOut.
    int code = 0;
    std::string detail;
    ReportGrade grade = ReportGrade::Warning;
    // Bytes of a left-out source that the run's remaining count still holds.
    int64_t uncounted = 0;

    bool HasReport() const { return code != 0; }
};

class EntryCoder {
public:
    struct Hooks {
        const platform::CancelToken* cancel = nullptr;
        // Called between pieces of work; only ever on the writer's own thread.
        const std::function<void()>* pump = nullptr;
        // The run's count of bytes still to read, lowered as the source is read.
        int64_t* remaining = nullptr;
        // Called with the bytes of the source read so far.
        std::function<void(int64_t position)> progress;
        std::function<std::unique_ptr<EntryCipher>()> makeCipher;
        // Sources up to this size are read whole and coded in memory, larger
        // ones in deflate pieces of this size; the coder holds about three
        // times this many bytes.
        int64_t wholeLimit = 0;
    };

    explicit EntryCoder(Hooks hooks);
    ~EntryCoder();
    EntryCoder(const EntryCoder&) = delete;
    EntryCoder& operator=(const EntryCoder&) = delete;

    // Opens and sizes the source; false with the report in `result` when it
    // cannot be used (a file that is gone, a pipe swapped in, too large).
    bool Open(const EntryPlan& plan, EntryResult& result);

    // Writes the opened source's [encryption header][data] at the output's
    // position and fills `result`. Throws StreamWriteError when the output
    // cannot be written; a source that fails is a report in `result`.
    void Code(const EntryPlan& plan, const std::string& password, TStream32& output,
              EntryResult& result);

private:
    bool Cancelled() const { return hooks_.cancel && hooks_.cancel->Requested(); }
    // Each codes the opened source into `output`; false when it settled
    // `result` itself (cancelled, or the file left out).
    bool CodeWhole(const EntryPlan& plan, const std::string& password, TStream32& output,
                   EntryResult& result);
    bool CodeStreamed(const EntryPlan& plan, const std::string& password, TStream32& output,
                      EntryResult& result);
    EntrySource::Hooks SourceHooks(bool counted) const;
    // Writes the encryption header of an enciphered entry and returns the
    // cipher set up for its data; nullptr for an entry that is not.
    BufferCipher* StartCipher(const std::string& password, const EntryResult& result,
                              TStream32& output);
    void Leave(EntryResult& result, int code, std::string detail) const;

    Hooks hooks_;
    std::unique_ptr<TFileStream32> source_;
    platform::FileStatus atOpen_;
    std::unique_ptr<fuse::FuseEncoder> fuse_;
    DeflatePieces pieces_;
    ScratchBuffer piece_;
    std::unique_ptr<EntryCipher> cipher_;
};

} // namespace tolvane::archive
