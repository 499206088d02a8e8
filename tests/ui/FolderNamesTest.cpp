// The folder a job takes from an argument, and the save dialog's place and
// name for its ZIP, for Windows and POSIX paths.
#include "ui/FolderNames.h"

#include <gtest/gtest.h>

using namespace tolvane::ui;

namespace {

// The folder the job takes, and the save dialog's place and name for it.
TEST(FolderNames, FolderNameAndParent) {
    struct Case {
        const char* argument;
        const char* current;
        const char* folder;
        const char* name;
        const char* parent;
    };
    const Case cases[] = {
        {"C:\\Users\\ann\\Docs\\", "C:\\x", "C:\\Users\\ann\\Docs", "Docs", "C:\\Users\\ann"},
        {"samples\\sample-folder", "Z:\\work", "Z:\\work\\samples\\sample-folder", "sample-folder",
         "Z:\\work\\samples"},
        {"C:\\Docs", "C:\\x", "C:\\Docs", "Docs", "C:\\"},
        {"D:\\", "C:\\x", "D:\\", "D", "D:\\"},
        {"/home/ann/Docs//", "/tmp", "/home/ann/Docs", "Docs", "/home/ann"},
        {"Docs", "/home/ann/", "/home/ann/Docs", "Docs", "/home/ann"},
        {"/Docs", "/tmp", "/Docs", "Docs", "/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argument);
        const std::string folder = FolderOf(c.argument, c.current);
        EXPECT_EQ(folder, c.folder);
        EXPECT_EQ(LastComponent(folder), c.name);
        EXPECT_EQ(ParentFolder(folder), c.parent);
    }
}

} // namespace
