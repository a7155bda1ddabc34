#include "text/tokenizer.hpp"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using namespace std::string_literals;

namespace vortane {
namespace {

std::vector<std::string> Tokens(const std::string& Text, std::string_view Delimiters, int Count) {
    SetParseText(Text);
    std::vector<std::string> Result;
    for (int I = 0; I < Count; ++I)
        Result.push_back(NextToken(Delimiters));
    return Result;
}

TEST(Tokenizer, SkipsLeadingDelimitersAndMergesRuns) {
    struct TCase {
        std::string Text;
        std::string Delimiters;
        std::vector<std::string> Expected;
    };
    const std::vector<TCase> Cases = {
        {"\ta\t\tb", "\t", {"a", "b", "", ""}},
        {"WE,6378137;298.257", ",;", {"WE", "6378137", "298.257", ""}},
        {"", " ", {"", ""}},
        {"   ", " ", {"", ""}},
        {"single", " ", {"single", ""}},
        {"a\0b c"s, " ", {"a\0b"s, "c", ""}},
    };
    for (const TCase& Case : Cases)
        EXPECT_EQ(Tokens(Case.Text, Case.Delimiters, static_cast<int>(Case.Expected.size())), Case.Expected)
            << Case.Text;
}

TEST(Tokenizer, CursorStandsOnePastTheEndingDelimiterAndMayStepBack) {
    SetParseText("12N 5E");
    EXPECT_EQ(ParseCursor(), 1);
    EXPECT_EQ(NextToken("NS"), "12");
    EXPECT_EQ(ParseCursor(), 4);
    // Step back to re-read the hemisphere letter that ended the token.
    SetParseCursor(ParseCursor() - 1);
    EXPECT_EQ(NextToken(" "), "N");
    EXPECT_EQ(NextToken(" "), "5E");
    EXPECT_EQ(NextToken(" "), "");
    EXPECT_EQ(NextToken(" "), "");
    EXPECT_EQ(ParseCursor(), 8); // stays one past the end however often it is asked
    SetParseCursor(-5);
    EXPECT_EQ(NextToken(" "), "12N");
}

TEST(Tokenizer, EachThreadParsesItsOwnText) {
    SetParseText("main thread");
    std::string Other;
    std::thread([&] {
        SetParseText("worker line");
        Other = NextToken(" ");
        Other += NextToken(" ");
    }).join();
    EXPECT_EQ(Other, "workerline");
    EXPECT_EQ(NextToken(" "), "main");
}

} // namespace
} // namespace vortane
