// Replacing an archive that a reader (a virus scanner, an unzip) holds open:
// the commit goes through, the reader keeps reading the old bytes, and the
// name opens the new ones.
#include "platform/File.h"
#include "platform/PendingFile.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace tolvane::platform {
namespace {

std::string ReadAll(File& file) {
    std::string text(64, '\0');
    const int64_t got = file.Read(text.data(), text.size());
    text.resize(got < 0 ? 0 : static_cast<size_t>(got));
    return text;
}

TEST(OpenReaderReplaceTest, ACommitReplacesAFileThatIsOpenForReading) {
    test::TempFolder scratch;
    const std::string target = scratch.WriteFile("Book.zip", "old archive");
    File reader(target, File::Mode::Read);
    ASSERT_TRUE(reader.IsOpen()) << reader.LastError();

    PendingFile pending(scratch.Path(), "Book");
    ASSERT_TRUE(pending.IsOpen()) << pending.Error();
    ASSERT_EQ(pending.Handle().Write("new archive!", 12), 12);
    EXPECT_EQ(pending.CommitTo(target, 0644), 0);

    EXPECT_EQ(ReadAll(reader), "old archive");
    File again(target, File::Mode::Read);
    ASSERT_TRUE(again.IsOpen());
    EXPECT_EQ(ReadAll(again), "new archive!");
    EXPECT_EQ(test::ReadFileText(target), "new archive!");
}

} // namespace
} // namespace tolvane::platform
