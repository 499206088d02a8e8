// The add operation: Compress and the run it drives, from the checks to the
// replacement of the archive.
#include "CustomCClass.h"

#include "PathText.h"
#include "TempFileStream.h"
#include "archive/framework/CalcStreamCRC.h"
#include "archive/framework/CrcReadStream.h"
#include "archive/framework/ExcludeTest.h"
#include "archive/framework/FileStream32.h"
#include "archive/framework/MemoryStream32.h"
#include "archive/framework/StoreStream.h"

#include "archive/codecs/CompressStream.h"

#include "platform/DosDateTime.h"
#include "platform/FileSystem.h"
#include "platform/TempFile.h"
#include "platform/Trash.h"

#include <cerrno>
#include <chrono>

namespace tolvane::archive {

namespace {

// Sources below this size are deflated in memory first, so that a result
// larger than the source can be stored instead.
constexpr int64_t kSmallFileLimit = 257;

// Temporary outputs are named "kro-..." where they need a name.
constexpr const char* kTempPrefix = "kro";

// Attribute bits that take part in the comparison of an entry with its file.
constexpr uint32_t kComparedAttributes = 0x01 | 0x02 | 0x04 | 0x08 | 0x10 | 0x20 | 0x80 | 0x4000;

// Marks a run as active for SetCancel, and ends it on every path.
class RunGuard {
public:
    explicit RunGuard(std::atomic<bool>& flag) : flag_(flag) { flag_.store(true); }
    ~RunGuard() { flag_.store(false); }
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;

private:
    std::atomic<bool>& flag_;
};

} // namespace

int32_t TCustomCClass::Compress() {
    run_ = RunState{};
    cancel_.store(false);
    cancelReportPending_.store(false);
    runArchive_ = archiveFile_;
    RunGuard guard(runActive_);
    int32_t result = 0;
    if (runArchive_.empty()) {
        ReportError("", "ArchiveFile", runArchive_, kErrPropertyNotAssigned, ReportGrade::Failed);
        return 0;
    }
    try {
        std::string folder(FolderPartOf(runArchive_));
        if (!platform::QueryVolume(folder.empty() ? platform::CurrentFolder() : folder))
            return 0;
        if (!fileSpec_.empty()) {
            if (Switch == swDelete)
                DefaultDir.clear();
            if (StoredDirNames == sdExplorer_Auto)
                CommonDefaultDir();
            if (StoredDirNames == sdExplorer_UserDefineDefaultDir && DefaultDir.empty()) {
                ReportError(run_.entryName, "DefaultDir", runArchive_, kErrPropertyNotAssigned,
                            ReportGrade::Failed);
                return 0;
            }
        }
        if (!folder.empty() && !platform::DirectoryExists(folder)) {
            ReportError(run_.entryName, folder, runArchive_, kErrInvalidDirectory,
                        ReportGrade::Failed);
            return 0;
        }
        TCompHeaderObj list;
        UpdateArchive(list);
        if (Switch == swMove && platform::PathExists(runArchive_))
            DeleteSources(list);
        result = Switch == swDelete ? run_.removedCount : run_.compressedCount;
    } catch (const WriterException&) {
        result = 0; // reported where it was raised
    } catch (const StreamError& e) {
        ReportError(run_.entryName, e.what(), runArchive_,
                    e.ErrorNumber() == ENOSPC ? kErrDiskFull : kErrWritingFile,
                    ReportGrade::Failed);
        result = 0;
    } catch (const std::exception& e) {
        ReportError(run_.entryName, e.what(), runArchive_, kErrWritingFile, ReportGrade::Failed);
        result = 0;
    }
    FlushCancelReport();
    run_.engine.reset();
    return Cancelled() ? 0 : result;
}

void TCustomCClass::CommonDefaultDir() {
    std::string common(FolderPartOf(fileSpec_.front()));
    for (size_t i = 1; i < fileSpec_.size(); ++i) {
        std::string_view folder = FolderPartOf(fileSpec_[i]);
        size_t n = 0;
        while (n < common.size() && n < folder.size() &&
               UpperAscii(common.substr(n, 1)) == UpperAscii(folder.substr(n, 1)))
            ++n;
        common.resize(n);
    }
    DefaultDir = std::string(FolderPartOf(common));
}

bool TCustomCClass::ArchiveIsWriteable(const std::string& archive) {
    if (Cancelled())
        return false;
    auto entry = platform::QueryPath(archive);
    if (!entry)
        return true;
    constexpr uint32_t kNotWriteable = platform::kAttrReadOnly | platform::kAttrHidden |
                                       platform::kAttrSystem | platform::kAttrDirectory;
    if ((entry->attributes & kNotWriteable) == 0)
        return true;
    if (!OnNonWriteableArchive) {
        ReportError(archive, "OnNonWriteableArchive", runArchive_, kErrEventNotAssigned,
                    ReportGrade::Failed);
        return false;
    }
    bool writeToFile = false;
    OnNonWriteableArchive(*this, archive, writeToFile);
    if (!writeToFile)
        return false;
    if (entry->IsDirectory()) {
        // No attribute change turns a folder into an archive file.
        ReportError(archive, platform::ErrorText(EISDIR), runArchive_, kErrOpeningFile,
                    ReportGrade::Failed);
        return false;
    }
    int err = platform::SetAttributes(archive, platform::kAttrNormal);
    if (err != 0) {
        ReportError(archive, platform::ErrorText(err), runArchive_, kErrOpeningFile,
                    ReportGrade::Failed);
        return false;
    }
    return true;
}

void TCustomCClass::UpdateArchive(TCompHeaderObj& list) {
    const std::string archive = runArchive_;
    bool exists = platform::PathExists(archive);
    run_.newArchiveThisRun = newArchive_ || !exists;
    if (run_.newArchiveThisRun && (Switch == swDelete || Switch == swRefresh)) {
        ReportError("", "", archive, kErrNothingToDoNoArchive, ReportGrade::Failed);
        return;
    }
    if (exists && !ArchiveIsWriteable(archive))
        return;

    auto started = std::chrono::steady_clock::now();
    pausedMs_ = 0;
    if (OnActivate)
        OnActivate(*this);
    auto deactivate = [&] {
        if (OnDeactivate)
            OnDeactivate(*this);
        if (OnElapsedTime) {
            double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                                  started)
                            .count() -
                        pausedMs_;
            OnElapsedTime(*this, static_cast<float>(ms / 1000.0));
        }
    };

    try {
        // The output: a temporary file that replaces the archive at the end.
        // (An in-memory build would hold a whole folder in memory, so both
        // methods build in a temporary file.)
        std::string tempFolder = TempDir();
        if (!platform::DirectoryExists(tempFolder))
            platform::CreateFolderTree(tempFolder);
        // Named leftovers of killed runs (unnamed outputs leave none).
        platform::RemoveStaleTempFiles(tempFolder, kTempPrefix);
        const std::string archiveFolder(FolderPartOf(archive));
        platform::RemoveStaleTempFiles(archiveFolder.empty() ? "." : archiveFolder, kTempPrefix);
        TTempFileStream output(tempFolder, kTempPrefix);
        if (!output.IsValid())
            RaiseError(tempFolder, platform::ErrorText(output.LastErrorNumber()), archive,
                       output.LastErrorNumber() == ENOSPC ? kErrDiskFull : kErrOpeningFile);
        run_.tempFileName = output.Path();
        output.SetMessagePump(ProcessMessages);
        output.SetCancelFlag(&cancel_);

        std::unique_ptr<TFileStream32> oldArchive;
        if (!run_.newArchiveThisRun) {
            oldArchive = std::make_unique<TFileStream32>(archive, TFileStream32::Mode::Read);
            if (!oldArchive->IsValid())
                RaiseError(archive, platform::ErrorText(oldArchive->LastErrorNumber()), archive,
                           kErrOpeningFile);
            oldArchive->SetCancelFlag(&cancel_);
            run_.oldArchiveSize = oldArchive->Size();
            oldArchive->SetPosition(dataStart_ > 0 ? dataStart_ : 0);
            ReadArchiveDirectory(*oldArchive, list);
        }
        if (list.Count() == 0)
            run_.oldArchiveSize = 0;

        if (Switch != swDelete) {
            ScanAndMerge(list);
            if (Cancelled() || !run_.changed) {
                if (!Cancelled())
                    ReportError("", "", archive, kErrNothingToDo, ReportGrade::Notice);
                if (Switch != swMove)
                    list.Clear();
                deactivate();
                return; // the output is deleted with its stream
            }
        }

        WriteLoop(output, oldArchive.get(), list);

        if (!Cancelled() && (run_.compressedCount > 0 || run_.removedCount > 0)) {
            if (Switch == swDelete && run_.removedCount == static_cast<int32_t>(list.Count()))
                WriteEmptyArchive(output);
            WriteCentralDirectory(output, list);
            oldArchive.reset();
            if (TestBeforeReplace)
                TestNewArchive(output);
            bool cancelMove = false;
            if (OnTmpFileMoveBegin) {
                OnTmpFileMoveBegin(*this, archive, run_.tempFileName, cancelMove);
                if (cancelMove)
                    cancel_.store(true);
            }
            if (!Cancelled() && MoveTempFile(output, archive)) {
                if (OnTmpFileMoveEnd && run_.oldArchiveSize > 65536)
                    OnTmpFileMoveEnd(*this);
                AfterUpdate(list);
            }
        }
    } catch (...) {
        deactivate();
        throw;
    }
    deactivate();
}

void TCustomCClass::ScanAndMerge(TCompHeaderObj& list) {
    TkroFileScan scanner;
    scanner.SetFileSpec(fileSpec_);
    scanner.Attributes = Attributes;
    scanner.AttributesEx = AttributesEx;
    scanner.ScanOptions = soScanDir;
    if (StoreEmptySubDirs)
        scanner.Attributes.Include(fsDirectory);
    scanner.RecurseDirs = RecurseDirs;
    scanner.IncludeHiddenDirs = IncludeHiddenDirs;
    scanner.SetCancelFlag(&cancel_);
    scanner.ProcessMessages = ProcessMessages;
    scanner.OnRootDirChange = [this](TkroFileScan&, const std::string& dir) {
        run_.rootFolder = dir;
    };
    if (OnFileScanStatus) {
        scanner.OnScanFile = [this](TkroFileScan&, const std::string& name, int32_t count,
                                    int64_t size) { OnFileScanStatus(*this, name, count, size); };
    }
    scanner.OnUnreadableFolder = [this](TkroFileScan&, const std::string& folder, int error) {
        ReportError(folder, error ? platform::ErrorText(error) : "the folder cannot be read",
                    runArchive_, kErrOpeningFile, ReportGrade::LeftOut);
    };
    scanner.OnUnusableEntry = [this](TkroFileScan&, const std::string& folder,
                                     const platform::DirEntry& entry) {
        if (IsExcluded(excludeSpec_, folder, entry.name, run_.rootFolder))
            return;
        ReportError(folder + entry.name,
                    std::string(platform::UnusableReason(entry.kind)) + "; left out", runArchive_,
                    kErrNotRegularFile, ReportGrade::LeftOut);
    };
    if (OnRecurseDir) {
        scanner.OnRecurseDir = [this](TkroFileScan&, const std::string& dir) {
            OnRecurseDir(*this, dir);
        };
    }
    TCompHeaderObj* target = &list;
    scanner.FileStep = [this, target](TkroFileScan& sender, const std::string& path,
                                      const platform::DirEntry& entry) {
        mergeTarget_ = target;
        return AcceptFile(sender, path, entry);
    };
    auto takeTotals = [&] {
        run_.total = scanner.FilesSize;
        run_.remaining = scanner.FilesSize;
    };
    try {
        scanner.Scan();
    } catch (...) {
        takeTotals();
        throw;
    }
    takeTotals();
}

bool TCustomCClass::FolderHoldsNoFile(const std::string& folder) {
    auto cached = run_.folderHoldsFile.find(folder);
    if (cached != run_.folderHoldsFile.end())
        return !cached->second;
    // A folder that cannot be read gets no entry of its own: the walk reports it.
    auto entries = platform::ListDirectory(folder);
    bool holdsFile = !entries;
    if (entries) {
        for (const auto& entry : *entries) {
            // Pipes, devices and links are never packed, so they leave a folder empty.
            if (entry.IsUnusable())
                continue;
            if (entry.IsDirectory() ? !FolderHoldsNoFile(folder + entry.name + "/") : true) {
                holdsFile = true;
                break;
            }
        }
    }
    run_.folderHoldsFile.emplace(folder, holdsFile);
    return !holdsFile;
}

bool TCustomCClass::AcceptFile(TkroFileScan&, const std::string& path,
                               const platform::DirEntry& entry) {
    const bool isFolder = entry.IsDirectory();
    if (isFolder && (!StoreEmptySubDirs || !FolderHoldsNoFile(path)))
        return false;
    const std::string fullPath = isFolder ? path : path + entry.name;
    StoredNameOf(fullPath);
    if (!isFolder && IsExcluded(excludeSpec_, path, entry.name, run_.rootFolder))
        return true;

    EntryInfo info;
    info.uncompressedSize = isFolder ? 0 : entry.size;
    info.compressedSize = info.uncompressedSize;
    info.dosDateTime = platform::ToDosDateTime(entry.lastWriteTime);
    info.attributes = entry.attributes;
    if (!isFolder && info.dosDateTime > run_.highestFileDate)
        run_.highestFileDate = info.dosDateTime;
    MergeFile(fullPath, run_.entryName, info, isFolder);
    return true;
}

void TCustomCClass::AddNewItem(const std::string& fullPath, const std::string& storedName,
                               const EntryInfo& info) {
    HeaderItem item;
    item.path = fullPath;
    item.name = storedName;
    item.rootLength = run_.rootFolder.size();
    item.info.status = EntryStatus::Compress;
    item.info.encryption = ItemEncryption();
    item.header.assign(GetHeadSize(), 0);
    StoreEntryInfo(item, info);
    mergeTarget_->Add(std::move(item));
    run_.changed = true;
}

void TCustomCClass::MergeFile(const std::string& fullPath, const std::string& storedName,
                              const EntryInfo& info, bool) {
    TCompHeaderObj& list = *mergeTarget_;
    // Stored names are compared exactly: this file system tells a.txt from
    // A.txt, so both are packed and each finds its own entry on an update.
    ptrdiff_t found = -1;
    for (size_t i : list.Matches(storedName)) {
        const HeaderItem& other = list[i];
        if (other.name != storedName)
            continue;
        if (other.info.status == EntryStatus::Compress || other.claimed) {
            // A second file of this run under the same stored name: the
            // archive would hold two entries of one name.
            ReportError(fullPath, "stored as " + storedName + " like " + other.path + "; left out",
                        runArchive_, kErrDuplicateName, ReportGrade::LeftOut);
            return;
        }
        if (found < 0 && other.info.status == EntryStatus::Keep)
            found = static_cast<ptrdiff_t>(i);
    }
    const bool utf8Name = platform::IsValidUtf8(storedName);
    if (found < 0 && !utf8Name)
        found = FindKeptByStoredBytes(list, storedName);
    if (found < 0) {
        if (Switch == swRefresh)
            return;
        AddNewItem(fullPath, storedName, info);
        if (!utf8Name)
            ReportError(fullPath, "stored as its own bytes; readers may show the name otherwise",
                        runArchive_, kErrNameNotUtf8, ReportGrade::Warning);
        return;
    }
    HeaderItem& item = list[static_cast<size_t>(found)];
    item.claimed = true;
    if (Switch == swMove)
        run_.filesToDelete.push_back(fullPath);

    EntryInfo old;
    FillEntryInfo(item.header, item, old);
    // An entry enciphered otherwise than this run would write it is not the
    // same: a password asked for must not be dropped for an equal old entry.
    const bool same = old.uncompressedSize == info.uncompressedSize &&
                      old.dosDateTime == info.dosDateTime &&
                      (old.attributes & kComparedAttributes) == info.attributes &&
                      KeptEntryEncrypted(item) == WouldEncrypt(info);
    if (Switch == swRefresh) {
        if (!same && old.dosDateTime < info.dosDateTime) {
            item.info.status = EntryStatus::Compress;
            item.path = fullPath;
            item.rootLength = run_.rootFolder.size();
            item.info.encryption = ItemEncryption();
            item.header.assign(GetHeadSize(), 0);
            StoreEntryInfo(item, info);
            run_.changed = true;
        }
        return;
    }
    if (!same) {
        bool replace = false;
        if (OnReplaceFile) {
            OnReplaceFile(*this, storedName, fullPath, platform::FromDosDateTime(old.dosDateTime),
                          platform::FromDosDateTime(info.dosDateTime),
                          static_cast<int64_t>(old.uncompressedSize),
                          static_cast<int64_t>(info.uncompressedSize),
                          static_cast<int32_t>(old.attributes),
                          static_cast<int32_t>(info.attributes), replace);
        } else {
            ReportError(storedName, "OnReplaceFile", runArchive_, kErrEventNotAssigned,
                        ReportGrade::LeftOut);
        }
        if (replace) {
            item.info.status = EntryStatus::Drop;
            AddNewItem(fullPath, storedName, info);
            return;
        }
    }
    if (!OnRenameDupeFile)
        return;
    std::string newName;
    bool rename = true;
    do {
        newName = storedName;
        rename = true;
        OnRenameDupeFile(*this, storedName, newName, rename);
        if (!rename || NamePartOf(newName).empty() || EqualsIgnoreCase(newName, storedName))
            return;
    } while (list.IndexOf(newName) >= 0);
    list[static_cast<size_t>(found)].info.status = EntryStatus::Rename;
    list.Rename(static_cast<size_t>(found), newName);
    AddNewItem(fullPath, storedName, info);
}

ptrdiff_t TCustomCClass::FindKeptByStoredBytes(const TCompHeaderObj& list,
                                               const std::string& storedName) const {
    // A name that is not UTF-8 comes back from the old archive decoded as OEM
    // text, so its list name differs from the scan's: the stored bytes match.
    bool utf8 = false;
    const std::string bytes = EncodeStoredName(storedName, utf8);
    for (size_t i = 0; i < list.Count(); ++i) {
        const HeaderItem& item = list[i];
        if (item.info.status == EntryStatus::Keep && !item.claimed && item.info.storedName == bytes)
            return static_cast<ptrdiff_t>(i);
    }
    return -1;
}

bool TCustomCClass::WouldEncrypt(const EntryInfo& file) const {
    // Empty files are never enciphered.
    return file.uncompressedSize > 0 && ItemEncryption() != emNone;
}

bool TCustomCClass::KeptEntryEncrypted(const HeaderItem&) const {
    return false;
}

void TCustomCClass::WriteLoop(TStream32& output, TStream32* oldArchive, TCompHeaderObj& list) {
    for (size_t i = 0; i < list.Count(); ++i) {
        if (Cancelled())
            break;
        HeaderItem& item = list[i];
        FillEntryInfo(item.header, item, run_.entry);
        switch (item.info.status) {
        case EntryStatus::Keep: {
            oldArchive->SetPosition(item.info.offset);
            uint64_t length = MeasureEntry(*oldArchive, item);
            item.info.offset = output.Position();
            if (static_cast<uint64_t>(output.CopyFrom(*oldArchive, static_cast<int64_t>(length))) !=
                    length &&
                !Cancelled())
                RaiseError(item.path, "", runArchive_, kErrWritingFile);
            break;
        }
        case EntryStatus::Drop:
            ++run_.removedCount;
            if (OnDeleteFile)
                OnDeleteFile(*this, item.path, run_.removedCount, run_.removeMarked);
            break;
        case EntryStatus::Rename:
            oldArchive->SetPosition(item.info.offset);
            item.info.offset = output.Position();
            run_.entryName = item.path;
            CopyEntryNewName(*oldArchive, output, list, i);
            break;
        case EntryStatus::Compress: {
            if ((run_.entry.attributes & platform::kAttrDirectory) && !StoreEmptySubDirs) {
                item.info.status = EntryStatus::Drop;
                break;
            }
            int64_t start = output.Size();
            bool ok = false;
            AddEntry(output, i, ok, list);
            if (ok) {
                ++run_.compressedCount;
                if (Switch == swMove && !(run_.entry.attributes & platform::kAttrDirectory))
                    run_.filesToDelete.push_back(item.path);
                break;
            }
            item.info.status = EntryStatus::Drop;
            // A failed entry leaves no partial bytes behind.
            output.SetSize(start);
            output.Seek(0, SeekOrigin::End);
            if (Cancelled()) {
                for (size_t j = i + 1; j < list.Count(); ++j)
                    list[j].info.status = EntryStatus::Drop;
                return;
            }
            break;
        }
        }
    }
}

void TCustomCClass::AddEntry(TStream32& output, size_t index, bool& ok, TCompHeaderObj& list) {
    ok = false;
    HeaderItem& item = list[index];
    if (CompressionMethod == cmTempFile && item.path == run_.tempFileName)
        return;
    run_.entryName = item.path;
    run_.rootFolder = item.path.substr(0, std::min(item.rootLength, item.path.size()));
    bool extract = true;
    if (OnBegin)
        OnBegin(*this, item.path, static_cast<int32_t>(index + 1), extract);
    StoredNameOf(item.path);
    if (!extract)
        return;
    item.info.offset = output.Size();
    ok = CompressFile(output, index, list);
    EntryDone();
}

bool TCustomCClass::IsStoredType(const std::string& path) const {
    std::string_view ext = ExtensionOf(path);
    if (ext.empty())
        return false;
    for (const auto& stored : storeFilesOfType_) {
        if (EqualsIgnoreCase(stored, ext))
            return true;
    }
    return false;
}

bool TCustomCClass::StoreData(TStream32& source, TStream32& output, BufferCipher* cipher,
                              int64_t size) {
    CodecRecord record{run_.entryCrc, &run_.remaining, &cancel_, cipher,
                       ProcessMessages ? &ProcessMessages : nullptr};
    TStoreStream store(output, record, CrcKind::Crc32);
    store.SetCancelFlag(&cancel_);
    store.SetMessagePump(ProcessMessages);
    store.SetProgressRoutine([this](int64_t position) { ProgressRoutine(position); });
    source.SetPosition(0);
    const int64_t copied = size == 0 ? 0 : store.CopyFrom(source, size);
    if (!cipher)
        run_.entryCrc = store.CrcRegister() ^ 0xFFFFFFFFu;
    if (copied != size && !Cancelled())
        throw StreamReadError("the file became shorter while it was read", 0);
    return copied == size && !Cancelled();
}

bool TCustomCClass::DeflateData(TStream32& source, TStream32& output, BufferCipher* cipher,
                                int64_t size) {
    if (!run_.engine)
        run_.engine = std::make_unique<DeflateEngine>();
    CodecRecord record{run_.entryCrc, &run_.remaining, &cancel_, cipher,
                       ProcessMessages ? &ProcessMessages : nullptr};
    source.SetCancelFlag(&cancel_);
    source.SetMessagePump(ProcessMessages);
    source.SetPosition(0);
    return CompressEntryData(
        source, output, record, [this](int64_t position) { ProgressRoutine(position); },
        *run_.engine, DeflateType, size, run_.entryCrc);
}

void TCustomCClass::ReportReadFailure(const std::string& path, const StreamReadError& e) {
    ReportError(path,
                e.ErrorNumber() ? platform::ErrorText(e.ErrorNumber()) : std::string(e.what()),
                runArchive_, kErrOpeningFile, ReportGrade::LeftOut);
}

void TCustomCClass::RaiseWriteFailure(const StreamWriteError& e) {
    RaiseError(runArchive_, platform::ErrorText(e.ErrorNumber()), runArchive_,
               e.ErrorNumber() == ENOSPC ? kErrDiskFull : kErrWritingFile);
}

int64_t TCustomCClass::SourceSize(const HeaderItem& item, TFileStream32& source) {
    platform::FileStatus& status = run_.sourceAtOpen;
    if (!source.IsValid() || !source.Status(status)) {
        ReportError(item.path, platform::ErrorText(source.LastErrorNumber()), runArchive_,
                    kErrOpeningFile, ReportGrade::LeftOut);
        return -1;
    }
    if (!status.regular) {
        // Replaced by a pipe or a device since the scan: never read from it.
        ReportError(item.path, "no longer a regular file; left out", runArchive_,
                    kErrNotRegularFile, ReportGrade::LeftOut);
        return -1;
    }
    if (static_cast<uint64_t>(status.size) > MaxEntrySize()) {
        ReportError(item.path, "the file is too large for this archive format", runArchive_,
                    kErrUnsupportedOperation, ReportGrade::LeftOut);
        run_.remaining -= status.size;
        return -1;
    }
    return status.size;
}

bool TCustomCClass::SourceUnchanged(const HeaderItem& item, TFileStream32& source, bool unchecked) {
    platform::FileStatus now;
    if (!source.Status(now) ||
        (now.size == run_.sourceAtOpen.size && now.modifiedNs == run_.sourceAtOpen.modifiedNs))
        return true;
    if (unchecked) {
        // The check bytes in the encryption header came from a first reading
        // that may not match the data: the entry could not be deciphered.
        ReportError(item.path, "the file changed while it was read; left out", runArchive_,
                    kErrFileChanged, ReportGrade::LeftOut);
        return false;
    }
    ReportError(item.path,
                "the file changed while it was read; the entry holds the " +
                    std::to_string(run_.sourceAtOpen.size) + " bytes read",
                runArchive_, kErrFileChanged, ReportGrade::Warning);
    return true;
}

bool TCustomCClass::CompressFile(TStream32& output, size_t index, TCompHeaderObj& list) {
    HeaderItem& item = list[index];
    const bool isFolder = (run_.entry.attributes & platform::kAttrDirectory) != 0;
    const size_t headLength = LocalHeaderSize();

    if (isFolder) {
        run_.entryCrc = 0xFFFFFFFFu;
        run_.methodUsed = 0;
        run_.encrypted = false;
        run_.entryStoredBytes = EncodeStoredName(run_.entryName, run_.entryNameUtf8);
        FinishLocalHeader(0, 0);
        output.WriteBuffer(GetHeadPtr(), static_cast<int64_t>(headLength));
        output.WriteBuffer(run_.entryStoredBytes.data(),
                           static_cast<int64_t>(run_.entryStoredBytes.size()));
        AfterEntryHeader(output);
        BuildCentralRecord(index, list);
        return true;
    }

    const bool store = DeflateType == dtDeflateS || IsStoredType(item.path);
    TFileStream32 source(item.path, TFileStream32::Mode::Read);
    const int64_t size = SourceSize(item, source);
    if (size < 0)
        return false;
    run_.entry.uncompressedSize = static_cast<uint64_t>(size);
    run_.encrypted = size > 0 && item.info.encryption != emNone;
    run_.methodUsed = (size == 0 || store) ? 0 : 8;
    run_.entryCrc = 0xFFFFFFFFu;
    run_.currentFileSize = size;

    const int64_t start = output.Position();
    run_.entryStoredBytes = EncodeStoredName(run_.entryName, run_.entryNameUtf8);
    output.WriteBuffer(GetHeadPtr(), static_cast<int64_t>(headLength));
    output.WriteBuffer(run_.entryStoredBytes.data(),
                       static_cast<int64_t>(run_.entryStoredBytes.size()));
    WriteSizeExtra(output, item);
    // The entry's compressed length counts from here: an encryption header is part of it.
    const int64_t afterName = output.Position();
    BufferCipher* cipher = run_.encrypted ? BeginEncryptedEntry(output, source, size) : nullptr;
    if (run_.encrypted && !cipher)
        return false; // cancelled during the CRC pre-pass
    AfterEntryHeader(output);
    const int64_t dataStart = output.Position();

    // An enciphered entry's CRC came from the pre-pass; its data is read
    // through a second CRC to see that both readings saw the same bytes.
    TCrcReadStream checked(source);
    TStream32& input = cipher ? static_cast<TStream32&>(checked) : source;
    bool ok = false;
    try {
        if (run_.methodUsed == 0) {
            ok = StoreData(input, output, cipher, size);
        } else if (size < kSmallFileLimit) {
            TMemoryStream32 memory;
            ok = DeflateData(input, memory, cipher, size);
            if (ok && memory.Size() > size) {
                run_.methodUsed = 0;
                run_.remaining += size;
                if (!cipher)
                    run_.entryCrc = 0xFFFFFFFFu; // an enciphered entry keeps its pre-pass CRC
                if (cipher)
                    cipher = RestartEncryptedEntry(output, source, start, dataStart);
                ok = StoreData(input, output, cipher, size);
            } else if (ok) {
                output.WriteBuffer(memory.Data(), memory.Size());
            }
        } else {
            ok = DeflateData(input, output, cipher, size);
        }
    } catch (const StreamReadError& e) {
        ReportReadFailure(item.path, e);
        return false;
    } catch (const StreamWriteError& e) {
        RaiseWriteFailure(e);
    }
    if (!ok || Cancelled())
        return false;
    if (cipher && checked.Crc() != run_.entryCrc) {
        ReportError(item.path, "the file changed while it was read; left out", runArchive_,
                    kErrFileChanged, ReportGrade::LeftOut);
        return false;
    }
    if (!SourceUnchanged(item, source, false))
        return false;

    const int64_t end = output.Position();
    const uint64_t compressed = static_cast<uint64_t>(end - afterName);
    if (compressed > MaxEntrySize()) {
        // Deflate can grow incompressible data past what the size field holds.
        ReportError(item.path, "the compressed file is too large for this archive format",
                    runArchive_, kErrUnsupportedOperation, ReportGrade::LeftOut);
        return false;
    }
    FinishLocalHeader(static_cast<uint64_t>(size), compressed);
    output.SetPosition(start);
    output.WriteBuffer(GetHeadPtr(), static_cast<int64_t>(headLength));
    output.WriteBuffer(run_.entryStoredBytes.data(),
                       static_cast<int64_t>(run_.entryStoredBytes.size()));
    WriteSizeExtra(output, item);
    output.Seek(0, SeekOrigin::End);
    BuildCentralRecord(index, list);
    return true;
}

void TCustomCClass::DeleteSources(const TCompHeaderObj& list) {
    if (OnProgress)
        OnProgress(*this, 0, 0);
    std::vector<std::string> files;
    for (const auto& path : run_.filesToDelete) {
        if (!VerifyBeforeDelete) {
            files.push_back(path);
            continue;
        }
        // Only files whose entry made it into the archive.
        for (const auto& item : list) {
            if (item.path == path && item.info.status != EntryStatus::Drop) {
                files.push_back(path);
                break;
            }
        }
    }
    int32_t count = 0;
    for (const auto& path : files) {
        if (Cancelled())
            break;
        ++count;
        if (DeleteOptions == doAllowUndo) {
            std::string error;
            if (!platform::MoveToTrash(path, error)) {
                ReportError(path, error, runArchive_, kErrWritingFile, ReportGrade::Warning);
                continue;
            }
        } else if (int err = platform::RemoveFile(path); err != 0) {
            ReportError(path, platform::ErrorText(err), runArchive_, kErrWritingFile,
                        ReportGrade::Warning);
            continue;
        }
        if (OnDeleteFile)
            OnDeleteFile(*this, path, count, static_cast<int32_t>(files.size()));
    }
}

} // namespace tolvane::archive
