// Part-file names: the writing process read back, and no other form taken.
#include "platform/PartFiles.h"

#include "platform/ProcessExists.h"

#include <gtest/gtest.h>

namespace tolvane::platform {
namespace {

TEST(PartFiles, ANewNameNamesThisProcessAndNoOtherFormIsTaken) {
    const std::string name = NewPartFileName();
    EXPECT_EQ(PartFileWriter(name), CurrentProcessId()) << name;
    EXPECT_NE(NewPartFileName(), name);
    for (const char* other :
         {".tolvane-12-0123456789abcdef.part.txt", "tolvane-12-0123456789abcdef.part",
          ".tolvane--0123456789abcdef.part", ".tolvane-1x-0123456789abcdef.part",
          ".tolvane-12345678901-0123456789abcdef.part", ".tolvane-12-0123456789abcdeg.part",
          ".tolvane-12-.part"})
        EXPECT_EQ(PartFileWriter(other), std::nullopt) << other;
    EXPECT_EQ(PartFileWriter(".tolvane-12-0123456789abcdef.part"), 12);
}

} // namespace
} // namespace tolvane::platform
