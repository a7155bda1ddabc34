#include "raster/nog/nog_map.hpp"

#include "support/temp_dir.hpp"
#include "text/types.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace vortane {
namespace {

class NogTest : public test::TTempDirTest {
protected:
    // A record with the five texts at their offsets and Filler in every other byte.
    static std::string Record(const std::string& CellSize, const std::string& Rows,
                              const std::string& Columns, char Filler = '\x7F') {
        std::string Bytes(TNogHeader::RecordBytes, Filler);
        const auto Put = [&](std::size_t At, const std::string& Text) {
            Bytes.replace(At, Text.size() + 1, Text + '\0');
        };
        Put(187, CellSize);
        Put(289, "4100000.5");
        Put(340, "500000.25");
        Put(612, Rows);
        Put(629, Columns);
        return Bytes;
    }
};

TEST_F(NogTest, ReadsTheRecordAndMapsTheCellsBesideIt) {
    test::WriteText(Path("survey.001"), Record("2,5", "2", "3"));
    test::WriteBytes(Path("survey.002"), {1, 0, 0xFF, 0xFF, 3, 0, 4, 0, 5, 0, 6, 1});
    TNogMap2 Grid;
    ASSERT_TRUE(Grid.OpenMap(Path("survey.001"), 0, 0, ctUnsigned8, 1, omRead)) << Grid.ErrorText();
    EXPECT_EQ(Grid.FileName(), Path("survey.002"));
    EXPECT_EQ(Grid.GetCellSizeX(), 2.5);
    EXPECT_EQ(Grid.GetCellSizeY(), 2.5);
    EXPECT_EQ(Grid.GetRegEasting(), 500000.25);
    EXPECT_EQ(Grid.GetRegNorthing(), 4100000.5);
    EXPECT_EQ(Grid.GetCellType(), ctSigned16);
    float Value = 0;
    ASSERT_TRUE(Grid.ReadCell(1, 0, 0, Value));
    EXPECT_EQ(Value, -1.0f);
    ASSERT_TRUE(Grid.ReadCell(2, 1, 0, Value));
    EXPECT_EQ(Value, 262.0f);
}

TEST_F(NogTest, AWrittenRecordIsZeroBesideItsFiveTextsAndAReadOneIsCarriedThrough) {
    TNogHeader Fresh;
    Fresh.SetParams(50, 100, 1, ctSigned16, "", "", "", 2.5, 2.5, 0, 0, 500000, 4100000);
    ASSERT_TRUE(Fresh.WriteHeader(Path("fresh.001")));
    EXPECT_EQ(test::ReadText(Path("fresh.001")), Record("2.500", "50", "100", '\0')
                                                     .replace(289, 12, std::string("4100000.000\0", 12))
                                                     .replace(340, 11, std::string("500000.000\0", 11)));

    test::WriteText(Path("kept.001"), Record("2.5", "2", "3"));
    TNogHeader Kept;
    ASSERT_TRUE(Kept.ReadHeader(Path("kept.001")));
    Kept.FRows = 7;
    ASSERT_TRUE(Kept.WriteHeader(Path("kept.001")));
    const std::string Written = test::ReadText(Path("kept.001"));
    EXPECT_EQ(Written.substr(612, 3), std::string("7\0\x7F", 3));
    // Only the five rewritten texts with their zeros replace filler: 6 + 12 + 11 + 2 + 2 bytes.
    EXPECT_EQ(std::count(Written.begin(), Written.end(), '\x7F'), 1700 - 33);
}

TEST_F(NogTest, HeadersAndCellFilesThatDisagreeAreRefused) {
    const struct {
        const char* Name;
        std::string Header;
        std::size_t CellBytes;
        const char* Error; // empty: the header itself is refused
    } Cases[] = {
        {"short record", Record("2.5", "2", "3").substr(0, 1699), 12, ""},
        {"rows not an integer", Record("2.5", "2.0", "3"), 12, ""},
        {"columns missing", Record("2.5", "2", ""), 12, ""},
        {"cell file too short", Record("2.5", "2", "3"), 10, "holds 10 bytes"},
        {"absurd counts", Record("2.5", "2000000000", "2000000000"), 12, "holds 12 bytes"},
        {"negative rows", Record("2.5", "-2", "3"), 12, ""},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        test::WriteText(Path("bad.001"), Case.Header);
        test::WriteText(Path("bad.002"), std::string(Case.CellBytes, '\1'));
        TNogMap2 Grid;
        EXPECT_FALSE(Grid.OpenMap(Path("bad.001"), 0, 0, ctUnsigned8, 1, omRead));
        EXPECT_NE(Grid.ErrorText().find(*Case.Error ? Case.Error : "reading error"), std::string::npos)
            << Grid.ErrorText();
    }
}

} // namespace
} // namespace vortane
