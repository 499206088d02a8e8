// The META tag rules of the update page, one page excerpt per row.
#include "update/ParseInfo.h"

#include <gtest/gtest.h>

using namespace tolvane::update;

namespace {

struct Row {
    std::vector<std::string> lines;
    std::string product, version;
};

class ParseInfoTable : public ::testing::TestWithParam<Row> {};

const std::string kLongValue(254, 'v');

INSTANTIATE_TEST_SUITE_P(
    Pages, ParseInfoTable,
    ::testing::Values(
        Row{{R"(<META NAME="upProduct" CONTENT="Tolvane">)",
             R"(<META NAME="upVersion" CONTENT="1.1">)"},
            "Tolvane",
            "1.1"},
        // NAME must be upper case; CONTENT may be written in any case.
        Row{{R"(<meta name="upVersion" content="1.1">)"}, "", ""},
        Row{{R"(<META name="upVersion" CONTENT="1.1">)"}, "", ""},
        Row{{R"(<META NAME="upVersion" content="2.0">)"}, "", "2.0"},
        Row{{R"(<META NAME="upVersion" CoNtEnT="2.0">)"}, "", "2.0"},
        // Tag names are case-sensitive; the name starts right after `="`.
        Row{{R"(<META NAME="UPVERSION" CONTENT="3">)"}, "", ""},
        Row{{R"(<META NAME = "upVersion" CONTENT="3">)"}, "", ""},
        // A later line overwrites, even with an empty content.
        Row{{R"(<META NAME="upVersion" CONTENT="1">)", R"(<META NAME="upVersion" CONTENT="2">)"},
            "",
            "2"},
        Row{{R"(<META NAME="upVersion" CONTENT="1">)", R"(<META NAME="upVersion" CONTENT="">)"},
            "",
            ""},
        // One tag per line: the first NAME and the first CONTENT count.
        Row{{R"(<META NAME="upProduct" CONTENT="A"><META NAME="upVersion" CONTENT="B">)"}, "A", ""},
        // The closing quote is searched within 255 characters.
        Row{{R"(<META NAME="upVersion" CONTENT=")" + kLongValue + R"(">)"}, "", kLongValue},
        Row{{R"(<META NAME="upVersion" CONTENT=")" + kLongValue + R"(x">)"}, "", ""},
        Row{{R"(<META NAME="upVersion)" + std::string(250, ' ') + R"(" CONTENT="1">)"}, "", ""},
        Row{{R"(<META NAME="upVersion">)"}, "", ""}));

TEST_P(ParseInfoTable, ReadsTheTags) {
    const TUpdateInfoValues values = ParseInfo(GetParam().lines, TUpdateTagInfo{});
    EXPECT_EQ(values.Product, GetParam().product);
    EXPECT_EQ(values.Version, GetParam().version);
}

TEST(ParseInfo, FillsAllEightValuesFromTheirTags) {
    std::vector<std::string> lines;
    for (const char* tag : {"upProduct", "upClientSideName", "upVersion", "upAuthor", "upEmail",
                            "upDownload", "upRedirection", "upRunParameters"})
        lines.push_back(std::string("<META NAME=\"") + tag + "\" CONTENT=\"" + tag + "!\">");
    const TUpdateInfoValues v = ParseInfo(lines, TUpdateTagInfo{});
    EXPECT_EQ(std::vector<std::string>({v.Product, v.ClientFileName, v.Version, v.Author, v.Email,
                                        v.Download, v.Redirection, v.RunParameters}),
              std::vector<std::string>({"upProduct!", "upClientSideName!", "upVersion!",
                                        "upAuthor!", "upEmail!", "upDownload!", "upRedirection!",
                                        "upRunParameters!"}));
}

TEST(SplitLines, BreaksAtCrLfLfAndCr) {
    EXPECT_EQ(SplitLines("a\r\nb\rc\nd\n"), std::vector<std::string>({"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\n\nb"), std::vector<std::string>({"a", "", "b"}));
}

} // namespace
