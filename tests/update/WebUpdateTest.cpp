// TWebUpdate against a real HTTP server on loopback: the events of a check,
// the request it sends, redirection, downloads that go wrong, an installer
// that cannot be opened, secure addresses, cancel (from the check's own
// events and from another thread) and servers that do not answer.
#include "update/WebUpdate.h"

#include "platform/CancelToken.h"
#include "update/ShellOpen.h"

#include "support/EnvironmentGuard.h"
#include "support/HttpTestServer.h"
#include "support/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
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
                {"TMPDIR", scratch_.MakeFolder("tmp").c_str()}}),
          server_(scratch_.MakeFolder("www"), scratch_ / "requests.log"),
          installer_(RandomBytes(3000, 7)) {
        scratch_.WriteFile("www/files/setup.bin", installer_);
        updater_.ProductInfo.SetURL(server_.Url("/update.html"));
        updater_.ProductInfo.VersionFormat = vfString;
        updater_.TargetFolder = scratch_.MakeFolder("client");
        updater_.OnBeforeGetInfo = [this](TWebUpdate&) { Log("BeforeGetInfo"); };
        updater_.OnAfterGetInfo = [this](TWebUpdate&) { Log("AfterGetInfo"); };
        updater_.OnNoUpdateFound = [this](TWebUpdate&) { Log("NoUpdateFound"); };
        updater_.OnDownloadError = [this](TWebUpdate&) { Log("DownloadError"); };
        updater_.OnCannotExecute = [this](TWebUpdate&) { Log("CannotExecute"); };
        updater_.OnUpdateAvailable = [this](TWebUpdate&, const std::string& have,
                                            const std::string& offer, bool& canUpdate) {
            Log("UpdateAvailable " + have + " " + offer);
            canUpdate = download_;
        };
        updater_.OnBeforeShowInfo = [this](TWebUpdate&, bool& show, bool&) {
            Log("BeforeShowInfo");
            show = false;
        };
        updater_.OnGetClientFileName = [this](TWebUpdate&, std::string& f) { Log("Name " + f); };
        updater_.OnClientFileExists = [this](TWebUpdate&, std::string& f, bool& overwrite) {
            Log("Exists " + f + (overwrite ? " overwrite" : ""));
            overwrite = overwrite && overwrite_;
        };
        updater_.OnBeforeDownload = [this](TWebUpdate&, const std::string& f) {
            Log("Before " + f);
        };
        updater_.OnAfterDownload = [this](TWebUpdate&, const std::string& f) { Log("After " + f); };
        updater_.OnDownload = [this](TWebUpdate&, int64_t total, int64_t received) {
            Log("Download " + std::to_string(received) + "/" + std::to_string(total));
        };
        updater_.Launch = [this](const std::string& path, const std::string& parameters,
                                 std::string&) {
            Log("Launch " + path + " " + parameters);
            return true;
        };
        updater_.Terminate = [this] { Log("Terminate"); };
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
    std::string Offer(const std::string& download, const std::string& client = "setup.bin") {
        return Meta("upDownload", download) + Meta("upClientSideName", client) +
               Meta("upRunParameters", "/S");
    }
    std::string PageEvent(const std::string& name) {
        const auto size = std::to_string(fs::file_size(scratch_ / ("www/" + name)));
        return "Download " + size + "/" + size;
    }
    std::vector<std::string> ClientFolder() {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(scratch_ / "client"))
            names.push_back(entry.path().filename());
        return names;
    }

    TempFolder scratch_;
    EnvironmentGuard env_;
    HttpTestServer server_;
    std::vector<uint8_t> installer_;
    TWebUpdate updater_;
    platform::CancelToken cancel_;
    std::vector<std::string> events_;
    bool download_ = true;
    bool overwrite_ = true;
};

TEST_F(WebUpdateTest, DownloadsAndStartsANewerVersionOverTheOldFile) {
    // The download address has no host: the update page's host serves it.
    Page("update.html", "1.1", Offer("/files/setup.bin"));
    scratch_.WriteFile("client/setup.bin", "old");
    ASSERT_TRUE(updater_.RunCheck(cancel_)) << updater_.LastError();
    EXPECT_THAT(events_,
                ElementsAre("BeforeGetInfo", PageEvent("update.html"), "AfterGetInfo",
                            "UpdateAvailable 1.0 1.1", "BeforeShowInfo", "Name ~/client/setup.bin",
                            "Exists ~/client/setup.bin overwrite", "Before ~/client/setup.bin",
                            "Download 1025/3000", "Download 2050/3000", "Download 3000/3000",
                            "After ~/client/setup.bin", "Launch ~/client/setup.bin /S",
                            "Terminate"));
    EXPECT_EQ(ReadFileBytes(scratch_ / "client/setup.bin"), installer_);
    EXPECT_THAT(ClientFolder(), ElementsAre("setup.bin"));
}

TEST_F(WebUpdateTest, SendsAPlainHttp10Request) {
    Page("update.html", "1.0");
    // Without a port in the address, HTTPPort applies.
    updater_.ProductInfo.SetURL("127.0.0.1/update.html");
    updater_.HTTPPort = server_.Port();
    EXPECT_FALSE(updater_.RunCheck(cancel_));
    EXPECT_EQ(ReadFileText(scratch_ / "requests.log"),
              "GET /update.html HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(server_.Port()) +
                  "\r\nUser-Agent: TWebUpdate\r\nAccept: */*\r\nPragma: no-cache\r\n"
                  "Cache-Control: no-cache\r\n\r\n");
}

TEST_F(WebUpdateTest, NoNewerVersionEndsTheCheckAndASecondCheckMeanwhileIsRefused) {
    Page("update.html", "1.0");
    bool nested = true;
    updater_.OnBeforeGetInfo = [&](TWebUpdate& sender) { nested = sender.RunCheck(cancel_); };
    EXPECT_FALSE(updater_.RunCheck(cancel_));
    EXPECT_FALSE(nested);
    EXPECT_FALSE(updater_.Busy());
    EXPECT_THAT(events_, ElementsAre(PageEvent("update.html"), "AfterGetInfo", "NoUpdateFound"));
}

TEST_F(WebUpdateTest, FollowsRedirectionPagesUpToFive) {
    Page("update.html", "9.9", Meta("upRedirection", server_.Url("/second.html")));
    Page("second.html", "1.2", Offer("/files/setup.bin"));
    download_ = false;
    EXPECT_FALSE(updater_.RunCheck(cancel_));
    EXPECT_EQ(updater_.InfoValues().Version, "1.2");
    EXPECT_EQ(updater_.InfoValues().Download, "/files/setup.bin");
    EXPECT_EQ(events_.back(), "UpdateAvailable 1.0 1.2");

    // A page that names itself is fetched five times, then the check fails.
    Page("loop.html", "1.1", Meta("upRedirection", "/loop.html"));
    updater_.ProductInfo.SetURL(server_.Url("/loop.html"));
    events_.clear();
    EXPECT_FALSE(updater_.RunCheck(cancel_));
    EXPECT_THAT(std::vector<std::string>(events_.end() - 2, events_.end()),
                ElementsAre("DownloadError", "AfterGetInfo"));
    EXPECT_EQ(updater_.LastError(), "the update page redirects through more than 5 pages");
    const std::string log = ReadFileText(scratch_ / "requests.log");
    size_t requests = 0;
    for (size_t at = log.find("GET "); at != std::string::npos; at = log.find("GET ", at + 1))
        ++requests;
    EXPECT_EQ(requests, 2u + 5u);
}

TEST_F(WebUpdateTest, AnErrorPageIsNotAnUpdatePage) {
    EXPECT_FALSE(updater_.RunCheck(cancel_));
    EXPECT_THAT(events_,
                ElementsAre("BeforeGetInfo", "DownloadError", "AfterGetInfo", "DownloadError"));
    EXPECT_EQ(updater_.LastError(), server_.Url("/update.html") + ": HTTP status 404");
}

struct FailedDownload {
    const char* address;
    const char* error;
};

class WebUpdateDownloadTest : public WebUpdateTest,
                              public ::testing::WithParamInterface<FailedDownload> {};

INSTANTIATE_TEST_SUITE_P(
    Faults, WebUpdateDownloadTest,
    ::testing::Values(FailedDownload{"/nolength/files/setup.bin",
                                     "the server sent no Content-Length"},
                      FailedDownload{"/short/files/setup.bin",
                                     "/short/files/setup.bin: received 3000 of the 3100 bytes of "
                                     "its Content-Length"},
                      FailedDownload{"/long/files/setup.bin",
                                     "/long/files/setup.bin: received more than the 2900 bytes of "
                                     "its Content-Length"},
                      FailedDownload{"/files/missing.bin", "HTTP status 404"}));

TEST_P(WebUpdateDownloadTest, LeavesTheClientFileAsItWas) {
    Page("update.html", "1.1", Offer(GetParam().address));
    scratch_.WriteFile("client/setup.bin", "old");
    EXPECT_FALSE(updater_.RunCheck(cancel_));
    EXPECT_THAT(updater_.LastError(), HasSubstr(GetParam().error));
    EXPECT_THAT(std::vector<std::string>(events_.end() - 2, events_.end()),
                ElementsAre("DownloadError", "After ~/client/setup.bin"));
    EXPECT_EQ(ReadFileText(scratch_ / "client/setup.bin"), "old");
    EXPECT_THAT(ClientFolder(), ElementsAre("setup.bin"));
}

// Declines the offer and clears the check box.
class DecliningWindow : public UpdateInfoWindow {
public:
    explicit DecliningWindow(std::vector<std::string>& shown) : shown_(shown) {}
    bool ShowModal(const TUpdateInfoCaption& captions, const std::string& address,
                   bool& checkForUpdate) override {
        shown_.push_back(captions.OkButton + " " + address + (checkForUpdate ? " checked" : ""));
        checkForUpdate = false;
        return false;
    }

private:
    std::vector<std::string>& shown_;
};

TEST_F(WebUpdateTest, TheInfoWindowIsMadeOnceAndCanDeclineTheDownload) {
    Page("update.html", "1.1", Offer("/files/setup.bin"));
    updater_.OnBeforeShowInfo = nullptr;
    updater_.OnAfterShowInfo = [this](TWebUpdate&, bool check) { Log(check ? "On" : "Off"); };
    std::vector<std::string> shown;
    int made = 0;
    updater_.MakeInfoWindow = [&] {
        ++made;
        return std::make_unique<DecliningWindow>(shown);
    };
    EXPECT_FALSE(updater_.RunCheck(cancel_));
    EXPECT_FALSE(updater_.RunCheck(cancel_));
    EXPECT_EQ(made, 1);
    const std::string show = "&OK " + server_.Url("/update.html") + " checked";
    EXPECT_THAT(shown, ElementsAre(show, show));
    EXPECT_EQ(events_.back(), "Off");
    EXPECT_THAT(ClientFolder(), ElementsAre());
}

TEST_F(WebUpdateTest, AClientFileThatMayNotBeOverwrittenStopsTheDownload) {
    Page("update.html", "1.1", Offer("/files/setup.bin"));
    scratch_.WriteFile("client/setup.bin", "old");
    overwrite_ = false;
    EXPECT_FALSE(updater_.RunCheck(cancel_));
    EXPECT_EQ(events_.back(), "DownloadError");
    EXPECT_EQ(ReadFileText(scratch_ / "client/setup.bin"), "old");
}

TEST_F(WebUpdateTest, CancelStopsTheDownloadQuietlyAndLeavesNoFile) {
    // The page's file name cannot leave the folder; without a target folder
    // the system's temporary folder takes the download.
    Page("update.html", "1.1", Offer("/files/setup.bin", "../escape.bin"));
    updater_.TargetFolder = scratch_ / "absent";
    updater_.OnDownload = [this](TWebUpdate&, int64_t total, int64_t received) {
        Log("Download " + std::to_string(received) + "/" + std::to_string(total));
        if (total == 3000)
            cancel_.Request();
    };
    EXPECT_FALSE(updater_.RunCheck(cancel_));
    EXPECT_EQ(updater_.ClientPath(), scratch_ / "tmp/escape.bin");
    EXPECT_THAT(
        std::vector<std::string>(events_.end() - 3, events_.end()),
        ElementsAre("Before ~/tmp/escape.bin", "Download 1025/3000", "After ~/tmp/escape.bin"));
    EXPECT_EQ(updater_.ReceivedBytes(), 1025);
    EXPECT_TRUE(fs::is_empty(scratch_ / "tmp"));
}

TEST_F(WebUpdateTest, ARequestFromAnotherThreadEndsAStalledDownloadAtOnceAndLeavesNoFile) {
    // The server sends two of the three KiB, then nothing: the second read
    // waits, for the 30 s of the stall limit unless the request wakes it.
    Page("update.html", "1.1", Offer("/stall/files/setup.bin"));
    std::promise<void> firstPiece;
    updater_.OnDownload = [&firstPiece, told = false](TWebUpdate&, int64_t total, int64_t) mutable {
        if (total == 3000 && !told) {
            told = true;
            firstPiece.set_value();
        }
    };
    bool updated = true;
    std::thread check([&] { updated = updater_.RunCheck(cancel_); });
    const bool began =
        firstPiece.get_future().wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto requested = std::chrono::steady_clock::now();
    cancel_.Request();
    check.join();
    const auto took = std::chrono::steady_clock::now() - requested;

    ASSERT_TRUE(began) << updater_.LastError();
    EXPECT_FALSE(updated);
    EXPECT_LT(took, std::chrono::seconds(2));
    EXPECT_EQ(updater_.LastError(), "cancelled");
    EXPECT_THAT(std::vector<std::string>(events_.end() - 2, events_.end()),
                ElementsAre("Before ~/client/setup.bin", "After ~/client/setup.bin"));
    EXPECT_THAT(ClientFolder(), ElementsAre());
}

TEST_F(WebUpdateTest, ARequestBeforeTheCheckSendsNothing) {
    Page("update.html", "1.1", Offer("/files/setup.bin"));
    cancel_.Request();
    EXPECT_FALSE(updater_.RunCheck(cancel_));
    EXPECT_FALSE(fs::exists(scratch_ / "requests.log"));
    EXPECT_EQ(updater_.LastError(), "cancelled");
    // The page's values are missing, which the check reports as it does for
    // any page that did not arrive.
    EXPECT_THAT(events_, ElementsAre("BeforeGetInfo", "AfterGetInfo", "DownloadError"));
}

TEST_F(WebUpdateTest, ARequestBetweenThePageAndTheDownloadKeepsTheDownloadFromBeingSent) {
    Page("update.html", "1.1", Offer("/files/setup.bin"));
    updater_.OnUpdateAvailable = [this](TWebUpdate&, const std::string&, const std::string&,
                                        bool& canUpdate) {
        Log("UpdateAvailable");
        cancel_.Request();
        canUpdate = true;
    };
    EXPECT_FALSE(updater_.RunCheck(cancel_));
    EXPECT_THAT(events_, ElementsAre("BeforeGetInfo", PageEvent("update.html"), "AfterGetInfo",
                                     "UpdateAvailable", "BeforeShowInfo", "Name ~/client/setup.bin",
                                     "Before ~/client/setup.bin", "After ~/client/setup.bin"));
    EXPECT_EQ(updater_.LastError(), "cancelled");
    EXPECT_THAT(ReadFileText(scratch_ / "requests.log"),
                ::testing::Not(HasSubstr("/files/setup.bin")));
    EXPECT_THAT(ClientFolder(), ElementsAre());
}

TEST_F(WebUpdateTest, ASilentServerFailsTheCheckAfterTheTimeouts) {
    updater_.PageTimeout = std::chrono::milliseconds(300);
    updater_.ProductInfo.SetURL(server_.Url("/silent"));
    EXPECT_FALSE(updater_.RunCheck(cancel_));
    EXPECT_THAT(updater_.LastError(), HasSubstr("timed out"));

    updater_.DownloadStallTimeout = std::chrono::milliseconds(300);
    updater_.ProductInfo.SetURL(server_.Url("/update.html"));
    Page("update.html", "1.1", Offer("/silent"));
    EXPECT_FALSE(updater_.RunCheck(cancel_));
    EXPECT_EQ(updater_.LastError(), "/silent: no data from the server for 300 ms");
    EXPECT_THAT(ClientFolder(), ElementsAre());
}

TEST_F(WebUpdateTest, UsesTheSystemProxy) {
    EnvironmentGuard proxy(
        {{"http_proxy", server_.Url("").c_str()}, {"no_proxy", nullptr}, {"NO_PROXY", nullptr}});
    Page("update.html", "1.0");
    updater_.ProductInfo.SetURL("update.invalid/update.html");
    EXPECT_FALSE(updater_.RunCheck(cancel_));
    EXPECT_EQ(events_.back(), "NoUpdateFound");
    EXPECT_THAT(ReadFileText(scratch_ / "requests.log"),
                HasSubstr("GET http://update.invalid/update.html HTTP/1.0\r\n"));
}

TEST_F(WebUpdateTest, AnInstallerThatCannotBeOpenedIsKeptAndTheProgramGoesOn) {
    // The desktop's own opener, through an xdg-open that knows no program for
    // the file (its status 3).
    const std::string bin = scratch_.MakeFolder("bin");
    const std::string opener = scratch_.WriteFile("bin/xdg-open", "#!/bin/sh\nexit 3\n");
    fs::permissions(opener, fs::perms::owner_all);
    EnvironmentGuard path({{"PATH", (bin + ":/usr/bin:/bin").c_str()}});
    updater_.Launch = &OpenWithDesktop;
    Page("update.html", "1.1", Offer("/files/setup.bin"));
    EXPECT_TRUE(updater_.RunCheck(cancel_));
    EXPECT_THAT(std::vector<std::string>(events_.end() - 2, events_.end()),
                ElementsAre("After ~/client/setup.bin", "CannotExecute"));
    EXPECT_EQ(updater_.LastError(), scratch_ / "client/setup.bin" +
                                        ": no program was found that opens this kind of file");
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
    EnvironmentGuard proxy({{"https_proxy", server_.Url("").c_str()},
                            {"HTTPS_PROXY", nullptr},
                            {"no_proxy", nullptr},
                            {"NO_PROXY", nullptr}});
    Page("update.html", "1.1", std::string(GetParam().pageLines) + "\r\n");
    if (*GetParam().productUrl)
        updater_.ProductInfo.SetURL(GetParam().productUrl);
    EXPECT_FALSE(updater_.RunCheck(cancel_));
    EXPECT_THAT(ReadFileText(scratch_ / "requests.log"),
                HasSubstr(std::string("CONNECT ") + GetParam().tunnel + " HTTP/1."));
    EXPECT_EQ(updater_.LastError().rfind(std::string(GetParam().failedAddress) + ": ", 0), 0u)
        << updater_.LastError();
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
