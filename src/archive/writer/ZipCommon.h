// TZipCommon: what every archive component shares: the archive name, the
// event handlers, the attribute filters, the scan lists, name translation and
// the error and cancel machinery.
#pragma once

#include "WriterError.h"
#include "WriterTypes.h"
#include "archive/framework/FileAttributes.h"

#include "platform/CancelToken.h"
#include "platform/CodePage.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace tolvane::archive {

// Where a run stands, for a host that shows more than percentages.
struct ProgressDetail {
    const std::string& entryName; // the stored name of the entry being written
    int64_t entryDone = 0;        // bytes of its source read so far
    int64_t entrySize = 0;
    int64_t runDone = 0; // bytes of the run's sources read so far
    int64_t runTotal = 0;
};

class TZipCommon {
public:
    using NotifyEvent = std::function<void(TZipCommon& sender)>;
    using BeginEvent = std::function<void(TZipCommon& sender, const std::string& fileName,
                                          int32_t count, bool& extract)>;
    using EndEvent =
        std::function<void(TZipCommon& sender, const std::string& fileName, bool crcPass)>;
    using ProgressEvent =
        std::function<void(TZipCommon& sender, uint8_t byFile, uint8_t byArchive)>;
    using ErrorEvent = std::function<void(TZipCommon& sender, const std::string& fileName,
                                          const std::string& extendedMsg,
                                          const std::string& volumeId, int32_t eCode)>;
    using ElapsedTimeEvent = std::function<void(TZipCommon& sender, float elapsedSeconds)>;
    using FileScanStatusEvent = std::function<void(TZipCommon& sender, const std::string& fileName,
                                                   int32_t filesCount, int64_t filesSize)>;
    using FileNameEvent = std::function<void(TZipCommon& sender, const std::string& name)>;
    using DeleteFileEvent = std::function<void(TZipCommon& sender, const std::string& fileName,
                                               int32_t count, int32_t maxCount)>;
    using NonWriteableArchiveEvent =
        std::function<void(TZipCommon& sender, const std::string& archiveFile, bool& writeToFile)>;
    // Dates are seconds since 1970 UTC.
    using ReplaceFileEvent = std::function<void(
        TZipCommon& sender, const std::string& fileName, const std::string& newFileName,
        std::time_t date, std::time_t newDate, int64_t fileSize, int64_t newFileSize, int32_t attr,
        int32_t newAttr, bool& replace)>;
    using RenameDupeFileEvent = std::function<void(TZipCommon& sender, const std::string& fileName,
                                                   std::string& newFileName, bool& rename)>;
    using TmpFileMoveBeginEvent =
        std::function<void(TZipCommon& sender, const std::string& archive,
                           const std::string& tempFileName, bool& cancel)>;
    using GetPasswordEvent = std::function<void(TZipCommon& sender, const std::string& fileName,
                                                std::string& password, bool& tryAgain)>;
    using ReadEvent = std::function<void(TZipCommon& sender, int64_t offset, int32_t fileNum)>;
    using ReportEvent = std::function<void(TZipCommon& sender, const WriterReport& report)>;
    using ProgressDetailEvent =
        std::function<void(TZipCommon& sender, const ProgressDetail& detail)>;

    TZipCommon();
    virtual ~TZipCommon() = default;
    TZipCommon(const TZipCommon&) = delete;
    TZipCommon& operator=(const TZipCommon&) = delete;

    // Published properties without setter behaviour.
    TkroFileAttributes Attributes = kDefaultAttributes;
    TkroFileAttributes AttributesEx;
    bool TranslateOemChar = true;
    TStoredDirNames StoredDirNames = sdRelative;

    const std::vector<std::string>& FileSpec() const { return fileSpec_; }
    void SetFileSpec(const std::vector<std::string>& lines) { fileSpec_ = lines; }
    const std::vector<std::string>& ExcludeSpec() const { return excludeSpec_; }
    void SetExcludeSpec(const std::vector<std::string>& lines) { excludeSpec_ = lines; }

    void SetAttribute(unsigned attr, bool value) {
        value ? Attributes.Include(attr) : Attributes.Exclude(attr);
    }
    void SetAttributeEx(unsigned attr, bool value) {
        value ? AttributesEx.Include(attr) : AttributesEx.Exclude(attr);
    }

    // Events.
    NotifyEvent OnActivate, OnDeactivate, OnTmpFileMoveEnd;
    BeginEvent OnBegin;
    EndEvent OnEnd;
    ProgressEvent OnProgress, OnTmpFileProgress;
    // Raised with OnProgress, from the same place and thread, with byte counts.
    ProgressDetailEvent OnProgressDetail;
    ErrorEvent OnError;
    ElapsedTimeEvent OnElapsedTime;
    FileScanStatusEvent OnFileScanStatus;
    FileNameEvent OnRecurseDir;
    FileNameEvent OnExcludeFile; // declared for hosts; the add operation does not raise it
    DeleteFileEvent OnDeleteFile;
    NonWriteableArchiveEvent OnNonWriteableArchive;
    ReplaceFileEvent OnReplaceFile;
    RenameDupeFileEvent OnRenameDupeFile;
    TmpFileMoveBeginEvent OnTmpFileMoveBegin;
    GetPasswordEvent OnGetPassword;
    ReadEvent OnRead;
    // Every report of OnError again, with its grade; raised right after
    // OnError, on the thread that runs Compress.
    ReportEvent OnReport;

    // Host hooks: the loops call ProcessMessages between pieces of work so an
    // interface can stay alive (and a host can poll for a stop request);
    // AskYesNo answers the TempDir setter's question (absent: "No").
    std::function<void()> ProcessMessages;
    std::function<bool(const std::string& question)> AskYesNo;

    // The caller's stop request, read at every check of a run and by the
    // stages that work for it (nullptr: none). A run that it stops reports
    // 25443 "User canceled" once, at its end; the request is never cleared.
    void SetCancelToken(const platform::CancelToken* token) { token_ = token; }
    bool Cancelled() const { return stopped_ || (token_ && token_->Requested()); }

    // Code page for stored names (the locale's by default).
    void SetCodePage(const platform::CodePage& codePage) { codePage_ = codePage; }
    const platform::CodePage& CodePage() const { return codePage_; }

protected:
    // Reports through OnError and OnReport; while the cancel flag is set the
    // code is 25443 and the grade Cancelled.
    virtual void ReportError(const std::string& fileName, const std::string& extendedMsg,
                             const std::string& volumeId, int32_t eCode, ReportGrade grade);
    // Reports (grade Failed), then throws WriterException.
    [[noreturn]] virtual void RaiseError(const std::string& fileName,
                                         const std::string& extendedMsg,
                                         const std::string& volumeId, int32_t eCode);
    void PumpMessages() const {
        if (ProcessMessages)
            ProcessMessages();
    }

    const platform::CancelToken* token_ = nullptr;
    // The run's own stop (a host that declined the final move), set and read
    // on the run's thread only.
    bool stopped_ = false;
    std::string runArchive_; // the archive name of the current run, for reports
    std::vector<std::string> fileSpec_;
    std::vector<std::string> excludeSpec_;
    platform::CodePage codePage_;
    double pausedMs_ = 0; // time spent in OnError handlers, kept off the elapsed time
};

} // namespace tolvane::archive
