#include "text/strings.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace vortane {
namespace {

TEST(CatalogueLine, ShiftKeepsTextBytesAwayFromLineAndEndBytes) {
    const std::set<unsigned char> Forbidden = {10, 13, 0, 26};
    std::string TextBytes = "\t";
    for (int Byte = 32; Byte <= 126; ++Byte)
        TextBytes.push_back(static_cast<char>(Byte));
    for (int Byte = 192; Byte <= 255; ++Byte)
        if (Byte != 215 && Byte != 247)
            TextBytes.push_back(static_cast<char>(Byte));
    const std::string Stored = EncodeCatalogueLine(TextBytes);
    ASSERT_EQ(Stored.size(), TextBytes.size());
    for (std::size_t I = 0; I < Stored.size(); ++I) {
        const auto StoredByte = static_cast<unsigned char>(Stored[I]);
        EXPECT_EQ(Forbidden.count(StoredByte), 0u) << "text byte " << int(static_cast<unsigned char>(TextBytes[I]));
        EXPECT_EQ(StoredByte, static_cast<unsigned char>((static_cast<unsigned char>(TextBytes[I]) + CatalogueShift) % 256));
    }
}

TEST(CatalogueLine, DecodeUndoesEncodeForEveryByte) {
    std::string All;
    for (int Byte = 0; Byte < 256; ++Byte)
        All.push_back(static_cast<char>(Byte));
    EXPECT_EQ(DecodeCatalogueLine(EncodeCatalogueLine(All)), All);
    EXPECT_EQ(EncodeCatalogueLine(DecodeCatalogueLine(All)), All);
    EXPECT_NE(EncodeCatalogueLine("WE"), "WE");
    EXPECT_EQ(DecodeCatalogueLine(""), "");
}

TEST(Trim, RemovesSpacesAndTabsAtTheEnds) {
    struct TCase {
        std::string Text, Left, Right, Both;
    };
    const std::vector<TCase> Cases = {
        {" \ta b\t ", "a b\t ", " \ta b", "a b"},
        {"abc", "abc", "abc", "abc"},
        {"", "", "", ""},
        {"  \t", "\t", "", ""},           // blanks only: the left trim keeps the last one
        {"\n x \r", "\n x \r", "\n x \r", "\n x \r"}, // only spaces and TABs are blanks
    };
    for (const TCase& Case : Cases) {
        EXPECT_EQ(TrimLeftBlanks(Case.Text), Case.Left) << ::testing::PrintToString(Case.Text);
        EXPECT_EQ(TrimRightBlanks(Case.Text), Case.Right) << ::testing::PrintToString(Case.Text);
        EXPECT_EQ(TrimBlanks(Case.Text), Case.Both) << ::testing::PrintToString(Case.Text);
    }
    // Long texts (paths, numbers) are never cut short.
    const std::string Long = std::string(400, 'p');
    EXPECT_EQ(TrimBlanks("  " + Long + "  "), Long);
}

} // namespace
} // namespace vortane
