// The approximate row mapping against the exact one, over a large extent and on narrow grids.
#include "crs/coordinate_mapper.hpp"
#include "crs/datum.hpp"
#include "job/resampler.hpp"
#include "projections/transverse_mercator.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>

namespace vortane {
namespace {

// UTM zone 34 on WGS 84 (10 m input cells) into geographic coordinates on ED50.
struct TUtmToEd50 {
    const TSpheroid Wgs84{"WE\t6378137\t298.2572235637\tWGS 1984"};
    const TSpheroid International{"IN\t6378388\t297\tInternational 1924"};
    const TDatumRecord Wgs84Datum{"WORLD\tWGS84\tWE\t0\t0\t0\t0\t0\t0\t0\thub"};
    const TDatumRecord Ed50{"EUROPE\tED50\tIN\t-87\t-98\t-121\t0\t0\t0\t0\tthree parameters"};
    const TTransMerc Utm34{"WE,NUTM34,0,500000,0.9996,0.3665191429188092,0"};
    const TGeografic Geographic;
    const TCoordinateMapper Mapper{
        {&Wgs84, &Wgs84Datum, &Utm34, 1.0}, {&International, &Ed50, &Geographic, 1.0}, &Wgs84};
    const TInputGeometry Input{100000, 6300000, 10, 10};
};
constexpr double Degree = M_PI / 180;

TEST(RowMapper, ApproximateRowsStayWithinTheirBoundOverALargeExtent) {
    // 12 x 8 degrees of output, far beyond the zone, where the mapping bends the most.
    const TUtmToEd50 Chain;
    const TCoordinateMapper& Mapper = Chain.Mapper;
    const TInputGeometry& Input = Chain.Input;
    const TOutputGrid Grid{15 * Degree, 56 * Degree, 2e-4, 2e-4, 1048, 699};

    const TRowMapper Exact(Mapper, Grid, Input, 0.0);
    for (double Bound : {0.125, 2.0}) {
        SCOPED_TRACE(Bound);
        const TRowMapper Approximate(Mapper, Grid, Input, Bound);
        double LargestMeasured = 0, LargestTrue = 0;
        std::vector<double> ExactCol, ExactLine, Col, Line;
        // The cells' centres, then the corners on their bottom edges (the area methods' positions).
        for (const bool Corners : {false, true}) {
            for (std::int32_t Row = 0; Row < Grid.Rows; Row += 37) {
                const double ExactMeasured = Corners ? Exact.MapCorners(Row, true, ExactCol, ExactLine)
                                                     : Exact.MapRow(Row, ExactCol, ExactLine);
                EXPECT_EQ(ExactMeasured, 0.0);
                const double Measured = Corners ? Approximate.MapCorners(Row, true, Col, Line)
                                                : Approximate.MapRow(Row, Col, Line);
                ASSERT_EQ(Col.size(), std::size_t(Grid.Columns + (Corners ? 1 : 0)));
                EXPECT_LE(Measured, Bound);
                LargestMeasured = std::max(LargestMeasured, Measured);
                for (std::size_t C = 0; C < Col.size(); ++C)
                    LargestTrue =
                        std::max(LargestTrue, std::hypot(Col[C] - ExactCol[C], Line[C] - ExactLine[C]));
            }
        }
        EXPECT_GT(LargestMeasured, 0.0); // interpolation was used
        EXPECT_LE(LargestTrue, Bound);
    }
}

// Grids one cell wide or tall leave blocks without an inside; every row still gets one position per cell.
TEST(RowMapper, ApproximateRowsOfNarrowGridsAreTheExactOnes) {
    const TUtmToEd50 Chain;
    for (const auto& [Columns, Rows] : {std::pair{1, 1}, {1, 130}, {300, 1}, {2, 2}}) {
        SCOPED_TRACE(std::to_string(Columns) + " x " + std::to_string(Rows));
        const TOutputGrid Grid{21 * Degree, 52 * Degree, 1e-6, 1e-6, Columns, Rows};
        const TRowMapper Exact(Chain.Mapper, Grid, Chain.Input, 0.0);
        const TRowMapper Approximate(Chain.Mapper, Grid, Chain.Input, 0.125);
        std::vector<double> ExactCol, ExactLine, Col, Line;
        for (std::int32_t Row = 0; Row < Rows; ++Row) {
            for (const bool Corners : {false, true}) {
                if (Corners) {
                    Exact.MapCorners(Row, true, ExactCol, ExactLine);
                    Approximate.MapCorners(Row, true, Col, Line);
                } else {
                    Exact.MapRow(Row, ExactCol, ExactLine);
                    Approximate.MapRow(Row, Col, Line);
                }
                ASSERT_EQ(Col.size(), std::size_t(Columns + (Corners ? 1 : 0)));
                for (std::size_t C = 0; C < Col.size(); ++C)
                    EXPECT_LE(std::hypot(Col[C] - ExactCol[C], Line[C] - ExactLine[C]), 0.125);
            }
        }
    }
}

} // namespace
} // namespace vortane
