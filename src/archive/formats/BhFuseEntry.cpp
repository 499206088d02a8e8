// The cmFuse route of the BH writer: header and name, the encryption header
// when Password is set, the Fuse-coded data (or the file stored when coding
// does not pay), then the header written again with the final values.
#include "BhWriter.h"

#include "archive/framework/ByteOrder.h"
#include "archive/framework/CalcStreamCRC.h"
#include "archive/framework/Crc.h"
#include "archive/framework/FileStream32.h"
#include "archive/writer/WriterError.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cerrno>

namespace tolvane::archive {

using namespace bh;

bool TBhWriter::CompressFile(TStream32& output, size_t index, TCompHeaderObj& list) {
    // A folder entry carries no data: it is written the same way by every method.
    if (CompressMethod() != cmFuse || (run_.entry.attributes & platform::kAttrDirectory))
        return TCompBase::CompressFile(output, index, list);
    return CompressFuse(output, index, list);
}

void TBhWriter::WriteHeaderAndName(TStream32& output) {
    output.WriteBuffer(header_.data(), static_cast<int64_t>(kHeaderSize));
    output.WriteBuffer(run_.entryStoredBytes.data(),
                       static_cast<int64_t>(run_.entryStoredBytes.size()));
}

bool TBhWriter::CompressFuse(TStream32& output, size_t index, TCompHeaderObj& list) {
    HeaderItem& item = list[index];
    TFileStream32 source(item.path, TFileStream32::Mode::Read);
    const int64_t size = SourceSize(item, source);
    if (size < 0)
        return false;
    bool encrypted = item.info.encryption != emNone;
    run_.entry.uncompressedSize = static_cast<uint64_t>(size);
    StoreLE32(header_.data() + kOffUncompressed, static_cast<uint32_t>(size));
    run_.encrypted = encrypted;
    run_.methodUsed = 3;
    run_.entryCrc = 0xFFFFFFFFu;
    run_.currentFileSize = size;

    const int64_t start = output.Position();
    run_.entryStoredBytes = EncodeStoredName(run_.entryName, run_.entryNameUtf8);
    ZipCipher::Header encryptionHeader{};
    uint32_t prePassCrc = 0;
    try {
        WriteHeaderAndName(output);
        if (encrypted) {
            const uint32_t reg =
                CrcPrePass(source, size, &cancel_, ProcessMessages ? &ProcessMessages : nullptr);
            if (Cancelled())
                return false;
            prePassCrc = reg ^ 0xFFFFFFFFu;
            encryptionHeader = cipher_.MakeEncryptionHeader(Password, prePassCrc);
            output.WriteBuffer(encryptionHeader.data(),
                               static_cast<int64_t>(encryptionHeader.size()));
        }
        int64_t dataStart = output.Position();

        // The read routine: never past the size the entry was begun with, so a
        // file that grows meanwhile still gets a consistent entry.
        int64_t read = 0;
        uint32_t crc = kCrc32Start;
        fuse::FuseStreams streams;
        streams.read = [&](uint8_t* buffer, size_t length) -> size_t {
            const int64_t want = std::min<int64_t>(static_cast<int64_t>(length), size - read);
            if (want <= 0)
                return 0;
            const int64_t got = source.Read(buffer, want);
            if (got < 0)
                throw StreamReadError("read error", source.LastErrorNumber());
            if (got == 0)
                throw StreamReadError("the file became shorter while it was read", 0);
            crc = UpdateCrc32(crc, buffer, static_cast<size_t>(got));
            read += got;
            run_.remaining -= got;
            ProgressRoutine(read);
            return static_cast<size_t>(got);
        };
        streams.write = [&](uint8_t* data, size_t length) {
            if (encrypted)
                cipher_.EncryptBuffer(data, length);
            output.WriteBuffer(data, static_cast<int64_t>(length));
        };
        streams.cancel = &cancel_;
        if (!fuseEncoder_)
            fuseEncoder_ = std::make_unique<fuse::FuseEncoder>();
        const fuse::FuseOutcome outcome = fuseEncoder_->Encode(streams);
        if (outcome == fuse::FuseOutcome::Cancelled || Cancelled())
            return false;

        const int64_t coded = output.Position() - dataStart;
        if (outcome == fuse::FuseOutcome::Done && coded < size) {
            run_.entryCrc = crc ^ 0xFFFFFFFFu;
            if (encrypted && run_.entryCrc != prePassCrc) {
                // The check bytes were made from the first reading.
                ReportError(item.path, "the file changed while it was read; left out", runArchive_,
                            kErrFileChanged, ReportGrade::LeftOut);
                return false;
            }
            FinishLocalHeader(static_cast<uint64_t>(size), static_cast<uint64_t>(coded));
        } else {
            // Coding does not pay: store the file instead.
            run_.methodUsed = 0;
            run_.remaining += read;
            output.SetSize(dataStart);
            if (encrypted && size == 0) {
                // Empty files are never enciphered.
                dataStart -= static_cast<int64_t>(ZipCipher::kHeaderSize);
                output.SetSize(dataStart);
                encrypted = false;
                run_.encrypted = false;
            } else if (encrypted) {
                // The keys moved on with the coded bytes: start them afresh.
                encryptionHeader = cipher_.MakeEncryptionHeader(Password, prePassCrc);
                output.SetPosition(dataStart - static_cast<int64_t>(ZipCipher::kHeaderSize));
                output.WriteBuffer(encryptionHeader.data(),
                                   static_cast<int64_t>(encryptionHeader.size()));
            }
            output.Seek(0, SeekOrigin::End);
            run_.entryCrc = 0xFFFFFFFFu;
            if (!StoreData(source, output, encrypted ? &cipher_ : nullptr, size))
                return false;
            if (encrypted)
                run_.entryCrc = prePassCrc;
            const int64_t stored = output.Position() - dataStart;
            FinishLocalHeader(static_cast<uint64_t>(size),
                              static_cast<uint64_t>(stored) +
                                  (encrypted ? ZipCipher::kHeaderSize : 0));
        }
    } catch (const StreamReadError& e) {
        ReportReadFailure(item.path, e);
        return false;
    } catch (const StreamWriteError& e) {
        RaiseWriteFailure(e);
    }
    // A coded and enciphered entry was checked against the pre-pass CRC above.
    if (Cancelled() || !SourceUnchanged(item, source, run_.encrypted && run_.methodUsed == 0))
        return false;

    output.SetPosition(start);
    WriteHeaderAndName(output);
    if (run_.encrypted)
        output.WriteBuffer(encryptionHeader.data(), static_cast<int64_t>(encryptionHeader.size()));
    output.Seek(0, SeekOrigin::End);
    BuildCentralRecord(index, list);
    return true;
}

} // namespace tolvane::archive
