// The publisher's referral reference and the shortcut's URL.
#pragma once

#include <string>

namespace tolvane::app {

// PartnerID + "_" + SoftwareID with every "archiver" (any letter case) turned
// into "~", left to right without rescanning; `current` when either ID is empty.
std::string BuildReferralRef(const std::string& partnerId, const std::string& softwareId,
                             const std::string& current);

// "http://HOST/index.php?ref=REF", or "http://HOST/" without a reference.
std::string ShortcutUrl(const std::string& archiverHost, const std::string& referralRef);

} // namespace tolvane::app
