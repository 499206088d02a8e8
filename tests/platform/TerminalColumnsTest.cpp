// The width a progress line is drawn to when the output is no terminal.
#include "platform/File.h"
#include "platform/Terminal.h"

#include "support/EnvironmentGuard.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace tolvane::platform {
namespace {

TEST(TerminalColumnsTest, AFileHasNoWindowAndTakesColumnsFromTheEnvironment) {
    test::TempFolder scratch;
    File file(scratch.WriteFile("out.txt", ""), File::Mode::ReadWrite);
    ASSERT_TRUE(file.IsOpen());
    EXPECT_FALSE(WindowColumns(file.Descriptor()));
    struct Case {
        const char* columns; // nullptr: unset
        int expected;
    };
    const Case cases[] = {
        {"132", 132}, {"1", 1},   {"9999", 9999}, {"100abc", 100}, {" 72", 72},   {"10000", 80},
        {"0", 80},    {"-5", 80}, {"wide", 80},   {"", 80},        {nullptr, 80},
    };
    for (const Case& c : cases) {
        const test::EnvironmentGuard environment({{"COLUMNS", c.columns}});
        EXPECT_EQ(TerminalColumns(file.Descriptor()), c.expected)
            << (c.columns ? c.columns : "(unset)");
    }
}

} // namespace
} // namespace tolvane::platform
