// The check of the publisher's e-mail address before a sign-up is sent.
#include "signup/EmailAddress.h"

#include <gtest/gtest.h>

namespace {

TEST(EmailAddressTest, OnlyLocalAtDomainWithADotIsAnAddress) {
    const std::pair<const char*, bool> cases[] = {
        {"ann@site.example", true},
        {"a@b.co", true},
        {"ann.lee+games@mail.site.example", true},
        {"o'neil_{x}~!#$%&*/=?^`|@sub-domain.example", true},
        {"j\xC3\xBCrgen@m\xC3\xBC"
         "ller.example",
         true}, // UTF-8 in both parts
        {"DDD", false},
        {"", false},
        {"ann@site", false},      // no dot in the domain
        {"@site.example", false}, // no local part
        {"ann@", false},
        {"ann@.site.example", false}, // empty labels
        {"ann@site.example.", false},
        {"ann@site..example", false},
        {".ann@site.example", false},
        {"ann.@site.example", false},
        {"an..n@site.example", false},
        {"ann@@site.example", false},
        {"ann@x@site.example", false},
        {"ann lee@site.example", false}, // blanks, inside and around
        {" ann@site.example", false},
        {"ann@site.example ", false},
        {"ann@site.example\r\n", false},
        {"ann\t@site.example", false},
        {"\"ann\"@site.example", false},
        {"<ann@site.example>", false},
        {"ann@site_example.com", false},
        {"ann@-site.example", false},
        {"ann@site-.example", false},
        {"ann@[127.0.0.1]", false},
        {"ann,bob@site.example", false},
    };
    for (const auto& [address, valid] : cases)
        EXPECT_EQ(tolvane::signup::IsEmailAddress(address), valid) << "'" << address << "'";
}

} // namespace
