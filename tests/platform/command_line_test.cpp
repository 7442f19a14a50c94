#include "platform/command_line.h"

#include <gtest/gtest.h>

using namespace zr::platform;
using Args = std::vector<std::string>;

TEST(SplitCommandLine, ProgramNameKeepsBackslashesAndDropsQuotes)
{
    EXPECT_EQ(SplitCommandLine(R"("C:\Program Files\viewer.exe" file.txt)"),
              (Args{R"(C:\Program Files\viewer.exe)", "file.txt"}));
    EXPECT_EQ(SplitCommandLine(R"(  prog\"x y)"), (Args{R"(prog\x y)"})) << "no escapes in the program name";
    EXPECT_EQ(SplitCommandLine("   \t "), Args{});
}

TEST(SplitCommandLine, BackslashAndQuoteRulesOfLaterArguments)
{
    EXPECT_EQ(SplitCommandLine(R"(p "a b c" d e)"), (Args{"p", "a b c", "d", "e"}));
    EXPECT_EQ(SplitCommandLine(R"(p "ab\"c" "\\" d)"), (Args{"p", R"(ab"c)", R"(\)", "d"}));
    EXPECT_EQ(SplitCommandLine(R"(p a\\\b d"e f"g h)"), (Args{"p", R"(a\\\b)", "de fg", "h"}));
    EXPECT_EQ(SplitCommandLine(R"(p a\\\"b c d)"), (Args{"p", R"(a\"b)", "c", "d"}));
    EXPECT_EQ(SplitCommandLine(R"(p a\\\\"b c" d e)"), (Args{"p", R"(a\\b c)", "d", "e"}));
    EXPECT_EQ(SplitCommandLine(R"(p a"b"" c d)"), (Args{"p", R"(ab" c d)"}))
        << "\"\" inside quotes is a quote";
    EXPECT_EQ(SplitCommandLine(R"(p "" "x")"), (Args{"p", "", "x"})) << "an empty quoted argument counts";
    EXPECT_EQ(SplitCommandLine("p \"unterminated arg"), (Args{"p", "unterminated arg"}));
    EXPECT_EQ(SplitCommandLine("p /f:\"日本 語.txt\" +12"), (Args{"p", "/f:日本 語.txt", "+12"}));
}

TEST(QuoteCommandLineArgument, RoundTripsThroughSplit)
{
    const Args tricky{"plain",           "",          "two words", R"(ends\)", R"(with "quote")",
                      R"(slash\"quote)", R"(x\\ y\\)"};
    std::string line = "prog";
    for (const std::string &arg : tricky)
        line += " " + QuoteCommandLineArgument(arg);
    Args expected{"prog"};
    expected.insert(expected.end(), tricky.begin(), tricky.end());
    EXPECT_EQ(SplitCommandLine(line), expected);
    EXPECT_EQ(QuoteCommandLineArgument("plain"), "plain");
}
