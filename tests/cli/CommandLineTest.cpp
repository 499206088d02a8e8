// The option parser every command shares, and the nearest-word suggestion.
#include "cli/CommandLine.h"
#include "cli/Suggestion.h"

#include <gtest/gtest.h>

#include <array>

namespace tolvane::cli {
namespace {

CommandLine Parse(const std::vector<std::string>& args) {
    return ParseCommandLine(args,
                            {{"output", 'o', true}, {"level", 0, true}, {"verify", 0, false}});
}

// Options and operands as one line: "output=x verify= | a b".
std::string Summary(const CommandLine& line) {
    std::string text;
    for (const auto& option : line.options)
        text += std::string(option.name) + "=" + option.value + " ";
    text += "|";
    for (const auto& operand : line.operands)
        text += " " + operand;
    return text;
}

TEST(CommandLineTest, ValuesComeInEveryFormGetoptKnows) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"-o", "x", "a"}, "output=x | a"},
        {{"-ox", "a"}, "output=x | a"},
        {{"--output", "x", "a"}, "output=x | a"},
        {{"--output=x", "a"}, "output=x | a"},
        {{"--output=", "a"}, "output= | a"},
        {{"a", "--verify", "--level=X"}, "verify= level=X | a"},
        // A value is never read as an option, and "--" ends the options.
        {{"-o", "--verify", "a"}, "output=--verify | a"},
        {{"--", "-o", "--verify"}, "| -o --verify"},
        {{"-", "a"}, "| - a"},
        {{"-qo", "x"}, "output=x |"},
    };
    for (const auto& [args, expected] : cases) {
        const CommandLine line = Parse(args);
        EXPECT_EQ(line.problem, "") << expected;
        EXPECT_EQ(Summary(line), expected);
    }
}

TEST(CommandLineTest, CommonOptionsAndTheLastValueWins) {
    const CommandLine line = Parse({"-q", "-o", "x", "--output", "y", "-v", "--help"});
    EXPECT_TRUE(line.help);
    EXPECT_EQ(line.verbosity, Verbosity::Verbose);
    EXPECT_EQ(line.Value("output"), "y");
    EXPECT_FALSE(line.Has("level"));
}

TEST(CommandLineTest, ProblemsNameTheOptionAndSuggestTheNearest) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--lvel", "X"}, "unknown option '--lvel' (did you mean '--level'?)"},
        {{"--outptu=x"}, "unknown option '--outptu' (did you mean '--output'?)"},
        {{"--colour"}, "unknown option '--colour'"},
        {{"-x"}, "unknown option '-x'"},
        {{"a", "-o"}, "option '--output' needs a value"},
        {{"--verify=yes"}, "option '--verify' takes no value"},
        // The first problem is the one shown.
        {{"--nope", "-x"}, "unknown option '--nope'"},
    };
    for (const auto& [args, problem] : cases)
        EXPECT_EQ(Parse(args).problem, problem);
}

TEST(SuggestionTest, OnlyNearWordsAreSuggested) {
    constexpr std::array<std::string_view, 4> kWords = {"monetize", "list", "test", "extract"};
    const std::pair<const char*, const char*> cases[] = {
        {"monetiez", "monetize"},
        {"moneitze", "monetize"},
        {"lsit", "list"},
        {"ext", "extract"},
        {"tset", "test"},
        {"zzz", ""},
        {"x", ""},
    };
    for (const auto& [typed, nearest] : cases)
        EXPECT_EQ(NearestWord(typed, kWords), nearest) << typed;
}

} // namespace
} // namespace tolvane::cli
