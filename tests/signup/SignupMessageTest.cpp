// The sign-up mail's text: date format, header folding and the body rows
// around the fields (the whole text is checked as a server receives it).
#include "signup/SignupMessage.h"

#include "support/SignupFixtures.h"

#include <gtest/gtest.h>

using namespace tolvane;
using namespace tolvane::test;
using Lines = std::vector<std::string>;

namespace {

TEST(SignupMessageTest, DateFormat) {
    const std::pair<signup::LocalTime, const char*> cases[] = {
        {TestTime(), "Sun, 5 Jan 2025 09:03:07 +0100"},
        {{2024, 12, 31, 2, 23, 59, 59, -210}, "Tue, 31 Dec 2024 23:59:59 -0330"},
        {{2023, 7, 14, 5, 0, 0, 0, 0}, "Fri, 14 Jul 2023 00:00:00 +0000"},
        {{2030, 2, 28, 4, 12, 30, 5, 345}, "Thu, 28 Feb 2030 12:30:05 +0545"},
    };
    for (const auto& [time, text] : cases)
        EXPECT_EQ(signup::FormatMailDate(time), text);
}

TEST(SignupMessageTest, HeaderFolding) {
    const std::string a(40, 'a'), b(40, 'b'), c(90, 'c');
    const std::pair<std::string, Lines> cases[] = {
        // 78 characters stay whole.
        {"To: " + std::string(74, 'x'), {"To: " + std::string(74, 'x')}},
        // At the blank after the comma; the blank leads the continuation.
        {"To: " + a + "@x, " + b + "@y", {"To: " + a + "@x,", " " + b + "@y"}},
        // Just after a comma with no blank; at a tab.
        {"To: " + a + "," + b, {"To: " + a + ",", " " + b}},
        {"X: " + a + "\t" + b, {"X: " + a, " " + b}},
        // The last break point within 78 wins; no break point: left long.
        {"X: " + a.substr(20) + " " + b.substr(20) + " " + a,
         {"X: " + a.substr(20) + " " + b.substr(20), " " + a}},
        {"X: " + c, {"X: " + c}},
    };
    for (const auto& [line, folded] : cases)
        EXPECT_EQ(signup::FoldHeaderLine(line), folded) << line;
}

TEST(SignupMessageTest, BodyRowsAroundTheFields) {
    const auto mail = TestMailSettings(26);
    // No web site: two blanks in row 8, "website :" in row 11.
    auto body = signup::SignupBody({"N", "E", "", ""}, mail);
    ASSERT_EQ(body.size(), 20u);
    EXPECT_EQ(body[7],
              "This is a new affiliate of Tolvane/Quorvel project. He wants to monetize the "
              "downloads on  with Quorvel (using Tolvane software).");
    EXPECT_EQ(body[10], "Short description of website :");
    EXPECT_EQ(body[11], ""); // the empty description is one empty line
    EXPECT_EQ(body[12], "");
    // Three description lines, whatever their line ends, fill rows 12 to 14.
    body = signup::SignupBody({"N", "E", "w", "one\r\ntwo\nthree"}, mail);
    ASSERT_EQ(body.size(), 22u);
    EXPECT_EQ(Lines(body.begin() + 10, body.begin() + 15),
              (Lines{"Short description of website w:", "one", "two", "three", ""}));
}

} // namespace
