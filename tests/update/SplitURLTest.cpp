// Splitting update addresses into scheme, host and path, and hosts into name
// and port.
#include "update/SplitURL.h"

#include <gtest/gtest.h>

using namespace tolvane::update;

namespace {

struct UrlRow {
    const char* address;
    const char* scheme;
    const char* host;
    const char* path;
};

class SplitURLTable : public ::testing::TestWithParam<UrlRow> {};

INSTANTIATE_TEST_SUITE_P(
    Addresses, SplitURLTable,
    ::testing::Values(
        UrlRow{"http://example.com/update.html", "http", "example.com", "/update.html"},
        UrlRow{"HTTP://Example.com/a/b.html", "http", "Example.com", "/a/b.html"},
        UrlRow{"http://127.0.0.1:8080/u.html", "http", "127.0.0.1:8080", "/u.html"},
        UrlRow{"/files/setup.exe", "http", "", "/files/setup.exe"},
        UrlRow{"example.com/", "http", "example.com", "/"},
        UrlRow{"example.com", "http", "", "example.com"},
        UrlRow{"http://example.com", "http", "", "example.com"},
        // A secure address keeps its scheme, in any letter case.
        UrlRow{"https://example.com/files/setup.exe", "https", "example.com", "/files/setup.exe"},
        UrlRow{"HTTPS://Example.com:8443/u.html", "https", "Example.com:8443", "/u.html"},
        UrlRow{"https://example.com", "https", "", "example.com"},
        // Only a leading "https://" is a scheme.
        UrlRow{"example.com/go?to=https://other/", "http", "example.com",
               "/go?to=https://other/"}));

TEST_P(SplitURLTable, SplitsAtTheFirstSlash) {
    const UrlParts parts = SplitURL(GetParam().address);
    EXPECT_EQ(parts.scheme, GetParam().scheme);
    EXPECT_EQ(parts.host, GetParam().host);
    EXPECT_EQ(parts.path, GetParam().path);
}

TEST(SplitHostPort, TakesAValidPortElseTheDefault) {
    struct Row {
        const char* host;
        const char* name;
        uint16_t port;
    };
    for (const Row& row :
         {Row{"127.0.0.1:8080", "127.0.0.1", 8080}, Row{"example.com", "example.com", 80},
          Row{"example.com:x", "example.com:x", 80},
          Row{"example.com:70000", "example.com:70000", 80}, Row{"[::1]:81", "[::1]", 81},
          Row{"[::1]", "[::1]", 80}}) {
        const HostPort split = SplitHostPort(row.host, 80);
        EXPECT_EQ(split.name, row.name) << row.host;
        EXPECT_EQ(split.port, row.port) << row.host;
    }
}

} // namespace
