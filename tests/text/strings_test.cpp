#include "text/strings.hpp"

#include "support/temp_dir.hpp"

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
        if (Byte != 215 && Byte != 247) TextBytes.push_back(static_cast<char>(Byte));
    const std::string Stored = EncodeCatalogueLine(TextBytes);
    ASSERT_EQ(Stored.size(), TextBytes.size());
    for (std::size_t I = 0; I < Stored.size(); ++I) {
        const auto StoredByte = static_cast<unsigned char>(Stored[I]);
        EXPECT_EQ(Forbidden.count(StoredByte), 0u)
            << "text byte " << int(static_cast<unsigned char>(TextBytes[I]));
        EXPECT_EQ(StoredByte, static_cast<unsigned char>(
                                  (static_cast<unsigned char>(TextBytes[I]) + CatalogueShift) % 256));
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
        {"  \t", "\t", "", ""},                       // blanks only: the left trim keeps the last one
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

namespace vortane {
namespace {

TEST(ShortenPath, KeepsTheFileNameAndCutsTheFolder) {
    struct TCase {
        std::string Path;
        int MaxLen;
        std::string Expected;
    };
    const std::vector<TCase> Cases = {
        {"/data/img.tif", 70, "/data/img.tif"},
        {"/data/img.tif", 13, "/data/img.tif"},
        {"/data/img.tif", 0, "/data/img.tif"},
        {"/data/img.tif", -3, "/data/img.tif"},
        {"/very/long/folder/name/img.tif", 20, "/very/lon.../img.tif"},
        {"/very/long/folder/name/img.tif", 12, "/.../img.tif"},
        // A name longer than the room left: everything cut to MaxLen.
        {"/a/b/averyveryverylongname.tif", 10, ".../averyv"},
        {"nofolder-but-long.tif", 8, ".../nofo"},
    };
    for (const TCase& Case : Cases)
        EXPECT_EQ(ShortenPath(Case.Path, Case.MaxLen), Case.Expected) << Case.Path << " " << Case.MaxLen;
}

TEST(DaysToHMS, RoundsSecondsHalfToEven) {
    struct TCase {
        double Days;
        std::string Expected;
    };
    const std::vector<TCase> Cases = {
        {1.5, "36:0:0"},
        {0.0, "0:0:0"},
        {(3600.0 + 5 * 60 + 9) / 86400.0, "1:5:9"},
        // Days as binary fractions, so that the seconds are exact halves.
        {1.0 / 256.0, "0:5:38"},  // 337.5 s
        {3.0 / 256.0, "0:16:52"}, // 1012.5 s
        {-1.0 / 256.0, "-0:5:38"},
        {1.0 / 131072.0, "0:0:1"}, // 0.66 s
        {-3661.0 / 86400.0, "-1:1:1"},
        {1000.0, "24000:0:0"},
    };
    for (const TCase& Case : Cases)
        EXPECT_EQ(DaysToHMS(Case.Days), Case.Expected) << Case.Days * 86400.0 << " s";
}

TEST(DaysToHMS, UnrepresentableDurationsGiveAPlaceholder) {
    for (double Days : {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                        std::numeric_limits<double>::quiet_NaN(), 1e300})
        EXPECT_EQ(DaysToHMS(Days), "--:--:--") << Days;
}

TEST(SmallHelpers, RemoveQuoteAndBits) {
    EXPECT_EQ(RemoveChar("1 234 567", ' '), "1234567");
    EXPECT_EQ(RemoveChar("a\0b\0"s, '\0'), "ab");
    EXPECT_EQ(RemoveChar("", 'x'), "");
    EXPECT_EQ(QuoteStr("C:/my file.tif"), "\"C:/my file.tif\"");
    EXPECT_EQ(QuoteStr("say \"hi\""), "say \"hi\"");
    EXPECT_EQ(QuoteStr(""), "\"\"");
    const std::uint8_t Value = 0b1000'0101;
    const std::vector<bool> Expected = {true, false, true, false, false, false, false, true};
    for (int N = 0; N < 8; ++N) {
        EXPECT_EQ(BitSet(Value, N), Expected[static_cast<std::size_t>(N)]) << N;
        EXPECT_EQ(BitSet(Value, N + 8), Expected[static_cast<std::size_t>(N)]) << N + 8;
    }
    EXPECT_TRUE(BitSet(Value, -1)); // -1 mod 8 is bit 7
}

TEST(ProgramDir, IsTheFolderOfThisExecutable) {
    const std::string Dir = ProgramDir();
    ASSERT_FALSE(Dir.empty());
    EXPECT_EQ(Dir.back(), '/');
    EXPECT_EQ(Dir + "tests_text", std::string(VORTANE_BINARY_DIR) + "/tests_text");
}

TEST(CatalogueFolder, IsBesideTheProgramThenTheInstalledDataFolder) {
    test::TTempDir Temp;
    const std::string Bin = Temp.Path("bin") + "/", Share = Temp.Path("share/vortane") + "/";
    std::filesystem::create_directories(Bin);
    std::filesystem::create_directories(Share);
    EXPECT_EQ(CatalogueFolderBeside(Bin), Bin); // nowhere: loading names the missing files beside it
    test::WriteText(Share + "Spher.dat", "");
    EXPECT_EQ(CatalogueFolderBeside(Bin), Bin + "../share/vortane/");
    test::WriteText(Bin + "Spher.dat", "");
    EXPECT_EQ(CatalogueFolderBeside(Bin), Bin);
}

} // namespace
} // namespace vortane
