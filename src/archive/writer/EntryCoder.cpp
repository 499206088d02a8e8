#include "EntryCoder.h"

#include "archive/framework/CalcStreamCRC.h"
#include "archive/framework/Crc.h"
#include "archive/framework/CrcReadStream.h"
#include "archive/framework/StoreStream.h"
#include "platform/FileSystem.h"

#include <algorithm>

namespace tolvane::archive {

namespace {

// A source is read in slices of this size, so that progress and a request
// to stop come between them.
constexpr size_t kReadSlice = size_t{256} << 10;
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

void EntryCoder::ReadPiece(TStream32& input, uint8_t* data, size_t size, int64_t& done) {
    size_t got = 0;
    while (got < size && !Cancelled()) {
        if (hooks_.pump)
            (*hooks_.pump)();
        const size_t want = std::min(size - got, kReadSlice);
        const int64_t read = input.Read(data + got, static_cast<int64_t>(want));
        if (read <= 0) {
            const int error = source_->LastErrorNumber();
            throw StreamReadError(
                error ? "read error" : "the file became shorter while it was read", error);
        }
        got += static_cast<size_t>(read);
        done += read;
        if (hooks_.remaining)
            *hooks_.remaining -= read;
        if (hooks_.progress)
            hooks_.progress(done);
    }
}

bool EntryCoder::CodeWhole(const EntryPlan& plan, const std::string& password, TStream32& output,
                           EntryResult& result) {
    const auto size = static_cast<size_t>(result.size);
    uint8_t* source = piece_.Room(size);
    // One reading gives both the CRC and the data, so an enciphered entry
    // needs no pre-pass and cannot see two versions of the file.
    source_->SetPosition(0);
    int64_t done = 0;
    ReadPiece(*source_, source, size, done);
    if (Cancelled()) {
        result.state = EntryResult::State::Cancelled;
        return false;
    }
    result.crc = UpdateCrc32(kCrc32Start, source, size) ^ 0xFFFFFFFFu;
    std::span<uint8_t> data(source, size);
    result.method = 0;
    if (plan.stage == CodingStage::Deflate) {
        const std::span<uint8_t> coded = pieces_.Code(plan.level, source, size, true);
        if (coded.size() < size) {
            data = coded;
            result.method = 8;
        }
    }
    if (result.encrypted) {
        if (!cipher_)
            cipher_ = hooks_.makeCipher();
        const auto header = cipher_->MakeHeader(password, result.crc);
        output.WriteBuffer(header.data(), static_cast<int64_t>(header.size()));
        // Both buffers are the coder's own, so the data is enciphered in place.
        cipher_->EncryptBuffer(data.data(), data.size());
    }
    output.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
    return true;
}

bool EntryCoder::CodeStreamed(const EntryPlan& plan, const std::string& password, TStream32& output,
                              EntryResult& result) {
    const int64_t size = result.size;
    TFileStream32& source = *source_;
    BufferCipher* cipher = nullptr;
    if (result.encrypted) {
        // The check bytes of the encryption header need the CRC before the data.
        if (!cipher_)
            cipher_ = hooks_.makeCipher();
        const uint32_t reg = CrcPrePass(source, size, hooks_.cancel, hooks_.pump);
        if (Cancelled()) {
            result.state = EntryResult::State::Cancelled;
            return false;
        }
        result.crc = reg ^ 0xFFFFFFFFu;
        const auto header = cipher_->MakeHeader(password, result.crc);
        output.WriteBuffer(header.data(), static_cast<int64_t>(header.size()));
        cipher = cipher_.get();
    }
    const int64_t dataStart = output.Position();
    // An enciphered entry's CRC came from the pre-pass; its data is read
    // through a second CRC to see that both readings saw the same bytes.
    TCrcReadStream checked(source);
    TStream32& input = cipher ? static_cast<TStream32&>(checked) : source;

    // The coding does not pay: the entry is stored, enciphered afresh (the
    // keys moved on over the coded bytes), from the start of the source.
    auto storeInstead = [&](int64_t alreadyCounted) {
        if (hooks_.remaining)
            *hooks_.remaining += alreadyCounted;
        output.SetSize(dataStart);
        output.Seek(0, SeekOrigin::End);
        if (cipher) {
            const auto header = cipher_->MakeHeader(password, result.crc);
            output.SetPosition(dataStart - static_cast<int64_t>(header.size()));
            output.WriteBuffer(header.data(), static_cast<int64_t>(header.size()));
        }
        result.method = 0;
        StoreInto(input, output, cipher, size, result);
    };

    if (size == 0 || plan.stage == CodingStage::Store) {
        result.method = 0;
        StoreInto(input, output, cipher, size, result);
    } else if (plan.stage == CodingStage::Fuse) {
        result.method = 3;
        const fuse::FuseOutcome outcome = FuseInto(input, output, cipher, size, result);
        if (outcome == fuse::FuseOutcome::Cancelled || Cancelled()) {
            result.state = EntryResult::State::Cancelled;
            return false;
        }
        if (outcome != fuse::FuseOutcome::Done || output.Position() - dataStart >= size)
            storeInstead(input.Position());
    } else {
        // Coded data that is not smaller than its source is taken back
        // from the output, as zip does.
        result.method = 8;
        if (DeflateInto(input, output, cipher, plan.level, size, result) && !Cancelled() &&
            output.Position() - dataStart >= size)
            storeInstead(size);
    }
    if (cipher && !Cancelled() && checked.Crc() != result.crc) {
        Leave(result, kErrFileChanged, "the file changed while it was read");
        return false;
    }
    return true;
}

void EntryCoder::StoreInto(TStream32& input, TStream32& output, BufferCipher* cipher, int64_t size,
                           EntryResult& result) {
    // Enciphered, the pre-pass CRC is carried; otherwise the stream takes its own.
    CodecRecord record{cipher ? result.crc : kCrc32Start, hooks_.remaining, hooks_.cancel, cipher,
                       hooks_.pump};
    TStoreStream store(output, record, CrcKind::Crc32);
    store.SetCancelToken(hooks_.cancel);
    if (hooks_.pump)
        store.SetMessagePump(*hooks_.pump);
    if (hooks_.progress)
        store.SetProgressRoutine(hooks_.progress);
    input.SetPosition(0);
    const int64_t copied = size == 0 ? 0 : store.CopyFrom(input, size);
    if (!cipher)
        result.crc = store.CrcRegister() ^ 0xFFFFFFFFu;
    if (copied != size && !Cancelled())
        throw StreamReadError("the file became shorter while it was read", 0);
}

bool EntryCoder::DeflateInto(TStream32& input, TStream32& output, BufferCipher* cipher,
                             TDeflateType level, int64_t size, EntryResult& result) {
    const size_t pieceSize = static_cast<size_t>(std::max(hooks_.wholeLimit, kSmallestPiece));
    uint8_t* piece = piece_.Room(pieceSize);
    // Enciphered, the pre-pass CRC is carried; otherwise it is taken here.
    uint32_t reg = kCrc32Start;
    int64_t done = 0;
    input.SetPosition(0);
    while (done < size) {
        const auto length = static_cast<size_t>(std::min<int64_t>(pieceSize, size - done));
        ReadPiece(input, piece, length, done);
        if (Cancelled())
            return false;
        if (!cipher)
            reg = UpdateCrc32(reg, piece, length);
        const std::span<uint8_t> coded = pieces_.Code(level, piece, length, done == size);
        if (cipher)
            cipher->EncryptBuffer(coded.data(), coded.size());
        output.WriteBuffer(coded.data(), static_cast<int64_t>(coded.size()));
    }
    if (!cipher)
        result.crc = reg ^ 0xFFFFFFFFu;
    return true;
}

fuse::FuseOutcome EntryCoder::FuseInto(TStream32& input, TStream32& output, BufferCipher* cipher,
                                       int64_t size, EntryResult& result) {
    // Never past the size the entry was begun with, so a file that grows
    // meanwhile still gets a consistent entry.
    int64_t read = 0;
    uint32_t crc = kCrc32Start;
    fuse::FuseStreams streams;
    input.SetPosition(0);
    streams.read = [&](uint8_t* buffer, size_t length) -> size_t {
        const int64_t want = std::min<int64_t>(static_cast<int64_t>(length), size - read);
        if (want <= 0)
            return 0;
        const int64_t got = input.Read(buffer, want);
        if (got < 0)
            throw StreamReadError("read error", source_->LastErrorNumber());
        if (got == 0)
            throw StreamReadError("the file became shorter while it was read", 0);
        crc = UpdateCrc32(crc, buffer, static_cast<size_t>(got));
        read += got;
        if (hooks_.remaining)
            *hooks_.remaining -= got;
        if (hooks_.progress)
            hooks_.progress(read);
        return static_cast<size_t>(got);
    };
    streams.write = [&](uint8_t* data, size_t length) {
        if (cipher)
            cipher->EncryptBuffer(data, length);
        output.WriteBuffer(data, static_cast<int64_t>(length));
    };
    streams.cancel = hooks_.cancel;
    if (!fuse_)
        fuse_ = std::make_unique<fuse::FuseEncoder>();
    const fuse::FuseOutcome outcome = fuse_->Encode(streams);
    if (!cipher)
        result.crc = crc ^ 0xFFFFFFFFu;
    return outcome;
}

} // namespace tolvane::archive
