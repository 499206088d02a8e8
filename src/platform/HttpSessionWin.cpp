#include "platform/HttpSession.h"

#include "platform/HttpReceived.h"

#include "Win32Support.h"

#include <winhttp.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <vector>

namespace tolvane::platform {

namespace {

// How long one wait for the network lasts at most, so that an abort request
// and the time limits are seen soon.
constexpr auto kPollInterval = std::chrono::milliseconds(50);
constexpr DWORD kReadChunk = 64 * 1024;

// WinHTTP's own codes in words of ours: the system's texts for them are
// missing on some systems and differ between versions.
std::string WinHttpErrorText(DWORD error) {
    switch (error) {
    case ERROR_WINHTTP_TIMEOUT:
        return "the connection timed out";
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
        return "the server's name could not be resolved";
    case ERROR_WINHTTP_CANNOT_CONNECT:
        return "could not connect to the server";
    case ERROR_WINHTTP_CONNECTION_ERROR:
        return "the connection to the server was broken";
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
        return "the server's answer is not HTTP";
    case ERROR_WINHTTP_SECURE_FAILURE:
        return "the secure connection failed (the server's certificate was not accepted)";
    case ERROR_WINHTTP_OPERATION_CANCELLED:
        return "the request was cancelled";
    default:
        return win::WindowsErrorText(error);
    }
}

// What WinHTTP's callback thread hands to the caller: whether the operation
// begun last has completed, with its error or byte count. The read buffer is
// here too, as WinHTTP may still write into it after the caller gave up; the
// callback deletes the object when the request handle is gone.
struct Completion {
    std::mutex mutex;
    std::condition_variable changed;
    bool done = false;
    DWORD error = 0;
    DWORD bytes = 0;
    std::vector<char> buffer = std::vector<char>(kReadChunk);

    void Complete(DWORD withError, DWORD byteCount) {
        std::lock_guard lock(mutex);
        done = true;
        error = withError;
        bytes = byteCount;
        changed.notify_all();
    }
};

void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info, DWORD length) {
    auto* completion = reinterpret_cast<Completion*>(context);
    if (!completion)
        return;
    switch (status) {
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
        completion->Complete(0, 0);
        break;
    case WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE:
        completion->Complete(0, *static_cast<DWORD*>(info));
        break;
    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
        completion->Complete(0, length);
        break;
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
        completion->Complete(static_cast<WINHTTP_ASYNC_RESULT*>(info)->dwError, 0);
        break;
    case WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING:
        delete completion;
        break;
    default:
        break;
    }
}

// An HINTERNET that closes itself.
class InternetHandle {
public:
    InternetHandle() = default;
    ~InternetHandle() { Reset(); }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;

    void Reset(HINTERNET handle = nullptr) {
        if (handle_)
            WinHttpCloseHandle(handle_);
        handle_ = handle;
    }
    HINTERNET Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    HINTERNET handle_ = nullptr;
};

} // namespace

struct HttpSession::Exchange {
    explicit Exchange(std::function<bool()> abort) : abort(std::move(abort)) {}
    ~Exchange() {
        // The request first: its closing ends what is still outstanding, and
        // the callback then deletes `completion` once it has one.
        request.Reset();
        if (!callbackOwnsCompletion)
            delete completion;
        connection.Reset();
        session.Reset();
    }
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;

    Expected<void> Open(const HttpRequest& request);
    // Begins an operation through `begin` (a WinHTTP call returning BOOL) and
    // waits for its completion; false with `failure` set when it failed, was
    // aborted or ran out of time.
    template <typename Begin> bool Run(Begin begin);
    bool Fail(std::string why) {
        failure = Failure("", std::move(why));
        return false;
    }
    bool FailWith(DWORD error) { return Fail(WinHttpErrorText(error)); }
    // Why the wait has to end now; empty while it may go on.
    std::optional<Report> Expired() const;

    std::function<bool()> abort;
    InternetHandle session;
    InternetHandle connection;
    InternetHandle request;
    Completion* completion = nullptr;
    bool callbackOwnsCompletion = false;

    std::chrono::milliseconds total{0};
    std::chrono::milliseconds stall{0};
    std::chrono::steady_clock::time_point started;
    std::chrono::steady_clock::time_point lastActivity;
    int status = 0;
    bool ended = false;
    std::optional<Report> failure; // why the exchange ended early
    std::optional<std::string> contentLength;
    HttpReceived received;
};

HttpSession::HttpSession(std::function<bool()> abort)
    : exchange_(std::make_unique<Exchange>(std::move(abort))) {}

HttpSession::~HttpSession() = default;

int HttpSession::Status() const {
    return exchange_->status;
}

const std::optional<std::string>& HttpSession::ContentLength() const {
    return exchange_->contentLength;
}

Expected<void> HttpSession::Exchange::Open(const HttpRequest& wanted) {
    const std::wstring agent = win::Widen(wanted.userAgent);
    // The proxy the user configured (automatic detection included), where
    // the system knows that access type; the older default one elsewhere.
    session.Reset(WinHttpOpen(agent.c_str(), WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY,
                              WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC));
    if (!session)
        session.Reset(WinHttpOpen(agent.c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                  WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS,
                                  WINHTTP_FLAG_ASYNC));
    if (!session)
        return Unexpected{Failure("", "cannot start WinHTTP: " + WinHttpErrorText(GetLastError()))};
    // Zero waits without end: the limits are kept here, where an abort is seen too.
    WinHttpSetTimeouts(session.Get(), 0, static_cast<int>(wanted.connectTimeout.count()), 0, 0);

    connection.Reset(
        WinHttpConnect(session.Get(), win::Widen(wanted.host).c_str(), wanted.port, 0));
    if (!connection)
        return Unexpected{Failure("", WinHttpErrorText(GetLastError()))};
    const std::string path =
        (wanted.path.empty() || wanted.path[0] != '/') ? "/" + wanted.path : wanted.path;
    LPCWSTR acceptTypes[] = {L"*/*", nullptr};
    request.Reset(WinHttpOpenRequest(connection.Get(), L"GET", win::Widen(path).c_str(),
                                     L"HTTP/1.0", WINHTTP_NO_REFERER, acceptTypes,
                                     wanted.scheme == "https" ? WINHTTP_FLAG_SECURE : 0));
    if (!request)
        return Unexpected{Failure("", WinHttpErrorText(GetLastError()))};

    DWORD features =
        WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_COOKIES | WINHTTP_DISABLE_KEEP_ALIVE;
    WinHttpSetOption(request.Get(), WINHTTP_OPTION_DISABLE_FEATURE, &features, sizeof features);
    DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
    WinHttpSetOption(request.Get(), WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof policy);
    const std::wstring headers = L"Pragma: no-cache\r\nCache-Control: no-cache\r\n";
    WinHttpAddRequestHeaders(request.Get(), headers.c_str(), static_cast<DWORD>(headers.size()),
                             WINHTTP_ADDREQ_FLAG_ADD);
    if (!wanted.userName.empty())
        WinHttpSetCredentials(request.Get(), WINHTTP_AUTH_TARGET_SERVER, WINHTTP_AUTH_SCHEME_BASIC,
                              win::Widen(wanted.userName).c_str(),
                              win::Widen(wanted.password).c_str(), nullptr);

    completion = new Completion;
    DWORD_PTR context = reinterpret_cast<DWORD_PTR>(completion);
    if (!WinHttpSetOption(request.Get(), WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context) ||
        WinHttpSetStatusCallback(request.Get(), &OnStatus,
                                 WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS |
                                     WINHTTP_CALLBACK_FLAG_HANDLES,
                                 0) == WINHTTP_INVALID_STATUS_CALLBACK)
        return Unexpected{Failure("", WinHttpErrorText(GetLastError()))};
    callbackOwnsCompletion = true;
    return {};
}

std::optional<Report> HttpSession::Exchange::Expired() const {
    if (abort && abort())
        return Cancellation();
    const auto now = std::chrono::steady_clock::now();
    if (total.count() > 0 && now - started > total)
        return Failure("", "the request timed out after " + std::to_string(total.count()) + " ms");
    if (stall.count() > 0 && now - lastActivity > stall)
        return Failure("", "no data from the server for " + std::to_string(stall.count()) + " ms");
    return std::nullopt;
}

template <typename Begin> bool HttpSession::Exchange::Run(Begin begin) {
    {
        std::lock_guard lock(completion->mutex);
        completion->done = false;
    }
    if (!begin())
        return FailWith(GetLastError());
    std::unique_lock lock(completion->mutex);
    while (!completion->done) {
        lock.unlock();
        if (std::optional<Report> why = Expired()) {
            failure = std::move(why);
            return false;
        }
        lock.lock();
        completion->changed.wait_for(lock, kPollInterval);
    }
    if (completion->error != 0)
        return FailWith(completion->error);
    lastActivity = std::chrono::steady_clock::now();
    return true;
}

Expected<void> HttpSession::Send(const HttpRequest& request) {
    Exchange& x = *exchange_;
    if (const Expected<void> opened = x.Open(request); !opened)
        return opened;
    x.total = request.total;
    x.stall = request.stall;
    x.started = x.lastActivity = std::chrono::steady_clock::now();
    HINTERNET handle = x.request.Get();
    const DWORD_PTR context = reinterpret_cast<DWORD_PTR>(x.completion);
    if (!x.Run([&] {
            return WinHttpSendRequest(handle, WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                                      WINHTTP_NO_REQUEST_DATA, 0, 0, context);
        }) ||
        !x.Run([&] { return WinHttpReceiveResponse(handle, nullptr); }))
        return Unexpected{*x.failure};

    DWORD status = 0;
    DWORD size = sizeof status;
    if (!WinHttpQueryHeaders(handle, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
        return Unexpected{Failure("", "the server sent no response")};
    x.status = static_cast<int>(status);
    wchar_t length[512] = {};
    size = sizeof length - sizeof length[0];
    if (WinHttpQueryHeaders(handle, WINHTTP_QUERY_CONTENT_LENGTH, WINHTTP_HEADER_NAME_BY_INDEX,
                            length, &size, WINHTTP_NO_HEADER_INDEX))
        x.contentLength = TrimmedHeaderValue(win::Narrow(length));
    return {};
}

Expected<size_t> HttpSession::Read(char* buffer, size_t capacity) {
    Exchange& x = *exchange_;
    if (!x.callbackOwnsCompletion)
        return Unexpected{x.failure.value_or(Failure("", "no request was sent"))};
    HINTERNET handle = x.request.Get();
    while (x.received.Available() < capacity && !x.ended && !x.failure) {
        // Asked first, so that the read takes what has arrived instead of
        // waiting for a whole chunk.
        Completion& completion = *x.completion;
        if (!x.Run([&] { return WinHttpQueryDataAvailable(handle, nullptr); }))
            break;
        const DWORD available = std::min(completion.bytes, kReadChunk);
        if (available == 0) {
            x.ended = true;
            break;
        }
        if (!x.Run([&] {
                return WinHttpReadData(handle, completion.buffer.data(), available, nullptr);
            }))
            break;
        if (completion.bytes == 0) {
            x.ended = true;
            break;
        }
        x.received.Append(completion.buffer.data(), completion.bytes);
    }
    if (x.received.Available() == 0 && x.failure)
        return Unexpected{*x.failure};
    return x.received.Take(buffer, capacity);
}

} // namespace tolvane::platform
