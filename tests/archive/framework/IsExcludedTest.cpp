// ExcludeSpec test: name masks, folder entries taken from the root, case rules.
#include "archive/framework/ExcludeTest.h"

#include <gtest/gtest.h>

namespace tolvane::archive {
namespace {

struct ExcludeCase {
    std::vector<std::string> excludeSpec;
    const char* folder;
    const char* name;
    bool excluded;
};

const ExcludeCase kExcludeCases[] = {
    {{}, "/data/", "a.tmp", false},
    // Entries without a separator are masks on the file name, wherever it lies.
    {{"*.tmp"}, "/data/", "a.tmp", true},
    {{"*.tmp"}, "/data/deep/er/", "A.TMP", true},
    {{"*.tmp"}, "/data/", "a.tmp.txt", false},
    {{""}, "/data/", "a", false},
    // "*.*" is used as written: only names with a dot.
    {{"*.*"}, "/data/", "readme", false},
    {{"*.*"}, "/data/", "read.me", true},
    // Absolute folder entries: the file's folder must begin with the folder part.
    {{"/data/*.log"}, "/data/", "x.log", true},
    {{"/data/*.log"}, "/data/sub/", "x.log", true},
    {{"/data/*.log"}, "/data/", "x.txt", false},
    {{"/data/*.log"}, "/database/", "x.log", false},
    {{"/data/*.log"}, "/other/data/", "x.log", false},
    {{"/data/*.log"}, "/DATA/Sub/", "x.LOG", true},
    {{"/Data/*.log"}, "/data/", "x.log", true},
    // Relative entries are taken from the root.
    {{"temp/*.tmp"}, "/temp/", "x.tmp", true},
    {{"temp/*.tmp"}, "/temp/sub/", "x.tmp", true},
    {{"temp/*.tmp"}, "/data/temp/", "x.tmp", false},
    {{"Sub/a.txt"}, "/sub/", "a.txt", true},
    {{"sub/a.txt"}, "/sub/", "b.txt", false},
    // An empty name part matches no file.
    {{"/data/"}, "/data/", "a", false},
    {{"/data/*"}, "/data/", "a", true},
    {{"/*"}, "/anything/", "a", true},
    // Only A-Z are lowered.
    {{"/\xC3\x84/*"}, "/\xC3\xA4/", "a", false},
    {{"/\xC3\x84/*"}, "/\xC3\x84/", "a", true},
    // The first hit decides; later entries are still tried after a miss.
    {{"*.bak", "/x/*.txt"}, "/x/", "a.txt", true},
    {{"*.bak", "/x/*.txt"}, "/y/", "a.txt", false},
    {{"/x/*.txt", "*.bak"}, "/y/", "a.bak", true},
};

class ExcludeTable : public testing::TestWithParam<ExcludeCase> {};

TEST_P(ExcludeTable, GivesExpectedResult) {
    const ExcludeCase& c = GetParam();
    EXPECT_EQ(IsExcluded(c.excludeSpec, c.folder, c.name, "/root/"), c.excluded)
        << "folder " << c.folder << " name " << c.name << " first entry "
        << (c.excludeSpec.empty() ? "-" : c.excludeSpec.front());
}

INSTANTIATE_TEST_SUITE_P(IsExcluded, ExcludeTable, testing::ValuesIn(kExcludeCases));

TEST(IsExcluded, RootFolderDoesNotChangeRelativeEntries) {
    const std::vector<std::string> excludeSpec{"temp/*.tmp"};
    EXPECT_FALSE(IsExcluded(excludeSpec, "/root/temp/", "x.tmp", "/root/"));
    EXPECT_TRUE(IsExcluded(excludeSpec, "/temp/", "x.tmp", "/root/"));
}

} // namespace
} // namespace tolvane::archive
