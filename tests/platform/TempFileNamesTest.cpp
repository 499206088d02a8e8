// The temporary files' names: what a name tells of its maker, and which files
// of a folder a process that is gone left behind.
#include "platform/TempFileNames.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <string>

namespace tolvane::platform {
namespace {

using test::TempFolder;

TEST(TempFileNamesTest, WhatANameTellsOfItsMaker) {
    constexpr uint64_t kNone = 0;
    constexpr uint64_t kHuge = std::numeric_limits<uint64_t>::max();
    struct Case {
        const char* name;
        uint64_t pid; // kNone: not a name of "tv"
        uint64_t start;
    };
    const Case cases[] = {
        {"tv-123-456-abcDE9.tmp", 123, 456},
        {"tv-7-0-XXXXXX.tmp", 7, 0},
        {"tv-99999999999999999999999-1-abcdef.tmp", kHuge, 1}, // too long for any ID
        {"tv-0-456-abcdef.tmp", kNone, 0},                     // no process has ID 0
        {"tv-12a-456-abcdef.tmp", kNone, 0},
        {"tv-123-45x-abcdef.tmp", kNone, 0},
        {"tv-123-abcdef.tmp", kNone, 0}, // no start time
        {"tv--456-abcdef.tmp", kNone, 0},
        {"tv-123-456-abcdef.txt", kNone, 0},
        {"tv-123-456-abcdef.tmpx", kNone, 0},
        {"tv-123-456-abc.tmp", kNone, 0}, // random part too short
        {"tw-123-456-abcdef.tmp", kNone, 0},
        {"tv123-456-abcdef.tmp", kNone, 0},
        {"tv-1-2-abcdef.tmp", 1, 2},
    };
    for (const Case& c : cases) {
        const std::optional<TempFileMaker> maker = TempFileMakerOf(c.name, "tv");
        if (c.pid == kNone) {
            EXPECT_FALSE(maker) << c.name;
            continue;
        }
        ASSERT_TRUE(maker) << c.name;
        EXPECT_EQ(maker->pid, c.pid) << c.name;
        EXPECT_EQ(maker->start, c.start) << c.name;
    }
}

TEST(TempFileNamesTest, AMadeNameIsReadBackWithARandomPartOfLettersAndDigits) {
    std::set<std::string> randoms;
    for (const auto& [pid, start] : {std::pair<uint64_t, uint64_t>{1, 0},
                                     {4242, 133456789012345678},
                                     {std::numeric_limits<uint32_t>::max(), 1}}) {
        const std::string random = TempFileRandom();
        ASSERT_EQ(random.size(), kTempFileRandomLength);
        EXPECT_TRUE(std::all_of(random.begin(), random.end(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c));
        })) << random;
        randoms.insert(random);
        const std::string name = TempFileLead("job", pid, start) + random + kTempFileExtension;
        const std::optional<TempFileMaker> maker = TempFileMakerOf(name, "job");
        ASSERT_TRUE(maker) << name;
        EXPECT_EQ(maker->pid, pid) << name;
        EXPECT_EQ(maker->start, start) << name;
        EXPECT_FALSE(TempFileMakerOf(name, "jo")) << name;
    }
    EXPECT_EQ(randoms.size(), 3u);
}

TEST(TempFileNamesTest, StaleFilesAreThoseOfProcessesThatAreGoneOrWhoseIdWasReused) {
    TempFolder scratch;
    // The processes that run: ID -> start time.
    const std::map<uint64_t, uint64_t> running = {{10, 5}, {11, 6}, {12, 9}};
    const ProcessStartTime startOf = [&](uint64_t pid) -> std::optional<uint64_t> {
        const auto found = running.find(pid);
        return found == running.end() ? std::nullopt : std::optional<uint64_t>(found->second);
    };
    scratch.WriteFile("tv-10-5-aaaaaa.tmp", "");    // its maker still runs
    scratch.WriteFile("tv-11-5-bbbbbb.tmp", "");    // another process has the ID now
    scratch.WriteFile("tv-12-0-cccccc.tmp", "");    // no start time: the ID alone decides
    scratch.WriteFile("tv-13-5-dddddd.tmp", "");    // its maker is gone
    scratch.WriteFile("tv-13-5-eeeeee.txt", "");    // not a temporary file
    scratch.WriteFile("other-13-5-ffffff.tmp", ""); // another prefix
    scratch.MakeFolder("tv-13-5-gggggg.tmp");       // a folder is never a leftover
    const std::string folder = scratch.Path() + "/";
    const std::vector<std::string> stale = StaleTempFiles(folder, "tv", startOf);
    EXPECT_EQ(
        std::set<std::string>(stale.begin(), stale.end()),
        (std::set<std::string>{folder + "tv-11-5-bbbbbb.tmp", folder + "tv-13-5-dddddd.tmp"}));
    EXPECT_TRUE(StaleTempFiles(scratch / "missing/", "tv", startOf).empty());
}

} // namespace
} // namespace tolvane::platform
