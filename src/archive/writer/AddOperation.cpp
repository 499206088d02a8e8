// The add operation: Compress and the run it drives, from the checks to the
// replacement of the archive.
#include "CustomCClass.h"

#include "PathText.h"
#include "TempFileStream.h"
#include "archive/framework/ExcludeTest.h"
#include "archive/framework/FileStream32.h"

#include "platform/DosDateTime.h"
#include "platform/FileSystem.h"
#include "platform/TempFile.h"
#include "platform/Trash.h"

#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace tolvane::archive {

namespace {

// Entries too large to be coded ahead into memory are coded into temporary
// files, this many source bytes of them at a time.
constexpr int64_t kSpillBudget = int64_t{512} << 20;

// Temporary outputs are named "kro-..." where they need a name.
constexpr const char* kTempPrefix = "kro";

// Attribute bits that take part in the comparison of an entry with its file.
constexpr uint32_t kComparedAttributes = 0x01 | 0x02 | 0x04 | 0x08 | 0x10 | 0x20 | 0x80 | 0x4000;

} // namespace

int32_t TCustomCClass::Compress() {
    run_ = RunState{};
    stopped_ = false;
    runArchive_ = archiveFile_;
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
    // A stop that came once the new archive took the old one's place cannot
    // undo it: the run then ends as a finished one.
    const bool stopped = Cancelled() && !run_.replaced;
    if (stopped && token_ && token_->Requested())
        ReportError("", "", runArchive_, kErrUserCanceled, ReportGrade::Cancelled);
    // The workers read the cancel flag and call the format: they end here.
    run_.ahead.reset();
    run_.coder.reset();
    return stopped ? 0 : result;
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
        // An archive never holds itself nor the file it is being written to,
        // when either lies inside a folder it packs.
        run_.passedOver = ExcludeFiles;
        for (const auto& own : {platform::QueryFileIdentity(archive), output.Identity()}) {
            if (own)
                run_.passedOver.insert(*own);
        }
        output.SetMessagePump(ProcessMessages);
        output.SetCancelToken(token_);

        std::unique_ptr<TFileStream32> oldArchive;
        if (!run_.newArchiveThisRun) {
            oldArchive = std::make_unique<TFileStream32>(archive, TFileStream32::Mode::Read);
            if (!oldArchive->IsValid())
                RaiseError(archive, platform::ErrorText(oldArchive->LastErrorNumber()), archive,
                           kErrOpeningFile);
            oldArchive->SetCancelToken(token_);
            run_.oldArchiveSize = oldArchive->Size();
            oldArchive->SetPosition(dataStart_ > 0 ? dataStart_ : 0);
            ReadOldArchive(*oldArchive, list);
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
            WriteDirectory(output, list);
            oldArchive.reset();
            if (TestBeforeReplace)
                TestNewArchive(output);
            bool cancelMove = false;
            if (OnTmpFileMoveBegin) {
                OnTmpFileMoveBegin(*this, archive, run_.tempFileName, cancelMove);
                if (cancelMove)
                    stopped_ = true;
            }
            if (!Cancelled() && MoveTempFile(output, archive)) {
                run_.replaced = true;
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

void TCustomCClass::ReadOldArchive(TStream32& archive, TCompHeaderObj& list) {
    ReadDirectory(archive, list);
    for (HeaderItem& item : list) {
        if (Switch == swDelete && SelectedForRemoval(item.Path())) {
            item.info.status = EntryStatus::Drop;
            ++run_.removeMarked;
        } else {
            run_.total += static_cast<int64_t>(item.info.compressedSize);
        }
    }
}

void TCustomCClass::AfterUpdate(const TCompHeaderObj& list) {
    if (!OnRead)
        return;
    for (size_t i = 0; i < list.Count(); ++i) {
        if (list[i].info.status != EntryStatus::Drop)
            OnRead(*this, list[i].info.offset, static_cast<int32_t>(i));
    }
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
    scanner.ExcludeFiles = run_.passedOver;
    scanner.SetCancelToken(token_);
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
        // The grade says it is left out; the detail says only what it is.
        ReportError(folder + entry.name, platform::UnusableReason(entry.kind), runArchive_,
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
            // Pipes, devices and links are never packed, so they leave a folder
            // empty; so do the files the scan passes over.
            if (entry.IsUnusable() || IsAmongFiles(run_.passedOver, folder, entry))
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
    run_.entryName = StoredNameOf(fullPath);
    if (!isFolder && IsExcluded(excludeSpec_, path, entry.name, run_.rootFolder))
        return true;

    EntryInfo info;
    info.uncompressedSize = isFolder ? 0 : entry.size;
    info.compressedSize = info.uncompressedSize;
    info.dosDateTime = platform::ToDosDateTime(entry.lastWriteTime);
    info.attributes = entry.attributes;
    if (!isFolder && info.dosDateTime > run_.highestFileDate)
        run_.highestFileDate = info.dosDateTime;
    MergeFile(fullPath, run_.entryName, info);
    return true;
}

void TCustomCClass::AddNewItem(const std::string& fullPath, const std::string& storedName,
                               const EntryInfo& info) {
    HeaderItem item;
    item.SetPath(fullPath);
    item.SetName(storedName);
    item.rootLength = static_cast<uint32_t>(run_.rootFolder.size());
    item.info.status = EntryStatus::Compress;
    item.info.encryption = ItemEncryption();
    TakeInfo(item, info);
    mergeTarget_->Add(std::move(item));
    run_.changed = true;
}

void TCustomCClass::TakeInfo(HeaderItem& item, const EntryInfo& info) {
    item.info.uncompressedSize = info.uncompressedSize;
    item.info.compressedSize = info.compressedSize;
    item.info.dosDateTime = info.dosDateTime;
    item.info.attributes = info.attributes;
}

EntryInfo TCustomCClass::InfoOf(const HeaderItem& item) {
    return {item.info.uncompressedSize, item.info.compressedSize, item.info.dosDateTime,
            item.info.attributes};
}

void TCustomCClass::MergeFile(const std::string& fullPath, const std::string& storedName,
                              const EntryInfo& info) {
    TCompHeaderObj& list = *mergeTarget_;
    // Stored names are compared exactly: this file system tells a.txt from
    // A.txt, so both are packed and each finds its own entry on an update.
    ptrdiff_t found = -1;
    for (size_t i : list.Matches(storedName)) {
        const HeaderItem& other = list[i];
        if (other.Name() != storedName)
            continue;
        if (other.info.status == EntryStatus::Compress || other.claimed) {
            // A second file of this run under the same stored name: the
            // archive would hold two entries of one name.
            ReportError(fullPath,
                        "its name in the archive, " + storedName + ", is taken by " + other.Path(),
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

    const EntryInfo old = InfoOf(item);
    // An entry enciphered otherwise than this run would write it is not the
    // same: a password asked for must not be dropped for an equal old entry.
    const bool same = old.uncompressedSize == info.uncompressedSize &&
                      old.dosDateTime == info.dosDateTime &&
                      (old.attributes & kComparedAttributes) == info.attributes &&
                      (item.info.encryption != emNone) == WouldEncrypt(info);
    if (Switch == swRefresh) {
        if (!same && old.dosDateTime < info.dosDateTime) {
            item.info.status = EntryStatus::Compress;
            item.SetPath(fullPath);
            item.rootLength = static_cast<uint32_t>(run_.rootFolder.size());
            item.info.encryption = ItemEncryption();
            TakeInfo(item, info);
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
        if (item.info.status == EntryStatus::Keep && !item.claimed && item.StoredBytes() == bytes)
            return static_cast<ptrdiff_t>(i);
    }
    return -1;
}

bool TCustomCClass::WouldEncrypt(const EntryInfo& file) const {
    // Empty files are never enciphered.
    return file.uncompressedSize > 0 && ItemEncryption() != emNone;
}

void TCustomCClass::WriteLoop(TStream32& output, TStream32* oldArchive, TCompHeaderObj& list) {
    StartCodeAhead(list);
    for (size_t i = 0; i < list.Count(); ++i) {
        if (Cancelled())
            break;
        HeaderItem& item = list[i];
        run_.entry = InfoOf(item);
        switch (item.info.status) {
        case EntryStatus::Keep: {
            oldArchive->SetPosition(item.info.offset);
            const uint64_t length = KeptEntryLength(*oldArchive, item);
            item.info.offset = output.Position();
            if (static_cast<uint64_t>(output.CopyFrom(*oldArchive, static_cast<int64_t>(length))) !=
                    length &&
                !Cancelled())
                RaiseError(item.Path(), "", runArchive_, kErrWritingFile);
            break;
        }
        case EntryStatus::Drop:
            ++run_.removedCount;
            if (OnDeleteFile)
                OnDeleteFile(*this, item.Path(), run_.removedCount, run_.removeMarked);
            break;
        case EntryStatus::Rename:
            oldArchive->SetPosition(item.info.offset);
            item.info.offset = output.Position();
            run_.entryName = item.Path();
            CopyRenamed(*oldArchive, output, item);
            break;
        case EntryStatus::Compress: {
            if ((run_.entry.attributes & platform::kAttrDirectory) && !StoreEmptySubDirs) {
                item.info.status = EntryStatus::Drop;
                break;
            }
            const int64_t start = output.Size();
            if (AddEntry(output, i, list)) {
                ++run_.compressedCount;
                run_.compressedBytes += static_cast<int64_t>(run_.entry.uncompressedSize);
                if (Switch == swMove && !(run_.entry.attributes & platform::kAttrDirectory))
                    run_.filesToDelete.push_back(item.Path());
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

bool TCustomCClass::AddEntry(TStream32& output, size_t index, TCompHeaderObj& list) {
    HeaderItem& item = list[index];
    if (CompressionMethod == cmTempFile && item.Path() == run_.tempFileName)
        return false;
    run_.entryName = item.Path();
    run_.rootFolder = item.Path().substr(0, std::min<size_t>(item.rootLength, item.Path().size()));
    run_.entryDateTime = EntryDateTime();
    bool extract = true;
    if (OnBegin)
        OnBegin(*this, item.Path(), static_cast<int32_t>(index + 1), extract);
    run_.entryName = StoredNameOf(item.Path());
    if (!extract)
        return false;
    item.info.offset = output.Size();
    run_.entryStoredBytes = EncodeStoredName(run_.entryName, run_.entryNameUtf8);
    bool written = true;
    if (run_.entry.attributes & platform::kAttrDirectory)
        WriteFolderEntry(output, item);
    else
        written = CompressFile(output, index, item);
    if (OnEnd)
        OnEnd(*this, run_.entryName, written);
    return written;
}

EntryContext TCustomCClass::Context(uint64_t codedSize, uint32_t crc, CodingStage stage,
                                    bool encrypted) const {
    EntryContext entry;
    entry.name = run_.entryName;
    entry.storedBytes = run_.entryStoredBytes;
    entry.utf8Name = run_.entryNameUtf8;
    entry.size = run_.entry.uncompressedSize;
    entry.codedSize = codedSize;
    entry.crc = crc;
    entry.stage = stage;
    entry.level = DeflateType;
    entry.encrypted = encrypted;
    entry.dosDateTime = run_.entryDateTime;
    entry.attributes = run_.entry.attributes;
    return entry;
}

void TCustomCClass::WriteLocalHeader(TStream32& output, const EntryContext& entry) const {
    const std::vector<uint8_t> header = EncodeLocalHeader(entry);
    output.WriteBuffer(header.data(), static_cast<int64_t>(header.size()));
}

void TCustomCClass::WriteFolderEntry(TStream32& output, HeaderItem& item) {
    const EntryContext entry = Context(0, 0, CodingStage::Store, false);
    WriteLocalHeader(output, entry);
    EncodeCentralRecord(entry, item);
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

void TCustomCClass::RaiseWriteFailure(const StreamWriteError& e) {
    const int code = e.ErrorNumber() == ENOSPC ? kErrDiskFull : kErrWritingFile;
    RaiseError(runArchive_, platform::ErrorText(e.ErrorNumber()), runArchive_, code);
    throw WriterException(code); // not reached: RaiseError throws
}

EntryPlan TCustomCClass::PlanEntry(const HeaderItem& item) const {
    EntryPlan plan;
    plan.path = item.Path();
    // The Fuse route codes every file and stores those it does not shrink.
    if (CompressMethod() == cmFuse)
        plan.stage = CodingStage::Fuse;
    else if (CompressMethod() == cmStore || DeflateType == dtDeflateS || IsStoredType(item.Path()))
        plan.stage = CodingStage::Store;
    else
        plan.stage = CodingStage::Deflate;
    plan.level = DeflateType;
    plan.encrypt = item.info.encryption != emNone;
    plan.maxSize = traits_.maxEntrySize;
    return plan;
}

EntryCoder::Hooks TCustomCClass::CoderHooks() {
    EntryCoder::Hooks hooks;
    hooks.cancel = token_;
    hooks.pump = ProcessMessages ? &ProcessMessages : nullptr;
    hooks.remaining = &run_.remaining;
    hooks.progress = [this](int64_t position) { ProgressRoutine(position); };
    hooks.makeCipher = [this] { return MakeEntryCipher(); };
    // The entries a worker would code in memory are coded whole on every
    // route, so the bytes do not depend on the number of threads.
    hooks.wholeLimit = CodeAhead::LargestAhead(CodeAheadBudget);
    return hooks;
}

void TCustomCClass::StartCodeAhead(const TCompHeaderObj& list) {
    const int threads =
        CodingThreads > 0 ? CodingThreads : static_cast<int>(std::thread::hardware_concurrency());
    // A host that acts on each entry as it begins (OnBegin) gets every entry
    // read in its turn, as with one thread.
    if (threads <= 1 || OnBegin)
        return;
    // Tasks are planned as the workers need them, so that only a window of
    // them is held whatever the number of entries.
    auto source = [this, &list, next = size_t{0}](CodeAhead::Task& task) mutable {
        for (; next < list.Count(); ++next) {
            const HeaderItem& item = list[next];
            if (item.info.status != EntryStatus::Compress || item.Path() == run_.tempFileName)
                continue;
            if (item.info.attributes & platform::kAttrDirectory)
                continue;
            const auto size = static_cast<int64_t>(item.info.uncompressedSize);
            const bool large = size > CodeAhead::LargestAhead(CodeAheadBudget);
            EntryPlan plan = PlanEntry(item);
            // A large file that is only copied gains nothing from a worker:
            // through a temporary file it would be copied twice.
            if (large && plan.stage == CodingStage::Store && !plan.encrypt)
                continue;
            task = {next++, std::move(plan), CodeAhead::ReserveFor(size), large};
            return true;
        }
        return false;
    };
    run_.ahead = std::make_unique<CodeAhead>(
        std::move(source), CodeAhead::WindowFor(CodeAheadBudget), threads, CodeAheadBudget,
        kSpillBudget, TempDir(), CoderHooks(), Password);
}

bool TCustomCClass::CompressFile(TStream32& output, size_t index, HeaderItem& item) {
    // The entry's data: coded ahead by a worker, or here and now.
    const EntryPlan plan = PlanEntry(item);
    std::unique_ptr<CodeAhead::Coded> ahead;
    EntryResult result;
    if (run_.ahead && run_.ahead->Has(index)) {
        // Progress of the entry as a worker reads it, from this thread, in order.
        run_.currentFileSize = static_cast<int64_t>(run_.entry.uncompressedSize);
        ahead = run_.ahead->Take(index, [this](int64_t read) {
            run_.partial = read;
            ProgressRoutine(read);
        });
        run_.partial = 0;
        if (!ahead->failure.empty())
            throw std::runtime_error(ahead->failure);
        result = ahead->result;
    } else {
        if (!run_.coder)
            run_.coder = std::make_unique<EntryCoder>(CoderHooks());
        run_.coder->Open(plan, result);
    }
    auto report = [&] {
        if (result.HasReport())
            ReportError(plan.path, result.detail, runArchive_, result.code, result.grade);
    };
    if (result.state == EntryResult::State::LeftOut ||
        result.state == EntryResult::State::Cancelled) {
        run_.remaining -= result.uncounted;
        report();
        return false;
    }

    const int64_t size = result.size;
    run_.entry.uncompressedSize = static_cast<uint64_t>(size);
    run_.currentFileSize = size;

    // An entry coded in memory is put together in memory too and goes into
    // the archive in one write, with no seek back to its header.
    const bool assembled = ahead && !ahead->spill;
    if (assembled) {
        entryBytes_.SetSize(0);
        entryBytes_.SetPosition(0);
    }
    TStream32& target = assembled ? static_cast<TStream32&>(entryBytes_) : output;
    EntryContext entry;
    try {
        // Header and name, with provisional values, written again at the end.
        const int64_t start = target.Position();
        WriteLocalHeader(target, Context(0, 0, plan.stage, result.encrypted));
        // The entry's compressed length counts from here: an encryption header is part of it.
        const int64_t afterHeader = target.Position();
        if (ahead && ahead->spill) {
            TStream32& spill = *ahead->spill;
            spill.SetPosition(0);
            const int64_t length = spill.Size();
            if (target.CopyFrom(spill, length) != length && !Cancelled())
                throw StreamWriteError("the coded entry could not be copied", 0);
            run_.remaining -= size;
            ProgressRoutine(size);
        } else if (ahead) {
            target.WriteBuffer(ahead->bytes.Data(), ahead->bytes.Size());
            run_.remaining -= size;
            ProgressRoutine(size);
        } else {
            run_.coder->Code(plan, Password, target, result);
        }
        report();
        if (result.state != EntryResult::State::Coded || Cancelled())
            return false;

        const auto coded = static_cast<uint64_t>(target.Position() - afterHeader);
        if (coded > traits_.maxEntrySize) {
            // Deflate can grow incompressible data past what the size field holds.
            ReportError(item.Path(), "the compressed file is too large for this archive format",
                        runArchive_, kErrUnsupportedOperation, ReportGrade::LeftOut);
            return false;
        }
        entry = Context(coded, result.crc, result.stage, result.encrypted);
        target.SetPosition(start);
        WriteLocalHeader(target, entry);
        target.Seek(0, SeekOrigin::End);
        if (assembled)
            output.WriteBuffer(entryBytes_.Data(), entryBytes_.Size());
    } catch (const StreamWriteError& e) {
        RaiseWriteFailure(e);
    }
    EncodeCentralRecord(entry, item);
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
            if (item.Path() == path && item.info.status != EntryStatus::Drop) {
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
