// Base64 (RFC 2045 alphabet, "=" padding, no line breaks) for the SMTP
// AUTH LOGIN exchange.
#pragma once

#include <string>

namespace tolvane::signup {

std::string EncodeBase64(const std::string& bytes);

} // namespace tolvane::signup
