// TCustomCClass: the archive writer. Compress drives a run (checks, temporary
// output, old directory, scan and merge, write loop, replacement of the
// archive); a format takes part through a few protected hooks that encode
// and read its records, told of each entry by an EntryContext.
#pragma once

#include "HeaderList.h"
#include "ZipCommon.h"
#include "archive/framework/Crc.h"
#include "archive/framework/FileScan.h"
#include "archive/framework/Stream32.h"

#include "CodeAhead.h"
#include "EntryCoder.h"
#include "EntryContext.h"

#include "archive/codecs/DeflateLevel.h"

#include "platform/File.h"
#include "platform/FileIdentity.h"

#include "platform/Expected.h"
#include <cstdint>
#include <memory>

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tolvane::archive {

class TFileStream32;
class TTempFileStream;

// The current entry's sizes, date-time and attributes.
struct EntryInfo {
    uint64_t uncompressedSize = 0;
    uint64_t compressedSize = 0;
    uint32_t dosDateTime = 0;
    uint32_t attributes = 0;
};

// The 24 extensions stored without compression by default.
const std::vector<std::string>& ArchiveExtensions();

class TCustomCClass : public TZipCommon {
public:
    ~TCustomCClass() override;

    // Published properties without setter behaviour.
    TSwitch Switch = swAdd;
    TDeflateType DeflateType = dtDeflateN;
    TCompressionMethod CompressionMethod = cmTempFile;
    TDateAttribute DateAttribute = daFileDate;
    TDeleteOptions DeleteOptions = doAllowUndo;
    bool IncludeHiddenDirs = false;
    bool RecurseDirs = true;
    bool StoreEmptySubDirs = false;
    bool VerifyBeforeDelete = false;
    std::string Password;
    std::string DefaultDir;
    // Reads the new archive back and checks every entry before it replaces
    // the old one (like zip -T); a failure leaves the old archive as it was.
    bool TestBeforeReplace = false;
    // Threads that code entries: 0 as many as the machine has cores, 1 every
    // entry in its turn on the calling thread. The archive's bytes are the
    // same whatever the number.
    int CodingThreads = 0;
    // The coded bytes that may wait for the writer in memory, in all; sources
    // above an eighth of it are coded into temporary files instead.
    int64_t CodeAheadBudget = 8 << 20;
    // Files and folders the scan passes over in silence, by identity: a
    // host's own outputs inside the folders it packs. The archive itself and
    // the run's temporary output are passed over without being named here.
    platform::FileIdentities ExcludeFiles;

    const std::string& ArchiveFile() const { return archiveFile_; }
    void SetArchiveFile(const std::string& value);
    TArcType ArcType() const { return traits_.arcType; }
    virtual void SetArcType(TArcType value);
    const std::string& DefaultExt() const { return defaultExt_; }
    void SetDefaultExt(const std::string& value);
    // The stored folder if it exists, else the system's temporary folder.
    std::string TempDir();
    void SetTempDir(const std::string& value);
    TCompressMethod CompressMethod() const { return compressMethod_; }
    // A method the format does not accept is ignored.
    void SetCompressMethod(TCompressMethod value);
    const std::vector<std::string>& StoreFilesOfType() const { return storeFilesOfType_; }
    void SetStoreFilesOfType(const std::vector<std::string>& lines) { storeFilesOfType_ = lines; }

    // Runs the operation that Switch selects on ArchiveFile; returns the number
    // of files compressed (swDelete: entries removed), 0 when cancelled or when
    // the run did not start. Never throws: failures are reported through OnError.
    int32_t Compress();
    // The sizes of the files the last run compressed, in all (folders count 0).
    int64_t BytesCompressed() const { return run_.compressedBytes; }

protected:
    // What a format is, fixed when it is made.
    struct FormatTraits {
        TArcType arcType = atNA;
        std::string ext;                    // the default extension, ".ZIP"
        uint32_t methods = 0;               // the TCompressMethods it writes, as bits 1 << method
        uint64_t maxEntrySize = UINT64_MAX; // the largest source its size fields describe
    };
    explicit TCustomCClass(FormatTraits traits);

    // The format's part of a run. Each encodes or reads what the writer hands
    // it and reports a failure by RaiseError; none reads the run's state.

    // Encryption given to new entries, as this writer's properties decide it.
    virtual TEncryptionMethod ItemEncryption() const = 0;
    // The entry's header, name and extra fields as they stand before its
    // data. Written once before the data (with the sizes, CRC and stage not
    // yet known) and again over it after: both must have the same length.
    virtual std::vector<uint8_t> EncodeLocalHeader(const EntryContext& entry) const = 0;
    // Keeps in `item` what the directory needs of the entry just written.
    virtual void EncodeCentralRecord(const EntryContext& entry, HeaderItem& item) const = 0;
    // The old archive's entries into `list` as Keep items, each with its
    // offset, sizes, date-time, attributes and encryption; `archive` stands
    // at the first entry. Refuses (raises) an archive it cannot take whole.
    virtual void ReadDirectory(TStream32& archive, TCompHeaderObj& list) = 0;
    // Length of a kept entry; `oldArchive` stands at the entry's start and must
    // be left there.
    virtual uint64_t KeptEntryLength(TStream32& oldArchive, const HeaderItem& item) = 0;
    // Copies the kept entry at `oldArchive`'s position under its new name,
    // item.Path(), and updates the item's record.
    virtual void CopyRenamed(TStream32& oldArchive, TStream32& output, HeaderItem& item) = 0;
    // Whatever follows the entries: the directory and end records.
    virtual void WriteDirectory(TStream32& output, const TCompHeaderObj& list) = 0;
    // Reads the finished output at `path` back and checks every entry (sizes,
    // CRC-32, with Password for enciphered ones); a failure names the entry
    // or the file and what is wrong.
    virtual platform::Expected<void> TestOutput(const std::string& path) = 0;
    // The traditional ZIP cipher for an enciphered entry, one per coder.
    // Called from the workers' threads too, so it must not touch the writer's state.
    virtual std::unique_ptr<EntryCipher> MakeEntryCipher() const = 0;

    // Two points where a writer made for one host may differ from the base
    // (the formats leave them): the stored name (list form) of the file at
    // `path`, by StoredDirNames; and the run between the checks and the end.
    virtual std::string StoredNameOf(const std::string& path) const;
    virtual void UpdateArchive(TCompHeaderObj& list);

    // Stored-name bytes of `name`: "/" separators, OEM when TranslateOemChar
    // is set. Folder names take the same path as file names: readers (ours
    // included) decode every name alike, so an unconverted folder name would
    // come back garbled and be added again by the next update. `utf8` tells that
    // the name kept its own bytes because the OEM code page lacks one of its characters.
    std::string EncodeStoredName(const std::string& name, bool& utf8) const;

private:
    // Run state: reset at the start of every run.
    struct RunState {
        int32_t compressedCount = 0;
        int64_t compressedBytes = 0;
        platform::FileIdentities passedOver; // ExcludeFiles, the archive and the output
        int32_t removedCount = 0;
        int32_t removeMarked = 0;
        bool changed = false;
        bool replaced = false; // the new archive has taken the old one's place
        uint32_t highestFileDate = 0;
        int64_t total = 0;
        int64_t remaining = 0;
        int64_t currentFileSize = 0;
        int64_t partial = 0; // bytes a worker has read of the entry the writer waits for
        EntryInfo entry;
        uint32_t entryDateTime = 0;
        std::string entryName;        // stored name (list form)
        std::string entryStoredBytes; // the bytes written as the name
        bool entryNameUtf8 = false;
        std::string rootFolder;
        bool newArchiveThisRun = false;
        std::string tempFileName;
        int64_t oldArchiveSize = 0;
        std::vector<std::string> filesToDelete;
        std::unordered_map<std::string, bool> folderHoldsFile;
        std::unique_ptr<EntryCoder> coder; // the writer's own, for entries not coded ahead
        std::unique_ptr<CodeAhead> ahead;  // the workers, when there are several threads
    };

    bool AcceptFile(TkroFileScan& sender, const std::string& path, const platform::DirEntry& entry);
    void MergeFile(const std::string& fullPath, const std::string& storedName,
                   const EntryInfo& info);
    void AddNewItem(const std::string& fullPath, const std::string& storedName,
                    const EntryInfo& info);
    // The scan's facts of a file to add, kept in its item.
    static void TakeInfo(HeaderItem& item, const EntryInfo& info);
    static EntryInfo InfoOf(const HeaderItem& item);
    bool FolderHoldsNoFile(const std::string& folder);
    // The unclaimed kept entry whose stored bytes are those `storedName`
    // would be written as, or -1.
    ptrdiff_t FindKeptByStoredBytes(const TCompHeaderObj& list,
                                    const std::string& storedName) const;
    // Whether swDelete removes the entry `name`: a FileSpec mask selects it
    // (whole name or name part) and no ExcludeSpec mask spares it.
    bool SelectedForRemoval(const std::string& name) const;
    // Whether this run would encipher a new entry for `file`.
    bool WouldEncrypt(const EntryInfo& file) const;
    bool ArchiveIsWriteable(const std::string& archive);
    // ReadDirectory, then swDelete's choice of the entries it drops.
    void ReadOldArchive(TStream32& archive, TCompHeaderObj& list);
    void ScanAndMerge(TCompHeaderObj& list);
    void WriteLoop(TStream32& output, TStream32* oldArchive, TCompHeaderObj& list);
    // Writes the new entry list[index]; false when it is not in the archive.
    bool AddEntry(TStream32& output, size_t index, TCompHeaderObj& list);
    bool CompressFile(TStream32& output, size_t index, HeaderItem& item);
    void WriteFolderEntry(TStream32& output, HeaderItem& item);
    // The entry being written as the format is told of it.
    EntryContext Context(uint64_t codedSize, uint32_t crc, CodingStage stage, bool encrypted) const;
    void WriteLocalHeader(TStream32& output, const EntryContext& entry) const;
    // The current entry's DOS date-time by DateAttribute.
    uint32_t EntryDateTime() const;
    // Progress routine handed to the streams: ByFile over the current file,
    // ByArchive over the run's total.
    void ProgressRoutine(int64_t position);
    // The output could not be written: 25160 when the disk is full, else
    // 25136; raised, so the run ends and the archive stays as it was.
    [[noreturn]] void RaiseWriteFailure(const StreamWriteError& e);
    // The coding of an entry's data, as this writer's properties decide it.
    EntryPlan PlanEntry(const HeaderItem& item) const;
    EntryCoder::Hooks CoderHooks();
    // Starts the workers on the entries to code, when there are several threads.
    void StartCodeAhead(const TCompHeaderObj& list);
    bool MoveTempFile(TTempFileStream& output, const std::string& archive);
    // OnRead for every entry of the new archive.
    void AfterUpdate(const TCompHeaderObj& list);
    void DeleteSources(const TCompHeaderObj& list);
    void CommonDefaultDir();
    // TestOutput on the output; raises 25304 when it fails.
    void TestNewArchive(TTempFileStream& output);
    bool IsStoredType(const std::string& path) const;

    FormatTraits traits_;
    RunState run_;
    TMemoryStream32 entryBytes_;            // an entry coded ahead in memory, put together
    TCompHeaderObj* mergeTarget_ = nullptr; // during the scan only
    int64_t dataStart_ = -1;
    std::string archiveFile_;
    std::string defaultExt_;
    std::string tempDir_;
    TCompressMethod compressMethod_ = cmDeflate;
    std::vector<std::string> storeFilesOfType_;
    bool newArchive_ = true; // set by SetArchiveFile only
};

class TCompBase : public TCustomCClass {
public:
    using TCustomCClass::TCustomCClass;
};

} // namespace tolvane::archive
