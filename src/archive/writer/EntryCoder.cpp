#include "EntryCoder.h"

#include "archive/codecs/StoredCodec.h"
#include "archive/framework/CipherStage.h"
#include "archive/framework/CrcStage.h"
#include "archive/framework/StreamSink.h"
#include "platform/FileSystem.h"

#include <algorithm>

namespace tolvane::archive {

namespace {

// What the CRC pre-pass of an enciphered entry reads at a time.
constexpr size_t kPrePassStep = size_t{256} << 10;
// Deflate pieces of a large source are never smaller than this, whatever the
// whole limit: each piece starts without the window of the one before.
constexpr int64_t kSmallestPiece = int64_t{64} << 10;

} // namespace

EntryCoder::EntryCoder(Hooks hooks) : hooks_(std::move(hooks)) {}

EntryCoder::~EntryCoder() = default;

void EntryCoder::Leave(EntryResult& result, int code, std::string detail) const {
    result.state = Cancelled() ? EntryResult::State::Cancelled : EntryResult::State::LeftOut;
    result.code = code;
    result.detail = std::move(detail);
    result.grade = ReportGrade::LeftOut;
}

bool EntryCoder::Open(const EntryPlan& plan, EntryResult& result) {
    result = EntryResult{};
    source_ = std::make_unique<TFileStream32>(plan.path, TFileStream32::Mode::Read);
    if (!source_->IsValid() || !source_->Status(atOpen_)) {
        Leave(result, kErrOpeningFile, platform::ErrorText(source_->LastErrorNumber()));
        return false;
    }
    if (!atOpen_.regular) {
        // Replaced by a pipe or a device since the scan: never read from it.
        Leave(result, kErrNotRegularFile, "no longer a regular file");
        return false;
    }
    if (static_cast<uint64_t>(atOpen_.size) > plan.maxSize) {
        Leave(result, kErrUnsupportedOperation, "the file is too large for this archive format");
        result.uncounted = atOpen_.size;
        return false;
    }
    result.state = EntryResult::State::Opened;
    result.size = atOpen_.size;
    result.encrypted = result.size > 0 && plan.encrypt;
    return true;
}

void EntryCoder::Code(const EntryPlan& plan, const std::string& password, TStream32& output,
                      EntryResult& result) {
    const int64_t size = result.size;
    const bool whole = size > 0 && size <= hooks_.wholeLimit && plan.stage != CodingStage::Fuse;
    try {
        if (!(whole ? CodeWhole(plan, password, output, result)
                    : CodeStreamed(plan, password, output, result)))
            return;
    } catch (const StreamReadError& e) {
        Leave(result, kErrOpeningFile,
              e.ErrorNumber() ? platform::ErrorText(e.ErrorNumber()) : std::string(e.what()));
        return;
    }
    if (Cancelled()) {
        result.state = EntryResult::State::Cancelled;
        return;
    }
    result.state = EntryResult::State::Coded;
    platform::FileStatus now;
    if (source_->Status(now) &&
        (now.size != atOpen_.size || now.modifiedNs != atOpen_.modifiedNs)) {
        result.code = kErrFileChanged;
        // The code's message says that it changed; the detail what the entry holds.
        result.detail = "the entry holds the " + std::to_string(size) + " bytes read";
        result.grade = ReportGrade::Warning;
    }
}

EntrySource::Hooks EntryCoder::SourceHooks(bool counted) const {
    // A pre-pass reads the data a second time: it must not move the run's
    // count or its progress.
    return {hooks_.cancel, hooks_.pump, counted ? hooks_.remaining : nullptr,
            counted ? &hooks_.progress : nullptr};
}

bool EntryCoder::CodeWhole(const EntryPlan& plan, const std::string& password, TStream32& output,
                           EntryResult& result) {
    const auto size = static_cast<size_t>(result.size);
    uint8_t* data = piece_.Room(size);
    // One reading gives both the CRC and the data, so an enciphered entry
    // needs no pre-pass and cannot see two versions of the file.
    EntrySource source(*source_, result.size, SourceHooks(true));
    CrcStage crc(source);
    ReadFull(crc, data, size);
    if (Cancelled()) {
        result.state = EntryResult::State::Cancelled;
        return false;
    }
    result.crc = crc.Crc();
    std::span<uint8_t> bytes(data, size);
    result.stage = CodingStage::Store;
    if (plan.stage == CodingStage::Deflate) {
        const std::span<uint8_t> coded = pieces_.Code(plan.level, data, size, true);
        if (coded.size() < size) {
            bytes = coded;
            result.stage = CodingStage::Deflate;
        }
    }
    StreamSink out(output);
    // Both buffers are the coder's own, so the data is enciphered in place.
    CipherStage(StartCipher(password, result, output), out).Write(bytes.data(), bytes.size());
    return true;
}

bool EntryCoder::CodeStreamed(const EntryPlan& plan, const std::string& password, TStream32& output,
                              EntryResult& result) {
    const int64_t size = result.size;
    if (result.encrypted) {
        // The check bytes of the encryption header need the CRC before the data.
        EntrySource first(*source_, size, SourceHooks(false));
        CrcStage crc(first);
        uint8_t* room = piece_.Room(kPrePassStep);
        while (crc.Read(room, kPrePassStep) > 0) {
        }
        if (Cancelled()) {
            result.state = EntryResult::State::Cancelled;
            return false;
        }
        result.crc = crc.Crc();
    }
    BufferCipher* cipher = StartCipher(password, result, output);
    const int64_t dataStart = output.Position();
    // source -> CRC -> coder -> cipher -> output, for every coding.
    StreamSink out(output);
    CipherStage sink(cipher, out);
    EntrySource source(*source_, size, SourceHooks(true));
    CrcStage crc(source);
    bool storeInstead = false;
    if (size == 0 || plan.stage == CodingStage::Store) {
        result.stage = CodingStage::Store;
        EncodeStored(crc, sink, piece_);
    } else if (plan.stage == CodingStage::Fuse) {
        result.stage = CodingStage::Fuse;
        if (!fuse_)
            fuse_ = std::make_unique<fuse::FuseEncoder>();
        const fuse::FuseOutcome outcome = fuse_->Encode(crc, sink, hooks_.cancel);
        if (outcome == fuse::FuseOutcome::Cancelled || Cancelled()) {
            result.state = EntryResult::State::Cancelled;
            return false;
        }
        storeInstead = outcome != fuse::FuseOutcome::Done || output.Position() - dataStart >= size;
    } else {
        result.stage = CodingStage::Deflate;
        const auto pieceSize = static_cast<size_t>(std::max(hooks_.wholeLimit, kSmallestPiece));
        storeInstead =
            pieces_.Encode(plan.level, pieceSize, size, crc, sink, piece_, hooks_.cancel) &&
            !Cancelled() && output.Position() - dataStart >= size;
    }
    uint32_t readCrc = crc.Crc();
    if (storeInstead) {
        // Coded data that is not smaller than its source is taken back from
        // the output, as zip does, and the entry stored from the start,
        // enciphered afresh (the keys moved on over the coded bytes).
        if (hooks_.remaining)
            *hooks_.remaining += source.Done();
        output.SetSize(dataStart);
        output.Seek(0, SeekOrigin::End);
        if (cipher) {
            const auto header = cipher_->MakeHeader(password, result.crc);
            output.SetPosition(dataStart - static_cast<int64_t>(header.size()));
            output.WriteBuffer(header.data(), static_cast<int64_t>(header.size()));
        }
        result.stage = CodingStage::Store;
        EntrySource again(*source_, size, SourceHooks(true));
        CrcStage crcAgain(again);
        EncodeStored(crcAgain, sink, piece_);
        readCrc = crcAgain.Crc();
    }
    if (!cipher) {
        result.crc = readCrc;
    } else if (!Cancelled() && readCrc != result.crc) {
        // The CRC came from the pre-pass: both readings must have seen the same bytes.
        Leave(result, kErrFileChanged, "the file changed while it was read");
        return false;
    }
    return true;
}

BufferCipher* EntryCoder::StartCipher(const std::string& password, const EntryResult& result,
                                      TStream32& output) {
    if (!result.encrypted)
        return nullptr;
    if (!cipher_)
        cipher_ = hooks_.makeCipher();
    const auto header = cipher_->MakeHeader(password, result.crc);
    output.WriteBuffer(header.data(), static_cast<int64_t>(header.size()));
    return cipher_.get();
}

} // namespace tolvane::archive
