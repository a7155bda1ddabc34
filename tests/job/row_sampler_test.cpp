// Rows read and written straight in memory give the same values as the cell calls, for every cell
// type and byte order, at the edges, outside the grid and at positions that are no cell at all.
#include "job/row_sampler.hpp"
#include "support/temp_dir.hpp"
#include "text/types.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <tuple>
#include <vector>

namespace vortane {
namespace {

// The same grid file, reached only through the cell calls.
class TGridByCalls final : public TMMapFile2 {
public:
    bool PlainRowLayout(TRowLayout& /*Layout*/) const override { return false; }
};

constexpr std::uint32_t Columns = 7, Rows = 5, Bands = 3;

class RowSamplerTest : public test::TTempDirTest,
                       public ::testing::WithParamInterface<std::tuple<std::uint8_t, bool>> {
protected:
    std::uint8_t Type() const { return std::get<0>(GetParam()); }
    bool MSBFirst() const { return std::get<1>(GetParam()); }
    bool Open(TMMapFile2& Grid, const std::string& Name, std::uint8_t Mode) const {
        return Grid.OpenGrid(Path(Name), Columns, Rows, Type(), Bands, Mode, MSBFirst());
    }
};

// Bit-for-bit equality, so that NaN equals NaN and -0 differs from 0.
void ExpectSameBits(const std::vector<float>& Expected, const std::vector<float>& Actual) {
    ASSERT_EQ(Expected.size(), Actual.size());
    EXPECT_EQ(std::memcmp(Expected.data(), Actual.data(), Expected.size() * sizeof(float)), 0);
}

TEST_P(RowSamplerTest, ReadsAndWritesInMemoryAsTheCellCallsDo) {
    {
        TMMapFile2 Cells;
        ASSERT_TRUE(Open(Cells, "in", omCreate)) << Cells.ErrorText();
        for (std::uint32_t Band = 0; Band < Bands; ++Band)
            for (std::uint32_t Row = 0; Row < Rows; ++Row)
                for (std::uint32_t Col = 0; Col < Columns; ++Col) // band 2 repeats band 0 here and there
                    Cells.WriteCell(Col, Row, Band,
                                    float((Col * 37 + Row * 11 + (Band % 2) * 90) % 200) - 7.25f);
    }
    TMMapFile2 Plain;
    TGridByCalls ByCalls;
    ASSERT_TRUE(Open(Plain, "in", omRead));
    ASSERT_TRUE(Open(ByCalls, "in", omRead));

    std::vector<double> Col, Line;
    const double Nan = std::numeric_limits<double>::quiet_NaN();
    for (double Y = -1.5; Y <= Rows + 0.5; Y += 0.375)
        for (double X = -1.25; X <= Columns + 0.5; X += 0.3125) {
            Col.push_back(X);
            Line.push_back(Y);
        }
    for (const auto& [X, Y] : std::vector<std::pair<double, double>>{{1e-10, 2},
                                                                     {Columns - 1 + 1e-10, 3},
                                                                     {4, Rows - 1 - 1e-10},
                                                                     {-1e-10, -1e-10},
                                                                     {Nan, 1},
                                                                     {2, Nan},
                                                                     {1e300, 1},
                                                                     {-1e300, 1},
                                                                     {6, 4},
                                                                     {6.5, 4.5},
                                                                     {2.5, 0.5}}) {
        Col.push_back(X);
        Line.push_back(Y);
    }
    const TRowPositions At{Col.data(), Line.data(), Col.size()};

    TRowSampler FromMemory(Plain), FromCalls(ByCalls);
    const std::array<float, 3> Back{1, 2, 3};
    std::vector<float> Expected(3 * Col.size()), Actual(3 * Col.size());
    FromCalls.SampleColour(At, Back, Expected.data());
    FromMemory.SampleColour(At, Back, Actual.data());
    ExpectSameBits(Expected, Actual);
    for (std::uint32_t Band = 0; Band <= Bands; ++Band) { // the band beyond the last reads the last
        SCOPED_TRACE(Band);
        FromCalls.SampleBilinear(Band, At, Expected.data());
        FromMemory.SampleBilinear(Band, At, Actual.data());
        ExpectSameBits(Expected, Actual);
    }

    // Writing: values without an integer leave integer cells as they were; the rest wrap or round.
    const float Inf = std::numeric_limits<float>::infinity();
    std::vector<float> Row;
    for (std::uint32_t Band = 0; Band < Bands; ++Band)
        for (float Value : {0.5f, 1.5f, -1.0f, 256.0f, 70000.5f, float(Nan), Inf, -3e9f})
            Row.push_back(Value + float(Band));
    ASSERT_EQ(Row.size(), std::size_t{Bands} * 8);
    TMMapFile2 PlainOut;
    TGridByCalls OutByCalls;
    ASSERT_TRUE(PlainOut.OpenGrid(Path("plain"), 8, 2, Type(), Bands, omCreate, MSBFirst()));
    ASSERT_TRUE(OutByCalls.OpenGrid(Path("calls"), 8, 2, Type(), Bands, omCreate, MSBFirst()));
    WriteCellRow(PlainOut, 1, Bands, 8, Row.data());
    WriteCellRow(OutByCalls, 1, Bands, 8, Row.data());
    PlainOut.CloseFile();
    OutByCalls.CloseFile();
    EXPECT_EQ(test::ReadBytes(Path("plain")), test::ReadBytes(Path("calls")));
}

INSTANTIATE_TEST_SUITE_P(CellTypes, RowSamplerTest,
                         ::testing::Combine(::testing::Values(ctUnsigned8, ctSigned16, ctUnsigned16,
                                                              ctSigned32, ctUnsigned32, ctFloat32, ctFloat64),
                                            ::testing::Bool()));

} // namespace
} // namespace vortane
