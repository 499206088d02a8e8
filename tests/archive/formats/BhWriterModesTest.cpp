// The writer's other operation modes on BH archives: refresh, delete and move.
#include "archive/formats/BhWriter.h"

#include "support/EnvironmentGuard.h"
#include "support/TempFolder.h"
#include "support/WriterHarness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <utime.h>

namespace fs = std::filesystem;
using namespace tolvane;
using namespace tolvane::archive;
using namespace tolvane::test;

namespace {

class BhWriterModesTest : public ::testing::Test {
protected:
    void SetUp() override {
        source_ = scratch_.MakeFolder("src");
        work_ = scratch_.MakeFolder("work");
        archive_ = scratch_ / "out.bh";
        scratch_.WriteFile("src/a.txt", "first a");
        scratch_.WriteFile("src/b.txt", "first b");
        scratch_.WriteFile("src/c.txt", "first c");
        ASSERT_EQ(Run(swAdd), 3);
        reports_.clear();
    }

    int32_t Run(TSwitch mode, const std::function<void(TBhWriter&)>& adjust = {}) {
        TBhWriter writer;
        ConfigureLikeJob(writer, source_, archive_);
        writer.SetTempDir(work_);
        writer.Switch = mode;
        CollectReports(writer, reports_);
        if (adjust)
            adjust(writer);
        return writer.Compress();
    }

    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (const auto& e : ReadBhArchive(archive_))
            names.push_back(e.header.name + "=" + std::string(e.data.begin(), e.data.end()));
        return names;
    }

    static void Touch(const std::string& path, std::time_t when) {
        utimbuf times{when, when};
        ASSERT_EQ(utime(path.c_str(), &times), 0);
    }

    TempFolder scratch_;
    std::string source_, work_, archive_;
    std::vector<Report> reports_;
};

TEST_F(BhWriterModesTest, RefreshRecompressesOnlyNewerFilesAndAddsNothing) {
    Touch(scratch_.WriteFile("src/a.txt", "newer a"), std::time(nullptr) + 3600);
    Touch(scratch_.WriteFile("src/b.txt", "older b"), 1000000000);
    scratch_.WriteFile("src/d.txt", "not in the archive");
    EXPECT_EQ(Run(swRefresh), 1);
    EXPECT_EQ(Names(),
              (std::vector<std::string>{"a.txt=newer a", "b.txt=first b", "c.txt=first c"}));
}

TEST_F(BhWriterModesTest, RefreshOrDeleteOnAMissingArchiveIsNothingToDo) {
    fs::remove(archive_);
    for (auto mode : {swRefresh, swDelete}) {
        reports_.clear();
        EXPECT_EQ(Run(mode), 0);
        ASSERT_EQ(reports_.size(), 1u);
        EXPECT_EQ(reports_[0].code, kErrNothingToDoNoArchive);
        EXPECT_FALSE(fs::exists(archive_));
    }
}

TEST_F(BhWriterModesTest, DeleteRemovesTheSelectedEntries) {
    int deleted = 0;
    EXPECT_EQ(Run(swDelete,
                  [&](TBhWriter& w) {
                      w.SetFileSpec({"b.txt"});
                      w.OnDeleteFile = [&](TZipCommon&, const std::string& name, int32_t count,
                                           int32_t max) {
                          EXPECT_EQ(name, "b.txt");
                          EXPECT_EQ(count, 1);
                          EXPECT_EQ(max, 1);
                          ++deleted;
                      };
                  }),
              1);
    EXPECT_EQ(deleted, 1);
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.txt=first a", "c.txt=first c"}));
}

TEST_F(BhWriterModesTest, MoveSendsTheArchivedSourcesToTheTrash) {
    const std::string trashHome = scratch_.MakeFolder("data");
    EnvironmentGuard env({{"XDG_DATA_HOME", trashHome.c_str()}});
    scratch_.WriteFile("src/d.txt", "moved d");
    const int32_t result = Run(swMove);

    EXPECT_EQ(result, 1);
    EXPECT_TRUE(reports_.empty());
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.txt=first a", "b.txt=first b", "c.txt=first c",
                                                 "d.txt=moved d"}));
    // Every source whose entry is in the archive went to the trash, none was deleted outright.
    for (auto name : {"a.txt", "b.txt", "c.txt", "d.txt"}) {
        EXPECT_FALSE(fs::exists(source_ + "/" + name)) << name;
        EXPECT_TRUE(fs::exists(trashHome + "/Trash/files/" + name)) << name;
        EXPECT_TRUE(fs::exists(trashHome + "/Trash/info/" + std::string(name) + ".trashinfo"));
    }
}

} // namespace
