#include "TcpLineConnection.h"

#include <asio.hpp>

#include <atomic>
#include <istream>

namespace tolvane::signup {

namespace {

// The system's text of a socket error without the full stop and line end
// that Windows' texts carry: the report puts its own punctuation after it.
std::string Cause(const asio::error_code& error) {
    std::string text = error.message();
    while (!text.empty() &&
           (text.back() == '.' || text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

} // namespace

namespace {

constexpr size_t kMaxLine = 64 * 1024;

std::string Seconds(std::chrono::milliseconds timeout) {
    const auto ms = timeout.count();
    return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
}

} // namespace

// Every step is an asynchronous operation run on a private io_context for at
// most the step's time limit; an operation still pending then is cancelled by
// closing the socket, which is how Asio bounds blocking I/O.
struct TcpLineConnection::Impl {
    asio::io_context io;
    asio::ip::tcp::socket socket{io};
    asio::streambuf input{kMaxLine};
    std::atomic<bool> aborted{false};

    // True when the operations finished in time.
    template <typename Cancel> bool Run(std::chrono::milliseconds timeout, Cancel cancel) {
        io.restart();
        io.run_for(timeout);
        if (io.stopped() && !aborted)
            return true;
        cancel();
        io.restart();
        io.run();
        if (aborted)
            throw NetworkError("Cancelled");
        return false;
    }
    bool Run(std::chrono::milliseconds timeout) {
        return Run(timeout, [this] {
            asio::error_code ignored;
            socket.close(ignored);
        });
    }
};

TcpLineConnection::TcpLineConnection() : impl_(std::make_unique<Impl>()) {}

TcpLineConnection::~TcpLineConnection() = default;

void TcpLineConnection::Connect(const std::string& host, int port,
                                std::chrono::milliseconds timeout) {
    Close();
    // Checked here, not left to the lookup's step: a lookup runs to its end,
    // so an abort made before it would wait for it.
    if (impl_->aborted)
        throw NetworkError("Cancelled");
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const std::string where = host + " port " + std::to_string(port);

    asio::ip::tcp::resolver resolver(impl_->io);
    asio::error_code error = asio::error::would_block;
    asio::ip::tcp::resolver::results_type addresses;
    resolver.async_resolve(host, std::to_string(port),
                           [&](const asio::error_code& e, asio::ip::tcp::resolver::results_type r) {
                               error = e;
                               addresses = std::move(r);
                           });
    if (!impl_->Run(timeout, [&resolver] { resolver.cancel(); }))
        throw NetworkError("Timed out looking up " + host + " after " + Seconds(timeout));
    if (error)
        throw NetworkError("Cannot find host " + host + ": " + Cause(error));

    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    error = asio::error::would_block;
    asio::async_connect(
        impl_->socket, addresses,
        [&](const asio::error_code& e, const asio::ip::tcp::endpoint&) { error = e; });
    if (!impl_->Run(std::max(left, std::chrono::milliseconds(1))))
        throw NetworkError("Timed out connecting to " + where + " after " + Seconds(timeout));
    if (error) {
        Close();
        throw NetworkError("Cannot connect to " + where + ": " + Cause(error));
    }
}

void TcpLineConnection::Send(const std::string& bytes, std::chrono::milliseconds timeout) {
    asio::error_code error = asio::error::would_block;
    asio::async_write(impl_->socket, asio::buffer(bytes),
                      [&](const asio::error_code& e, size_t) { error = e; });
    if (!impl_->Run(timeout))
        throw NetworkError("Timed out sending to the server after " + Seconds(timeout));
    if (error)
        throw NetworkError("Cannot send to the server: " + Cause(error));
}

std::string TcpLineConnection::ReceiveLine(std::chrono::milliseconds timeout) {
    asio::error_code error = asio::error::would_block;
    size_t length = 0;
    asio::async_read_until(impl_->socket, impl_->input, '\n',
                           [&](const asio::error_code& e, size_t n) {
                               error = e;
                               length = n;
                           });
    if (!impl_->Run(timeout))
        throw NetworkError("No reply from the server within " + Seconds(timeout));
    if (error == asio::error::eof)
        throw NetworkError("The server closed the connection");
    if (error == asio::error::not_found)
        throw NetworkError("The server sent a line longer than 64 KiB");
    if (error)
        throw NetworkError("Cannot receive from the server: " + Cause(error));
    std::string line(length, '\0');
    std::istream(&impl_->input).read(line.data(), static_cast<std::streamsize>(length));
    line.pop_back();
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

bool TcpLineConnection::IsOpen() const {
    return impl_->socket.is_open();
}

void TcpLineConnection::Close() {
    asio::error_code ignored;
    impl_->socket.close(ignored);
    impl_->input.consume(impl_->input.size());
}

void TcpLineConnection::Abort() {
    impl_->aborted = true;
    // The socket belongs to the thread running the steps: the close is handed
    // to its io_context, which runs it at once when a step waits.
    asio::post(impl_->io, [impl = impl_.get()] {
        asio::error_code ignored;
        impl->socket.close(ignored);
    });
}

std::string TcpLineConnection::LocalHostName() {
    asio::error_code error;
    std::string name = asio::ip::host_name(error);
    return error ? std::string("localhost") : name;
}

} // namespace tolvane::signup
