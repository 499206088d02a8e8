// TWebUpdate: checks the vendor's update page for a newer version, downloads
// the installer it names and starts it. Everything is reported through the
// result and the events; the component shows nothing itself.
#pragma once

#include "UpdateInfoCaption.h"
#include "UpdateInfoValues.h"
#include "UpdateInfoWindow.h"
#include "UpdateProductInfo.h"
#include "UpdateTagInfo.h"
#include "UpdateTypes.h"

#include "platform/CancelToken.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tolvane::update {

class TWebUpdate {
public:
    TWebUpdate();
    TWebUpdate(const TWebUpdate&) = delete;
    TWebUpdate& operator=(const TWebUpdate&) = delete;

    // Published properties.
    TUpdateTagInfo TagInfo;
    TUpdateProductInfo ProductInfo;
    TUpdateInfoCaption InfoCaption;
    std::string UserName;
    std::string Password;
    TUpdateOptions Options{uoRunUpdate, uoTerminate, uoOverwrite};
    // The component's own version (read-only).
    std::string Version() const { return "1.21"; }
    std::string TargetFolder;
    // Only the low 16 bits are used.
    uint32_t HTTPPort = 80;

    // Limits of the network calls: connecting; the whole of one update page
    // (so that a silent server delays the program's start only this long);
    // a download without any byte arriving.
    std::chrono::milliseconds ConnectTimeout{5000};
    std::chrono::milliseconds PageTimeout{5000};
    std::chrono::milliseconds DownloadStallTimeout{30000};
    // A redirection chain ends with a failure after this many pages.
    int MaxPages = 5;

    // Events; an empty one is skipped.
    std::function<void(TWebUpdate& sender, const std::string& fileName)> OnBeforeDownload;
    std::function<void(TWebUpdate& sender, const std::string& fileName)> OnAfterDownload;
    std::function<void(TWebUpdate& sender, const std::string& actualVersion,
                       const std::string& newVersion, bool& canUpdate)>
        OnUpdateAvailable;
    std::function<void(TWebUpdate& sender, std::string& fileName)> OnGetClientFileName;
    std::function<void(TWebUpdate& sender, std::string& fileName, bool& overwrite)>
        OnClientFileExists;
    std::function<void(TWebUpdate& sender, bool& showInfo, bool& checkForUpdate)> OnBeforeShowInfo;
    std::function<void(TWebUpdate& sender, bool checkForUpdate)> OnAfterShowInfo;
    std::function<void(TWebUpdate& sender)> OnBeforeGetInfo;
    std::function<void(TWebUpdate& sender)> OnCannotExecute;
    std::function<void(TWebUpdate& sender)> OnAfterGetInfo;
    std::function<void(TWebUpdate& sender)> OnNoUpdateFound;
    std::function<void(TWebUpdate& sender, int64_t total, int64_t downloaded)> OnDownload;
    std::function<void(TWebUpdate& sender)> OnDownloadError;

    // Host services. Launch opens the downloaded file with the run
    // parameters: true on success, else false with the reason in `why`; it
    // defaults to the desktop's opener. Terminate asks the host to end the
    // program, once an installer started. MakeInfoWindow creates the info
    // window on its first use; without it no info window can be shown and the
    // check ends before the download.
    std::function<bool(const std::string& path, const std::string& parameters, std::string& why)>
        Launch;
    std::function<void()> Terminate;
    std::function<std::unique_ptr<UpdateInfoWindow>()> MakeInfoWindow;

    // Runs one check; true when an update was downloaded (and, with
    // uoRunUpdate, handed to Launch: OnCannotExecute tells when it could not
    // be opened). False at once while a check runs. A request of `cancel`,
    // from any thread, ends the running transfer within one wait for the
    // network and keeps every later one from sending anything.
    bool RunCheck(const platform::CancelToken& cancel);

    // Steps of the check, public for hosts that drive them one by one; those
    // that transfer read `cancel` as RunCheck does.
    void FetchInfo(const platform::CancelToken& cancel);
    void ParseInfo();
    bool IsNewerVersion();
    bool ShowInfo();
    void DownloadUpdate(const platform::CancelToken& cancel);
    // Fetches `address` into PageLines (no `file`) or into `file`. Cancelled,
    // it fails quietly: LastError() is "cancelled", OnDownloadError is not
    // raised and no part of `file` is left.
    void Transfer(const std::string& address, const std::optional<std::string>& file,
                  bool contentLengthRequired, const platform::CancelToken& cancel);

    // Run-time state of the last check.
    const TUpdateInfoValues& InfoValues() const { return values_; }
    const std::vector<std::string>& PageLines() const { return pageLines_; }
    const std::string& ClientPath() const { return clientPath_; }
    bool TransferOK() const { return transferOK_; }
    bool Busy() const { return busy_; }
    int64_t TotalBytes() const { return totalBytes_; }
    int64_t ReceivedBytes() const { return receivedBytes_; }
    // Why the last failed transfer failed, or ClientPath() and why it could
    // not be opened (OnCannotExecute), for messages; empty after a success.
    const std::string& LastError() const { return lastError_; }

private:
    void Raise(const std::function<void(TWebUpdate&)>& event) {
        if (event)
            event(*this);
    }
    void NoUpdateFound() { Raise(OnNoUpdateFound); }
    void FailTransfer(const std::string& why);

    TUpdateInfoValues values_;
    std::vector<std::string> pageLines_;
    std::string clientPath_;
    bool transferOK_ = false;
    bool busy_ = false;
    int64_t totalBytes_ = 0;
    int64_t receivedBytes_ = 0;
    std::string lastError_;
    std::unique_ptr<UpdateInfoWindow> infoWindow_;
};

} // namespace tolvane::update
