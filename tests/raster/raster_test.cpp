#include "raster/raster.hpp"

#include "raster/ers/ers_map.hpp"
#include "raster/header_text.hpp"
#include "support/calendar_time.hpp"
#include "support/temp_dir.hpp"
#include "text/types.hpp"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>

namespace vortane {
namespace {

using test::ReadText;
using test::WriteText;

// The smallest raster without a header: georeferencing in its own fields.
class TPlainRaster final : public TDataSetRoot2 {
public:
    bool OpenMap(const std::string&, std::int32_t, std::int32_t, std::uint8_t, std::int32_t,
                 std::uint8_t) override {
        return true;
    }
    bool OpenMapRead(const std::string&) override { return true; }
    std::int32_t GetBands() override { return 1; }
    std::int32_t GetRows() override { return 1; }
    std::int32_t GetColumns() override { return 1; }
    std::uint8_t GetCellType() override { return ctUnsigned8; }
    bool GetMSBFirst() override { return false; }
    void SetGeoreference(const std::string&, const std::string&, const std::string&, double CellSizeX,
                         double CellSizeY, double RegCellX, double RegCellY, double Easting,
                         double Northing) override {
        SetCellSizeX(CellSizeX);
        SetCellSizeY(CellSizeY);
        SetRegCellX(RegCellX);
        SetRegCellY(RegCellY);
        SetRegEasting(Easting);
        SetRegNorthing(Northing);
    }
};

TEST(RasterBase, AZeroCellSizeReadsAsOneWithoutAHeaderAndAsZeroWithOne) {
    TPlainRaster Plain;
    Plain.SetCellSizeX(0);
    Plain.SetCellSizeY(0);
    EXPECT_EQ(Plain.GetCellSizeX(), 1.0);
    EXPECT_EQ(Plain.GetCellSizeY(), 1.0);
    EXPECT_EQ(Plain.GetCoordType(), coRAW);
    EXPECT_EQ(Plain.GetProjection(), "RAW");

    TErsMap2 Headed;
    Headed.SetCellSizeX(0);
    Headed.SetCellSizeY(0);
    EXPECT_EQ(Headed.GetCellSizeX(), 0.0);
    EXPECT_EQ(Headed.GetCellSizeY(), 0.0);
}

TEST(RasterBase, OriginAndCellMapConversionsFollowTheRegistrationPoint) {
    TErsMap2 Headed;
    Headed.SetGeoreference("S", "D", "P", 2, 3, 10, 20, 1000, 5000);
    TPlainRaster Plain;
    Plain.SetGeoreference("S", "D", "P", 2, 3, 10, 20, 1000, 5000);
    for (TDataSetRoot2* Raster : std::initializer_list<TDataSetRoot2*>{&Headed, &Plain}) {
        EXPECT_EQ(Raster->GetOriginX(), 980);
        EXPECT_EQ(Raster->GetOriginY(), 5060);
        double X = 0, Y = 0, Col = -1, Row = -1;
        Raster->CellToMap(0, 0, X, Y);
        EXPECT_EQ(X, 980);
        EXPECT_EQ(Y, 5060);
        Raster->MapToCell(X, Y, Col, Row);
        EXPECT_EQ(Col, 0);
        EXPECT_EQ(Row, 0);
        Raster->MapToCell(980 + 2, 5060 - 3, Col, Row);
        EXPECT_EQ(Col, 1);
        EXPECT_EQ(Row, 1);
        Raster->CellToMap(-4.5, 7.25, X, Y); // no clipping outside the raster
        EXPECT_EQ(X, 971);
        EXPECT_EQ(Y, 5038.25);
    }
}

TEST(RasterBase, ControlPointListsAreOwnedAndReplaceable) {
    TPlainRaster Plain;
    EXPECT_EQ(Plain.GetControlPoints(), nullptr);
    auto List = std::make_unique<TGCPList>();
    List->AddFromLine("P1 Yes 1 2 3 4 5");
    TGCPList* Given = List.get();
    Plain.SetControlPoints(std::move(List));
    EXPECT_EQ(Plain.GetControlPoints(), Given);

    TErsMap2 Headed;
    ASSERT_NE(Headed.GetControlPoints(), nullptr);
    EXPECT_EQ(Headed.GetControlPoints()->Count(), 0);
}

// Every header number must read back as the same double.
TEST(HeaderNumbers, ThreeDecimalsWhenTheyReadBackOtherwiseAsManyAsNeeded) {
    const std::vector<std::pair<double, std::string>> Cases = {
        {0.5, "0.500"},
        {500000, "500000.000"},
        {-2.25, "-2.250"},
        {0, "0.000"},
        {0.000001, "0.000001"},
        {12.3456, "12.3456"},
        {4100000.125, "4100000.125"},
        {1e-20, "0.00000000000000000001"},
    };
    for (const auto& [Value, Expected] : Cases)
        EXPECT_EQ(HeaderNumberText(Value), Expected) << Value;

    for (double Value :
         {1.0 / 3, 0.1, 1e-7 * 3.3, 1e300, -4.9e-324, M_PI / 180 / 3600, 123456789.123456789}) {
        const std::string Text = HeaderNumberText(Value);
        double Read = 0;
        std::from_chars(Text.data(), Text.data() + Text.size(), Read);
        EXPECT_EQ(Read, Value) << Text;
        EXPECT_EQ(Text.find_first_of("eE,"), std::string::npos) << Text;
    }
    EXPECT_EQ(HeaderNumberText(10.5, 10), "    10.500");
}

TEST(HeaderText, LastUpdatedUsesEnglishNamesAndAlwaysSaysGMT) {
    const std::tm Sunday = test::CalendarTime(2026, 12, 6, 9, 7, 35);
    EXPECT_EQ(LastUpdatedText(Sunday), "Sun Dec 06 09:07:35 GMT 2026");
}

class WorldFileTest : public test::TTempDirTest {};

TEST_F(WorldFileTest, NumbersAreWrittenWith14DecimalsIn18CharactersAndReadBack) {
    const std::string Name = Path("image.tfw");
    TWorldFile World;
    World.CellSizeX = 0.5;
    World.CellSizeY = 2;
    World.RotationY = 0.25;
    World.OriginX = 500000;
    World.OriginY = -12.5;
    ASSERT_TRUE(WriteWorldFile(Name, World));
    EXPECT_EQ(ReadText(Name), "  0.50000000000000\r\n"
                              "  0.25000000000000\r\n"
                              "  0.00000000000000\r\n"
                              " -2.00000000000000\r\n"
                              "500000.00000000000000\r\n"
                              "-12.50000000000000\r\n");
}

TEST_F(WorldFileTest, SoundWorldFilesAreReadAndDamagedOnesRefusedByFileAndLine) {
    struct TCase {
        std::string Text;
        TWorldNumbers Numbers;
        std::string Problem; // empty: read as 2.5, 3.5, 10, 20
    };
    const std::string Name = Path("w.tfw");
    const std::vector<TCase> Cases = {
        {"2,5\n0\n0\n-3,5\n10\n20\n", TWorldNumbers::PointOrComma, ""},
        {"2.5\r\n0\r\n0\r\n-3.5\r\n1e1\r\n20", TWorldNumbers::PointOnly, ""}, // no line end at the end
        {"2.5\n0\n0\n-3.5\n10\n20\n\nnotes\n", TWorldNumbers::PointOnly, ""}, // lines after the sixth
        {"2,5\n0\n0\n-3,5\n10\n20\n", TWorldNumbers::PointOnly,
         "line 1 (cell size X) holds no finite number: \"2,5\""},
        {"", TWorldNumbers::PointOrComma, "the world file is empty"},
        {"2.5\n0\n0\n-3.5\n", TWorldNumbers::PointOrComma, "line 5 (easting) is missing"},
        {"2.5\n0\n0\n-3.5\n10\n2e", TWorldNumbers::PointOrComma,
         "line 6 (northing) holds no finite number: \"2e\""},
        {"2.5\n0\n0\n\n10\n20\n", TWorldNumbers::PointOrComma,
         "line 4 (cell size Y) holds no finite number: \"\""},
        {"nan\n0\n0\n-3.5\n10\n20\n", TWorldNumbers::PointOrComma,
         "line 1 (cell size X) holds no finite number: \"nan\""},
        {"2.5\n0\n0\n-inf\n10\n20\n", TWorldNumbers::PointOrComma,
         "line 4 (cell size Y) holds no finite number: \"-inf\""},
        {"0\n0\n0\n-3.5\n10\n20\n", TWorldNumbers::PointOrComma, "a cell size of 0 (line 1 or 4)"},
        {"2.5\n0.1\n0\n-3.5\n10\n20\n", TWorldNumbers::PointOrComma,
         "rotated images are not supported (lines 2 and 3 must be 0)"},
        {"2.5\n0\n-1e-9\n-3.5\n10\n20\n", TWorldNumbers::PointOrComma,
         "rotated images are not supported (lines 2 and 3 must be 0)"},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Text);
        WriteText(Name, Case.Text);
        TWorldFile World;
        std::string Problem;
        EXPECT_EQ(ReadWorldFile(Name, Case.Numbers, World, Problem), Case.Problem.empty());
        EXPECT_EQ(Problem, Case.Problem.empty() ? "" : Name + ": " + Case.Problem);
        if (!Case.Problem.empty()) continue;
        EXPECT_EQ(World.CellSizeX, 2.5);
        EXPECT_EQ(World.CellSizeY, 3.5);
        EXPECT_EQ(World.OriginX, 10);
        EXPECT_EQ(World.OriginY, 20);
    }
    TWorldFile World;
    std::string Problem;
    EXPECT_FALSE(ReadWorldFile(Path("missing.tfw"), TWorldNumbers::PointOrComma, World, Problem));
    EXPECT_EQ(Problem.rfind(Path("missing.tfw") + ": ", 0), 0u) << Problem;
}

} // namespace
} // namespace vortane
