#include "EnglishCorrections.h"

namespace tolvane::app {

namespace {

// Plain misspellings and wrong word forms only; the wording stays the
// original's.
constexpr EnglishCorrection kCorrections[] = {
    {"Progrgess", "Progress"},
    {"The files are monetizing. Please wait...", "The files are being monetized. Please wait..."},
    {"Please fillout all fields marked with *", "Please fill out all fields marked with *"},
    {"Before to start monetization, you need to signup first. Please enter the information "
     "about you and your main website, then click \"Signup!\".",
     "Before you start monetization, you need to sign up first. Please enter the information "
     "about you and your main website, then click \"Sign up!\"."},
    {"Thank you for signup. You will receive email from Quorvel within the next few days.",
     "Thank you for signing up. You will receive email from Quorvel within the next few days."},
    {"The email will contain your account information, your AffiliateID and SoftwareID. After "
     "that, run this program again, and start monetizing your files!",
     "The email will contain your account information, your Affiliate ID and Software ID. After "
     "that, run this program again, and start monetizing your files!"},
};

} // namespace

std::span<const EnglishCorrection> EnglishCorrections() {
    return kCorrections;
}

std::string ShownEnglish(const std::string& key) {
    for (const EnglishCorrection& correction : kCorrections) {
        if (key == correction.key)
            return correction.shown;
    }
    return key;
}

} // namespace tolvane::app
