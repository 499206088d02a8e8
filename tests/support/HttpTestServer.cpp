#include "support/HttpTestServer.h"

#include <asio.hpp>

#ifndef _WIN32
#include <csignal>
#include <pthread.h>
#endif

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>

namespace tolvane::test {

namespace {

constexpr std::chrono::seconds kQuietTime{60};

struct Reply {
    int status = 200;
    std::string body;
    std::optional<size_t> contentLength;
    bool stall = false;  // the first 2 KiB, then nothing
    bool silent = false; // no answer at all
};

std::string ReadWholeFile(const std::string& path, bool& found) {
    std::ifstream in(path, std::ios::binary);
    found = static_cast<bool>(in);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The request target without scheme and authority, as a proxy would serve it.
std::string PathOf(const std::string& target) {
    const size_t scheme = target.find("://");
    if (scheme == std::string::npos)
        return target;
    const size_t path = target.find('/', scheme + 3);
    return path == std::string::npos ? "/" : target.substr(path);
}

Reply ReplyTo(const std::string& root, const std::string& method, const std::string& target) {
    if (method == "CONNECT")
        return {403, "", 0};
    std::string path = PathOf(target);
    if (path == "/silent")
        return Reply{.status = 0, .body = {}, .contentLength = {}, .stall = false, .silent = true};
    std::string mode;
    for (const char* prefix : {"/nolength/", "/short/", "/long/", "/stall/"}) {
        if (path.rfind(prefix, 0) == 0) {
            mode = prefix;
            path = path.substr(mode.size() - 1);
        }
    }
    bool found = false;
    Reply reply;
    reply.body = path.find("..") == std::string::npos ? ReadWholeFile(root + path, found) : "";
    if (!found) {
        reply.status = 404;
        reply.body = "<html><body>Not found</body></html>\n";
        reply.contentLength = reply.body.size();
        return reply;
    }
    if (mode != "/nolength/")
        reply.contentLength =
            reply.body.size() + (mode == "/short/" ? 100 : 0) - (mode == "/long/" ? 100 : 0);
    reply.stall = mode == "/stall/";
    return reply;
}

std::string Head(const Reply& reply) {
    const char* reason = reply.status == 200   ? "OK"
                         : reply.status == 404 ? "Not Found"
                                               : "Forbidden";
    std::string head = "HTTP/1.0 " + std::to_string(reply.status) + " " + reason + "\r\n";
    if (reply.contentLength)
        head += "Content-Length: " + std::to_string(*reply.contentLength) + "\r\n";
    return head + "\r\n";
}

} // namespace

struct HttpTestServer::Io {
    Io(std::string root, std::string log) : root(std::move(root)), log(std::move(log)) {}

    std::string root;
    std::string log;
    std::mutex logMutex;
    asio::io_context context;
    asio::ip::tcp::acceptor acceptor{
        context, asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0)};

    void Log(const std::string& head) {
        std::lock_guard lock(logMutex);
        std::ofstream(log, std::ios::binary | std::ios::app) << head;
    }
};

namespace {

// No captures: a coroutine lambda's captures die with the lambda, its
// parameters live in the coroutine's frame.
asio::awaitable<void> Session(HttpTestServer::Io* io, asio::ip::tcp::socket socket) {
    using asio::use_awaitable;
    asio::streambuf input;
    co_await asio::async_read(socket, input, asio::transfer_at_least(1), use_awaitable);
    const char first = *asio::buffers_begin(input.data());
    if (first < 'A' || first > 'Z')
        co_return; // no HTTP method (a TLS greeting): the connection closes
    const size_t n = co_await asio::async_read_until(socket, input, "\r\n\r\n", use_awaitable);
    const auto begin = asio::buffers_begin(input.data());
    const std::string head(begin, begin + static_cast<std::ptrdiff_t>(n));
    io->Log(head);
    const size_t space = head.find(' ');
    const size_t space2 = head.find(' ', space + 1);
    const Reply reply =
        ReplyTo(io->root, head.substr(0, space), head.substr(space + 1, space2 - space - 1));
    asio::steady_timer quiet(socket.get_executor(), kQuietTime);
    if (reply.silent) {
        co_await quiet.async_wait(use_awaitable);
        co_return;
    }
    co_await asio::async_write(socket, asio::buffer(Head(reply)), use_awaitable);
    const size_t sent = reply.stall ? std::min<size_t>(reply.body.size(), 2048) : reply.body.size();
    co_await asio::async_write(socket, asio::buffer(reply.body.data(), sent), use_awaitable);
    if (reply.stall)
        co_await quiet.async_wait(use_awaitable);
    socket.shutdown(asio::ip::tcp::socket::shutdown_send);
}

asio::awaitable<void> Accept(HttpTestServer::Io* io) {
    for (;;) {
        auto socket = co_await io->acceptor.async_accept(asio::use_awaitable);
        asio::co_spawn(io->context, Session(io, std::move(socket)), asio::detached);
    }
}

} // namespace

HttpTestServer::HttpTestServer(const std::string& root, const std::string& log)
    : io_(std::make_unique<Io>(root, log)) {
    port_ = io_->acceptor.local_endpoint().port();
    asio::co_spawn(io_->context, Accept(io_.get()), asio::detached);
    thread_ = std::thread([this] {
#ifndef _WIN32
        // A signal the test sends the process is for the code under test
        // (its stop signals), never for the server's thread.
        sigset_t all;
        sigfillset(&all);
        pthread_sigmask(SIG_BLOCK, &all, nullptr);
#endif
        io_->context.run();
    });
}

HttpTestServer::~HttpTestServer() {
    io_->context.stop();
    thread_.join();
}

std::string HttpTestServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

} // namespace tolvane::test
