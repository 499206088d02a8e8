// TWebUpdate: the update check of the vendor's update page. Its properties
// are what a check asks for; the check itself is two calls a host makes on a
// worker thread, with its own question ("Update now?") between them:
// FetchOffer reads the page (following its redirections) and compares the
// versions, Download fetches the installer the offer names. The host opens
// the installer and ends the program itself; nothing here shows anything.
#pragma once

#include "UpdateInfoCaption.h"
#include "UpdateInfoValues.h"
#include "UpdateProductInfo.h"
#include "UpdateTagInfo.h"
#include "UpdateTypes.h"

#include "platform/CancelToken.h"
#include "platform/Expected.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace tolvane::update {

// The component's published properties: a value, copied when a check starts.
class TWebUpdate {
public:
    TUpdateTagInfo TagInfo;
    TUpdateProductInfo ProductInfo;
    TUpdateInfoCaption InfoCaption;
    std::string UserName;
    std::string Password;
    // uoOverwrite lets Download replace a file of the installer's name; the
    // host reads uoRunUpdate and uoTerminate.
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
};

// What the update page offers.
struct Offer {
    // The offered version is newer than the installed one.
    bool newer = false;
    std::string installedVersion;
    // The META values of the last page (the one that redirects no further).
    TUpdateInfoValues values;
    // Where Download puts the installer: TargetFolder when it exists, else
    // the system's temporary folder, and the bare file name the page gives
    // (so that the page cannot place it elsewhere). Empty when the page names
    // no file; a host may choose another path before the download.
    std::string clientPath;
    // The check's properties, for the download's request.
    TWebUpdate request;
};

// Reads the update page of `request.ProductInfo` and what it offers. Fails
// for a page that did not arrive (the address and why), an error page, a
// redirection chain longer than MaxPages and a page without product or
// version. A request of `cancel` (from any thread) ends a transfer within one
// wait for the network and keeps every later one from being sent; the
// failure is then a cancellation.
platform::Expected<Offer> FetchOffer(const TWebUpdate& request,
                                     const platform::CancelToken& cancel);

// What Download tells while it runs, on its thread; an empty one is skipped.
struct DownloadProgress {
    // The installer's request is about to go out to `path`: the page named
    // a file and nothing is in the way.
    std::function<void(const std::string& path)> begins;
    // After each piece received: the Content-Length and the bytes so far.
    std::function<void(int64_t total, int64_t received)> received;
};

// Fetches the offered installer to `offer.clientPath` and returns that path.
// The file appears only once it is complete: a download that fails, is
// shorter or longer than its Content-Length or is cancelled leaves nothing,
// and an existing file stays as it was. Without uoOverwrite an existing file
// stops it. Cancelled as FetchOffer is.
platform::Expected<std::string> Download(const Offer& offer, const platform::CancelToken& cancel,
                                         const DownloadProgress& progress = {});

} // namespace tolvane::update
