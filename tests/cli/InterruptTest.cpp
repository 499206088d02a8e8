// The real tolvane-cli stopped by signals in the middle of a run: nothing of
// the run may stay behind, and an archive being updated stays as it was.
#include "support/ChildProcess.h"
#include "support/Peers.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;
using namespace tolvane::test;

namespace {

class InterruptTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Incompressible data keeps deflate busy for a good while.
        scratch_.MakeFolder("src");
        ASSERT_EQ(RunPeer("head -c 64000000 /dev/urandom > " + ShellQuote(scratch_ / "src/big.bin"))
                      .status,
                  0);
        tmp_ = scratch_.MakeFolder("tmp");
        env_ = {"TMPDIR=" + tmp_, "XDG_DATA_HOME=" + scratch_ / "data",
                "XDG_CONFIG_HOME=" + scratch_ / "config"};
    }

    // Starts tolvane-cli with `args`, signals it once it is under way.
    int RunAndSignal(const std::vector<std::string>& args, int signalNumber) {
        std::vector<std::string> argv{TOLVANE_CLI_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        ChildProcess child(argv, env_, scratch_ / "output.txt");
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        child.Signal(signalNumber);
        return child.Wait();
    }

    bool Empty(const std::string& folder) const {
        return !fs::exists(folder) || fs::is_empty(folder);
    }

    TempFolder scratch_;
    std::string tmp_;
    std::vector<std::string> env_;
};

TEST_F(InterruptTest, TermAndHangUpStopARunCleanly) {
    for (int signalNumber : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signalNumber);
        EXPECT_EQ(RunAndSignal({"pack", scratch_ / "src", "-o", scratch_ / "out.bh"}, signalNumber),
                  128 + signalNumber)
            << ReadFileText(scratch_ / "output.txt");
        EXPECT_FALSE(fs::exists(scratch_ / "out.bh"));
        EXPECT_TRUE(Empty(tmp_));

        EXPECT_EQ(
            RunAndSignal({"monetize", scratch_ / "src", "-o", scratch_ / "out.zip"}, signalNumber),
            128 + signalNumber)
            << ReadFileText(scratch_ / "output.txt");
        EXPECT_FALSE(fs::exists(scratch_ / "out.zip"));
        EXPECT_TRUE(Empty(tmp_));
        EXPECT_TRUE(Empty(scratch_ / "data/Tolvane")) << "no job folder stays behind";
    }
}

TEST_F(InterruptTest, AKilledUpdateLeavesTheArchiveAndNoTemporaryFile) {
    const std::string archive = scratch_.WriteFile("old.zip", "");
    fs::remove(archive);
    scratch_.WriteFile("small.txt", "small");
    ASSERT_EQ(RunPeer(std::string(TOLVANE_CLI_PATH) + " zip " + ShellQuote(scratch_ / "small.txt") +
                      " -o " + ShellQuote(archive))
                  .status,
              0);
    const auto before = ReadFileBytes(archive);
    EXPECT_EQ(RunAndSignal({"zip", scratch_ / "src/big.bin", "-o", archive}, SIGKILL),
              128 + SIGKILL);
    EXPECT_EQ(ReadFileBytes(archive), before);
    EXPECT_TRUE(Empty(tmp_)) << "an unnamed output vanishes with the process";
}

} // namespace
