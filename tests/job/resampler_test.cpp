// The approximate row mapping against the exact one, over a large extent and on narrow grids; the
// cells a run finds empty, filled with the nodata value or marked in the alpha band.
#include "crs/coordinate_mapper.hpp"
#include "crs/datum.hpp"
#include "job/resampler.hpp"
#include "projections/transverse_mercator.hpp"
#include "raster/mapped_cell_file.hpp"
#include "support/temp_dir.hpp"
#include "text/types.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

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

// A row mapped span by span gives every cell the position it has in the whole row, on the edges of the
// interpolated blocks too.
TEST(RowMapper, SpansOfARowMapAsTheWholeRowDoes) {
    const TUtmToEd50 Chain;
    const TOutputGrid Grid{15 * Degree, 56 * Degree, 2e-4, 2e-4, 1048, 699};
    // Each span in turn, so that the approximate mapper works out blocks for a part of a row.
    const TColumnSpan Spans[] = {{0, 1}, {255, 2}, {256, 300}, {511, 537}, {1047, 1}};
    for (const double Bound : {0.0, 0.125}) {
        const TRowMapper Whole(Chain.Mapper, Grid, Chain.Input, Bound);
        const TRowMapper Spanned(Chain.Mapper, Grid, Chain.Input, Bound);
        std::vector<double> WholeCol, WholeLine, Col, Line;
        for (const bool Corners : {false, true}) {
            for (const std::int32_t Row : {0, 64, 698}) {
                SCOPED_TRACE(testing::Message() << Bound << (Corners ? " corners" : "") << " row " << Row);
                const auto Map = [&](const TRowMapper& Mapper, TColumnSpan Span, std::vector<double>& C,
                                     std::vector<double>& L) {
                    return Corners ? Mapper.MapCorners(Row, true, Span, C, L)
                                   : Mapper.MapRow(Row, Span, C, L);
                };
                Map(Whole, {0, Grid.Columns}, WholeCol, WholeLine);
                for (const TColumnSpan& Span : Spans) {
                    Map(Spanned, Span, Col, Line);
                    ASSERT_EQ(Col.size(), std::size_t(Span.Count + (Corners ? 1 : 0)));
                    for (std::size_t C = 0; C < Col.size(); ++C) {
                        ASSERT_EQ(Col[C], WholeCol[std::size_t(Span.First) + C]) << Span.First + C;
                        ASSERT_EQ(Line[C], WholeLine[std::size_t(Span.First) + C]) << Span.First + C;
                    }
                }
            }
        }
    }
}

// An output whose rows cannot be had in memory: every cell goes through WriteCell.
class TCellByCellGrid : public TMMapFile2 {
public:
    bool PlainRowLayout(TRowLayout& /*Layout*/) const override { return false; }
};

class ResamplerEmptyCells : public test::TTempDirTest {
protected:
    // A 12 x 9 input of Bands float bands in UTM zone 34, cells of 25 m; the cells of the first two
    // columns of rows 3 and 4 hold -9999 in every band.
    TMMapFile2& Input(std::uint32_t Bands) {
        {
            TMMapFile2 Created;
            EXPECT_TRUE(Created.OpenGrid(Path("in"), 12, 9, ctFloat32, Bands, omCreate, false));
            for (std::uint32_t Band = 0; Band < Bands; ++Band)
                for (std::int64_t Row = 0; Row < 9; ++Row)
                    for (std::int64_t Col = 0; Col < 12; ++Col)
                        Created.WriteCell(
                            Col, Row, Band,
                            (Row == 3 || Row == 4) && Col < 2 ? -9999.0f : float(Col * 10 + Row + Band * 40));
        }
        EXPECT_TRUE(FInput.OpenGrid(Path("in"), 12, 9, ctFloat32, Bands, omRead, false));
        return FInput;
    }
    // The output's cells, band after band, of a run on the same system with Options: a grid of 20 m
    // cells reaching beyond the input on every side, written in rows or (CellByCell) cell by cell.
    std::vector<std::vector<float>> Run(TMMapFile2& In, std::uint32_t Bands, const TResampleOptions& Options,
                                        bool CellByCell = false) {
        const TSpheroid Wgs84("WE\t6378137\t298.2572235637\tWGS 1984");
        const TDatumRecord Datum("WORLD\tWGS84\tWE\t0\t0\t0\t0\t0\t0\t0\thub");
        const TTransMerc Utm34("WE,NUTM34,0,500000,0.9996,0.3665191429188092,0");
        const TCoordinateMapper Mapper({&Wgs84, &Datum, &Utm34, 1.0}, {&Wgs84, &Datum, &Utm34, 1.0}, &Wgs84);
        const TOutputGrid Grid{470000 - 60, 5790000 + 45, 20, 20, 22, 18};
        const std::uint32_t OutBands = Bands + (Options.Alpha ? 1 : 0);
        TCellByCellGrid ByCell;
        TMMapFile2 InRows;
        TMMapFile2& Out = CellByCell ? ByCell : InRows;
        EXPECT_TRUE(Out.OpenGrid(Path("out"), 22, 18, ctFloat32, OutBands, omCreate, false));
        TResampler(Mapper, In, Bands, Out, Grid, {470000, 5790000, 25, 25}, Options).Run([](std::int32_t) {
            return true;
        });
        std::vector<std::vector<float>> Cells(OutBands);
        for (std::uint32_t Band = 0; Band < OutBands; ++Band)
            for (std::int64_t Row = 0; Row < 18; ++Row)
                for (std::int64_t Col = 0; Col < 22; ++Col)
                    Out.ReadCell(Col, Row, Band, Cells[Band].emplace_back());
        return Cells;
    }

private:
    TMMapFile2 FInput;
};

TEST_F(ResamplerEmptyCells, TheAlphaBandIsZeroExactlyWhereTheNodataValueFillsTheCells) {
    const struct {
        TResampling Method;
        std::uint32_t Bands;
        bool InputNoData;
    } Cases[] = {
        {TResampling::Auto, 3, true}, // the colour rule: its background counts as empty
        {TResampling::Auto, 3, false},   {TResampling::Bilinear, 1, true}, {TResampling::Bilinear, 1, false},
        {TResampling::Nearest, 2, true}, {TResampling::Cubic, 1, true},    {TResampling::Lanczos, 1, false},
        {TResampling::Average, 1, true}, {TResampling::Mode, 1, true},
    };
    constexpr float Empty = -1e30f;
    for (const auto& Case : Cases) {
        SCOPED_TRACE(testing::Message() << ResamplingName(Case.Method) << ", " << Case.Bands << " bands, "
                                        << (Case.InputNoData ? "" : "no ") << "input nodata");
        TMMapFile2& In = Input(Case.Bands);
        TResampleOptions Options;
        Options.Method = Case.Method;
        Options.Colour = Case.Bands == 3;
        Options.CellType = ctFloat32;
        Options.Background = {20, 61, 101}; // the colour of input cell (2, 1): close cells become it
        if (Case.InputNoData) Options.InputNoData = -9999;
        Options.OutputNoData = Empty;
        const auto Filled = Run(In, Case.Bands, Options);
        Options.OutputNoData.reset();
        Options.Alpha = true;
        const auto Marked = Run(In, Case.Bands, Options);
        std::size_t EmptyCells = 0;
        for (std::size_t C = 0; C < Filled[0].size(); ++C) {
            const bool IsEmpty = Filled[0][C] == Empty;
            EmptyCells += IsEmpty;
            ASSERT_EQ(Marked.back()[C], IsEmpty ? 0.0f : 255.0f) << C;
            for (std::uint32_t Band = 0; Band < Case.Bands; ++Band) {
                ASSERT_EQ(Filled[Band][C] == Empty, IsEmpty) << C; // every band or none
                if (IsEmpty) continue;
                ASSERT_EQ(Marked[Band][C], Filled[Band][C]) << C;
                // An input that declares -9999 never lets it into a value.
                ASSERT_TRUE(!Case.InputNoData || Filled[Band][C] > -100.0f) << C;
            }
        }
        EXPECT_GT(EmptyCells, 0u);
        EXPECT_LT(EmptyCells, Filled[0].size());
    }
}

// However the grid is cut into bands and blocks, however many threads compute them, and whether the
// output takes whole rows or single cells, the output is the one computed row by row.
TEST_F(ResamplerEmptyCells, EveryCutGivesTheCellsOfRowByRowComputing) {
    const struct {
        TResampling Method;
        std::uint32_t Bands;
        double MaxError;
    } Cases[] = {
        {TResampling::Auto, 3, 0.0}, {TResampling::Bilinear, 1, 0.5}, {TResampling::Average, 2, 0.5}};
    const struct {
        std::int32_t BandRows, BlockColumns;
        int Threads;
    } Cuts[] = {{4, 5, 1}, {4, 5, 3}, {0, 7, 2}, {18, 22, 2}};
    for (const auto& Case : Cases) {
        SCOPED_TRACE(ResamplingName(Case.Method));
        TMMapFile2& In = Input(Case.Bands);
        TResampleOptions Options;
        Options.Method = Case.Method;
        Options.Colour = Case.Bands == 3;
        Options.CellType = ctFloat32;
        Options.MaxError = Case.MaxError;
        Options.InputNoData = -9999;
        Options.Alpha = true;
        Options.BandRows = 1;
        Options.BlockColumns = 22;
        const auto RowByRow = Run(In, Case.Bands, Options);
        for (const auto& Cut : Cuts) {
            SCOPED_TRACE(testing::Message()
                         << Cut.BandRows << " x " << Cut.BlockColumns << ", " << Cut.Threads);
            Options.BandRows = Cut.BandRows;
            Options.BlockColumns = Cut.BlockColumns;
            Options.Threads = Cut.Threads;
            EXPECT_EQ(Run(In, Case.Bands, Options), RowByRow);
            EXPECT_EQ(Run(In, Case.Bands, Options, true), RowByRow);
        }
    }
}

} // namespace
} // namespace vortane
