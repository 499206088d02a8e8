// Entries coded ahead on worker threads: the same archive whatever the number
// of threads, reports in the entries' order, and a cancel that leaves the old
// archive as it was.
#include "archive/writer/CodeAhead.h"
#include "archive/formats/BhWriter.h"
#include "archive/formats/ZipWriter.h"

#include "support/TempFolder.h"
#include "support/WriterHarness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace fs = std::filesystem;
using namespace tolvane;
using namespace tolvane::archive;
using namespace tolvane::test;

namespace {

std::string Text(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    static const char* words[] = {"archive ", "folder ", "the ", "of ", "entry\n", "publisher "};
    std::string out;
    while (out.size() < size)
        out += words[random() % 6];
    out.resize(size);
    return out;
}

// A small budget keeps the files small: sources above 64 KiB are coded into
// temporary files, the others into memory, a few at a time.
constexpr int64_t kBudget = 512 << 10;

// Files of every kind the coding meets: empty, tiny, small enough to be
// deflated in memory, stored types, and files above the size coded into memory.
void MakeFolder(const TempFolder& scratch) {
    scratch.WriteFile("src/empty.txt", "");
    scratch.WriteFile("src/tiny.txt", "t");
    scratch.WriteFile("src/random.bin", RandomBytes(200, 1)); // deflate does not pay
    scratch.WriteFile("src/pics.zip", RandomBytes(30000, 2)); // stored by its type
    for (int i = 0; i < 40; ++i)
        scratch.WriteFile("src/many/f" + std::to_string(i) + ".txt", Text(1000 + i * 1499, i));
    scratch.WriteFile("src/big/log.txt", Text(300000, 7));            // above the size coded ahead
    scratch.WriteFile("src/big/noise.bin", RandomBytes(200000, 8));   // the same, incompressible
    scratch.WriteFile("src/big/photos.zip", RandomBytes(100000, 10)); // large, only copied
    scratch.WriteFile("src/z.txt", Text(70000, 9));
}

// Packs with `threads`; files named in `vanish` disappear right after the
// scan has seen them, so that their coding fails.
std::vector<uint8_t> Pack(TCustomCClass& writer, const TempFolder& scratch, int threads,
                          std::vector<Report>& reports,
                          const std::vector<std::string>& vanish = {}) {
    const std::string archive = scratch / ("out" + std::to_string(threads) + ".arc");
    fs::remove(archive);
    ConfigureLikeJob(writer, scratch / "src", archive);
    writer.SetTempDir(scratch.MakeFolder("tmp"));
    writer.CodingThreads = threads;
    writer.CodeAheadBudget = kBudget;
    CollectReports(writer, reports);
    writer.OnFileScanStatus = [&](TZipCommon&, const std::string& name, int32_t, int64_t) {
        for (const std::string& gone : vanish) {
            if (fs::path(gone).filename() == name)
                fs::remove(scratch / gone);
        }
    };
    EXPECT_GT(writer.Compress(), 0);
    EXPECT_EQ(CountTempFiles(scratch / "tmp"), 0u);
    return ReadFileBytes(writer.ArchiveFile());
}

TEST(CodeAheadTest, TheArchiveIsTheSameForAnyNumberOfThreads) {
    TempFolder scratch;
    MakeFolder(scratch);
    struct Route {
        const char* name;
        std::function<std::unique_ptr<TCustomCClass>()> make;
    };
    const Route routes[] = {
        {"BH deflate", [] { return std::make_unique<TBhWriter>(); }},
        {"BH Fuse",
         [] {
             auto writer = std::make_unique<TBhWriter>();
             writer->SetCompressMethod(cmFuse);
             return writer;
         }},
        {"ZIP", [] { return std::make_unique<TZip>(); }},
    };
    for (const Route& route : routes) {
        SCOPED_TRACE(route.name);
        std::vector<uint8_t> one;
        for (int threads : {1, 2, 4}) {
            std::vector<Report> reports;
            auto writer = route.make();
            const auto bytes = Pack(*writer, scratch, threads, reports);
            EXPECT_TRUE(reports.empty()) << reports[0].code << " " << reports[0].fileName;
            if (threads == 1) {
                one = bytes;
            } else {
                EXPECT_TRUE(bytes == one) << threads << " threads wrote other bytes";
            }
        }
        if (std::string(route.name) != "ZIP") {
            EXPECT_EQ(ReadBhArchive(scratch / "out4.arc").size(), 48u);
        }
    }
}

TEST(CodeAheadTest, AnEntryThatFailsAheadIsReportedOnceInItsTurn) {
    TempFolder scratch;
    MakeFolder(scratch);
    std::vector<Report> reports;
    TBhWriter writer;
    std::vector<int> progress;
    writer.OnProgress = [&](TZipCommon&, uint8_t, uint8_t byArchive) {
        progress.push_back(byArchive);
    };
    Pack(writer, scratch, 4, reports, {"src/many/f3.txt", "src/z.txt"});
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].fileName, scratch / "src/many/f3.txt");
    EXPECT_EQ(reports[1].fileName, scratch / "src/z.txt");
    for (const Report& report : reports)
        EXPECT_EQ(report.code, kErrOpeningFile);
    EXPECT_EQ(ReadBhArchive(scratch / "out4.arc").size(), 46u);
    // Progress comes from the writing side, in entry order.
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
}

TEST(CodeAheadTest, ACancelAtAnyMomentLeavesTheOldArchive) {
    TempFolder scratch;
    MakeFolder(scratch);
    std::vector<Report> reports;
    TBhWriter first;
    const auto old = Pack(first, scratch, 4, reports);
    scratch.WriteFile("src/new.txt", "added");
    const unsigned seed = std::random_device{}();
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    for (int round = 0; round < 12; ++round) {
        const int stopAt = static_cast<int>(random() % 60);
        SCOPED_TRACE("stop at progress call " + std::to_string(stopAt));
        TBhWriter writer;
        ConfigureLikeJob(writer, scratch / "src", scratch / "out4.arc");
        writer.SetTempDir(scratch / "tmp");
        writer.CodingThreads = 4;
        writer.CodeAheadBudget = kBudget;
        // 0: the request comes before the run, and is not lost.
        tolvane::platform::CancelToken cancel;
        writer.SetCancelToken(&cancel);
        if (stopAt == 0)
            cancel.Request();
        int calls = 0;
        writer.OnProgress = [&](TZipCommon&, uint8_t, uint8_t) {
            if (++calls == stopAt)
                cancel.Request();
        };
        writer.Compress();
        if (stopAt == 0) {
            EXPECT_TRUE(writer.Cancelled());
        }
        if (writer.Cancelled()) {
            EXPECT_EQ(ReadFileBytes(scratch / "out4.arc"), old);
        }
        EXPECT_EQ(CountTempFiles(scratch / "tmp"), 0u);
        if (!writer.Cancelled())
            break; // the run got through: the archive is the new one from here on
    }
}

// The workers get their tasks a window at a time, so that a list of any
// length costs them the same memory; entries the writer passes over are dropped.
TEST(CodeAheadTest, TasksArePlannedAWindowAheadAndTakenInListOrder) {
    TempFolder scratch;
    constexpr size_t kFiles = 60;
    constexpr size_t kWindow = 6;
    std::vector<std::string> texts;
    for (size_t i = 0; i < kFiles; ++i) {
        texts.push_back(Text(100 + i * 997, static_cast<uint32_t>(i)));
        scratch.WriteFile("f" + std::to_string(i), texts.back());
    }
    size_t planned = 0;
    auto source = [&](CodeAhead::Task& task) {
        if (planned == kFiles)
            return false;
        EntryPlan plan;
        plan.path = scratch / ("f" + std::to_string(planned));
        plan.stage = CodingStage::Store;
        const auto size = static_cast<int64_t>(texts[planned].size());
        task = {planned * 2, plan, CodeAhead::ReserveFor(size), planned % 5 == 4};
        ++planned;
        return true;
    };
    CodeAhead ahead(source, kWindow, 3, 64 << 10, 64 << 10, scratch.MakeFolder("tmp"), {}, "");
    EXPECT_LE(planned, kWindow);
    for (size_t i = 0; i < kFiles; ++i) {
        if (i % 7 == 3)
            continue; // passed over: dropped once a later entry is asked for
        SCOPED_TRACE("file " + std::to_string(i));
        if (i > 0) {
            EXPECT_FALSE(ahead.Has(i * 2 - 1));
        }
        ASSERT_TRUE(ahead.Has(i * 2));
        auto coded = ahead.Take(i * 2, [](int64_t) {});
        ASSERT_EQ(coded->result.state, EntryResult::State::Coded);
        std::string bytes(
            static_cast<size_t>(coded->spill ? coded->spill->Size() : coded->bytes.Size()), '\0');
        if (coded->spill) {
            coded->spill->SetPosition(0);
            coded->spill->ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        } else {
            std::copy_n(coded->bytes.Data(), bytes.size(), bytes.begin());
        }
        EXPECT_EQ(bytes, texts[i]);
        EXPECT_LE(planned, i + 1 + kWindow);
    }
    EXPECT_FALSE(ahead.Has(kFiles * 2));
    EXPECT_EQ(CountTempFiles(scratch / "tmp"), 0u);
}

} // namespace
