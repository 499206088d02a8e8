// One iconv conversion descriptor, closed with its owner.
#pragma once

#include <iconv.h>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane::platform {

class IconvConverter {
public:
    // `to` and `from` are iconv charset names such as "CP850" or "UTF-8".
    IconvConverter(const std::string& to, const std::string& from);
    ~IconvConverter();
    IconvConverter(const IconvConverter&) = delete;
    IconvConverter& operator=(const IconvConverter&) = delete;

    // False when iconv does not know one of the two charsets.
    bool IsOpen() const { return handle_ != kInvalid; }

    // The whole input converted, or nullopt when any character is invalid in
    // the source charset or has no form in the target one. Never substitutes.
    std::optional<std::string> ConvertExact(std::string_view input) const;

    // The input converted where possible; every byte that cannot be converted
    // is copied through unchanged and conversion resumes after it.
    std::string ConvertKeepingRest(std::string_view input) const;

private:
    static inline const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);

    enum class Stop { Done, Unconvertible };
    // Converts from `in` until the input ends or a byte cannot be converted,
    // appending to `out` and advancing `in` past what was consumed.
    Stop ConvertSome(std::string_view& in, std::string& out) const;

    iconv_t handle_;
};

} // namespace tolvane::platform
