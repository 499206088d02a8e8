// The real tolvane-cli killed (SIGKILL) or stopped (SIGTERM) at random moments
// while it updates an archive, and run out of room beside the archive or in
// its working folder. An archive is always either as it was or the whole new
// one, and nothing of a stopped run outlives the next run.
//
// The moments are random fractions of a normal run's measured duration. The
// seed is printed; TOLVANE_CRASH_SEED=N replays the same fractions and file
// changes (the moments themselves move with the machine's speed), and
// TOLVANE_CRASH_REPEAT=N runs every row of the table N times as often.
#include "support/ChildProcess.h"
#include "support/Peers.h"
#include "support/ScratchMount.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <sys/stat.h>
#include <thread>

namespace fs = std::filesystem;
using namespace tolvane::test;

namespace {

enum class Command { Pack, Zip, Monetize };
// Where TMPDIR is: on the archive's file system, or on a tmpfs of its own,
// which sends every output through the copy beside the archive.
enum class TempPlace { Beside, OtherFileSystem };

struct KillPoint {
    Command command;
    int signalNumber;
    TempPlace temp;
    double from, to; // the moments, as fractions of a normal run
    int count;
};

// Every row updates an existing archive after some of its files changed.
constexpr KillPoint kKillPoints[] = {
    {Command::Pack, SIGKILL, TempPlace::Beside, 0.0, 1.0, 10},
    {Command::Zip, SIGKILL, TempPlace::Beside, 0.0, 1.0, 10},
    {Command::Monetize, SIGKILL, TempPlace::Beside, 0.0, 1.0, 10},
    {Command::Pack, SIGTERM, TempPlace::Beside, 0.0, 1.0, 2},
    {Command::Zip, SIGTERM, TempPlace::Beside, 0.0, 1.0, 2},
    {Command::Monetize, SIGTERM, TempPlace::Beside, 0.0, 1.0, 2},
    {Command::Pack, SIGKILL, TempPlace::OtherFileSystem, 0.0, 1.0, 2},
    {Command::Zip, SIGKILL, TempPlace::OtherFileSystem, 0.0, 1.0, 2},
    {Command::Monetize, SIGKILL, TempPlace::OtherFileSystem, 0.0, 1.0, 2},
    // The second half, where the output is copied beside the archive.
    {Command::Pack, SIGTERM, TempPlace::OtherFileSystem, 0.5, 1.0, 2},
    {Command::Zip, SIGTERM, TempPlace::OtherFileSystem, 0.5, 1.0, 2},
    {Command::Monetize, SIGTERM, TempPlace::OtherFileSystem, 0.0, 1.0, 2},
};

const char* NameOf(Command command) {
    switch (command) {
    case Command::Pack:
        return "pack";
    case Command::Zip:
        return "zip";
    case Command::Monetize:
        return "monetize";
    }
    return "";
}

uint64_t Seed() {
    static const uint64_t seed = [] {
        const char* given = std::getenv("TOLVANE_CRASH_SEED");
        const uint64_t value =
            given && *given ? std::strtoull(given, nullptr, 10) : std::random_device{}();
        std::cout << "[   SEED   ] TOLVANE_CRASH_SEED=" << value << std::endl;
        return value;
    }();
    return seed;
}

size_t Occurrences(const std::string& text, const std::string& word) {
    size_t count = 0;
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
        ++count;
    return count;
}

int Repeat() {
    const char* given = std::getenv("TOLVANE_CRASH_REPEAT");
    const int value = given ? std::atoi(given) : 1;
    return value > 0 ? value : 1;
}

struct CliRun {
    int status;
    std::string output;
};

// One command's archive, alone in its folder, and how long an update takes.
struct Target {
    std::vector<std::string> args;
    std::string folder, archive;
    std::chrono::duration<double> duration{};
};

class CrashSafetyTest : public ::testing::Test {
protected:
    void SetUp() override {
        tmp_ = scratch_.MakeFolder("tmp");
        ASSERT_EQ(Cli({"settings", "--partner-id", "p1", "--software-id", "s1", "--language", "0"})
                      .status,
                  0);
    }

    // Tens of MB that deflate cannot shrink keep a run busy for a while: the big
    // file is coded again in every update, the still one copied from the old
    // archive. The small files make many entries and moments between them.
    void MakeSource() {
        scratch_.WriteFile("src/big.bin", RandomBytes(kBigSize, 1));
        scratch_.WriteFile("src/still.bin", RandomBytes(8u << 20, 2));
        for (int i = 0; i < kSmallFiles; ++i)
            smallFiles_.push_back(scratch_.WriteFile(
                "src/small/f" + std::to_string(i) + ".txt",
                std::string(100 + (i * 37) % 3000, static_cast<char>('a' + i % 26))));
        for (const auto& entry : fs::recursive_directory_iterator(scratch_ / "src"))
            SetTime(entry.path().string());
    }

    std::vector<std::string> Environment() const {
        return {"TMPDIR=" + tmp_, "XDG_DATA_HOME=" + scratch_ / "data",
                "XDG_CONFIG_HOME=" + scratch_ / "config", "LANGUAGE=en_US"};
    }

    CliRun Cli(const std::vector<std::string>& args) {
        std::vector<std::string> argv{TOLVANE_CLI_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        ChildProcess child(argv, Environment(), scratch_ / "output.txt");
        const int status = child.Wait();
        return {status, ReadFileText(scratch_ / "output.txt")};
    }

    // Gives every changed file a modification time of its own: the writers
    // compare times at a 2-second grain.
    void SetTime(const std::string& path) {
        const timespec times[2] = {{base_ + 4 * generation_, 0}, {base_ + 4 * generation_, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
    }

    // Changes the big file (so that it is coded again) and a few small ones.
    // The small ones grow by bytes deflate cannot shrink, so that monetize's
    // BH archive changes its size too: the ZIP writer takes an entry of the
    // same size and 2-second time as unchanged.
    void ChangeFiles(std::mt19937_64& rng) {
        ++generation_;
        const std::string big = scratch_ / "src/big.bin";
        {
            std::fstream file(big, std::ios::in | std::ios::out | std::ios::binary);
            file.seekp(static_cast<std::streamoff>(rng() % (kBigSize - 4096)));
            const auto patch = RandomBytes(4096, static_cast<uint32_t>(rng()));
            file.write(reinterpret_cast<const char*>(patch.data()), 4096);
        }
        SetTime(big);
        for (int i = 0; i < 3; ++i) {
            const std::string& small = smallFiles_[rng() % smallFiles_.size()];
            const auto noise = RandomBytes(64, static_cast<uint32_t>(rng()));
            std::ofstream(small, std::ios::app | std::ios::binary)
                .write(reinterpret_cast<const char*>(noise.data()), 64);
            SetTime(small);
        }
    }

    // pack and monetize take the folder, zip the files.
    static std::vector<std::string> ArgsFor(Command command, const std::string& folder,
                                            const std::vector<std::string>& files,
                                            const std::string& archive) {
        std::vector<std::string> args{NameOf(command)};
        if (command == Command::Zip)
            args.insert(args.end(), files.begin(), files.end());
        else
            args.push_back(folder);
        args.insert(args.end(), {"-o", archive});
        return args;
    }

    // The command's archive made once and one update timed.
    Target& Prepare(Command command, std::mt19937_64& rng) {
        auto found = targets_.find(command);
        if (found != targets_.end())
            return found->second;
        Target& target = targets_[command];
        target.folder = scratch_.MakeFolder(std::string("out-") + NameOf(command));
        target.archive = target.folder + (command == Command::Pack ? "/a.bh" : "/a.zip");
        std::vector<std::string> files{scratch_ / "src/big.bin", scratch_ / "src/still.bin"};
        files.insert(files.end(), smallFiles_.begin(), smallFiles_.end());
        target.args = ArgsFor(command, scratch_ / "src", files, target.archive);
        const CliRun made = Cli(target.args);
        EXPECT_EQ(made.status, 0) << made.output;
        ChangeFiles(rng);
        const auto started = std::chrono::steady_clock::now();
        const CliRun updated = Cli(target.args);
        target.duration = std::chrono::steady_clock::now() - started;
        EXPECT_EQ(updated.status, 0) << updated.output;
        return target;
    }

    // The archive passes our own test, and for a ZIP unzip's too when `peer`.
    bool Intact(const Target& target, bool peer) {
        const CliRun tested = Cli({"test", target.archive});
        if (tested.status != 0) {
            ADD_FAILURE() << target.archive << ": " << tested.output;
            return false;
        }
        if (peer && target.archive.ends_with(".zip")) {
            const PeerResult unzip = RunPeer("unzip -tqq " + ShellQuote(target.archive));
            if (unzip.status != 0) {
                ADD_FAILURE() << target.archive << ": " << unzip.output;
                return false;
            }
        }
        return true;
    }

    // Whatever lies in TMPDIR, beside the archive or in the working folder.
    std::vector<std::string> Leftovers(const Target& target) const {
        std::vector<std::string> found;
        for (const std::string& folder : {tmp_, target.folder, scratch_ / "data/Tolvane"}) {
            if (!fs::exists(folder))
                continue;
            for (const auto& entry : fs::directory_iterator(folder)) {
                if (entry.path() != target.archive)
                    found.push_back(entry.path().string());
            }
        }
        return found;
    }

    void RunKillPoints(TempPlace temp);

    static constexpr size_t kBigSize = 12u << 20;
    static constexpr int kSmallFiles = 300;
    TempFolder scratch_;
    std::string tmp_;
    std::vector<std::string> smallFiles_;
    std::map<Command, Target> targets_;
    const std::time_t base_ = std::time(nullptr) - 86400;
    int generation_ = 0;
};

void CrashSafetyTest::RunKillPoints(TempPlace temp) {
    const uint64_t seed = Seed();
    SCOPED_TRACE("TOLVANE_CRASH_SEED=" + std::to_string(seed));
    MakeSource();
    for (size_t row = 0; row < std::size(kKillPoints); ++row) {
        const KillPoint& point = kKillPoints[row];
        if (point.temp != temp)
            continue;
        // A generator per row, so that one test alone replays its rows.
        std::seed_seq sequence{seed, static_cast<uint64_t>(row)};
        std::mt19937_64 rng(sequence);
        std::uniform_real_distribution<double> moment(point.from, point.to);
        Target& target = Prepare(point.command, rng);
        int unchanged = 0, replaced = 0, endedFirst = 0;
        std::map<std::string, int> leftBy; // what stopped runs left for the next one
        for (int round = 0; round < point.count * Repeat(); ++round) {
            const double fraction = moment(rng);
            SCOPED_TRACE(std::string(NameOf(point.command)) + " " + strsignal(point.signalNumber) +
                         " at " + std::to_string(fraction) + " of " +
                         std::to_string(target.duration.count()) + " s");
            ChangeFiles(rng);
            const auto before = ReadFileBytes(target.archive);
            int status = 0;
            {
                std::vector<std::string> argv{TOLVANE_CLI_PATH};
                argv.insert(argv.end(), target.args.begin(), target.args.end());
                ChildProcess child(argv, Environment(), scratch_ / "output.txt");
                std::this_thread::sleep_for(target.duration * fraction);
                child.Signal(point.signalNumber);
                status = child.Wait();
            }
            const std::string output = ReadFileText(scratch_ / "output.txt");
            const bool stopped = status == 128 + point.signalNumber;
            const bool same = ReadFileBytes(target.archive) == before;
            if (!stopped) {
                EXPECT_EQ(status, 0) << "the run ended before the signal: " << output;
                EXPECT_FALSE(same) << "a finished run wrote the changed files: " << output;
                ++endedFirst;
            } else {
                ++(same ? unchanged : replaced);
            }
            if (!same) {
                EXPECT_TRUE(Intact(target, true))
                    << "the archive is neither the old nor a whole new one";
            }
            if (point.signalNumber == SIGTERM && stopped) {
                EXPECT_TRUE(same) << "a stopped run changed the archive: " << output;
                // Silent only when the signal came before the program took it over.
                EXPECT_TRUE(output.empty() || output.find(target.archive + " was left as it was") !=
                                                  std::string::npos)
                    << output;
                EXPECT_EQ(Leftovers(target), std::vector<std::string>{}) << output;
            }
            for (const std::string& path : Leftovers(target)) {
                const fs::path folder = fs::path(path).parent_path();
                ++leftBy[folder == target.folder ? "beside the archive"
                         : folder == tmp_        ? "in TMPDIR"
                                                 : "in the working folder"];
            }

            const CliRun next = Cli(target.args);
            EXPECT_EQ(next.status, 0) << next.output;
            // A pack or zip run that got as far as replacing the archive wrote it all.
            if (!same && point.command != Command::Monetize) {
                EXPECT_NE(next.output.find("up to date"), std::string::npos) << next.output;
            }
            EXPECT_TRUE(Intact(target, false));
            EXPECT_EQ(Leftovers(target), std::vector<std::string>{})
                << "the next run leaves nothing of the stopped one";
        }
        std::cout << "[   KILL   ] " << NameOf(point.command) << " "
                  << strsignal(point.signalNumber) << " x" << point.count * Repeat() << " over "
                  << target.duration.count() << " s: " << unchanged << " left it as it was, "
                  << replaced << " replaced it, " << endedFirst << " ended first; left behind:";
        for (const auto& [where, count] : leftBy)
            std::cout << " " << count << " " << where;
        std::cout << (leftBy.empty() ? " nothing" : "") << std::endl;
    }
}

TEST_F(CrashSafetyTest, AStoppedUpdateLeavesTheOldArchiveOrTheWholeNewOne) {
    RunKillPoints(TempPlace::Beside);
}

TEST_F(CrashSafetyTest, WithTheTemporaryFolderOnAnotherFileSystemToo) {
    ScratchMount other(tmp_, "512m");
    if (!other.Mounted())
        GTEST_SKIP() << "cannot mount a tmpfs for TMPDIR here (needs root)";
    RunKillPoints(TempPlace::OtherFileSystem);
}

TEST_F(CrashSafetyTest, AFullArchiveFolderIsReportedAndTheOldArchiveKept) {
    // The new archive is built in the roomy TMPDIR; the copy beside the old
    // one, on a tmpfs that holds two old archives but not an old and a new one,
    // runs out of room. (monetize's second ZIP run may copy the old one again.)
    const std::string file = scratch_ / "few/a.bin";
    for (Command command : {Command::Pack, Command::Zip, Command::Monetize}) {
        SCOPED_TRACE(NameOf(command));
        Target target;
        target.folder = scratch_ / (std::string("full-") + NameOf(command));
        target.archive = target.folder + (command == Command::Pack ? "/a.bh" : "/a.zip");
        ScratchMount full(target.folder, "2560k");
        if (!full.Mounted())
            GTEST_SKIP() << "cannot mount a small tmpfs for the archive here (needs root)";
        const auto args = ArgsFor(command, scratch_ / "few", {file}, target.archive);
        scratch_.WriteFile("few/a.bin", RandomBytes(1 << 20, 2));
        SetTime(file);
        ASSERT_EQ(Cli(args).status, 0);
        const auto before = ReadFileBytes(target.archive);
        ++generation_;
        scratch_.WriteFile("few/a.bin", RandomBytes(2 << 20, 3));
        SetTime(file);

        const CliRun run = Cli(args);
        EXPECT_EQ(run.status, 2) << run.output;
        // The full disk is named once, in the system's words, without the number.
        EXPECT_NE(
            run.output.find(std::string(": ") + target.archive + ": No space left on device\n"),
            std::string::npos)
            << run.output;
        EXPECT_EQ(Occurrences(run.output, "No space left on device"), 1u) << run.output;
        EXPECT_EQ(Occurrences(run.output, "Disk full"), 0u) << run.output;
        EXPECT_EQ(Occurrences(run.output, "25160"), 0u) << run.output;
        EXPECT_EQ(ReadFileBytes(target.archive), before);
        EXPECT_EQ(Leftovers(target), std::vector<std::string>{});
    }
}

TEST_F(CrashSafetyTest, AFullWorkingFolderStopsMonetizeAndKeepsTheOldZip) {
    Target target;
    target.folder = scratch_.MakeFolder("out");
    target.archive = target.folder + "/a.zip";
    const auto args = ArgsFor(Command::Monetize, scratch_ / "few", {}, target.archive);
    scratch_.WriteFile("few/a.bin", RandomBytes(1 << 20, 4));
    ASSERT_EQ(Cli(args).status, 0);
    const auto before = ReadFileBytes(target.archive);
    scratch_.WriteFile("few/b.bin", RandomBytes(1 << 20, 5));

    ScratchMount full(scratch_ / "data", "256k");
    if (!full.Mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs for the working folder here (needs root)";
    // Filled up beside the Tolvane folder, where the start-up emptying does not reach.
    {
        std::ofstream filler(scratch_ / "data/filler", std::ios::binary);
        const std::vector<char> block(64 << 10, 'f');
        while (filler.write(block.data(), static_cast<std::streamsize>(block.size())))
            filler.flush();
    }
    const CliRun run = Cli(args);
    EXPECT_EQ(run.status, 2) << run.output;
    EXPECT_NE(run.output.find("tolvane-cli monetize: " + scratch_ / "data/Tolvane/job-"),
              std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find(".bh: No space left on device\n"), std::string::npos) << run.output;
    EXPECT_EQ(Occurrences(run.output, "No space left on device"), 1u) << run.output;
    EXPECT_EQ(ReadFileBytes(target.archive), before);
    EXPECT_EQ(Leftovers(target), std::vector<std::string>{});
}

} // namespace
