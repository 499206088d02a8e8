#include "VendorConfig.h"

#include "platform/Environment.h"

#include <cstdlib>
#include <string>

namespace tolvane::app {

namespace {

std::string Value(const char* name, const char* built) {
    const std::string value = platform::EnvironmentValue(name).value_or("");
    return value.empty() ? built : value;
}

} // namespace

VendorConfig VendorConfig::FromEnvironment() {
    VendorConfig config;
    config.archiverHost = Value("TOLVANE_ARCHIVER_HOST", TOLVANE_BUILD_ARCHIVER_HOST);
    config.homeHost = Value("TOLVANE_HOME_HOST", TOLVANE_BUILD_HOME_HOST);
    config.updateHost = Value("TOLVANE_UPDATE_HOST", TOLVANE_BUILD_UPDATE_HOST);
    config.supportEmail = Value("TOLVANE_SUPPORT_EMAIL", TOLVANE_BUILD_SUPPORT_EMAIL);
    config.smtpHost = Value("TOLVANE_SMTP_HOST", TOLVANE_BUILD_SMTP_HOST);
    config.signupAccount = Value("TOLVANE_SIGNUP_ACCOUNT", TOLVANE_BUILD_SIGNUP_ACCOUNT);
    config.partnerEmail = Value("TOLVANE_PARTNER_EMAIL", TOLVANE_BUILD_PARTNER_EMAIL);
    const std::string port = Value("TOLVANE_SMTP_PORT", TOLVANE_BUILD_SMTP_PORT);
    char* end = nullptr;
    const long parsed = std::strtol(port.c_str(), &end, 10);
    config.smtpPort =
        (end && *end == '\0' && parsed > 0 && parsed < 65536) ? static_cast<int>(parsed) : 26;
    return config;
}

} // namespace tolvane::app
