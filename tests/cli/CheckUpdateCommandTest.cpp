// `tolvane-cli check-update` against an update page on loopback: output and
// exit status for an offer, a download, a start, no offer and a failure.
#include "cli/CheckUpdateCommand.h"

#include "app/ProgramInfo.h"

#include "support/CommandOutcome.h"
#include "support/EnvironmentGuard.h"
#include "support/HttpTestServer.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <sstream>
#include <thread>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using namespace tolvane;
using namespace tolvane::test;

namespace {

using Outcome = CommandOutcome;

class CheckUpdateCommandTest : public ::testing::Test {
protected:
    CheckUpdateCommandTest()
        : server_(scratch_.MakeFolder("www"), scratch_ / "requests.log"),
          env_({{"http_proxy", nullptr},
                {"TMPDIR", scratch_.MakeFolder("tmp").c_str()},
                {"TMP", (scratch_ / "tmp").c_str()},
                {"TOLVANE_UPDATE_HOST", ("127.0.0.1:" + std::to_string(server_.Port())).c_str()}}) {
        scratch_.WriteFile("www/setup.bin", std::string(2000, 's'));
    }

    void Page(const std::string& version, const char* download = "/setup.bin") {
        std::string page;
        for (const auto& [name, content] : {std::pair{"upProduct", "Tolvane"},
                                            {"upVersion", version.c_str()},
                                            {"upDownload", download},
                                            {"upClientSideName", "setup.bin"}})
            page += std::string("<META NAME=\"") + name + "\" CONTENT=\"" + content + "\">\n";
        scratch_.WriteFile("www/update.html", page);
    }
    Outcome Run(const std::vector<std::string>& args, const platform::StopSignals* stop = nullptr) {
        std::ostringstream out, err;
        cli::CheckUpdateHooks hooks;
        hooks.stop = stop;
        hooks.launch = [this](const std::string& path,
                              const std::string&) -> platform::Expected<void> {
            launched_ = path;
            if (launches_)
                return {};
            return platform::Unexpected{platform::Failure(path, "no program opens it")};
        };
        const int status = cli::RunCheckUpdate(args, out, err, hooks);
        return {status, out.str(), err.str()};
    }

    TempFolder scratch_;
    HttpTestServer server_;
    EnvironmentGuard env_;
    std::string launched_;
    bool launches_ = true;
    // What the command says of the offer of 1.1 to this program's own version.
    const std::string offer_ = std::string("Version 1.1 of Tolvane is offered (installed: ") +
                               app::kProgramVersion + ").\n";
};

TEST_F(CheckUpdateCommandTest, ReportsTheOfferFromTheVendorsPage) {
    Page("1.1");
    const Outcome r = Run({});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, offer_);
    EXPECT_TRUE(fs::is_empty(scratch_ / "tmp"));
}

TEST_F(CheckUpdateCommandTest, DownloadsAndStartsOnlyWhenAsked) {
    Page("1.1");
    const std::string url = server_.Url("/update.html");
    const Outcome downloaded = Run({"--url", url, "--download"});
    EXPECT_EQ(downloaded.status, 0) << downloaded.err;
    EXPECT_EQ(downloaded.out, offer_ + "Downloaded: " + scratch_ / "tmp/setup.bin" + "\n");
    EXPECT_EQ(ReadFileText(scratch_ / "tmp/setup.bin"), std::string(2000, 's'));
    EXPECT_EQ(launched_, "");

    const Outcome started = Run({"--url", url, "--run"});
    EXPECT_EQ(started.status, 0) << started.err;
    EXPECT_EQ(started.out.substr(started.out.find("Started")),
              "Started: " + scratch_ / "tmp/setup.bin" + "\n");
    EXPECT_EQ(launched_, scratch_ / "tmp/setup.bin");

    // An installer that cannot be opened is named with the reason, and stays.
    launches_ = false;
    const Outcome refused = Run({"--url", url, "--run"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err, "tolvane-cli check-update: cannot open the installer " +
                               scratch_ / "tmp/setup.bin" + ": no program opens it\n");
    EXPECT_EQ(ReadFileText(scratch_ / "tmp/setup.bin"), std::string(2000, 's'));
}

TEST_F(CheckUpdateCommandTest, ExitStatusTellsNoOfferFromFailure) {
    const std::string installed = app::kProgramVersion;
    Page(installed);
    const Outcome none = Run({});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "No newer version is offered (offered: " + installed +
                            ", installed: " + installed + ").\n");

    const std::string missing = server_.Url("/missing.html");
    const Outcome failed = Run({"--url", missing});
    EXPECT_EQ(failed.status, 2);
    EXPECT_EQ(failed.err, "tolvane-cli check-update: " + missing + ": HTTP status 404\n");

    const Outcome wrong = Run({"--now"});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_EQ(wrong.err, "tolvane-cli check-update: unknown option '--now'\n"
                         "Try 'tolvane-cli check-update --help'.\n");
    const std::string help = Run({"--help"}).out;
    EXPECT_EQ(help.rfind("Usage: tolvane-cli check-update [--url URL]", 0), 0u);
    EXPECT_NE(help.find("newer than the installed " + installed + ".\n"), std::string::npos);
}

TEST_F(CheckUpdateCommandTest, ACtrlCDuringTheDownloadEndsItAndKeepsNoFile) {
#ifdef _WIN32
    GTEST_SKIP() << "Wine delivers no console Ctrl-C to a program without a console";
#else
    // The server sends the first 2 KiB of the installer, then nothing: the
    // signal comes while the download waits.
    scratch_.WriteFile("www/setup.bin", std::string(3000, 's'));
    Page("1.1", "/stall/setup.bin");
    const platform::StopSignals stop;
    std::thread user([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        kill(getpid(), SIGINT);
    });
    const auto start = std::chrono::steady_clock::now();
    const Outcome r = Run({"--download"}, &stop);
    user.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(r.status, 130) << r.err;
    EXPECT_EQ(r.err, "tolvane-cli check-update: interrupted; nothing was downloaded\n");
    EXPECT_TRUE(fs::is_empty(scratch_ / "tmp"));
#endif
}

} // namespace
