#include "platform/HttpSession.h"

#include "platform/HttpReceived.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace tolvane::platform {

namespace {

// libcurl's process-wide set-up, done once before the first handle and undone
// at exit. A function-local static keeps it out of our mutable state.
void EnsureCurlInitialised() {
    struct CurlGlobal {
        CurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
        ~CurlGlobal() { curl_global_cleanup(); }
    };
    static const CurlGlobal global;
}

// How long one wait for the network lasts at most, so that an abort request
// is seen soon.
constexpr int kPollMilliseconds = 50;

} // namespace

struct HttpSession::Exchange {
    explicit Exchange(std::function<bool()> abort)
        : easy(curl_easy_init()), multi(curl_multi_init()), abort(std::move(abort)) {}
    ~Exchange() {
        if (added)
            curl_multi_remove_handle(multi, easy);
        if (easy)
            curl_easy_cleanup(easy);
        if (multi)
            curl_multi_cleanup(multi);
        curl_slist_free_all(headers);
    }
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;

    static size_t OnHeader(char* data, size_t size, size_t count, void* self);
    static size_t OnBody(char* data, size_t size, size_t count, void* self);
    // Lets libcurl move the exchange on; false when it ended in failure, was
    // aborted or stalled (failure says which).
    bool Pump();
    bool Stalled() const {
        return stall.count() > 0 && std::chrono::steady_clock::now() - lastActivity > stall;
    }
    bool Fail(std::string why) {
        failure = Failure("", std::move(why));
        return false;
    }

    CURL* easy;
    CURLM* multi;
    curl_slist* headers = nullptr;
    bool added = false;
    char errorBuffer[CURL_ERROR_SIZE] = {};

    std::function<bool()> abort;
    std::chrono::milliseconds stall{0};
    std::chrono::steady_clock::time_point lastActivity;
    int status = 0;
    bool headDone = false;
    bool finished = false;
    std::optional<Report> failure; // why the exchange ended early
    std::optional<std::string> contentLength;
    HttpReceived received;
};

HttpSession::HttpSession(std::function<bool()> abort) {
    EnsureCurlInitialised();
    exchange_ = std::make_unique<Exchange>(std::move(abort));
}

HttpSession::~HttpSession() = default;

int HttpSession::Status() const {
    return exchange_->status;
}

const std::optional<std::string>& HttpSession::ContentLength() const {
    return exchange_->contentLength;
}

Expected<void> HttpSession::Send(const HttpRequest& request) {
    Exchange& x = *exchange_;
    if (!x.easy || !x.multi)
        return Unexpected{Failure("", "cannot create an HTTP handle")};
    CURL* easy = x.easy;
    const std::string path =
        (request.path.empty() || request.path[0] != '/') ? "/" + request.path : request.path;
    const bool secure = request.scheme == "https";
    const uint16_t usualPort = secure ? 443 : 80;
    const std::string port = request.port == usualPort ? "" : ":" + std::to_string(request.port);
    const std::string url = (secure ? "https://" : "http://") + request.host + port + path;
    for (const char* header : {"Accept: */*", "Pragma: no-cache", "Cache-Control: no-cache"})
        x.headers = curl_slist_append(x.headers, header);

    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_IGNORE_CONTENT_LENGTH, request.readToClose ? 1L : 0L);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(easy, CURLOPT_USERAGENT, request.userAgent.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, x.headers);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, x.errorBuffer);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Exchange::OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &x);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Exchange::OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &x);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(request.connectTimeout.count()));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(request.total.count()));
    if (!request.userName.empty()) {
        curl_easy_setopt(easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
        curl_easy_setopt(easy, CURLOPT_USERNAME, request.userName.c_str());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, request.password.c_str());
    }
    x.stall = request.stall;
    x.lastActivity = std::chrono::steady_clock::now();
    if (curl_multi_add_handle(x.multi, easy) != CURLM_OK)
        return Unexpected{Failure("", "cannot start the HTTP request")};
    x.added = true;
    while (!x.headDone && !x.finished) {
        if (!x.Pump())
            return Unexpected{*x.failure};
    }
    if (!x.headDone)
        return Unexpected{Failure("", "the server sent no response")};
    return {};
}

Expected<size_t> HttpSession::Read(char* buffer, size_t capacity) {
    Exchange& x = *exchange_;
    while (x.received.Available() < capacity && !x.finished && !x.failure) {
        if (!x.Pump())
            break;
    }
    if (x.received.Available() == 0 && x.failure)
        return Unexpected{*x.failure};
    return x.received.Take(buffer, capacity);
}

bool HttpSession::Exchange::Pump() {
    if (failure)
        return false;
    if (abort && abort()) {
        failure = Cancellation();
        return false;
    }
    const auto before = lastActivity;
    int running = 0;
    const CURLMcode code = curl_multi_perform(multi, &running);
    if (code != CURLM_OK)
        return Fail(curl_multi_strerror(code));
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        finished = true;
        if (message->data.result != CURLE_OK)
            Fail(errorBuffer[0] ? errorBuffer : curl_easy_strerror(message->data.result));
    }
    if (finished)
        return !failure;
    if (Stalled())
        return Fail("no data from the server for " + std::to_string(stall.count()) + " ms");
    if (lastActivity == before)
        curl_multi_poll(multi, nullptr, 0, kPollMilliseconds, nullptr);
    return true;
}

size_t HttpSession::Exchange::OnHeader(char* data, size_t size, size_t count, void* self) {
    auto& x = *static_cast<Exchange*>(self);
    const std::string line(data, size * count);
    x.lastActivity = std::chrono::steady_clock::now();
    if (line.rfind("HTTP/", 0) == 0) {
        // A new response head (an interim one may come first).
        const size_t space = line.find(' ');
        x.status = space == std::string::npos ? 0 : std::atoi(line.c_str() + space + 1);
        x.contentLength.reset();
        x.headDone = false;
        return line.size();
    }
    if (line == "\r\n" || line == "\n") {
        x.headDone = x.status >= 200;
        return line.size();
    }
    static constexpr std::string_view kName = "content-length:";
    if (line.size() >= kName.size()) {
        bool match = true;
        for (size_t i = 0; match && i < kName.size(); ++i)
            match = std::tolower(static_cast<unsigned char>(line[i])) == kName[i];
        if (match)
            x.contentLength = TrimmedHeaderValue(line.substr(kName.size()));
    }
    return line.size();
}

size_t HttpSession::Exchange::OnBody(char* data, size_t size, size_t count, void* self) {
    auto& x = *static_cast<Exchange*>(self);
    x.received.Append(data, size * count);
    x.lastActivity = std::chrono::steady_clock::now();
    return size * count;
}

} // namespace tolvane::platform
