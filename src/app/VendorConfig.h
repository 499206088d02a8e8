// Host names and addresses of the vendor: values of the build, each of which
// an environment variable of the same name overrides at run time.
#pragma once

#include <string>

namespace tolvane::app {

struct VendorConfig {
    std::string archiverHost;  // TOLVANE_ARCHIVER_HOST: the archiver's download site
    std::string homeHost;      // TOLVANE_HOME_HOST
    std::string updateHost;    // TOLVANE_UPDATE_HOST
    std::string supportEmail;  // TOLVANE_SUPPORT_EMAIL
    std::string smtpHost;      // TOLVANE_SMTP_HOST
    int smtpPort = 26;         // TOLVANE_SMTP_PORT
    std::string signupAccount; // TOLVANE_SIGNUP_ACCOUNT
    std::string partnerEmail;  // TOLVANE_PARTNER_EMAIL

    // The build's values with the environment's overrides applied.
    static VendorConfig FromEnvironment();
};

} // namespace tolvane::app
