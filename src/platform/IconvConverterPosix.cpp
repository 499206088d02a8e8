// Strict and lenient byte conversion through glibc's iconv.
#include "platform/IconvConverter.h"

#include <cerrno>
#include <iconv.h>
#include <langinfo.h>

namespace tolvane::platform {

namespace {

const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);

enum class Stop { Done, Unconvertible };

// Converts from `in` until the input ends or a byte cannot be converted,
// appending to `out` and advancing `in` past what was consumed.
Stop ConvertSome(iconv_t handle, std::string_view& in, std::string& out) {
    // iconv's prototype takes a non-const input pointer but never writes through it.
    char* inPtr = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    char chunk[1024];
    Stop stop = Stop::Done;
    for (;;) {
        char* outPtr = chunk;
        size_t outLeft = sizeof chunk;
        const bool flushing = inLeft == 0;
        const size_t rc = flushing ? iconv(handle, nullptr, nullptr, &outPtr, &outLeft)
                                   : iconv(handle, &inPtr, &inLeft, &outPtr, &outLeft);
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

} // namespace

struct IconvConverter::State {
    iconv_t handle = kInvalid;
};

IconvConverter::IconvConverter(const std::string& to, const std::string& from)
    : state_(std::make_unique<State>()) {
    state_->handle = iconv_open(to.c_str(), from.c_str());
}

IconvConverter::~IconvConverter() {
    if (IsOpen())
        iconv_close(state_->handle);
}

bool IconvConverter::IsOpen() const {
    return state_->handle != kInvalid;
}

std::optional<std::string> IconvConverter::ConvertExact(std::string_view input) const {
    if (!IsOpen())
        return std::nullopt;
    const iconv_t handle = state_->handle;
    iconv(handle, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    out.reserve(input.size() * 2);
    if (ConvertSome(handle, input, out) != Stop::Done)
        return std::nullopt;
    return out;
}

std::string IconvConverter::ConvertKeepingRest(std::string_view input) const {
    if (!IsOpen())
        return std::string(input);
    const iconv_t handle = state_->handle;
    std::string out;
    out.reserve(input.size() * 2);
    iconv(handle, nullptr, nullptr, nullptr, nullptr);
    while (ConvertSome(handle, input, out) != Stop::Done && !input.empty()) {
        out.push_back(input.front());
        input.remove_prefix(1);
        iconv(handle, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

std::string LocaleCharset() {
    // nl_langinfo reflects the host's setlocale(); "ANSI_X3.4-1968" (plain
    // ASCII) is a name iconv accepts as it stands.
    const char* charset = nl_langinfo(CODESET);
    return charset && *charset ? charset : "ANSI_X3.4-1968";
}

std::optional<int> SystemOemCodePage() {
    return std::nullopt;
}

} // namespace tolvane::platform
