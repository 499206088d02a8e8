// The width a progress line is drawn to when the output is no terminal.
#include "platform/File.h"
#include "platform/Terminal.h"

#include "support/EnvironmentGuard.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace tolvane::platform {
namespace {

TEST(TerminalColumnsTest, AFileTakesItsWidthFromColumnsWhenThatIsOne) {
    test::TempFolder scratch;
    const File file(scratch.WriteFile("out.txt", ""), File::Mode::Read);
    EXPECT_FALSE(WindowColumns(file.Descriptor()));
    const std::pair<const char*, int> cases[] = {{"132", 132},  {"9999", 9999}, {"100abc", 100},
                                                 {"10000", 80}, {"0", 80},      {"wide", 80},
                                                 {nullptr, 80}};
    for (const auto& [columns, expected] : cases) {
        const test::EnvironmentGuard environment({{"COLUMNS", columns}});
        EXPECT_EQ(TerminalColumns(file.Descriptor()), expected) << (columns ? columns : "unset");
    }
}

} // namespace
} // namespace tolvane::platform
