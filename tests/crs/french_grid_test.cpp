// French grid datum on small text grids written into a temporary folder.

#include "crs/angles.hpp"
#include "crs/datum_proj_oracle.hpp"
#include "crs/datum_test_files.hpp"
#include "crs/french_grid.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace vortane {
namespace {

using namespace vortane::test;

constexpr double Deg = Pi / 180.0;
constexpr double TranslationTolerance = 1e-9; // metres; degree <-> radian round trips cost a few ulps
constexpr double GroundTolerance = 1e-3;      // metres

// Steps that are binary fractions: every node lies exactly on its position. The span is a whole
// number of steps, so the size rule gives one column and one row beyond the last edge.
const TFrenchHeader BinaryHeader{"-4 0 40 41 0.5 0.25", 10, 6};
// The header of the real French grid: 0.1 is not a binary fraction.
const TFrenchHeader FrenchHeader{"-5.5 10 41 52 0.1 0.1", 156, 111};

void ExpectNode(const TGridNode& Node, int Column, int Row) {
    const TTestTranslation T = TestTranslation(Column, Row);
    EXPECT_EQ(Node.TX, T.TX);
    EXPECT_EQ(Node.TY, T.TY);
    EXPECT_EQ(Node.TZ, T.TZ);
    EXPECT_EQ(Node.Precision, 1 + (Column + Row) % 3);
}

class FrenchGridTest : public ::testing::Test {
protected:
    bool Load(const std::string& Text) {
        WriteText(Dir.Path("gr3df97a.mnt"), Text);
        return Grid.LoadGrid(Dir.Path("gr3df97a.mnt"));
    }
    TTempDir Dir;
    TFrenchGrid Grid;
};

TEST(FrenchGridNodeCount, FollowsTheQuotientRule) {
    const double NaN = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double Min, Max, Step;
        std::int64_t Count;
    } Cases[] = {
        {-5.5, 10.0, 0.1, 156}, // 15.5 / 0.1 lies just below 155, though it is 155.0 in double
        {41.0, 52.0, 0.1, 111}, // 11 / 0.1 lies just below 110
        {-4.0, 0.0, 0.5, 10},   // exact quotient 8
        {0.0, 0.0, 1.0, 2},
        {0.0, 1.05, 0.1, 12},
        {0.0, 1.0, 0.0, -1},
        {0.0, 1.0, -0.1, -1},
        {1.0, 0.0, 0.1, -1},
        {NaN, 1.0, 0.1, -1},
        {0.0, std::numeric_limits<double>::infinity(), 0.1, -1},
        {-1e300, 1e300, 1.0, -1},
        {0.0, 1e9, 1e-3, -1}, // far too many nodes
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(::testing::Message() << C.Min << " " << C.Max << " " << C.Step);
        EXPECT_EQ(TFrenchGrid::NodeCount(C.Min, C.Max, C.Step), C.Count);
    }
}

// Where long double is the x87 extended type, its division is the reference for the quotient rule.
TEST(FrenchGridNodeCount, MatchesAnExtendedPrecisionDivision) {
    if constexpr (std::numeric_limits<long double>::digits != 64) {
        GTEST_SKIP() << "long double is not the 64-bit-mantissa type here";
    } else {
        const double Steps[] = {0.1, 0.2, 0.3, 0.05, 0.025, 0.0125, 0.01, 1.0 / 120.0, 1.0 / 30.0, 0.7};
        std::mt19937 Random(20240601);
        std::uniform_int_distribution<int> Edge(1000, 200000); // thousandths of a degree
        std::uniform_int_distribution<int> Sign(0, 1);
        int NearWhole = 0;
        for (int Trial = 0; Trial < 200000; ++Trial) {
            // Edges as a file writes them: short decimals, read into the nearest double. Magnitudes
            // of at least 1 keep the extended difference exact, as it is for real headers.
            const int MinMilli = Sign(Random) ? -Edge(Random) : Edge(Random);
            const int MaxMilli = MinMilli + Edge(Random) / 10;
            if (std::abs(MaxMilli) < 1000) continue;
            const double Min = std::strtod(std::to_string(MinMilli / 1000.0).c_str(), nullptr);
            const double Max = std::strtod(std::to_string(MaxMilli / 1000.0).c_str(), nullptr);
            const double Step = Steps[Trial % std::size(Steps)];
            const long double Quotient = (static_cast<long double>(Max) - Min) / Step;
            const auto Expected = static_cast<std::int64_t>(std::floor(Quotient)) + 2;
            if (std::floor(static_cast<double>(Quotient)) != std::floor(Quotient)) ++NearWhole;
            ASSERT_EQ(TFrenchGrid::NodeCount(Min, Max, Step), Expected) << Min << " " << Max << " " << Step;
        }
        // The comparison only means something when many quotients lie just below whole numbers.
        EXPECT_GT(NearWhole, 100);
    }
}

TEST_F(FrenchGridTest, NodesComeBackExactlyWhateverTheLineLayout) {
    const struct {
        int ValuesPerLine;
        const char* LineEnd;
    } Layouts[] = {{8, "\n"}, {5, "\r\n"}, {1, "\n"}, {1000000, "\n"}, {3, "\r\n"}};
    for (const auto& Layout : Layouts) {
        SCOPED_TRACE(::testing::Message() << Layout.ValuesPerLine << " values a line");
        ASSERT_TRUE(Load(FrenchGridText(BinaryHeader, Layout.ValuesPerLine, Layout.LineEnd)))
            << Grid.ErrorText;
        EXPECT_FALSE(Grid.LoadFailed);
        ASSERT_EQ(Grid.NLon, BinaryHeader.NLon);
        ASSERT_EQ(Grid.NLat, BinaryHeader.NLat);
        EXPECT_EQ(Grid.ValueCount, 4 * BinaryHeader.NLon * BinaryHeader.NLat);
        for (int Column = 0; Column < Grid.NLon; ++Column)
            for (int Row = 0; Row < Grid.NLat; ++Row)
                ExpectNode(Grid.Node(Column, Row), Column, Row);
    }
}

TEST_F(FrenchGridTest, RealHeaderGivesTheRealGridSize) {
    ASSERT_TRUE(Load(FrenchGridText(FrenchHeader, 6, "\r\n"))) << Grid.ErrorText;
    EXPECT_EQ(Grid.NLon, 156);
    EXPECT_EQ(Grid.NLat, 111);
    EXPECT_EQ(Grid.ValueCount, 4 * 17316);
    ExpectNode(Grid.Node(0, 0), 0, 0);
    ExpectNode(Grid.Node(1, 0), 1, 0); // a misjudged column height would shift every later column
    ExpectNode(Grid.Node(155, 110), 155, 110);
}

TEST_F(FrenchGridTest, InterpolatesBilinearly) {
    ASSERT_TRUE(Load(FrenchGridText(BinaryHeader)));
    // Hand-computed in the cell of columns 2-3 and rows 1-2 at a quarter of each step
    // (-2.875 E, 40.3125 N). TY corners SW -60.25, SE -60.375, NW -60, NE -60:
    // -60.25 + 0.25 * -0.125 + 0.25 * 0.25 + 0.0625 * 0.125 = -60.2109375.
    double TX = 0, TY = 0, TZ = 0;
    ASSERT_TRUE(Grid.Interpolate(40.3125 * Deg, -2.875 * Deg, TX, TY, TZ));
    EXPECT_NEAR(TX, -166.5625, TranslationTolerance);
    EXPECT_NEAR(TY, -60.2109375, TranslationTolerance);
    EXPECT_NEAR(TZ, 320.9375, TranslationTolerance);
}

TEST_F(FrenchGridTest, BorderRules) {
    ASSERT_TRUE(Load(FrenchGridText(BinaryHeader)));
    const double NaN = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* Case;
        double Lat, Lon; // degrees
        bool Inside;
        int Column, Row; // the node whose translation the position gets, when inside
    } Cases[] = {
        {"south-west corner", 40.0, -4.0, true, 0, 0},
        {"north-west corner", 41.0, -4.0, true, 0, 4},
        {"north-east corner", 41.0, 0.0, true, 8, 4},
        {"south-east corner", 40.0, 0.0, true, 8, 0},
        {"interior node", 40.5, -2.0, true, 4, 2},
        {"358 degrees east is 2 degrees west", 40.75, 358.0, true, 4, 3},
        {"north of the grid", 41.001, -2.0, false, 0, 0},
        {"south of the grid", 39.999, -2.0, false, 0, 0},
        {"west of the grid", 40.5, -4.001, false, 0, 0},
        {"east of the grid", 40.5, 0.001, false, 0, 0},
        {"NaN latitude", NaN, -2.0, false, 0, 0},
        {"NaN longitude", 40.5, NaN, false, 0, 0},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Case);
        double TX = 0, TY = 0, TZ = 0;
        ASSERT_EQ(Grid.Interpolate(C.Lat * Deg, C.Lon * Deg, TX, TY, TZ), C.Inside);
        double Lat = 0, Lon = 0, H = 0;
        EXPECT_EQ(Grid.ShiftToHub(C.Lat * Deg, C.Lon * Deg, 7.0, Lat, Lon, H), C.Inside);
        EXPECT_EQ(Grid.ShiftFromHub(C.Lat * Deg, C.Lon * Deg, 7.0, Lat, Lon, H), C.Inside);
        if (!C.Inside) {
            EXPECT_THAT(Lat, ::testing::NanSensitiveDoubleEq(C.Lat * Deg));
            EXPECT_THAT(Lon, ::testing::NanSensitiveDoubleEq(C.Lon * Deg));
            EXPECT_EQ(H, 7.0);
            continue;
        }
        const TTestTranslation T = TestTranslation(C.Column, C.Row);
        EXPECT_NEAR(TX, T.TX, TranslationTolerance);
        EXPECT_NEAR(TY, T.TY, TranslationTolerance);
        EXPECT_NEAR(TZ, T.TZ, TranslationTolerance);
    }
}

// With a step that is not a binary fraction the northern and eastern edges fall a rounding error
// beyond the last full cell; the last full cell must be used, never a node past the array.
TEST_F(FrenchGridTest, NorthEastCornerOfTheRealGridStaysInside) {
    ASSERT_TRUE(Load(FrenchGridText(FrenchHeader)));
    double Lat0 = 0, Lon0 = 0;
    TGridCell Cell;
    ASSERT_TRUE(Grid.FindCell(52.0, 10.0, Lat0, Lon0, Cell));
    EXPECT_NEAR(Lat0, 51.9, 1e-12);
    EXPECT_NEAR(Lon0, 9.9, 1e-12);
    EXPECT_EQ(Cell.NE.TX, TestTranslation(155, 110).TX);
    EXPECT_EQ(Cell.SW.TY, TestTranslation(154, 109).TY);
}

TEST_F(FrenchGridTest, MissingValuesAreZeroAndExtraValuesOverwriteTheLastNode) {
    ASSERT_TRUE(Load(BinaryHeader.Text + "\n1.5 2.5 3.5 7 4.5 5.5\n"));
    EXPECT_EQ(Grid.ValueCount, 6);
    EXPECT_EQ(Grid.Node(0, 0).TZ, 3.5);
    EXPECT_EQ(Grid.Node(0, 0).Precision, 7);
    EXPECT_EQ(Grid.Node(0, 1).TY, 5.5);
    EXPECT_EQ(Grid.Node(0, 1).TZ, 0.0);
    EXPECT_EQ(Grid.Node(9, 5).TX, 0.0);

    ASSERT_TRUE(Load(FrenchGridText(BinaryHeader) + "-1 -2 -3 99\n"));
    EXPECT_EQ(Grid.Node(9, 5).TX, -1.0);
    EXPECT_EQ(Grid.Node(9, 5).Precision, 99);
    ExpectNode(Grid.Node(9, 4), 9, 4);
}

TEST_F(FrenchGridTest, BadFilesFailCleanly) {
    const struct {
        const char* Case;
        std::string Text;
        const char* Error; // start of the error text; empty: any
    } Cases[] = {
        {"empty file", "", ""},
        {"garbage header", "abc def\n1 2 3 4\n", "No usable grid header"},
        {"zero step", "-4 0 40 41 0 0.25\n", "No usable grid header"},
        {"edges reversed", "0 -4 40 41 0.5 0.25\n", "No usable grid header"},
        {"absurd size", "0 1e9 0 1e9 0.001 0.001\n", "No usable grid header"},
        {"precision code with decimals", BinaryHeader.Text + "\n1 2 3 1.5\n", "Invalid precision code '1.5'"},
        {"precision code not a number", BinaryHeader.Text + "\n1 2 3 x4\n", "Invalid precision code 'x4'"},
        {"precision code beyond 32 bits", BinaryHeader.Text + "\n1 2 3 99999999999\n",
         "Invalid precision code"},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Case);
        EXPECT_FALSE(Load(C.Text));
        EXPECT_TRUE(Grid.LoadFailed);
        EXPECT_EQ(Grid.ErrorText.rfind(C.Error, 0), 0u) << Grid.ErrorText;
        double TX = 0, TY = 0, TZ = 0;
        EXPECT_FALSE(Grid.Interpolate(40.5 * Deg, -2.0 * Deg, TX, TY, TZ));
    }
    EXPECT_FALSE(Grid.LoadGrid(Dir.Path("missing.mnt")));
    EXPECT_TRUE(Grid.LoadFailed);
}

// A grid of one constant translation is the classic three-parameter shift, which PROJ computes.
TEST_F(FrenchGridTest, ShiftsAgreeWithPROJ) {
    const TFrenchHeader Header{"-5 10 41 52 1 1", 17, 13};
    std::string Text = Header.Text + "\n";
    for (int Node = 0; Node < Header.NLon * Header.NLat; ++Node)
        Text += "-168 -60 320 1\n";
    ASSERT_TRUE(Load(Text));
    const TProjOracle Proj(CartesianPipeline(EllipsoidParams(6378249.2, 293.466021),
                                             "+step +proj=helmert +x=-168 +y=-60 +z=320",
                                             EllipsoidParams(6378137.0, 298.2572235637)));
    ASSERT_TRUE(Proj.Valid());
    const struct {
        double Lat, Lon;
    } Places[] = {
        {48.8566, 2.3522}, {43.2965, 5.3698}, {47.2184, -1.5536}, {50.6292, 3.0573}, {42.6887, 2.8948}};
    for (const auto& P : Places) {
        SCOPED_TRACE(::testing::Message() << P.Lat << " " << P.Lon);
        double Lat = 0, Lon = 0, H = 0, RefLat = 0, RefLon = 0, RefH = 0;
        ASSERT_TRUE(Grid.ShiftToHub(P.Lat * Deg, P.Lon * Deg, 0.0, Lat, Lon, H));
        Proj.Forward(P.Lat * Deg, P.Lon * Deg, 0.0, RefLat, RefLon, RefH);
        const TGroundDifference D = GroundDifference(Lat, Lon, H, RefLat, RefLon, RefH);
        EXPECT_NEAR(D.North, 0.0, GroundTolerance);
        EXPECT_NEAR(D.East, 0.0, GroundTolerance);
        EXPECT_NEAR(D.Up, 0.0, 2 * GroundTolerance);

        double BackLat = 0, BackLon = 0, BackH = 0;
        ASSERT_TRUE(Grid.ShiftFromHub(Lat, Lon, H, BackLat, BackLon, BackH));
        const TGroundDifference Back =
            GroundDifference(BackLat, BackLon, BackH, P.Lat * Deg, P.Lon * Deg, 0.0);
        EXPECT_NEAR(Back.North, 0.0, GroundTolerance);
        EXPECT_NEAR(Back.East, 0.0, GroundTolerance);
    }
}

} // namespace
} // namespace vortane
