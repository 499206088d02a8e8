// TkroFileScan turns a FileSpec list into the directory entries a writer
// considers: grouping by folder, recursive walk or pattern search, attribute
// filters and wildcard masks.
#pragma once

#include "FileAttributes.h"
#include "FileObject.h"
#include "Masks.h"

#include "platform/CancelToken.h"
#include "platform/FileSystem.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tolvane::archive {

enum TfsScanOptions { soScanDir, soScanDrvs };

// Whether `entry` of `folder` (which ends in a separator) is one of
// `identities`; an entry whose listing gave no identity is queried by its path.
bool IsAmongFiles(const platform::FileIdentities& identities, const std::string& folder,
                  const platform::DirEntry& entry);

class TkroFileScan {
public:
    using ScanFileEvent = std::function<void(TkroFileScan& sender, const std::string& fileName,
                                             int32_t filesCount, int64_t filesSize)>;
    using FinishedEvent =
        std::function<void(TkroFileScan& sender, int32_t filesCount, int64_t filesSize)>;
    using DirEvent = std::function<void(TkroFileScan& sender, const std::string& dir)>;
    // Folder step: (folder, include attribute bits, mask list).
    using FolderStepFn =
        std::function<void(const std::string& folder, uint32_t attrBits, const TMaskList& masks)>;
    // File step: (sender, path, entry). For a file `path` is its folder; for a
    // folder it is the folder's own path with a trailing separator.
    using FileStepFn = std::function<bool(TkroFileScan& sender, const std::string& path,
                                          const platform::DirEntry& entry)>;

    TkroFileScan();
    virtual ~TkroFileScan() = default;
    // The default steps are bound to this object.
    TkroFileScan(const TkroFileScan&) = delete;
    TkroFileScan& operator=(const TkroFileScan&) = delete;

    // Published properties.
    TkroSortOptions Sorted() const { return files_.SortOrder(); }
    void SetSorted(TkroSortOptions order);
    // Copies the lines and switches the built-in "*" mask off for good.
    void SetFileSpec(const std::vector<std::string>& lines);
    const std::vector<std::string>& FileSpec() const { return fileSpec_; }
    TkroFileAttributes Attributes = kDefaultAttributes;
    TkroFileAttributes AttributesEx;
    bool IncludeHiddenDirs = false;
    bool UpdateList = true;
    TfsScanOptions ScanOptions = soScanDir;
    std::string RootDir = "/";
    bool RecurseDirs = true;
    // Files and folders the scan passes over in silence, whatever their
    // names: a host's own outputs (the archive being written, its temporary
    // files) when they lie inside the folders it scans. A folder among them
    // is not walked.
    platform::FileIdentities ExcludeFiles;
    ScanFileEvent OnScanFile;
    FinishedEvent OnFinished;
    DirEvent OnRootDirChange;
    DirEvent OnRecurseDir;
    // A folder of the walk that cannot be read (errorNumber 0 when unknown);
    // the walk passes over it, but a host should tell the user.
    std::function<void(TkroFileScan& sender, const std::string& folder, int errorNumber)>
        OnUnreadableFolder;
    // An entry that passes the filters and masks but is neither a file nor a
    // folder (a pipe, a socket, a device, a link to a folder or to nothing):
    // never opened nor counted, handed over so that a host can say it was left out.
    std::function<void(TkroFileScan& sender, const std::string& folder,
                       const platform::DirEntry& entry)>
        OnUnusableEntry;

    // Run-time state.
    int32_t FilesCount = 0;
    int64_t FilesSize = 0;
    FolderStepFn FolderStep; // default: ScanFolder
    FileStepFn FileStep;     // default: AddToList
    // Called after every directory entry of the recursive walk, so a host can
    // keep its interface alive; may be empty.
    std::function<void()> ProcessMessages;

    // The owner's stop request, read before every entry (nullptr: none).
    void SetCancelToken(const platform::CancelToken* token) { token_ = token; }

    virtual void Scan();
    // Stops this scan at its next check, from a handler of its own events.
    virtual void Cancel() { stopped_ = true; }
    virtual void ScanFolder(const std::string& folder, uint32_t attrBits, const TMaskList& masks);
    virtual bool AddToList(TkroFileScan& sender, const std::string& path,
                           const platform::DirEntry& entry);

    const TFilesList& Files() const { return files_; }

protected:
    // The directory enumerations, replaceable so that a host (or a test) can
    // present entries the file system cannot produce, such as hidden folders.
    // Default: platform::ListDirectory and platform::FindMatching.
    virtual std::optional<std::vector<platform::DirEntry>> ListFolder(const std::string& folder);
    virtual std::optional<std::vector<platform::DirEntry>> FindPattern(const std::string& pattern);

private:
    int listError_ = 0; // errno of the last failed ListFolder

    void GroupingLoop();
    void WalkFolder(const std::string& folder, const TMaskList& masks);
    void PatternSearch();
    void TestEntry(const std::string& folder, const platform::DirEntry& entry,
                   const TMaskList* masks);
    bool Cancelled() const { return stopped_ || (token_ && token_->Requested()); }

    std::vector<std::string> fileSpec_;
    bool fileSpecAssigned_ = false;
    TFilesList files_;
    const platform::CancelToken* token_ = nullptr;
    bool stopped_ = false; // by Cancel, for the current scan
};

} // namespace tolvane::archive
