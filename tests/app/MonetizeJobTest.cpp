// The monetize job end to end: the ZIP opened by Python's zipfile and unzip,
// the BH archive inside it read back and compared byte for byte.
#include "app/MonetizeJob.h"

#include "app/JobFolder.h"
#include "support/EnvironmentGuard.h"
#include "support/Peers.h"
#include "support/TempFolder.h"
#include "support/WriterHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace tolvane;
using namespace tolvane::app;
using namespace tolvane::test;

namespace {

class MonetizeJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        scratch_.WriteFile("Docs/readme.txt", std::string(5000, 'r'));
        scratch_.WriteFile("Docs/sub/data.csv", "a,b\n1,2\n");
        scratch_.WriteFile("Docs/sub/pics.zip", RandomBytes(2000, 2));
        scratch_.WriteFile("Docs/empty.txt", "");
        scratch_.MakeFolder("Docs/nothing");
        state_.SelectedFolder = scratch_ / "Docs";
        state_.TempFolder = scratch_.MakeFolder("work") + "/";
        state_.ShortcutNames = {"Download the archiver.URL", "Descargar el archivador.URL"};
        state_.PartnerID = "archiver5";
        state_.SoftwareID = "ARCHIVERx";
        vendor_.archiverHost = "dl.example.com";
        zip_ = scratch_.MakeFolder("out") + "/Docs.zip";
    }

    // Runs a job on the state as the windows do: inputs taken, result applied.
    JobResult Run(bool replaceArchive = false) {
        MonetizeJob job(vendor_);
        platform::CancelToken cancel;
        JobInput input = JobInput::FromState(state_);
        input.replaceArchive = replaceArchive;
        JobResult result = job.Run(input, zip_, cancel);
        result.ApplyTo(state_);
        return result;
    }

    // Extracts the ZIP with Python into a fresh folder and returns it.
    std::string Extract(const std::string& password = "") {
        const std::string into = scratch_ / ("x" + std::to_string(++extractions_));
        auto r = ExtractWithZipfile(zip_, into, password);
        EXPECT_EQ(r.status, 0) << r.output;
        names_ = r.output;
        return into;
    }

    // The names of the entries of a BH archive inside the ZIP (extracted anew).
    std::vector<std::string> BhNames(const std::string& bhName) {
        std::vector<std::string> names;
        for (const auto& entry : ReadBhArchive(Extract() + "/" + bhName))
            names.push_back(entry.header.name);
        return names;
    }

    // The names in the ZIP's folder.
    std::vector<std::string> BesideTheZip() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(fs::path(zip_).parent_path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    void ExpectBhMatchesSource(const std::string& bhPath, bool withBig = false) {
        const auto entries = ReadBhArchive(bhPath);
        std::vector<std::string> names;
        for (const auto& e : entries) {
            names.push_back(e.header.name);
            if (e.header.name.back() != '/') {
                EXPECT_EQ(e.data, ReadFileBytes(state_.SelectedFolder + "/" + e.header.name))
                    << e.header.name;
            }
            EXPECT_FALSE(e.header.Encrypted());
        }
        std::vector<std::string> expected = {"empty.txt", "nothing/", "readme.txt", "sub/data.csv",
                                             "sub/pics.zip"};
        if (withBig)
            expected.insert(expected.begin(), "big.bin");
        EXPECT_EQ(names, expected);
    }

    TempFolder scratch_;
    ProgramState state_;
    VendorConfig vendor_;
    std::string zip_;
    std::string names_;
    int extractions_ = 0;
};

TEST_F(MonetizeJobTest, TheZipHoldsTheFoldersArchiveAndTheShortcut) {
    const auto result = Run();
    ASSERT_EQ(result.outcome, JobResult::Outcome::Done) << result.message;
    EXPECT_TRUE(result.reports.empty());
    const std::string x = Extract();
    EXPECT_EQ(names_, "Docs.bh|Download the archiver.URL\n");
    ExpectBhMatchesSource(x + "/Docs.bh");
    EXPECT_EQ(ReadFileText(x + "/Download the archiver.URL"),
              "[InternetShortcut]\r\nURL=http://dl.example.com/index.php?ref=~5_~x\r\n");
    EXPECT_EQ(RunPeer("unzip -tqq " + ShellQuote(zip_)).status, 0);
    EXPECT_EQ(result.filesPacked, 5); // the empty folder too
    EXPECT_EQ(result.bytesPacked, 5000 + 8 + 2000);
    EXPECT_EQ(state_.ReferralRef, "~5_~x");
    EXPECT_TRUE(fs::is_empty(state_.TempFolder)); // the job's files are gone
}

TEST_F(MonetizeJobTest, LanguageAndIdsPickTheShortcutNameAndUrl) {
    state_.TargetLanguage = 1;
    state_.PartnerID.clear();
    ASSERT_EQ(Run().outcome, JobResult::Outcome::Done);
    const std::string x = Extract();
    EXPECT_EQ(names_, "Descargar el archivador.URL|Docs.bh\n"); // the folder's name order
    EXPECT_EQ(ReadFileText(x + "/Descargar el archivador.URL"),
              "[InternetShortcut]\r\nURL=http://dl.example.com/\r\n");
}

TEST_F(MonetizeJobTest, APasswordEnciphersTheZipOnlyAndIsCleared) {
    state_.ArchivePassword = "pa55";
    ASSERT_EQ(Run().outcome, JobResult::Outcome::Done);
    EXPECT_EQ(state_.ArchivePassword, "");
    EXPECT_NE(RunPeer("unzip -tqq -P wrong " + ShellQuote(zip_)).status, 0);
    ExpectBhMatchesSource(Extract("pa55") + "/Docs.bh");
}

TEST_F(MonetizeJobTest, SavingOverAnExistingZipReplacesItsContent) {
    ASSERT_EQ(Run().outcome, JobResult::Outcome::Done);
    scratch_.WriteFile("Docs/readme.txt", "changed since the first job");
    const auto again = Run();
    ASSERT_EQ(again.outcome, JobResult::Outcome::Done) << again.message;
    const std::string x = Extract();
    // Each name once; a replaced entry moves behind the kept ones, and whether
    // the rewritten shortcut counts as changed depends on its 2-second time stamp.
    EXPECT_TRUE(names_ == "Download the archiver.URL|Docs.bh\n" ||
                names_ == "Docs.bh|Download the archiver.URL\n")
        << names_;
    ExpectBhMatchesSource(x + "/Docs.bh");
    // At once, within the same two seconds, a change that keeps every size:
    // the new archive still replaces the old entry of the same size and time.
    scratch_.WriteFile("Docs/readme.txt", "CHANGED SINCE THE FIRST JOB");
    const auto third = Run();
    ASSERT_EQ(third.outcome, JobResult::Outcome::Done) << third.message;
    ExpectBhMatchesSource(Extract() + "/Docs.bh");
}

TEST_F(MonetizeJobTest, AZipSavedInTheFolderItMonetizesStaysOutOfItsNextArchive) {
    // The working folder inside it too, as in a job on the home folder.
    state_.TempFolder = scratch_.MakeFolder("Docs/.work") + "/";
    zip_ = state_.SelectedFolder + "/Docs.zip";
    ASSERT_EQ(Run().outcome, JobResult::Outcome::Done);
    ExpectBhMatchesSource(Extract() + "/Docs.bh");

    // Another name of the ZIP is the ZIP all the same; a copy is a file of the
    // user's. A temporary file that a killed job left beside the ZIP goes.
    fs::create_hard_link(zip_, state_.SelectedFolder + "/sub/alias.bin");
    fs::copy_file(zip_, state_.SelectedFolder + "/copy.zip");
    const std::string leftOver =
        scratch_.WriteFile("Docs/kro-" + std::to_string(getpid()) + "-1-Ab3dEf.tmp", "left");
    const auto again = Run();
    ASSERT_EQ(again.outcome, JobResult::Outcome::Done) << again.message;
    EXPECT_EQ(BhNames("Docs.bh"),
              (std::vector<std::string>{"copy.zip", "empty.txt", "nothing/", "readme.txt",
                                        "sub/data.csv", "sub/pics.zip"}));
    EXPECT_EQ(again.bytesPacked,
              5000 + 8 + 2000 +
                  static_cast<int64_t>(fs::file_size(state_.SelectedFolder + "/copy.zip")));
    EXPECT_FALSE(fs::exists(leftOver));
}

TEST_F(MonetizeJobTest, OtherEntriesAreThoseTheJobWouldNotWrite) {
    ASSERT_EQ(Run().outcome, JobResult::Outcome::Done);
    fs::copy_file(zip_, scratch_ / "out/Other.zip");
    scratch_.MakeFolder("mixed");
    ASSERT_EQ(WriteWithZipfile(scratch_ / "mixed/Docs.zip",
                               {"a.txt", "Docs.bh", "b/c.txt", "Download the archiver.URL"})
                  .status,
              0);
    scratch_.WriteFile("out/Text.zip", "no ZIP at all");
    using Names = std::vector<std::string>;
    const struct {
        const char* zip;
        int32_t language;
        Names others;
    } cases[] = {
        {"out/None.zip", 0, {}},
        {"out/Text.zip", 0, {}},
        {"out/Docs.zip", 0, {}}, // the same folder again into its own ZIP
        {"mixed/Docs.zip", 0, {"a.txt", "b/c.txt"}},
        {"out/Other.zip", 0, {"Docs.bh"}},                  // its own BH would be Other.bh
        {"out/Docs", 0, {}},                                // Docs.zip, with Docs.bh in it
        {"out/Docs.zip.old", 0, {}},                        // no such ZIP: Docs.zip.old.zip
        {"out/Docs.zip", 1, {"Download the archiver.URL"}}, // the Spanish shortcut's name differs
    };
    for (const auto& c : cases) {
        state_.TargetLanguage = c.language;
        EXPECT_EQ(MonetizeJob::OtherEntries(JobInput::FromState(state_), scratch_ / c.zip),
                  c.others)
            << c.zip << " " << c.language;
    }
}

TEST_F(MonetizeJobTest, ReplacingLeavesOnlyTheJobsTwoEntries) {
    ASSERT_EQ(WriteWithZipfile(zip_, {"a.txt", "Docs.bh", "z/other.bh"}).status, 0);
    fs::permissions(zip_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const auto result = Run(true);
    ASSERT_EQ(result.outcome, JobResult::Outcome::Done) << result.message;
    const std::string x = Extract();
    EXPECT_EQ(names_, "Docs.bh|Download the archiver.URL\n");
    ExpectBhMatchesSource(x + "/Docs.bh");
    EXPECT_EQ(fs::status(zip_).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(BesideTheZip(), std::vector<std::string>{"Docs.zip"});
    // Without a ZIP there is nothing to replace: a new one is written.
    zip_ = scratch_ / "out/New.zip";
    ASSERT_EQ(Run(true).outcome, JobResult::Outcome::Done);
    EXPECT_EQ(MonetizeJob::OtherEntries(JobInput::FromState(state_), zip_),
              std::vector<std::string>{});
}

TEST_F(MonetizeJobTest, AFileLeftOutIsReported) {
    fs::create_symlink(scratch_ / "gone", state_.SelectedFolder + "/broken.txt");
    const auto result = Run();
    EXPECT_EQ(result.outcome, JobResult::Outcome::DoneWithProblems);
    ASSERT_EQ(result.reports.size(), 1u);
    EXPECT_EQ(result.reports[0].writer, "BH");
    EXPECT_EQ(result.reports[0].report.code, archive::kErrNotRegularFile);
    EXPECT_EQ(result.reports[0].report.fileName, state_.SelectedFolder + "/broken.txt");
}

TEST_F(MonetizeJobTest, AMissingLanguageStopsBeforeWritingAnything) {
    state_.ArchivePassword = "secret";
    state_.TargetLanguage = 5;
    auto result = Run();
    EXPECT_EQ(result.outcome, JobResult::Outcome::Failed);
    EXPECT_EQ(result.message, "No audience language chosen: set it to a number from 0 to 1 in "
                              "the settings.");
    EXPECT_FALSE(fs::exists(zip_));
    EXPECT_EQ(state_.ArchivePassword, "");

    state_.ShortcutNames.clear();
    state_.TargetLanguage = 0;
    EXPECT_EQ(Run().message,
              "No shortcut names: transl.dat is missing or damaged beside the program.");
}

TEST_F(MonetizeJobTest, WithoutAFolderOnlyTheClosingStepsRun) {
    state_.SelectedFolder.clear();
    state_.ArchivePassword = "secret";
    EXPECT_EQ(Run().outcome, JobResult::Outcome::NotRun);
    EXPECT_EQ(state_.ArchivePassword, "");
    EXPECT_FALSE(fs::exists(zip_));
}

TEST_F(MonetizeJobTest, AShortcutNameThatIsNoFileNameStopsTheJobFirst) {
    for (const char* name :
         {".URL", "..URL", "...URL", "../../victim.URL", "a/b.URL", "c\\d.URL", "tab\there.URL"}) {
        state_.ShortcutNames = {name};
        state_.TargetLanguage = 0;
        const auto result = Run();
        EXPECT_EQ(result.outcome, JobResult::Outcome::Failed) << name;
        EXPECT_EQ(result.message.rfind("transl.dat: the shortcut name of language 0 cannot be "
                                       "used (",
                                       0),
                  0u)
            << result.message;
        EXPECT_FALSE(fs::exists(zip_)) << name;
        EXPECT_FALSE(fs::exists(scratch_ / "victim.URL"));
        EXPECT_TRUE(fs::is_empty(state_.TempFolder));
    }
}

TEST_F(MonetizeJobTest, TwoJobsAtOnceShareTheWorkingFolderSafely) {
    scratch_.WriteFile("Docs/big.bin", RandomBytes(4 << 20, 9));
    ProgramState other = state_;
    const std::string otherZip = scratch_ / "out/Other.zip";
    JobResult first, second;
    platform::CancelToken never;
    std::thread a(
        [&] { first = MonetizeJob(vendor_).Run(JobInput::FromState(state_), zip_, never); });
    std::thread b(
        [&] { second = MonetizeJob(vendor_).Run(JobInput::FromState(other), otherZip, never); });
    // Meanwhile a third instance starts and empties the working folder.
    EmptyWorkingFolder(state_.TempFolder);
    a.join();
    b.join();
    EXPECT_EQ(first.outcome, JobResult::Outcome::Done) << first.message;
    EXPECT_EQ(second.outcome, JobResult::Outcome::Done) << second.message;
    ExpectBhMatchesSource(Extract() + "/Docs.bh", true);
    zip_ = otherZip;
    ExpectBhMatchesSource(Extract() + "/Other.bh", true);
}

TEST_F(MonetizeJobTest, CancelLeavesNoZipAndNoFiles) {
    scratch_.WriteFile("Docs/big.bin", RandomBytes(8 << 20, 3));
    state_.ArchivePassword = "pw";
    MonetizeJob job(vendor_);
    platform::CancelToken cancel;
    job.OnProgress = [&cancel](const JobProgress& progress) {
        if (progress.stage == 1 && progress.byArchive > 10)
            cancel.Request();
    };
    const auto result = job.Run(JobInput::FromState(state_), zip_, cancel);
    EXPECT_EQ(result.outcome, JobResult::Outcome::Cancelled);
    EXPECT_FALSE(fs::exists(zip_));
    EXPECT_TRUE(fs::is_empty(state_.TempFolder));
}

TEST_F(MonetizeJobTest, ACancelledUpdateKeepsTheOldZipAndNothingBesideIt) {
    scratch_.WriteFile("Docs/big.bin", RandomBytes(8 << 20, 4));
    for (const bool replace : {false, true}) {
        // Added to, or written anew: a ZIP of another folder.
        ASSERT_EQ(WriteWithZipfile(zip_, {"a.txt", "Docs.bh"}).status, 0);
        const auto before = ReadFileBytes(zip_);
        MonetizeJob job(vendor_);
        platform::CancelToken cancel;
        // Early in the ZIP stage, before the ZIP is replaced.
        job.OnProgress = [&cancel](const JobProgress& progress) {
            if (progress.stage == 2)
                cancel.Request();
        };
        JobInput input = JobInput::FromState(state_);
        input.replaceArchive = replace;
        const auto result = job.Run(input, zip_, cancel);
        EXPECT_EQ(result.outcome, JobResult::Outcome::Cancelled) << replace;
        EXPECT_EQ(ReadFileBytes(zip_), before) << replace;
        EXPECT_EQ(BesideTheZip(), std::vector<std::string>{"Docs.zip"})
            << "no backup or new ZIP stays";
        EXPECT_TRUE(fs::is_empty(state_.TempFolder));
    }
}

TEST(VendorConfigTest, TheEnvironmentOverridesTheBuild) {
    EnvironmentGuard env({{"TOLVANE_ARCHIVER_HOST", "dl.test.example"},
                          {"TOLVANE_SMTP_PORT", "2525"},
                          {"TOLVANE_SUPPORT_EMAIL", nullptr}});
    const auto config = VendorConfig::FromEnvironment();
    EXPECT_EQ(config.archiverHost, "dl.test.example");
    EXPECT_EQ(config.smtpPort, 2525);
    EXPECT_NE(config.supportEmail.find("example"), std::string::npos); // the build's placeholder
    EnvironmentGuard bad({{"TOLVANE_SMTP_PORT", "99999"}});
    EXPECT_EQ(VendorConfig::FromEnvironment().smtpPort, 26);
}

TEST(JobFolderTest, ANewFolderSurvivesAnotherInstanceEmptyingTheWorkingFolder) {
    TempFolder scratch;
    const std::string work = scratch.MakeFolder("work") + "/";
    std::atomic<bool> stop{false};
    std::thread emptier([&] {
        while (!stop)
            EmptyWorkingFolder(work);
    });
    size_t lost = 0;
    for (int i = 0; i < 300; ++i) {
        JobFolder job(work);
        lost += fs::exists(job.Path() + ".lock") ? 0 : 1;
    }
    stop = true;
    emptier.join();
    EXPECT_EQ(lost, 0u);
}

TEST(JobFolderTest, StartUpEmptyingSparesTheFoldersOfRunningJobs) {
    TempFolder scratch;
    const std::string work = scratch.MakeFolder("work") + "/";
    scratch.WriteFile("work/left-over.bh", "x");
    // A killed job: its process is gone, its lock free.
    const pid_t gone = fork();
    if (gone == 0)
        _exit(0);
    ASSERT_EQ(waitpid(gone, nullptr, 0), gone);
    const std::string killed = work + "job-" + std::to_string(gone) + "-old";
    scratch.WriteFile(killed.substr(scratch.Path().size() + 1) + "/Docs.bh", "x");
    const std::string outside = scratch.WriteFile("outside/keep.txt", "keep");
    fs::create_symlink(scratch / "outside", work + "link");
    {
        JobFolder running(work);
        scratch.WriteFile("work/" + running.Path().substr(work.size()) + "Docs.bh", "busy");
        EmptyWorkingFolder(work);
        EXPECT_TRUE(fs::exists(running.Path() + "Docs.bh"));
        EXPECT_FALSE(fs::exists(work + "left-over.bh"));
        EXPECT_FALSE(fs::exists(killed));
        EXPECT_EQ(ReadFileText(outside), "keep");
    }
    // A finished job removes its own folder.
    size_t left = 0;
    for (const auto& e : fs::directory_iterator(work))
        left += e.path().filename().string().rfind("job-", 0) == 0;
    EXPECT_EQ(left, 0u);
}

} // namespace
