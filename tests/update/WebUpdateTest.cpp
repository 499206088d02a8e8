// The update check against a real HTTP server on loopback: what FetchOffer
// reads from the page (the request it sends, redirection, error pages) and
// what Download does with the installer (progress, downloads that go wrong,
// a file in the way, secure addresses), cancel (from the download's own
// progress and from another thread) and servers that do not answer.
#include "update/WebUpdate.h"

#include "platform/CancelToken.h"
#include "platform/OpenWithDesktop.h"

#include "support/EnvironmentGuard.h"
#include "support/HttpTestServer.h"
#include "support/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <future>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;
using namespace tolvane;
using namespace tolvane::test;
using namespace tolvane::update;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

std::string Meta(const std::string& name, const std::string& content) {
    return "<META NAME=\"" + name + "\" CONTENT=\"" + content + "\">\r\n";
}

class WebUpdateTest : public ::testing::Test {
protected:
    WebUpdateTest()
        : env_({{"http_proxy", nullptr},
                {"all_proxy", nullptr},
                {"ALL_PROXY", nullptr},
                {"TMPDIR", scratch_.MakeFolder("tmp").c_str()},
                {"TMP", (scratch_ / "tmp").c_str()}}),
          server_(scratch_.MakeFolder("www"), scratch_ / "requests.log"),
          installer_(RandomBytes(3000, 7)) {
        scratch_.WriteFile("www/files/setup.bin", installer_);
        check_.ProductInfo.SetURL(server_.Url("/update.html"));
        check_.ProductInfo.VersionFormat = vfString;
        check_.TargetFolder = scratch_.MakeFolder("client");
        progress_.begins = [this](const std::string& path) { Log("Begins " + path); };
        progress_.received = [this](int64_t total, int64_t received) {
            Log("Download " + std::to_string(received) + "/" + std::to_string(total));
        };
    }

    void Log(std::string event) {
        const size_t at = event.find(scratch_.Path());
        if (at != std::string::npos)
            event.replace(at, scratch_.Path().size(), "~");
        events_.push_back(event);
    }
    // The update page offering `version`, with the given extra lines.
    void Page(const std::string& name, const std::string& version, const std::string& more = "") {
        scratch_.WriteFile("www/" + name, "<html><head>\r\n" + Meta("upProduct", "Tolvane") +
                                              Meta("upVersion", version) + more +
                                              "</head></html>\r\n");
    }
    std::string OfferLines(const std::string& download, const std::string& client = "setup.bin") {
        return Meta("upDownload", download) + Meta("upClientSideName", client) +
               Meta("upRunParameters", "/S");
    }
    // The offer of the page, which must arrive.
    Offer Fetch() {
        platform::Expected<Offer> offer = FetchOffer(check_, cancel_);
        EXPECT_TRUE(offer) << platform::CauseLine(offer.Error());
        return offer ? *offer : Offer{};
    }
    // Why the offer's download failed ("" when it did not).
    std::string DownloadFailure(const Offer& offer) {
        const platform::Expected<std::string> path = Download(offer, cancel_, progress_);
        return path ? std::string() : platform::CauseLine(path.Error());
    }
    std::vector<std::string> ClientFolder() {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(scratch_ / "client"))
            names.push_back(entry.path().filename().string());
        return names;
    }
    size_t Requests() const {
        const std::string log = ReadFileText(scratch_ / "requests.log");
        size_t requests = 0;
        for (size_t at = log.find("GET "); at != std::string::npos; at = log.find("GET ", at + 1))
            ++requests;
        return requests;
    }

    TempFolder scratch_;
    EnvironmentGuard env_;
    HttpTestServer server_;
    std::vector<uint8_t> installer_;
    TWebUpdate check_;
    DownloadProgress progress_;
    platform::CancelToken cancel_;
    std::vector<std::string> events_;
};

TEST_F(WebUpdateTest, OffersANewerVersionAndDownloadsItOverTheOldFile) {
    // The download address has no host: the update page's host serves it.
    Page("update.html", "1.1", OfferLines("/files/setup.bin"));
    scratch_.WriteFile("client/setup.bin", "old");
    const Offer offer = Fetch();
    EXPECT_TRUE(offer.newer);
    EXPECT_EQ(offer.installedVersion, "1.0");
    EXPECT_EQ(offer.values.Version, "1.1");
    EXPECT_EQ(offer.values.Product, "Tolvane");
    EXPECT_EQ(offer.values.RunParameters, "/S");
    EXPECT_EQ(offer.clientPath, scratch_ / "client/setup.bin");
    EXPECT_EQ(events_, std::vector<std::string>{}) << "the page's own reads are not progress";

    const platform::Expected<std::string> path = Download(offer, cancel_, progress_);
    ASSERT_TRUE(path) << platform::CauseLine(path.Error());
    EXPECT_EQ(*path, offer.clientPath);
    EXPECT_THAT(events_, ElementsAre("Begins ~/client/setup.bin", "Download 1025/3000",
                                     "Download 2050/3000", "Download 3000/3000"));
    EXPECT_EQ(ReadFileBytes(scratch_ / "client/setup.bin"), installer_);
    EXPECT_THAT(ClientFolder(), ElementsAre("setup.bin"));
}

TEST_F(WebUpdateTest, SendsAPlainHttp10RequestAndSeesNoNewerVersion) {
    Page("update.html", "1.0", OfferLines("/files/setup.bin"));
    // Without a port in the address, HTTPPort applies.
    check_.ProductInfo.SetURL("127.0.0.1/update.html");
    check_.HTTPPort = server_.Port();
    const Offer offer = Fetch();
    EXPECT_FALSE(offer.newer);
    EXPECT_EQ(offer.values.Version, "1.0");
    // The header lines in any order: libcurl and WinHTTP each keep their own.
    std::vector<std::string> head;
    std::istringstream log(ReadFileText(scratch_ / "requests.log"));
    for (std::string line; std::getline(log, line);)
        head.push_back(line);
    ASSERT_GE(head.size(), 2u);
    EXPECT_EQ(head.front(), "GET /update.html HTTP/1.0\r");
    EXPECT_EQ(head.back(), "\r");
    std::sort(head.begin() + 1, head.end() - 1);
    EXPECT_THAT(std::vector(head.begin() + 1, head.end() - 1),
                ElementsAre("Accept: */*\r", "Cache-Control: no-cache\r",
                            "Host: 127.0.0.1:" + std::to_string(server_.Port()) + "\r",
                            "Pragma: no-cache\r", "User-Agent: TWebUpdate\r"));
}

TEST_F(WebUpdateTest, FollowsRedirectionPagesUpToFive) {
    Page("update.html", "9.9", Meta("upRedirection", server_.Url("/second.html")));
    Page("second.html", "1.2", OfferLines("/files/setup.bin"));
    const Offer offer = Fetch();
    EXPECT_TRUE(offer.newer);
    EXPECT_EQ(offer.values.Version, "1.2");
    EXPECT_EQ(offer.values.Download, "/files/setup.bin");

    // A page that names itself is fetched five times, then the check fails.
    Page("loop.html", "1.1", Meta("upRedirection", "/loop.html"));
    check_.ProductInfo.SetURL(server_.Url("/loop.html"));
    const platform::Expected<Offer> loop = FetchOffer(check_, cancel_);
    ASSERT_FALSE(loop);
    EXPECT_EQ(platform::CauseLine(loop.Error()),
              "the update page redirects through more than 5 pages");
    EXPECT_EQ(Requests(), 2u + 5u);
}

TEST_F(WebUpdateTest, AnErrorPageOrAPageWithoutVersionIsNoOffer) {
    const platform::Expected<Offer> missing = FetchOffer(check_, cancel_);
    ASSERT_FALSE(missing);
    EXPECT_EQ(platform::CauseLine(missing.Error()),
              server_.Url("/update.html") + ": HTTP status 404");
    EXPECT_EQ(missing.Error().grade, platform::ReportGrade::Failed);

    scratch_.WriteFile("www/update.html", Meta("upProduct", "Tolvane"));
    const platform::Expected<Offer> unversioned = FetchOffer(check_, cancel_);
    ASSERT_FALSE(unversioned);
    EXPECT_EQ(platform::CauseLine(unversioned.Error()),
              "the update page names no product or no version");
}

struct FailedDownload {
    const char* address;
    const char* error;
};

class WebUpdateDownloadTest : public WebUpdateTest,
                              public ::testing::WithParamInterface<FailedDownload> {};

INSTANTIATE_TEST_SUITE_P(
    Faults, WebUpdateDownloadTest,
    ::testing::Values(
        FailedDownload{"/nolength/files/setup.bin",
                       "/nolength/files/setup.bin: the server sent no Content-Length"},
        FailedDownload{"/short/files/setup.bin",
                       "/short/files/setup.bin: received 3000 of the 3100 bytes of "
                       "its Content-Length"},
        FailedDownload{"/long/files/setup.bin",
                       "/long/files/setup.bin: received more than the 2900 bytes of "
                       "its Content-Length"},
        FailedDownload{"/files/missing.bin", "/files/missing.bin: HTTP status 404"}));

TEST_P(WebUpdateDownloadTest, LeavesTheClientFileAsItWas) {
#ifdef _WIN32
    if (std::string(GetParam().address).rfind("/long/", 0) == 0)
        GTEST_SKIP() << "WinHTTP ends a body at its Content-Length: what follows is never read";
#endif
    Page("update.html", "1.1", OfferLines(GetParam().address));
    scratch_.WriteFile("client/setup.bin", "old");
    EXPECT_EQ(DownloadFailure(Fetch()), GetParam().error);
    EXPECT_EQ(events_.front(), "Begins ~/client/setup.bin");
    EXPECT_EQ(ReadFileText(scratch_ / "client/setup.bin"), "old");
    EXPECT_THAT(ClientFolder(), ElementsAre("setup.bin"));
}

TEST_F(WebUpdateTest, AFileInTheWayOrNoFileNameStopsTheDownloadBeforeItBegins) {
    Page("update.html", "1.1", OfferLines("/files/setup.bin"));
    scratch_.WriteFile("client/setup.bin", "old");
    check_.Options.Exclude(uoOverwrite);
    EXPECT_EQ(DownloadFailure(Fetch()), scratch_ / "client/setup.bin" + ": the file exists");
    EXPECT_EQ(ReadFileText(scratch_ / "client/setup.bin"), "old");

    // The page's file name cannot leave the folder: ".." is no name.
    Page("update.html", "1.1", OfferLines("/files/setup.bin", "sub/.."));
    const Offer nameless = Fetch();
    EXPECT_EQ(nameless.clientPath, "");
    EXPECT_EQ(DownloadFailure(nameless), "the update page names no client file name");
    EXPECT_THAT(events_, ElementsAre());
    EXPECT_EQ(Requests(), 2u); // the two pages, no installer
}

TEST_F(WebUpdateTest, CancelStopsTheDownloadAndLeavesNoFile) {
    // The page's file name cannot leave the folder; without a target folder
    // the system's temporary folder takes the download.
    Page("update.html", "1.1", OfferLines("/files/setup.bin", "../escape.bin"));
    check_.TargetFolder = scratch_ / "absent";
    const Offer offer = Fetch();
    EXPECT_EQ(offer.clientPath, scratch_ / "tmp/escape.bin");
    progress_.received = [this](int64_t total, int64_t received) {
        Log("Download " + std::to_string(received) + "/" + std::to_string(total));
        cancel_.Request();
    };
    const platform::Expected<std::string> path = Download(offer, cancel_, progress_);
    ASSERT_FALSE(path);
    EXPECT_TRUE(path.Error().Cancelled());
    EXPECT_THAT(events_, ElementsAre("Begins ~/tmp/escape.bin", "Download 1025/3000"));
    EXPECT_TRUE(fs::is_empty(scratch_ / "tmp"));
}

TEST_F(WebUpdateTest, ARequestFromAnotherThreadEndsAStalledDownloadAtOnceAndLeavesNoFile) {
    // The server sends two of the three KiB, then nothing: the second read
    // waits, for the 30 s of the stall limit unless the request wakes it.
    Page("update.html", "1.1", OfferLines("/stall/files/setup.bin"));
    const Offer offer = Fetch();
    std::promise<void> firstPiece;
    progress_.received = [&firstPiece, told = false](int64_t, int64_t) mutable {
        if (!told) {
            told = true;
            firstPiece.set_value();
        }
    };
    std::optional<platform::Report> failure;
    std::thread download([&] {
        const platform::Expected<std::string> path = Download(offer, cancel_, progress_);
        if (!path)
            failure = path.Error();
    });
    const bool began =
        firstPiece.get_future().wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto requested = std::chrono::steady_clock::now();
    cancel_.Request();
    download.join();
    const auto took = std::chrono::steady_clock::now() - requested;

    ASSERT_TRUE(began);
    ASSERT_TRUE(failure);
    EXPECT_TRUE(failure->Cancelled()) << platform::CauseLine(*failure);
    EXPECT_LT(took, std::chrono::seconds(2));
    EXPECT_THAT(ClientFolder(), ElementsAre());
}

TEST_F(WebUpdateTest, ARequestBeforeTheCheckSendsNothing) {
    Page("update.html", "1.1", OfferLines("/files/setup.bin"));
    cancel_.Request();
    const platform::Expected<Offer> offer = FetchOffer(check_, cancel_);
    ASSERT_FALSE(offer);
    EXPECT_TRUE(offer.Error().Cancelled());
    EXPECT_FALSE(fs::exists(scratch_ / "requests.log"));
}

TEST_F(WebUpdateTest, ARequestBetweenThePageAndTheDownloadKeepsTheDownloadFromBeingSent) {
    Page("update.html", "1.1", OfferLines("/files/setup.bin"));
    const Offer offer = Fetch();
    cancel_.Request();
    const platform::Expected<std::string> path = Download(offer, cancel_, progress_);
    ASSERT_FALSE(path);
    EXPECT_TRUE(path.Error().Cancelled());
    EXPECT_THAT(events_, ElementsAre("Begins ~/client/setup.bin"));
    EXPECT_THAT(ReadFileText(scratch_ / "requests.log"),
                ::testing::Not(HasSubstr("/files/setup.bin")));
    EXPECT_THAT(ClientFolder(), ElementsAre());
}

TEST_F(WebUpdateTest, ASilentServerFailsTheCheckAfterTheTimeouts) {
    check_.PageTimeout = std::chrono::milliseconds(300);
    check_.ProductInfo.SetURL(server_.Url("/silent"));
    const platform::Expected<Offer> silent = FetchOffer(check_, cancel_);
    ASSERT_FALSE(silent);
    EXPECT_THAT(silent.Error().extendedMsg, HasSubstr("timed out"));

    check_.DownloadStallTimeout = std::chrono::milliseconds(300);
    check_.ProductInfo.SetURL(server_.Url("/update.html"));
    Page("update.html", "1.1", OfferLines("/silent"));
    EXPECT_EQ(DownloadFailure(Fetch()), "/silent: no data from the server for 300 ms");
    EXPECT_THAT(ClientFolder(), ElementsAre());
}

// WinHTTP takes the proxy configured for the Windows user, not these variables.
#ifdef _WIN32
#define SKIP_ON_WINDOWS(why) GTEST_SKIP() << why
#else
#define SKIP_ON_WINDOWS(why)
#endif

TEST_F(WebUpdateTest, UsesTheSystemProxy) {
    SKIP_ON_WINDOWS("the Windows proxy is the user's WinHTTP setting");
    EnvironmentGuard proxy(
        {{"http_proxy", server_.Url("").c_str()}, {"no_proxy", nullptr}, {"NO_PROXY", nullptr}});
    Page("update.html", "1.0");
    check_.ProductInfo.SetURL("update.invalid/update.html");
    EXPECT_FALSE(Fetch().newer);
    EXPECT_THAT(ReadFileText(scratch_ / "requests.log"),
                HasSubstr("GET http://update.invalid/update.html HTTP/1.0\r\n"));
}

TEST_F(WebUpdateTest, AnInstallerThatCannotBeOpenedIsNamedWithTheReasonAndKept) {
    // The desktop's own opener, through an xdg-open that knows no program for
    // the file (its status 3).
    const std::string bin = scratch_.MakeFolder("bin");
    const std::string opener = scratch_.WriteFile("bin/xdg-open", "#!/bin/sh\nexit 3\n");
    fs::permissions(opener, fs::perms::owner_all);
    EnvironmentGuard path({{"PATH", (bin + ":/usr/bin:/bin").c_str()}});
    Page("update.html", "1.1", OfferLines("/files/setup.bin"));
    const Offer offer = Fetch();
    EXPECT_EQ(DownloadFailure(offer), "");
    const platform::Expected<void> opened =
        platform::OpenWithDesktop(offer.clientPath, offer.values.RunParameters);
    ASSERT_FALSE(opened);
#ifdef _WIN32
    // Wine takes a file of no known kind for a program; the cause is its own.
    EXPECT_EQ(platform::CauseLine(opened.Error()).rfind(offer.clientPath + ": ", 0), 0u);
#else
    EXPECT_EQ(platform::CauseLine(opened.Error()),
              scratch_ / "client/setup.bin" +
                  ": no program was found that opens this kind of file");
#endif
    EXPECT_EQ(ReadFileBytes(scratch_ / "client/setup.bin"), installer_);
}

// A secure address is fetched as one: through the proxy, as a tunnel to
// port 443 (or the address's own port), which the test server refuses.
struct SecureAddress {
    const char* name;
    const char* productUrl; // empty: the loopback server's update page
    const char* pageLines;
    const char* tunnel;
    const char* failedAddress;
};

class WebUpdateSecureTest : public WebUpdateTest,
                            public ::testing::WithParamInterface<SecureAddress> {};

INSTANTIATE_TEST_SUITE_P(
    Https, WebUpdateSecureTest,
    ::testing::Values(
        SecureAddress{"UpdatePage", "https://update.invalid/update.html", "", "update.invalid:443",
                      "https://update.invalid/update.html"},
        SecureAddress{
            "Redirection", "",
            "<META NAME=\"upRedirection\" CONTENT=\"https://update.invalid:8443/u.html\">",
            "update.invalid:8443", "https://update.invalid:8443/u.html"},
        SecureAddress{"Download", "",
                      "<META NAME=\"upDownload\" CONTENT=\"HTTPS://update.invalid/setup.bin\">\r\n"
                      "<META NAME=\"upClientSideName\" CONTENT=\"setup.bin\">",
                      "update.invalid:443", "HTTPS://update.invalid/setup.bin"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(WebUpdateSecureTest, StaysSecure) {
    SKIP_ON_WINDOWS("the Windows proxy is the user's WinHTTP setting");
    EnvironmentGuard proxy({{"https_proxy", server_.Url("").c_str()},
                            {"HTTPS_PROXY", nullptr},
                            {"no_proxy", nullptr},
                            {"NO_PROXY", nullptr}});
    Page("update.html", "1.1", std::string(GetParam().pageLines) + "\r\n");
    if (*GetParam().productUrl)
        check_.ProductInfo.SetURL(GetParam().productUrl);
    // The page, then (where it arrived) the download.
    platform::Expected<Offer> offer = FetchOffer(check_, cancel_);
    const std::string failure =
        offer ? DownloadFailure(*offer) : platform::CauseLine(offer.Error());
    EXPECT_THAT(ReadFileText(scratch_ / "requests.log"),
                HasSubstr(std::string("CONNECT ") + GetParam().tunnel + " HTTP/1."));
    EXPECT_EQ(failure.rfind(std::string(GetParam().failedAddress) + ": ", 0), 0u) << failure;
}

TEST_F(WebUpdateTest, ASecureAddressAtAPlainServerFailsWithoutFallingBackToPlainHttp) {
    Page("update.html", "1.1", OfferLines("/files/setup.bin"));
    const std::string address =
        "https://127.0.0.1:" + std::to_string(server_.Port()) + "/update.html";
    check_.ProductInfo.SetURL(address);
    const platform::Expected<Offer> offer = FetchOffer(check_, cancel_);
    ASSERT_FALSE(offer);
    EXPECT_EQ(platform::CauseLine(offer.Error()).rfind(address + ": ", 0), 0u)
        << platform::CauseLine(offer.Error());
    EXPECT_THAT(ReadFileText(scratch_ / "requests.log"), ::testing::Not(HasSubstr("GET ")));
}

TEST(WebUpdateDefaults, AreTheComponentsOwn) {
    TWebUpdate updater;
    EXPECT_EQ(updater.Options, TUpdateOptions({uoRunUpdate, uoTerminate, uoOverwrite}));
    EXPECT_EQ(updater.HTTPPort, 80u);
    EXPECT_EQ(updater.ProductInfo.URL(), "http://");
    EXPECT_EQ(updater.ProductInfo.Version, "1.0");
    EXPECT_EQ(updater.ProductInfo.VersionFormat, vfStandard);
    EXPECT_EQ(updater.Version(), "1.21");
    EXPECT_EQ(updater.InfoCaption.CheckForUpdate, "C&heck for updates in the future");
    updater.ProductInfo.SetURL("HTTP://a/b");
    EXPECT_EQ(updater.ProductInfo.URL(), "HTTP://a/b");
    updater.ProductInfo.SetURL("a/http://");
    EXPECT_EQ(updater.ProductInfo.URL(), "http://a/http://");
    updater.ProductInfo.SetURL("Https://a/b");
    EXPECT_EQ(updater.ProductInfo.URL(), "Https://a/b");
}

} // namespace
