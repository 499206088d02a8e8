// The publisher's referral reference, the shortcut's URL, and the IDs as
// they are stored.
#pragma once

#include <string>

namespace tolvane::app {

// An ID as pasted from the partner's mail, without the white space around it
// (ASCII blanks, tabs and line ends, and the UTF-8 of Unicode's other white
// space, such as the no-break space a mail program puts in). Inner white
// space is kept.
std::string TrimmedId(const std::string& id);

// PartnerID + "_" + SoftwareID with every "archiver" (any letter case) turned
// into "~", left to right without rescanning; `current` when either ID is empty.
std::string BuildReferralRef(const std::string& partnerId, const std::string& softwareId,
                             const std::string& current);

// "http://HOST/index.php?ref=REF", or "http://HOST/" without a reference.
// Every byte of REF outside RFC 3986's unreserved characters (letters,
// digits, "-", ".", "_", "~") is percent-encoded, so whatever the IDs hold
// the shortcut's URL stays one valid URL.
std::string ShortcutUrl(const std::string& archiverHost, const std::string& referralRef);

} // namespace tolvane::app
