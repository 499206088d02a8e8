#include "HttpSession.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace tolvane::update {

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

std::string Trimmed(const std::string& text) {
    const size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(" \t\r\n") + 1 - begin);
}

} // namespace

struct HttpSession::Handles {
    Handles() : easy(curl_easy_init()), multi(curl_multi_init()) {}
    ~Handles() {
        if (added)
            curl_multi_remove_handle(multi, easy);
        if (easy)
            curl_easy_cleanup(easy);
        if (multi)
            curl_multi_cleanup(multi);
        curl_slist_free_all(headers);
    }
    Handles(const Handles&) = delete;
    Handles& operator=(const Handles&) = delete;

    CURL* easy;
    CURLM* multi;
    curl_slist* headers = nullptr;
    bool added = false;
    char errorBuffer[CURL_ERROR_SIZE] = {};
};

HttpSession::HttpSession(std::function<bool()> abort) : abort_(std::move(abort)) {
    EnsureCurlInitialised();
    handles_ = std::make_unique<Handles>();
}

HttpSession::~HttpSession() = default;

platform::Expected<void> HttpSession::Send(const HttpRequest& request) {
    if (!handles_->easy || !handles_->multi)
        return platform::Unexpected{platform::Failure("", "cannot create an HTTP handle")};
    CURL* easy = handles_->easy;
    const std::string path =
        (request.path.empty() || request.path[0] != '/') ? "/" + request.path : request.path;
    const bool secure = request.scheme == "https";
    const uint16_t usualPort = secure ? 443 : 80;
    const std::string port = request.port == usualPort ? "" : ":" + std::to_string(request.port);
    const std::string url = (secure ? "https://" : "http://") + request.host + port + path;
    for (const char* header : {"Accept: */*", "Pragma: no-cache", "Cache-Control: no-cache"})
        handles_->headers = curl_slist_append(handles_->headers, header);

    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_IGNORE_CONTENT_LENGTH, request.readToClose ? 1L : 0L);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(easy, CURLOPT_USERAGENT, request.userAgent.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, handles_->headers);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, handles_->errorBuffer);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &HttpSession::OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &HttpSession::OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(request.connectTimeout.count()));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(request.total.count()));
    if (!request.userName.empty()) {
        curl_easy_setopt(easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
        curl_easy_setopt(easy, CURLOPT_USERNAME, request.userName.c_str());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, request.password.c_str());
    }
    stall_ = request.stall;
    lastActivity_ = std::chrono::steady_clock::now();
    if (curl_multi_add_handle(handles_->multi, easy) != CURLM_OK)
        return platform::Unexpected{platform::Failure("", "cannot start the HTTP request")};
    handles_->added = true;
    while (!headDone_ && !finished_) {
        if (!Pump())
            return platform::Unexpected{*failure_};
    }
    if (!headDone_)
        return platform::Unexpected{platform::Failure("", "the server sent no response")};
    return {};
}

platform::Expected<size_t> HttpSession::Read(char* buffer, size_t capacity) {
    while (pending_.size() - pendingOffset_ < capacity && !finished_ && !failure_) {
        if (!Pump())
            break;
    }
    const size_t available = pending_.size() - pendingOffset_;
    if (available == 0 && failure_)
        return platform::Unexpected{*failure_};
    const size_t count = std::min(available, capacity);
    std::memcpy(buffer, pending_.data() + pendingOffset_, count);
    pendingOffset_ += count;
    return count;
}

bool HttpSession::Fail(std::string why) {
    failure_ = platform::Failure("", std::move(why));
    return false;
}

bool HttpSession::Pump() {
    if (failure_)
        return false;
    if (abort_ && abort_()) {
        failure_ = platform::Cancellation();
        return false;
    }
    const auto before = lastActivity_;
    int running = 0;
    const CURLMcode code = curl_multi_perform(handles_->multi, &running);
    if (code != CURLM_OK)
        return Fail(curl_multi_strerror(code));
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(handles_->multi, &queued)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        finished_ = true;
        if (message->data.result != CURLE_OK)
            Fail(handles_->errorBuffer[0] ? handles_->errorBuffer
                                          : curl_easy_strerror(message->data.result));
    }
    if (finished_)
        return !failure_;
    if (Stalled())
        return Fail("no data from the server for " + std::to_string(stall_.count()) + " ms");
    if (lastActivity_ == before)
        curl_multi_poll(handles_->multi, nullptr, 0, kPollMilliseconds, nullptr);
    return true;
}

bool HttpSession::Stalled() const {
    return stall_.count() > 0 && std::chrono::steady_clock::now() - lastActivity_ > stall_;
}

size_t HttpSession::OnHeader(char* data, size_t size, size_t count, void* self) {
    auto& session = *static_cast<HttpSession*>(self);
    const std::string line(data, size * count);
    session.lastActivity_ = std::chrono::steady_clock::now();
    if (line.rfind("HTTP/", 0) == 0) {
        // A new response head (an interim one may come first).
        const size_t space = line.find(' ');
        session.status_ = space == std::string::npos ? 0 : std::atoi(line.c_str() + space + 1);
        session.contentLength_.reset();
        session.headDone_ = false;
        return line.size();
    }
    if (line == "\r\n" || line == "\n") {
        session.headDone_ = session.status_ >= 200;
        return line.size();
    }
    static constexpr std::string_view kName = "content-length:";
    if (line.size() >= kName.size()) {
        bool match = true;
        for (size_t i = 0; match && i < kName.size(); ++i)
            match = std::tolower(static_cast<unsigned char>(line[i])) == kName[i];
        if (match)
            session.contentLength_ = Trimmed(line.substr(kName.size()));
    }
    return line.size();
}

size_t HttpSession::OnBody(char* data, size_t size, size_t count, void* self) {
    auto& session = *static_cast<HttpSession*>(self);
    if (session.pendingOffset_ > 0) {
        session.pending_.erase(0, session.pendingOffset_);
        session.pendingOffset_ = 0;
    }
    session.pending_.append(data, size * count);
    session.lastActivity_ = std::chrono::steady_clock::now();
    return size * count;
}

} // namespace tolvane::update
