// What a temporary file's name tells of its maker, and which files of a
// folder are a gone process's leftovers.
#include "platform/TempFileNames.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace tolvane::platform {
namespace {

TEST(TempFileNamesTest, WhatANameTellsOfItsMaker) {
    const std::map<std::string, std::optional<std::pair<uint64_t, uint64_t>>> cases = {
        {TempFileLead("tv", 123, 456) + TempFileRandom() + kTempFileExtension, {{123, 456}}},
        {"tv-7-0-XXXXXX.tmp", {{7, 0}}},
        {"tv-99999999999999999999999-1-abcdef.tmp", {{UINT64_MAX, 1}}},
        {"tv-0-456-abcdef.tmp", {}},
        {"tv-12a-456-abcdef.tmp", {}},
        {"tv-123-abcdef.tmp", {}},
        {"tv--456-abcdef.tmp", {}},
        {"tv-1-2-abcdef.tmpx", {}},
        {"tv-1-2-abc.tmp", {}},
        {"tw-1-2-abcdef.tmp", {}},
    };
    for (const auto& [name, expected] : cases) {
        const std::optional<TempFileMaker> maker = TempFileMakerOf(name, "tv");
        ASSERT_EQ(maker.has_value(), expected.has_value()) << name;
        if (maker) {
            EXPECT_EQ(std::make_pair(maker->pid, maker->start), *expected) << name;
        }
    }
}

TEST(TempFileNamesTest, LeftoversAreOfGoneProcessesOrOfAnIdNowReused) {
    test::TempFolder scratch;
    const std::map<uint64_t, uint64_t> running = {{10, 5}, {11, 6}, {12, 9}}; // ID: start
    const ProcessStartTime startOf = [&](uint64_t pid) -> std::optional<uint64_t> {
        const auto found = running.find(pid);
        return found == running.end() ? std::nullopt : std::optional<uint64_t>(found->second);
    };
    for (const char* name : {"tv-10-5-aaaaaa.tmp", "tv-11-5-bbbbbb.tmp", "tv-12-0-cccccc.tmp",
                             "tv-13-5-dddddd.tmp", "tv-13-5-eeeeee.txt", "xx-13-5-ffffff.tmp"})
        scratch.WriteFile(name, "");
    scratch.MakeFolder("tv-13-5-gggggg.tmp");
    const std::string folder = scratch.Path() + "/";
    const std::vector<std::string> stale = StaleTempFiles(folder, "tv", startOf);
    EXPECT_EQ(
        std::set<std::string>(stale.begin(), stale.end()),
        (std::set<std::string>{folder + "tv-11-5-bbbbbb.tmp", folder + "tv-13-5-dddddd.tmp"}));
}

} // namespace
} // namespace tolvane::platform
