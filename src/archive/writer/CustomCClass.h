// TCustomCClass: the archive writer. Compress drives a run (checks, temporary
// output, old directory, scan and merge, write loop, replacement of the
// archive); the formats take part through the protected virtual hooks.
#pragma once

#include "HeaderList.h"
#include "ZipCommon.h"
#include "archive/framework/Crc.h"
#include "archive/framework/FileScan.h"
#include "archive/framework/Stream32.h"

#include "CodeAhead.h"
#include "EntryCoder.h"

#include "archive/codecs/DeflateLevel.h"

#include "platform/File.h"
#include "platform/FileIdentity.h"

#include <cstdint>
#include <memory>
#include <span>
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
    TCustomCClass(TArcType arcType, std::string formatExt);
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
    TArcType ArcType() const { return arcType_; }
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
    // Format hooks.
    virtual bool AcceptsCompressMethod(TCompressMethod method) const = 0;
    virtual void AfterEntryHeader(TStream32& output);
    virtual void StoredNameOf(const std::string& path);
    virtual bool MoveTempFile(TTempFileStream& output, const std::string& archive);
    // Reads the finished output at `path` back and checks every entry (sizes,
    // CRC-32, with Password for enciphered ones); false with the cause in
    // `problem`. The base accepts every output.
    virtual bool TestOutput(const std::string& path, std::string& problem);
    virtual void UpdateArchive(TCompHeaderObj& list);
    virtual void CopyEntryNewName(TStream32& oldArchive, TStream32& output, TCompHeaderObj& list,
                                  size_t index);
    virtual void BuildCentralRecord(size_t index, TCompHeaderObj& list);
    virtual void InitLocalHeader(HeaderItem& item);
    virtual void AddEntry(TStream32& output, size_t index, bool& ok, TCompHeaderObj& list);
    virtual void FinishLocalHeader(uint64_t uncompressed, uint64_t compressed);
    virtual void StoreEntryInfo(HeaderItem& item, const EntryInfo& info);
    virtual void WriteEmptyArchive(TStream32& output);
    virtual bool CompressFile(TStream32& output, size_t index, TCompHeaderObj& list);
    virtual void EntryDone();
    virtual size_t GetHeadSize() const = 0;
    virtual size_t LocalHeaderSize() const = 0;
    virtual uint8_t* GetHeadPtr() = 0;
    virtual void WriteSizeExtra(TStream32& output, const HeaderItem& item);
    virtual void ReadArchiveDirectory(TStream32& archive, TCompHeaderObj& list);
    virtual void AfterUpdate(TCompHeaderObj& list);
    virtual bool WriteCentralDirectory(TStream32& output, TCompHeaderObj& list);
    virtual void FillEntryInfo(std::span<const uint8_t> record, const HeaderItem& item,
                               EntryInfo& info);
    // Length of a kept entry; `oldArchive` stands at the entry's start and must
    // be left there.
    virtual uint64_t MeasureEntry(TStream32& oldArchive, HeaderItem& item);
    // Largest source the format's size fields can describe.
    virtual uint64_t MaxEntrySize() const { return UINT64_MAX; }
    // Encryption method given to new items.
    virtual TEncryptionMethod ItemEncryption() const { return emNone; }
    // Whether this run would encipher a new entry for `file`.
    virtual bool WouldEncrypt(const EntryInfo& file) const;
    // Whether the kept entry of the old archive is enciphered.
    virtual bool KeptEntryEncrypted(const HeaderItem& item) const;

    // Stored-name bytes of `name`: "/" separators, OEM when TranslateOemChar
    // is set. Folder names take the same path as file names: readers (ours
    // included) decode every name alike, so an unconverted folder name would
    // come back garbled and be added again by the next update. `utf8` tells that
    // the name kept its own bytes because the OEM code page lacks one of its characters.
    std::string EncodeStoredName(const std::string& name, bool& utf8) const;
    // Whether swDelete removes the entry `name`: a FileSpec mask selects it
    // (whole name or name part) and no ExcludeSpec mask spares it.
    bool SelectedForRemoval(const std::string& name) const;
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
    // The traditional ZIP cipher for an enciphered entry, one per coder; the
    // format provides it (nullptr: the format does not encipher). Called from
    // the workers' threads too, so it must not touch the writer's state.
    virtual std::unique_ptr<EntryCipher> MakeEntryCipher() const;

    // Run state: reset at the start of every run.
    struct RunState {
        uint32_t entryCrc = kCrc32Start;
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
        std::string entryName;        // stored name (list form)
        std::string entryStoredBytes; // the bytes written as the name
        bool entryNameUtf8 = false;
        std::string rootFolder;
        uint16_t methodUsed = 0;
        bool encrypted = false;
        bool newArchiveThisRun = false;
        bool archiveExists = false;
        std::string tempFileName;
        int64_t oldArchiveSize = 0;
        std::vector<std::string> filesToDelete;
        std::unordered_map<std::string, bool> folderHoldsFile;
        std::unique_ptr<EntryCoder> coder; // the writer's own, for entries not coded ahead
        std::unique_ptr<CodeAhead> ahead;  // the workers, when there are several threads
    };
    RunState run_;
    TMemoryStream32 entryBytes_;            // an entry coded ahead in memory, put together
    TCompHeaderObj* mergeTarget_ = nullptr; // during the scan only
    std::string formatExt_;
    int64_t dataStart_ = -1;

private:
    bool AcceptFile(TkroFileScan& sender, const std::string& path, const platform::DirEntry& entry);
    void MergeFile(const std::string& fullPath, const std::string& storedName,
                   const EntryInfo& info, bool isFolder);
    void AddNewItem(const std::string& fullPath, const std::string& storedName,
                    const EntryInfo& info);
    bool FolderHoldsNoFile(const std::string& folder);
    // The unclaimed kept entry whose stored bytes are those `storedName`
    // would be written as, or -1.
    ptrdiff_t FindKeptByStoredBytes(const TCompHeaderObj& list,
                                    const std::string& storedName) const;
    bool ArchiveIsWriteable(const std::string& archive);
    void ScanAndMerge(TCompHeaderObj& list);
    void WriteLoop(TStream32& output, TStream32* oldArchive, TCompHeaderObj& list);
    EntryCoder::Hooks CoderHooks();
    // Starts the workers on the entries to code, when there are several threads.
    void StartCodeAhead(const TCompHeaderObj& list);
    void DeleteSources(const TCompHeaderObj& list);
    void CommonDefaultDir();
    // TestOutput on the output; raises 25304 when it fails.
    void TestNewArchive(TTempFileStream& output);
    bool IsStoredType(const std::string& path) const;

    std::string archiveFile_;
    std::string defaultExt_;
    std::string tempDir_;
    TArcType arcType_;
    TCompressMethod compressMethod_ = cmDeflate;
    std::vector<std::string> storeFilesOfType_;
    bool newArchive_ = true; // set by SetArchiveFile only
};

class TCompBase : public TCustomCClass {
public:
    using TCustomCClass::TCustomCClass;
};

} // namespace tolvane::archive
