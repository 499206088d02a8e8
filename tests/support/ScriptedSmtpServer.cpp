#include "support/ScriptedSmtpServer.h"

#include <asio.hpp>

#include <chrono>

namespace tolvane::test {

struct ScriptedSmtpServer::Io {
    asio::io_context context;
    asio::ip::tcp::acceptor acceptor{
        context, asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0)};
};

ScriptedSmtpServer::ScriptedSmtpServer(std::string greeting, std::vector<std::string> replies)
    : io_(std::make_unique<Io>()), greeting_(std::move(greeting)), replies_(std::move(replies)) {
    port_ = io_->acceptor.local_endpoint().port();
    Serve();
    thread_ = std::thread([this] { io_->context.run(); });
}

ScriptedSmtpServer::~ScriptedSmtpServer() {
    io_->context.stop();
    thread_.join();
}

std::vector<std::string> ScriptedSmtpServer::Received() {
    std::unique_lock lock(mutex_);
    ended_.wait_for(lock, std::chrono::seconds(20), [this] { return done_; });
    return lines_;
}

bool ScriptedSmtpServer::Connected() {
    std::lock_guard lock(mutex_);
    return connected_;
}

void ScriptedSmtpServer::Serve() {
    // No captures: a coroutine lambda's captures die with the lambda, its
    // parameters live in the coroutine's frame.
    auto session = [](ScriptedSmtpServer* self) -> asio::awaitable<void> {
        using asio::use_awaitable;
        auto socket = co_await self->io_->acceptor.async_accept(use_awaitable);
        {
            std::lock_guard lock(self->mutex_);
            self->connected_ = true;
        }
        if (!self->greeting_.empty())
            co_await asio::async_write(socket, asio::buffer(self->greeting_ + "\r\n"),
                                       use_awaitable);
        asio::streambuf input;
        size_t next = 0;
        bool text = false;
        for (;;) {
            const size_t n = co_await asio::async_read_until(socket, input, "\r\n", use_awaitable);
            const auto begin = asio::buffers_begin(input.data());
            std::string line(begin, begin + static_cast<std::ptrdiff_t>(n - 2));
            input.consume(n);
            {
                std::lock_guard lock(self->mutex_);
                self->lines_.push_back(line);
            }
            if (text && line != ".")
                continue;
            text = false;
            if (next >= self->replies_.size())
                continue;
            const std::string reply = self->replies_[next++];
            text = reply.rfind("354", 0) == 0;
            if (!reply.empty())
                co_await asio::async_write(socket, asio::buffer(reply + "\r\n"), use_awaitable);
        }
    };
    // The session ends with the client's closing (end of file) or a failure.
    asio::co_spawn(io_->context, session(this), [this](std::exception_ptr) {
        std::lock_guard lock(mutex_);
        done_ = true;
        ended_.notify_all();
    });
}

int ClosedLoopbackPort() {
    asio::io_context context;
    asio::ip::tcp::acceptor probe(context, {asio::ip::make_address("127.0.0.1"), 0});
    return probe.local_endpoint().port();
}

} // namespace tolvane::test
