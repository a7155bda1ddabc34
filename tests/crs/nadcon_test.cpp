// NADCON grid datum on small synthetic grid pairs written into a temporary folder. The test fields are
// bilinear in the node indices, so bilinear interpolation reproduces them exactly anywhere in the grid.

#include "crs/angles.hpp"
#include "crs/datum_test_files.hpp"
#include "crs/nadcon.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <limits>
#include <sys/stat.h>

namespace vortane {
namespace {

using namespace vortane::test;

constexpr double Deg = Pi / 180.0;
constexpr double InverseTolerance = 1e-9; // degrees, what the iteration promises

class NadConTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteNadConPair(Base(), Geometry, TestLatShift, TestLonShift);
        ASSERT_TRUE(Grid.OpenGrids(Base())) << Grid.ErrorText;
    }
    std::string Base() const { return Dir.Path("conus"); }
    // Position of fractional node (Row, Column), both counted from 1, as (Lat, Lon) degrees.
    double LatOf(double Row) const { return Geometry.YMin + (Row - 1) * Geometry.CellY; }
    double LonOf(double Column) const { return Geometry.XMin + (Column - 1) * Geometry.CellX; }
    // The test fields continued between the nodes.
    static double LatShiftAt(double Row, double Column) { return 0.25 * Row - 0.125 * Column + 0.5; }
    static double LonShiftAt(double Row, double Column) {
        return -2.0 + 0.0625 * Column + 0.5 * Row + 0.03125 * Row * Column;
    }

    TTempDir Dir;
    TNadConGeometry Geometry; // NC 24, NR 5, from (-100, 40) by (0.25, 0.5): east edge -94.25, north 42
    TNadCon Grid;
};

TEST_F(NadConTest, NodesComeBackExactly) {
    for (int Row = 2; Row < Geometry.NR; ++Row)
        for (int Column = 2; Column < Geometry.NC; ++Column) {
            SCOPED_TRACE(::testing::Message() << "row " << Row << " column " << Column);
            double Lat2 = 0, Lon2 = 0, ShiftLon = 0, ShiftLat = 0;
            ASSERT_TRUE(Grid.GridShift(LatOf(Row), LonOf(Column), Lat2, Lon2, ShiftLon, ShiftLat));
            EXPECT_EQ(ShiftLat, TestLatShift(Row, Column));
            EXPECT_EQ(ShiftLon, TestLonShift(Row, Column));
            EXPECT_DOUBLE_EQ(Lat2, LatOf(Row) + ShiftLat / 3600.0);
            // Longitude shifts are positive towards the west.
            EXPECT_DOUBLE_EQ(Lon2, LonOf(Column) - ShiftLon / 3600.0);
        }
}

TEST_F(NadConTest, InterpolatesBilinearly) {
    // Hand-computed: node position (row 2.25, column 3.5) lies in the cell of rows 2-3 and columns
    // 3-4 with t = 0.5, s = 0.25. Longitude shift corners f00 = -0.625, f10 = -0.5, f01 = -0.03125,
    // f11 = 0.125: -0.625 + 0.125 * 0.5 + 0.59375 * 0.25 + 0.03125 * 0.125 = -0.41015625.
    double Lat2 = 0, Lon2 = 0, ShiftLon = 0, ShiftLat = 0;
    ASSERT_TRUE(Grid.GridShift(40.625, -99.375, Lat2, Lon2, ShiftLon, ShiftLat));
    EXPECT_EQ(ShiftLon, -0.41015625);
    EXPECT_EQ(ShiftLat, 0.625);

    const struct {
        double Row, Column;
    } Positions[] = {{1.01, 1.01}, {1.5, 12.75}, {3.3, 7.1}, {4.99, 23.99}, {2.0, 17.4}, {4.6, 2.0}};
    for (const auto& P : Positions) {
        SCOPED_TRACE(::testing::Message() << "row " << P.Row << " column " << P.Column);
        ASSERT_TRUE(Grid.GridShift(LatOf(P.Row), LonOf(P.Column), Lat2, Lon2, ShiftLon, ShiftLat));
        EXPECT_NEAR(ShiftLat, LatShiftAt(P.Row, P.Column), 1e-12);
        EXPECT_NEAR(ShiftLon, LonShiftAt(P.Row, P.Column), 1e-12);
    }
}

TEST_F(NadConTest, BorderRules) {
    const double Inf = std::numeric_limits<double>::infinity();
    const double NaN = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* Case;
        double Lat, Lon;
        bool Inside;
    } Cases[] = {
        {"western border", 41.0, -100.0, false},
        {"southern border", 40.0, -97.0, false},
        {"eastern border", 41.0, -94.25, false},
        {"northern border", 42.0, -97.0, false},
        {"west of the grid", 41.0, -100.5, false},
        {"north of the grid", 43.0, -97.0, false},
        {"NaN latitude", NaN, -97.0, false},
        {"NaN longitude", 41.0, NaN, false},
        {"infinite longitude", 41.0, Inf, false},
        {"a hair inside the south-west corner", 40.0 + 1e-12, -100.0 + 1e-12, true},
        {"a hair inside the north-east corner", 42.0 - 1e-12, -94.25 - 1e-12, true},
        {"interior", 41.3, -97.3, true},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Case);
        double Lat2 = 0, Lon2 = 0, ShiftLon = 0, ShiftLat = 0;
        EXPECT_EQ(Grid.GridShift(C.Lat, C.Lon, Lat2, Lon2, ShiftLon, ShiftLat), C.Inside);
        double RadLat = 0, RadLon = 0, H = 0;
        EXPECT_EQ(Grid.ShiftToHub(C.Lat * Deg, C.Lon * Deg, 5.0, RadLat, RadLon, H), C.Inside);
        if (!C.Inside) {
            // Outside, the position passes through unchanged.
            EXPECT_THAT(RadLat, ::testing::NanSensitiveDoubleEq(C.Lat * Deg));
            EXPECT_THAT(RadLon, ::testing::NanSensitiveDoubleEq(C.Lon * Deg));
            EXPECT_EQ(H, 5.0);
        }
    }
}

// A position a rounding error below a whole node number belongs to that node. At the eastern edge
// that node is the last column, so the cell must stay the last full one: the word after the last
// column is the next row's unread first word, which holds a huge marker value and would show even
// with a weight of 1e-11.
TEST_F(NadConTest, NodeNumbersARoundingErrorBelowAWholeNumber) {
    const struct {
        const char* Case;
        double Row, Column;
    } Cases[] = {
        {"interior column", 3.0, 6.0 - 1e-14},
        {"interior row", 3.0 - 1e-14, 6.0},
        {"eastern edge", 3.0, 24.0 - 4e-12},
        {"north-eastern corner", 5.0 - 4e-12, 24.0 - 4e-12},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Case);
        double Lat2 = 0, Lon2 = 0, ShiftLon = 0, ShiftLat = 0;
        ASSERT_TRUE(Grid.GridShift(LatOf(C.Row), LonOf(C.Column), Lat2, Lon2, ShiftLon, ShiftLat));
        EXPECT_NEAR(ShiftLon, LonShiftAt(C.Row, C.Column), 1e-9);
        EXPECT_NEAR(ShiftLat, LatShiftAt(C.Row, C.Column), 1e-9);
    }
}

TEST_F(NadConTest, InverseShiftReturnsTheStartPosition) {
    const struct {
        double Lat, Lon;
    } Starts[] = {{40.3, -99.8}, {41.0, -97.0}, {41.77, -95.123}, {41.9, -94.5}};
    for (const auto& Start : Starts) {
        SCOPED_TRACE(::testing::Message() << Start.Lat << " " << Start.Lon);
        double Lat2 = 0, Lon2 = 0, ShiftLon = 0, ShiftLat = 0;
        ASSERT_TRUE(Grid.GridShift(Start.Lat, Start.Lon, Lat2, Lon2, ShiftLon, ShiftLat));
        double BackLat = 0, BackLon = 0;
        ASSERT_TRUE(Grid.InverseGridShift(Lat2, Lon2, BackLat, BackLon));
        EXPECT_NEAR(BackLat, Start.Lat, InverseTolerance);
        EXPECT_NEAR(BackLon, Start.Lon, InverseTolerance);
    }
}

TEST_F(NadConTest, DatumShiftsRoundTripThroughTheHub) {
    const struct {
        double Lat, Lon;
    } Starts[] = {{40.3, -99.8}, {41.0, -97.0}, {41.77, -95.123}, {41.2, -99.0 + 360.0}};
    for (const auto& Start : Starts) {
        SCOPED_TRACE(::testing::Message() << Start.Lat << " " << Start.Lon);
        double HubLat = 0, HubLon = 0, HubH = 0;
        ASSERT_TRUE(Grid.ShiftToHub(Start.Lat * Deg, Start.Lon * Deg, 0.0, HubLat, HubLon, HubH));
        // At height 0 the change from GRS 1980 to WGS 1984 moves the height by well under a millimetre.
        EXPECT_LT(std::fabs(HubH), 1e-3);
        double Lat = 0, Lon = 0, H = 0;
        ASSERT_TRUE(Grid.ShiftFromHub(HubLat, HubLon, HubH, Lat, Lon, H));
        EXPECT_NEAR(Lat / Deg, Start.Lat, InverseTolerance);
        EXPECT_NEAR(NormLon(Lon) / Deg, NormLon(Start.Lon * Deg) / Deg, InverseTolerance);
        EXPECT_EQ(H, HubH); // the input height passes through
    }
}

// Shifts far larger than a cell make the fixed-point iteration diverge; it must give up, not loop.
TEST(NadConDivergence, InverseShiftGivesUp) {
    TTempDir Dir;
    TNadConGeometry Geometry;
    WriteNadConPair(Dir.Path("steep"), Geometry, TestLatShift, [](int, int Column) {
        return (Column % 2 ? 1800.0f : -1800.0f) * static_cast<float>(Column);
    });
    TNadCon Grid;
    ASSERT_TRUE(Grid.OpenGrids(Dir.Path("steep")));
    double Lat = 0, Lon = 0, H = 0;
    EXPECT_FALSE(Grid.ShiftFromHub(41.0 * Deg, -97.0 * Deg, 0.0, Lat, Lon, H));
    EXPECT_EQ(Lat, 41.0 * Deg);
    EXPECT_EQ(Lon, -97.0 * Deg);
}

// Grids that cannot be trusted are refused before any node is read.
TEST(NadConBadFiles, AreRefused) {
    TNadConGeometry Good;
    const auto Valid = NadConGrid(Good, TestLatShift);
    auto WithWord = [&](std::size_t Offset, std::uint32_t Word) {
        auto Bytes = Valid;
        PutWord(Bytes, Offset, Word);
        return Bytes;
    };
    auto WithFloat = [&](std::size_t Offset, float Value) {
        auto Bytes = Valid;
        PutFloat(Bytes, Offset, Value);
        return Bytes;
    };
    auto Shortened = [&](std::size_t Size) {
        return std::vector<unsigned char>(Valid.begin(), Valid.begin() + static_cast<std::ptrdiff_t>(Size));
    };

    const struct {
        const char* Case;
        std::vector<unsigned char> Las, Los;
    } Cases[] = {
        {"empty .los", Valid, {}},
        {"truncated .los header", Valid, Shortened(90)},
        {"NC larger than the file", Valid, WithWord(64, 25)},
        {"NR larger than the file", Valid, WithWord(68, 6)},
        {"huge NR", Valid, WithWord(68, 0x7fffffff)},
        {"negative NC", Valid, WithWord(64, 0xffffffff)},
        {"single column", Valid, WithWord(64, 1)},
        {"zero column spacing", Valid, WithFloat(80, 0.0f)},
        {"negative row spacing", Valid, WithFloat(88, -0.5f)},
        {"NaN row spacing", Valid, WithFloat(88, std::numeric_limits<float>::quiet_NaN())},
        {"infinite origin", Valid, WithFloat(76, std::numeric_limits<float>::infinity())},
        {".las shorter than the .los geometry", Shortened(Valid.size() - 4), Valid},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Case);
        TTempDir Dir;
        WriteBytes(Dir.Path("bad.las"), C.Las);
        WriteBytes(Dir.Path("bad.los"), C.Los);
        TNadCon Grid;
        EXPECT_FALSE(Grid.OpenGrids(Dir.Path("bad")));
        EXPECT_FALSE(Grid.GridsOpen);
        EXPECT_FALSE(Grid.ErrorText.empty());
        double Lat2 = 0, Lon2 = 0, ShiftLon = 0, ShiftLat = 0;
        EXPECT_FALSE(Grid.GridShift(41.0, -97.0, Lat2, Lon2, ShiftLon, ShiftLat));
    }
}

TEST(NadConBadFiles, MissingFilesAreRefused) {
    TTempDir Dir;
    TNadCon Grid;
    EXPECT_FALSE(Grid.OpenGrids(Dir.Path("conus")));
    EXPECT_EQ(Grid.LastError, ENOENT);
    WriteBytes(Dir.Path("conus.las"), NadConGrid(TNadConGeometry{}, TestLatShift));
    EXPECT_FALSE(Grid.OpenGrids(Dir.Path("conus")));
    EXPECT_EQ(Grid.LastError, ENOENT);
    EXPECT_FALSE(Grid.GridsOpen);
}

// A pipe or a folder named like a grid is refused at once: opening a pipe must not wait for a writer.
TEST(NadConBadFiles, PipesAndFoldersAreRefused) {
    const auto Valid = NadConGrid(TNadConGeometry{}, TestLatShift);
    for (const bool Pipe : {true, false}) {
        SCOPED_TRACE(Pipe ? "pipe" : "folder");
        TTempDir Dir;
        WriteBytes(Dir.Path("conus.las"), Valid);
        const std::string Los = Dir.Path("conus.los");
        ASSERT_EQ(Pipe ? ::mkfifo(Los.c_str(), 0600) : ::mkdir(Los.c_str(), 0700), 0);
        TNadCon Grid;
        EXPECT_FALSE(Grid.OpenGrids(Dir.Path("conus")));
        EXPECT_EQ(Grid.LastError, Pipe ? EINVAL : EISDIR);
        EXPECT_FALSE(Grid.GridsOpen);
    }
}

} // namespace
} // namespace vortane
