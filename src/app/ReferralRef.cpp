#include "ReferralRef.h"

#include <cctype>

namespace tolvane::app {

std::string BuildReferralRef(const std::string& partnerId, const std::string& softwareId,
                             const std::string& current) {
    if (partnerId.empty() || softwareId.empty())
        return current;
    const std::string joined = partnerId + "_" + softwareId;
    static const std::string kWord = "archiver";
    std::string out;
    for (size_t i = 0; i < joined.size();) {
        bool match = i + kWord.size() <= joined.size();
        for (size_t k = 0; match && k < kWord.size(); ++k)
            match = std::tolower(static_cast<unsigned char>(joined[i + k])) == kWord[k];
        if (match) {
            out += '~';
            i += kWord.size();
        } else {
            out += joined[i++];
        }
    }
    return out;
}

std::string ShortcutUrl(const std::string& archiverHost, const std::string& referralRef) {
    if (referralRef.empty())
        return "http://" + archiverHost + "/";
    return "http://" + archiverHost + "/index.php?ref=" + referralRef;
}

} // namespace tolvane::app
