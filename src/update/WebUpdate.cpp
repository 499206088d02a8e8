#include "WebUpdate.h"

#include "DownloadFile.h"
#include "HttpSession.h"
#include "ParseInfo.h"
#include "ShellOpen.h"
#include "SplitURL.h"
#include "VersionCompare.h"

#include "platform/FileSystem.h"
#include "platform/TempFile.h"

#include <charconv>

namespace tolvane::update {

namespace {

// Bytes per read; each read raises OnDownload once.
constexpr size_t kReadSize = 1025;

// The last component of a client file name taken from the page, so that the
// page can never place the download outside the chosen folder.
std::string BareFileName(const std::string& name) {
    const size_t separator = name.find_last_of("/\\");
    std::string bare = separator == std::string::npos ? name : name.substr(separator + 1);
    return (bare == "." || bare == "..") ? std::string() : bare;
}

bool ParseLength(const std::string& text, int64_t& value) {
    int64_t parsed = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || parsed < 0)
        return false;
    value = parsed;
    return true;
}

} // namespace

TWebUpdate::TWebUpdate() : Launch(&OpenWithDesktop) {}

bool TWebUpdate::RunCheck(const platform::CancelToken& cancel) {
    if (busy_)
        return false;
    busy_ = true;
    struct BusyReset {
        bool& busy;
        ~BusyReset() { busy = false; }
    } busyReset{busy_};

    values_.Redirection.clear();
    Raise(OnBeforeGetInfo);
    FetchInfo(cancel);
    Raise(OnAfterGetInfo);
    if (values_.Product.empty() || values_.Version.empty()) {
        if (lastError_.empty())
            lastError_ = "the update page names no product or no version";
        Raise(OnDownloadError);
        transferOK_ = false;
    }
    if (!transferOK_)
        return false;
    if (!IsNewerVersion())
        return false;
    bool canUpdate = true;
    if (OnUpdateAvailable)
        OnUpdateAvailable(*this, ProductInfo.Version, values_.Version, canUpdate);
    if (!canUpdate)
        return false;
    if (!ShowInfo())
        return false;
    DownloadUpdate(cancel);
    if (!transferOK_)
        return false;
    if (Options.Contains(uoRunUpdate)) {
        std::string why = "no program is set to open it";
        if (!Launch || !Launch(clientPath_, values_.RunParameters, why)) {
            // The program goes on: ending it now would leave the user with
            // neither the old version running nor the new one installed. The
            // downloaded file stays for the user to open.
            lastError_ = clientPath_ + ": " + why;
            Raise(OnCannotExecute);
            return true;
        }
        if (Options.Contains(uoTerminate) && Terminate)
            Terminate();
    }
    return true;
}

void TWebUpdate::FetchInfo(const platform::CancelToken& cancel) {
    for (int page = 1;; ++page) {
        for (std::string* value : {&values_.Version, &values_.Download, &values_.Author,
                                   &values_.Email, &values_.Product, &values_.RunParameters})
            value->clear();
        const std::string address =
            values_.Redirection.empty() ? ProductInfo.URL() : values_.Redirection;
        Transfer(address, std::nullopt, false, cancel);
        if (!transferOK_)
            return;
        ParseInfo();
        if (values_.Redirection.empty())
            return;
        // A page that redirects to itself, or a longer loop, would never end.
        if (page >= MaxPages) {
            FailTransfer("the update page redirects through more than " + std::to_string(MaxPages) +
                         " pages");
            return;
        }
    }
}

void TWebUpdate::ParseInfo() {
    values_ = update::ParseInfo(pageLines_, TagInfo);
}

bool TWebUpdate::IsNewerVersion() {
    const bool newer =
        OfferedIsNewer(ProductInfo.VersionFormat, ProductInfo.Version, values_.Version);
    if (!newer)
        NoUpdateFound();
    return newer;
}

bool TWebUpdate::ShowInfo() {
    bool showInfo = true;
    bool checkForUpdate = true;
    if (OnBeforeShowInfo)
        OnBeforeShowInfo(*this, showInfo, checkForUpdate);
    if (!showInfo)
        return true;
    if (!infoWindow_ && MakeInfoWindow)
        infoWindow_ = MakeInfoWindow();
    if (!infoWindow_)
        return false;
    const std::string& address =
        values_.Redirection.empty() ? ProductInfo.URL() : values_.Redirection;
    const bool accepted = infoWindow_->ShowModal(InfoCaption, address, checkForUpdate);
    if (OnAfterShowInfo)
        OnAfterShowInfo(*this, checkForUpdate);
    return accepted;
}

void TWebUpdate::DownloadUpdate(const platform::CancelToken& cancel) {
    const std::string fileName = BareFileName(values_.ClientFileName);
    if (!TargetFolder.empty() && platform::DirectoryExists(TargetFolder)) {
        clientPath_ = TargetFolder;
        if (clientPath_.back() != platform::kPathSeparator)
            clientPath_ += platform::kPathSeparator;
        clientPath_ += fileName;
    } else {
        clientPath_ = platform::SystemTempFolder() + fileName;
    }
    if (OnGetClientFileName)
        OnGetClientFileName(*this, clientPath_);
    transferOK_ = false;
    if (fileName.empty()) {
        FailTransfer("the update page names no client file name");
        return;
    }
    if (platform::PathExists(clientPath_)) {
        bool overwrite = Options.Contains(uoOverwrite);
        if (OnClientFileExists)
            OnClientFileExists(*this, clientPath_, overwrite);
        if (!overwrite) {
            FailTransfer(clientPath_ + ": the file exists");
            return;
        }
    }
    if (OnBeforeDownload)
        OnBeforeDownload(*this, clientPath_);
    Transfer(values_.Download, clientPath_, true, cancel);
    if (OnAfterDownload)
        OnAfterDownload(*this, clientPath_);
}

void TWebUpdate::Transfer(const std::string& address, const std::optional<std::string>& file,
                          bool contentLengthRequired, const platform::CancelToken& cancel) {
    transferOK_ = false;
    lastError_.clear();
    // A request made before the transfer, between the pages or before the
    // download, holds: nothing is sent.
    if (cancel.Requested()) {
        lastError_ = "cancelled";
        return;
    }
    UrlParts url = SplitURL(address);
    if (url.host.empty()) {
        const UrlParts page = SplitURL(ProductInfo.URL());
        url.scheme = page.scheme;
        url.host = page.host;
    }
    const HostPort host =
        SplitHostPort(url.host, DefaultPort(url.scheme, static_cast<uint16_t>(HTTPPort & 0xFFFF)));

    HttpRequest request;
    request.scheme = url.scheme;
    request.host = host.name;
    request.port = host.port;
    request.path = url.path;
    request.userName = UserName;
    request.password = Password;
    request.userAgent = "TWebUpdate";
    request.connectTimeout = ConnectTimeout;
    // A page is small: it has to arrive within its limit. An installer may
    // take long; only a connection that stops delivering fails it.
    // A download is read to its end whatever its Content-Length says, so
    // that one longer than announced is refused, not cut to that length.
    if (file) {
        request.stall = DownloadStallTimeout;
        request.readToClose = true;
    } else {
        request.total = PageTimeout;
    }

    // A cancelled transfer ends quietly: the caller asked for it.
    HttpSession session([&cancel] { return cancel.Requested(); });
    if (!session.Send(request)) {
        if (cancel.Requested())
            lastError_ = "cancelled";
        else
            FailTransfer(address + ": " + session.Error());
        return;
    }
    if (cancel.Requested()) {
        lastError_ = "cancelled";
        return;
    }
    // An error page is neither an update page nor an installer.
    if (session.Status() != 200) {
        FailTransfer(address + ": HTTP status " + std::to_string(session.Status()));
        return;
    }
    const std::optional<std::string>& length = session.ContentLength();
    if (!length && contentLengthRequired) {
        FailTransfer(address + ": the server sent no Content-Length");
        return;
    }
    if (length && !ParseLength(*length, totalBytes_)) {
        lastError_ = address + ": Content-Length '" + *length + "' is not a number";
        return;
    }
    receivedBytes_ = 0;

    std::string page;
    std::optional<DownloadFile> output;
    if (file) {
        output.emplace(*file);
        if (!output->IsOpen()) {
            lastError_ = output->Error();
            return;
        }
    }
    char buffer[kReadSize];
    bool readFailed = false;
    for (;;) {
        if (cancel.Requested()) {
            lastError_ = "cancelled";
            return;
        }
        const int64_t count = session.Read(buffer, sizeof buffer);
        if (count < 0 && cancel.Requested())
            continue;
        if (count < 0)
            readFailed = true;
        if (count <= 0)
            break;
        if (output && length && receivedBytes_ + count > totalBytes_) {
            FailTransfer(address + ": received more than the " + std::to_string(totalBytes_) +
                         " bytes of its Content-Length");
            return;
        }
        if (output && !output->Write(buffer, static_cast<size_t>(count))) {
            lastError_ = output->Error();
            return;
        }
        if (!output)
            page.append(buffer, static_cast<size_t>(count));
        receivedBytes_ += count;
        if (OnDownload)
            OnDownload(*this, totalBytes_, receivedBytes_);
    }
    if (readFailed) {
        FailTransfer(address + ": " + session.Error());
        return;
    }
    if (!output) {
        if (page.empty()) {
            FailTransfer(address + ": the page is empty");
            return;
        }
        transferOK_ = true;
        pageLines_ = SplitLines(page);
        return;
    }
    if (receivedBytes_ != totalBytes_) {
        FailTransfer(address + ": received " + std::to_string(receivedBytes_) + " of the " +
                     std::to_string(totalBytes_) + " bytes of its Content-Length");
        return;
    }
    if (!output->Commit()) {
        lastError_ = output->Error();
        return;
    }
    transferOK_ = true;
}

void TWebUpdate::FailTransfer(const std::string& why) {
    transferOK_ = false;
    lastError_ = why;
    Raise(OnDownloadError);
}

} // namespace tolvane::update
