// Strict and lenient byte conversion through glibc's iconv.
#include "platform/IconvConverter.h"

#include <cerrno>

namespace tolvane::platform {

IconvConverter::IconvConverter(const std::string& to, const std::string& from)
    : handle_(iconv_open(to.c_str(), from.c_str())) {}

IconvConverter::~IconvConverter() {
    if (IsOpen())
        iconv_close(handle_);
}

IconvConverter::Stop IconvConverter::ConvertSome(std::string_view& in, std::string& out) const {
    // iconv's prototype takes a non-const input pointer but never writes through it.
    char* inPtr = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    char chunk[1024];
    Stop stop = Stop::Done;
    for (;;) {
        char* outPtr = chunk;
        size_t outLeft = sizeof chunk;
        const bool flushing = inLeft == 0;
        const size_t rc = flushing ? iconv(handle_, nullptr, nullptr, &outPtr, &outLeft)
                                   : iconv(handle_, &inPtr, &inLeft, &outPtr, &outLeft);
        const int error = rc == static_cast<size_t>(-1) ? errno : 0;
        out.append(chunk, static_cast<size_t>(outPtr - chunk));
        if (error == E2BIG)
            continue;
        if (error != 0) {
            // EILSEQ: invalid or unrepresentable; EINVAL: a cut-off sequence at the end.
            stop = Stop::Unconvertible;
            break;
        }
        if (flushing)
            break;
    }
    in.remove_prefix(in.size() - inLeft);
    return stop;
}

std::optional<std::string> IconvConverter::ConvertExact(std::string_view input) const {
    if (!IsOpen())
        return std::nullopt;
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    out.reserve(input.size() * 2);
    if (ConvertSome(input, out) != Stop::Done)
        return std::nullopt;
    return out;
}

std::string IconvConverter::ConvertKeepingRest(std::string_view input) const {
    if (!IsOpen())
        return std::string(input);
    std::string out;
    out.reserve(input.size() * 2);
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    while (ConvertSome(input, out) != Stop::Done && !input.empty()) {
        out.push_back(input.front());
        input.remove_prefix(1);
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

} // namespace tolvane::platform
