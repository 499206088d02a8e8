#include "WebUpdate.h"

#include "DownloadFile.h"
#include "ParseInfo.h"
#include "SplitURL.h"
#include "VersionCompare.h"

#include "platform/FileSystem.h"
#include "platform/HttpSession.h"
#include "platform/TempFile.h"

#include <charconv>
#include <memory>

namespace tolvane::update {

namespace {

using platform::Unexpected;

// Bytes per read; each read of a download is reported once.
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

Unexpected<platform::Report> Fail(const std::string& address, std::string why) {
    return Unexpected{platform::Failure(address, std::move(why))};
}

Unexpected<platform::Report> Cancelled() {
    return Unexpected{platform::Cancellation()};
}

// Fetches `address` and returns the page (no `file`), or writes it into
// `file` and returns that path. Cancelled, it fails as a cancellation and no
// part of `file` is left. A request made before the transfer holds: nothing
// is sent.
platform::Expected<std::string> Transfer(const TWebUpdate& check, const std::string& address,
                                         const std::string* file,
                                         const platform::CancelToken& cancel,
                                         const std::function<void(int64_t, int64_t)>& received) {
    if (cancel.Requested())
        return Cancelled();
    UrlParts url = SplitURL(address);
    if (url.host.empty()) {
        const UrlParts page = SplitURL(check.ProductInfo.URL());
        url.scheme = page.scheme;
        url.host = page.host;
    }
    const HostPort host = SplitHostPort(
        url.host, DefaultPort(url.scheme, static_cast<uint16_t>(check.HTTPPort & 0xFFFF)));

    platform::HttpRequest request;
    request.scheme = url.scheme;
    request.host = host.name;
    request.port = host.port;
    request.path = url.path;
    request.userName = check.UserName;
    request.password = check.Password;
    request.userAgent = "TWebUpdate";
    request.connectTimeout = check.ConnectTimeout;
    // A page is small: it has to arrive within its limit. An installer may
    // take long; only a connection that stops delivering fails it.
    // A download is read to its end whatever its Content-Length says, so
    // that one longer than announced is refused, not cut to that length.
    if (file) {
        request.stall = check.DownloadStallTimeout;
        request.readToClose = true;
    } else {
        request.total = check.PageTimeout;
    }

    platform::HttpSession session([&cancel] { return cancel.Requested(); });
    if (const auto sent = session.Send(request); !sent) {
        if (cancel.Requested() || sent.Error().Cancelled())
            return Cancelled();
        return Fail(address, sent.Error().extendedMsg);
    }
    if (cancel.Requested())
        return Cancelled();
    // An error page is neither an update page nor an installer.
    if (session.Status() != 200)
        return Fail(address, "HTTP status " + std::to_string(session.Status()));
    const std::optional<std::string>& length = session.ContentLength();
    if (!length && file)
        return Fail(address, "the server sent no Content-Length");
    int64_t totalBytes = 0;
    if (length && !ParseLength(*length, totalBytes))
        return Fail(address, "Content-Length '" + *length + "' is not a number");

    std::string page;
    std::unique_ptr<DownloadFile> output;
    if (file) {
        auto created = DownloadFile::Create(*file);
        if (!created)
            return Unexpected{created.Error()};
        output = std::move(*created);
    }
    char buffer[kReadSize];
    int64_t receivedBytes = 0;
    for (;;) {
        if (cancel.Requested())
            return Cancelled();
        const platform::Expected<size_t> count = session.Read(buffer, sizeof buffer);
        if (!count) {
            if (cancel.Requested() || count.Error().Cancelled())
                return Cancelled();
            return Fail(address, count.Error().extendedMsg);
        }
        if (*count == 0)
            break;
        const auto bytes = static_cast<int64_t>(*count);
        if (output && receivedBytes + bytes > totalBytes)
            return Fail(address, "received more than the " + std::to_string(totalBytes) +
                                     " bytes of its Content-Length");
        if (output) {
            if (const auto written = output->Write(buffer, *count); !written)
                return Unexpected{written.Error()};
        } else {
            page.append(buffer, *count);
        }
        receivedBytes += bytes;
        if (output && received)
            received(totalBytes, receivedBytes);
    }
    if (!output) {
        if (page.empty())
            return Fail(address, "the page is empty");
        return page;
    }
    if (receivedBytes != totalBytes)
        return Fail(address, "received " + std::to_string(receivedBytes) + " of the " +
                                 std::to_string(totalBytes) + " bytes of its Content-Length");
    if (const auto committed = output->Commit(); !committed)
        return Unexpected{committed.Error()};
    return *file;
}

} // namespace

platform::Expected<Offer> FetchOffer(const TWebUpdate& request,
                                     const platform::CancelToken& cancel) {
    Offer offer;
    offer.request = request;
    offer.installedVersion = request.ProductInfo.Version;
    std::string redirection;
    for (int page = 1;; ++page) {
        const std::string address = redirection.empty() ? request.ProductInfo.URL() : redirection;
        const platform::Expected<std::string> text =
            Transfer(request, address, nullptr, cancel, {});
        if (!text)
            return Unexpected{text.Error()};
        offer.values = ParseInfo(SplitLines(*text), request.TagInfo);
        redirection = offer.values.Redirection;
        if (redirection.empty())
            break;
        // A page that redirects to itself, or a longer loop, would never end.
        if (page >= request.MaxPages)
            return Fail("", "the update page redirects through more than " +
                                std::to_string(request.MaxPages) + " pages");
    }
    if (offer.values.Product.empty() || offer.values.Version.empty())
        return Fail("", "the update page names no product or no version");
    offer.newer = OfferedIsNewer(request.ProductInfo.VersionFormat, request.ProductInfo.Version,
                                 offer.values.Version);
    if (const std::string fileName = BareFileName(offer.values.ClientFileName); !fileName.empty()) {
        if (!request.TargetFolder.empty() && platform::DirectoryExists(request.TargetFolder)) {
            offer.clientPath = request.TargetFolder;
            if (offer.clientPath.back() != platform::kPathSeparator)
                offer.clientPath += platform::kPathSeparator;
        } else {
            offer.clientPath = platform::SystemTempFolder();
        }
        offer.clientPath += fileName;
    }
    return offer;
}

platform::Expected<std::string> Download(const Offer& offer, const platform::CancelToken& cancel,
                                         const DownloadProgress& progress) {
    if (offer.clientPath.empty())
        return Fail("", "the update page names no client file name");
    if (platform::PathExists(offer.clientPath) && !offer.request.Options.Contains(uoOverwrite))
        return Fail(offer.clientPath, "the file exists");
    if (progress.begins)
        progress.begins(offer.clientPath);
    return Transfer(offer.request, offer.values.Download, &offer.clientPath, cancel,
                    progress.received);
}

} // namespace tolvane::update
