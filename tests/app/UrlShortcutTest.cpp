// Internet shortcut files: exact bytes of a new one, other lines kept.
#include "app/UrlShortcut.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace tolvane;
using namespace tolvane::test;

namespace {

TEST(UrlShortcutTest, ANewFileIsTheSectionAndTheKey) {
    TempFolder scratch;
    const std::string file = scratch / "Get it.URL";
    app::WriteUrlShortcut(file, "http://dl.example.com/index.php?ref=p_s");
    EXPECT_EQ(ReadFileText(file),
              "[InternetShortcut]\r\nURL=http://dl.example.com/index.php?ref=p_s\r\n");
}

TEST(UrlShortcutTest, AnExistingFileKeepsItsOtherLines) {
    TempFolder scratch;
    const std::string file = scratch.WriteFile(
        "a.URL", "[Other]\r\nURL=keep\r\n[InternetShortcut]\r\nIconIndex=0\r\nurl=old\r\n");
    app::WriteUrlShortcut(file, "http://new/");
    EXPECT_EQ(ReadFileText(file),
              "[Other]\r\nURL=keep\r\n[InternetShortcut]\r\nIconIndex=0\r\nURL=http://new/\r\n");

    const std::string noKey = scratch.WriteFile("b.URL", "[InternetShortcut]\nIconFile=x\n\n[Z]\n");
    app::WriteUrlShortcut(noKey, "http://n/");
    EXPECT_EQ(ReadFileText(noKey),
              "[InternetShortcut]\r\nIconFile=x\r\nURL=http://n/\r\n\r\n[Z]\r\n");
}

TEST(UrlShortcutTest, AFailureNamesTheFile) {
    TempFolder scratch;
    const std::string file = scratch / "missing/a.URL";
    try {
        app::WriteUrlShortcut(file, "http://x/");
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + file);
    }
}

} // namespace
