// The real tolvane-cli stopped by signals in the middle of a run: nothing of
// the run may stay behind, and an archive being updated stays as it was; what
// a killed job leaves goes at the next start of any command.
#include "support/ChildProcess.h"
#include "support/Peers.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace tolvane::test;

namespace {

class InterruptTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Random bytes in base64 keep deflate busy for a good while: they
        // shrink, so every piece is coded in full.
        scratch_.MakeFolder("src");
        ASSERT_EQ(RunPeer("head -c 48000000 /dev/urandom | base64 -w 0 > " +
                          ShellQuote(scratch_ / "src/big.txt"))
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

    // The job folders (and others) in the working folder.
    std::vector<std::string> WorkingFolderNames() const {
        std::vector<std::string> names;
        if (fs::exists(scratch_ / "data/Tolvane"))
            for (const auto& entry : fs::directory_iterator(scratch_ / "data/Tolvane"))
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
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
    EXPECT_EQ(RunAndSignal({"zip", scratch_ / "src/big.txt", "-o", archive}, SIGKILL),
              128 + SIGKILL);
    EXPECT_EQ(ReadFileBytes(archive), before);
    EXPECT_TRUE(Empty(tmp_)) << "an unnamed output vanishes with the process";
}

TEST_F(InterruptTest, EveryCommandRemovesTheJobFoldersOfGoneProcessesOnly) {
    const pid_t gone = fork();
    if (gone == 0)
        _exit(0);
    ASSERT_GT(gone, 0);
    ASSERT_EQ(waitpid(gone, nullptr, 0), gone);
    const std::string live = std::to_string(getpid());
    const std::string dead = std::to_string(gone);
    for (const char* command : {"--version", "list", "settings", "help"}) {
        SCOPED_TRACE(command);
        for (const std::string& name :
             {"job-" + dead + "-aB3xYz", "new-" + dead + "-aB3xYz", "job-" + live + "-aB3xYz",
              "job-" + dead + "x-aB3xYz", "keep-" + dead + "-a"})
            scratch_.WriteFile("data/Tolvane/" + name + "/a.bh", "partial");
        RunPeer("env XDG_DATA_HOME=" + ShellQuote(scratch_ / "data") + " " +
                ShellQuote(TOLVANE_CLI_PATH) + " " + command + " </dev/null");
        std::vector<std::string> kept{"job-" + dead + "x-aB3xYz", "job-" + live + "-aB3xYz",
                                      "keep-" + dead + "-a"};
        std::sort(kept.begin(), kept.end());
        EXPECT_EQ(WorkingFolderNames(), kept);
    }
}

TEST_F(InterruptTest, AMonetizeKilledMidJobLeavesNothingOnceTheNextRunStarts) {
    std::vector<std::string> argv{TOLVANE_CLI_PATH, "monetize", scratch_ / "src", "-o",
                                  scratch_ / "out.zip"};
    {
        ChildProcess child(argv, env_, scratch_ / "output.txt");
        // Killed once its job folder is there: the BH archive is being written.
        for (int i = 0; i < 2000 && WorkingFolderNames().empty(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        child.Signal(SIGKILL);
        EXPECT_EQ(child.Wait(), 128 + SIGKILL);
    }
    ASSERT_EQ(WorkingFolderNames().size(), 1u) << "the killed job left its folder";
    RunPeer("env XDG_DATA_HOME=" + ShellQuote(scratch_ / "data") + " " +
            ShellQuote(TOLVANE_CLI_PATH) + " list " + ShellQuote(scratch_ / "none.zip"));
    EXPECT_EQ(WorkingFolderNames(), std::vector<std::string>{});
}

} // namespace
