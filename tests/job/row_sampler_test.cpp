// Rows read and written straight in memory give the same values as the cell calls, for every cell
// type and byte order and for the formats with layouts of their own, at the edges, outside the grid
// and at positions that are no cell at all; and every sampling method gives the value its formula gives
// on a small grid.
#include "job/row_sampler.hpp"
#include "raster/bmp/bmp_map.hpp"
#include "raster/dtm/dtm_map.hpp"
#include "raster/ecw/ecw_map.hpp"
#include "raster/jpeg/jpeg_map.hpp"
#include "raster/rsw/rsw_map.hpp"
#include "raster/tiff/tiff_map.hpp"
#include "raster/veg/veg_file.hpp"
#include "support/temp_dir.hpp"
#include "text/types.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <tuple>
#include <vector>

namespace vortane {
namespace {

// A raster reached only through its cell calls.
class TCellsOf final : public TMMapFile2 {
public:
    explicit TCellsOf(TMMapFile2& Raster) : FRaster(Raster) {
        FColumns = Raster.GridColumns();
        FRows = Raster.GridRows();
        FBands = Raster.GridBands();
    }
    bool ReadCell(std::int64_t Col, std::int64_t Row, std::uint32_t Band, float& Value) override {
        return FRaster.ReadCell(Col, Row, Band, Value);
    }
    bool WriteCell(std::int64_t Col, std::int64_t Row, std::uint32_t Band, float Value) override {
        return FRaster.WriteCell(Col, Row, Band, Value);
    }
    bool PlainRowLayout(TRowLayout& /*Layout*/) const override { return false; }

private:
    TMMapFile2& FRaster;
};

// Bit-for-bit equality, so that NaN equals NaN and -0 differs from 0.
void ExpectSameBits(const std::vector<float>& Expected, const std::vector<float>& Actual) {
    ASSERT_EQ(Expected.size(), Actual.size());
    EXPECT_EQ(std::memcmp(Expected.data(), Actual.data(), Expected.size() * sizeof(float)), 0);
}

// Fills every cell of a created raster with values that differ by column, row and band (band 2 repeats
// band 0, so that some pixels are close to the background colour below).
void FillCells(TMMapFile2& Raster) {
    for (std::uint32_t Band = 0; Band < Raster.GridBands(); ++Band)
        for (std::uint32_t Row = 0; Row < Raster.GridRows(); ++Row)
            for (std::uint32_t Col = 0; Col < Raster.GridColumns(); ++Col)
                Raster.WriteCell(Col, Row, Band,
                                 float((Col * 37 + Row * 11 + (Band % 2) * 90) % 200) - 7.25f);
}

// Colour and bilinear samples of Raster from memory (it must offer plain rows) and through its calls.
void ExpectSameSamples(TMMapFile2& Raster) {
    TRowLayout Layout;
    ASSERT_TRUE(Raster.PlainRowLayout(Layout));
    const double Columns = Raster.GridColumns(), Rows = Raster.GridRows();
    const double Nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> Col, Line;
    // Over the top-left 10 x 10 cells at most (VEG grids hold 500 x 500), with the far edges below.
    for (double Y = -1.5; Y <= std::min(Rows, 10.0) + 0.5; Y += 0.375)
        for (double X = -1.25; X <= std::min(Columns, 10.0) + 0.5; X += 0.3125) {
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
                                                                     {Columns - 1, Rows - 1},
                                                                     {Columns - 0.5, Rows - 0.5},
                                                                     {2.5, 0.5}}) {
        Col.push_back(X);
        Line.push_back(Y);
    }
    const TRowPositions At{Col.data(), Line.data(), Col.size()};

    TCellsOf ByCalls(Raster);
    TRowSampler FromMemory(Raster), FromCalls(ByCalls);
    const std::array<float, 3> Back{1, 2, 3};
    std::vector<float> Expected(3 * Col.size()), Actual(3 * Col.size());
    FromCalls.SampleColour(At, Back, Expected.data());
    FromMemory.SampleColour(At, Back, Actual.data());
    ExpectSameBits(Expected, Actual);
    // Areas around every position, one and a half cells wide (a NaN position gives a NaN area).
    std::vector<TCellArea> Areas;
    for (std::size_t I = 0; I < Col.size(); ++I)
        Areas.push_back({Col[I] - 0.75, Col[I] + 0.75, Line[I] - 0.7, Line[I] + 0.8});
    using TSampleBand = std::function<void(TRowSampler&, std::uint32_t, float*)>;
    const std::pair<const char*, TSampleBand> Methods[] = {
        {"bilinear",
         [&](TRowSampler& S, std::uint32_t Band, float* Cells) { S.SampleBilinear(Band, At, Cells); }},
        {"nearest",
         [&](TRowSampler& S, std::uint32_t Band, float* Cells) { S.SampleNearest(Band, At, Cells); }},
        {"cubic", [&](TRowSampler& S, std::uint32_t Band,
                      float* Cells) { S.SampleKernel(Band, TKernel::Cubic, ctFloat64, At, Cells); }},
        {"lanczos", [&](TRowSampler& S, std::uint32_t Band,
                        float* Cells) { S.SampleKernel(Band, TKernel::Lanczos, ctFloat64, At, Cells); }},
        {"average",
         [&](TRowSampler& S, std::uint32_t Band, float* Cells) {
             S.SampleArea(Band, TAreaRule::Average, Areas.data(), Areas.size(), Cells);
         }},
        {"mode",
         [&](TRowSampler& S, std::uint32_t Band, float* Cells) {
             S.SampleArea(Band, TAreaRule::Mode, Areas.data(), Areas.size(), Cells);
         }},
    };
    for (const auto& [Name, Sample] : Methods)
        for (std::uint32_t Band = 0; Band <= Raster.GridBands(); ++Band) { // beyond the last: the last
            SCOPED_TRACE(std::string(Name) + " band " + std::to_string(Band));
            Sample(FromCalls, Band, Expected.data());
            Sample(FromMemory, Band, Actual.data());
            ExpectSameBits(Expected, Actual);
        }
    // Where no cell is empty the checking path gives the methods' values, and its cells without input
    // are the ones Coverage names, where the methods give 0.
    const std::uint32_t Bands = Raster.GridBands();
    const TNoDataCells NoneEmpty(1e6, Bands);
    std::vector<float> Checked(Bands * Col.size());
    std::vector<std::uint8_t> Sampled(Col.size()), Covered(Col.size());
    for (std::size_t M = 0; M < std::size(Methods); ++M) {
        const auto Rule = static_cast<TTapRule>(M == 0 ? 1 : M == 1 ? 0 : M); // the order of Methods
        SCOPED_TRACE(std::string(Methods[M].first) + " checked");
        FromMemory.SampleChecked(Rule, ctFloat64, At, Areas.data(), NoneEmpty, Checked.data(),
                                 Sampled.data());
        // Cells a format cannot read (VEG's -9999) leave cells without input too, as the calls find them.
        if (Layout.HasUnreadable)
            FromCalls.SampleChecked(Rule, ctFloat64, At, Areas.data(), NoneEmpty, Actual.data(),
                                    Covered.data());
        else
            FromCalls.Coverage(Rule, At, Areas.data(), Covered.data());
        EXPECT_EQ(Sampled, Covered);
        for (std::uint32_t Band = 0; Band < Bands; ++Band) {
            Methods[M].second(FromCalls, Band, Expected.data());
            ExpectSameBits({Expected.begin(), Expected.begin() + std::ptrdiff_t(Col.size())},
                           {Checked.begin() + std::ptrdiff_t(Band * Col.size()),
                            Checked.begin() + std::ptrdiff_t((Band + 1) * Col.size())});
        }
    }
}

// One row of values that round, wrap or have no integer, written into row 1 of two new rasters of
// Bands bands and 8 columns: through memory and through the calls.
void WriteOneRow(TMMapFile2& Plain, TMMapFile2& Other, std::uint32_t Bands) {
    const float Nan = std::numeric_limits<float>::quiet_NaN(), Inf = std::numeric_limits<float>::infinity();
    std::vector<float> Row;
    for (std::uint32_t Band = 0; Band < Bands; ++Band)
        for (float Value : {0.5f, 1.5f, -1.0f, 256.0f, 70000.5f, Nan, Inf, -3e9f})
            Row.push_back(Value + float(Band));
    TRowLayout Layout;
    ASSERT_TRUE(Plain.PlainRowLayout(Layout) && Layout.Writable);
    TCellsOf ByCalls(Other);
    WriteCellRow(Plain, 1, Bands, 8, Row.data());
    WriteCellRow(ByCalls, 1, Bands, 8, Row.data());
}

class RowSamplerTest : public test::TTempDirTest,
                       public ::testing::WithParamInterface<std::tuple<std::uint8_t, bool>> {};

TEST_P(RowSamplerTest, ReadsAndWritesInMemoryAsTheCellCallsDo) {
    const auto [Type, MSBFirst] = GetParam();
    const auto Open = [&, Type = Type, MSBFirst = MSBFirst](TMMapFile2& Grid, const char* Name,
                                                            std::uint32_t Columns, std::uint8_t Mode) {
        return Grid.OpenGrid(Path(Name), Columns, 5, Type, 3, Mode, MSBFirst);
    };
    {
        TMMapFile2 Cells;
        ASSERT_TRUE(Open(Cells, "in", 7, omCreate)) << Cells.ErrorText();
        FillCells(Cells);
    }
    TMMapFile2 Input;
    ASSERT_TRUE(Open(Input, "in", 7, omRead));
    ExpectSameSamples(Input);

    TMMapFile2 Plain, Other;
    ASSERT_TRUE(Open(Plain, "plain", 8, omCreate) && Open(Other, "calls", 8, omCreate));
    WriteOneRow(Plain, Other, 3);
    Plain.CloseFile();
    Other.CloseFile();
    EXPECT_EQ(test::ReadBytes(Path("plain")), test::ReadBytes(Path("calls")));
}

INSTANTIATE_TEST_SUITE_P(CellTypes, RowSamplerTest,
                         ::testing::Combine(::testing::Values(ctUnsigned8, ctSigned16, ctUnsigned16,
                                                              ctSigned32, ctUnsigned32, ctFloat32, ctFloat64),
                                            ::testing::Bool()));

class RowSamplerFormatTest : public test::TTempDirTest {};

// Bitmaps keep blue, green, red bottom-up in padded rows; TIFF strips interleave their samples; JPEG
// and wavelet images are decoded into a memory block, which a second thread reads through a view; RSW
// and VEG tiles are decoded a row of tiles at a time (VEG's -9999 cells unreadable); DTM cells follow
// a header.
TEST_F(RowSamplerFormatTest, FormatRowsInMemoryMatchTheirCellCalls) {
    struct TCase {
        const char* Extension;
        std::function<std::unique_ptr<TDataSetRoot2>()> Make;
        std::uint8_t CellType;
        std::int32_t Bands;
        bool WritesRows = true; // a created image takes whole rows in memory
    };
    const auto Bmp = [] { return std::make_unique<TBMPMap2>(); };
    const auto Tif = [] { return std::make_unique<TTifMap2>(); };
    const auto Jpg = [] { return std::make_unique<TJpgMap2>(); };
    const auto Ecw = [] { return std::make_unique<TECWMap2>(); };
    const auto Rsw = [] { return std::make_unique<TRswMap2>(); };
    const auto Veg = [] { return std::make_unique<TVegFile>(); };
    const auto Dtm = [] { return std::make_unique<TDtmMap2>(); };
    for (const TCase& Case : {TCase{".bmp", Bmp, ctUnsigned8, 3}, TCase{".bmp", Bmp, ctUnsigned8, 1},
                              TCase{".tif", Tif, ctUnsigned8, 3}, TCase{".tif", Tif, ctUnsigned16, 1},
                              TCase{".tif", Tif, ctFloat32, 1}, TCase{".jpg", Jpg, ctUnsigned8, 3},
                              TCase{".ecw", Ecw, ctUnsigned8, 1}, TCase{".rsw", Rsw, ctUnsigned8, 3, false},
                              TCase{".veg", Veg, ctFloat32, 1, false}, TCase{".dtm", Dtm, ctFloat32, 1}}) {
        const std::string Name = Path(std::to_string(Case.Bands) + "band" + std::to_string(Case.CellType));
        SCOPED_TRACE(Name + Case.Extension);
        {
            const auto Created = Case.Make();
            ASSERT_TRUE(Created->OpenMap(Name + Case.Extension, 7, 5, Case.CellType, Case.Bands, omCreate))
                << Created->ErrorText();
            FillCells(*Created);
            ASSERT_TRUE(Created->Finish());
        }
        const auto Input = Case.Make();
        ASSERT_TRUE(Input->OpenMap(Name + Case.Extension, 0, 0, ctUnsigned8, 1, omRead))
            << Input->ErrorText();
        ExpectSameSamples(*Input);
        if (const auto View = Input->OpenReadView()) ExpectSameSamples(*View);
        if (!Case.WritesRows) continue;
        {
            const auto Plain = Case.Make(), Other = Case.Make();
            ASSERT_TRUE(
                Plain->OpenMap(Name + "p" + Case.Extension, 8, 3, Case.CellType, Case.Bands, omCreate));
            ASSERT_TRUE(
                Other->OpenMap(Name + "c" + Case.Extension, 8, 3, Case.CellType, Case.Bands, omCreate));
            WriteOneRow(*Plain, *Other, static_cast<std::uint32_t>(Case.Bands));
            ASSERT_TRUE(Plain->Finish() && Other->Finish());
        }
        EXPECT_EQ(test::ReadBytes(Name + "p" + Case.Extension), test::ReadBytes(Name + "c" + Case.Extension));
    }
}

class RowSamplerMethods : public test::TTempDirTest {
protected:
    // A 6 x 6 grid of one band holding Cells (row by row) as cells of CellType.
    TMMapFile2& Grid(const float (&Cells)[6][6], std::uint8_t CellType = ctFloat32) {
        const std::string Name = Path("grid" + std::to_string(++FGrids));
        {
            TMMapFile2 Created;
            EXPECT_TRUE(Created.OpenGrid(Name, 6, 6, CellType, 1, omCreate, false)) << Created.ErrorText();
            for (int Row = 0; Row < 6; ++Row)
                for (int Col = 0; Col < 6; ++Col)
                    Created.WriteCell(Col, Row, 0, Cells[Row][Col]);
        }
        FOpen.push_back(std::make_unique<TMMapFile2>());
        EXPECT_TRUE(FOpen.back()->OpenGrid(Name, 6, 6, CellType, 1, omRead, false));
        return *FOpen.back();
    }

private:
    int FGrids = 0;
    std::vector<std::unique_ptr<TMMapFile2>> FOpen;
};

// Grid[row][column]
const float Digits[6][6] = {
    {3, 1, 4, 1, 5, 9}, {2, 6, 5, 3, 5, 8}, {9, 7, 9, 3, 2, 3},
    {8, 4, 6, 2, 6, 4}, {2, 8, 8, 3, 2, 7}, {8, 2, 0, 2, 8, 8},
};

// Sum over j, i of Y[j] X[i] Digits[FirstRow + j][FirstCol + i], divided by the sum of the weights;
// the cells Skip marks left out.
double Weighted(const std::vector<double>& X, int FirstCol, const std::vector<double>& Y, int FirstRow,
                const std::function<bool(int Row, int Col)>& Skip = nullptr) {
    double Sum = 0, Weight = 0;
    for (std::size_t J = 0; J < Y.size(); ++J)
        for (std::size_t I = 0; I < X.size(); ++I) {
            const int Row = FirstRow + int(J), Col = FirstCol + int(I);
            if (Skip && Skip(Row, Col)) continue;
            Sum += Y[J] * X[I] * Digits[Row][Col];
            Weight += Y[J] * X[I];
        }
    return Sum / Weight;
}

// The cubic convolution kernel (a = -0.5) at the four cells around a position a quarter and half a
// cell past a cell centre: W(1.25), W(0.25), W(0.75), W(1.75) and W(1.5), W(0.5), W(0.5), W(1.5), with
// W(t) = 1.5|t|^3 - 2.5|t|^2 + 1 within one cell and -0.5|t|^3 + 2.5|t|^2 - 4|t| + 2 within two.
const std::vector<double> CubicQuarter{-0.0703125, 0.8671875, 0.2265625, -0.0234375};
const std::vector<double> CubicHalf{-0.0625, 0.5625, 0.5625, -0.0625};
// Lanczos 3 half a cell past a centre: L(t) = sinc(t) sinc(t / 3) is 6/(25 pi^2), -4/(3 pi^2), 6/pi^2 at
// 2.5, 1.5 and 0.5 cells, in proportion 18 : -100 : 450.
const std::vector<double> LanczosHalf{18, -100, 450, 450, -100, 18};

TEST_F(RowSamplerMethods, PointMethodsGiveTheirKernelsWeightedSums) {
    enum class TMethod { Nearest, Bilinear, Cubic, Lanczos };
    const struct {
        TMethod Method;
        double Col, Line;
        double Expected;
    } Cases[] = {
        {TMethod::Nearest, 2.5, 1.5, Digits[2][2]}, // halves to even
        {TMethod::Nearest, 3.4, 0.6, Digits[1][3]},
        {TMethod::Nearest, 5.49, -0.49, Digits[0][5]},
        {TMethod::Nearest, -0.51, 2, 0}, // outside
        {TMethod::Bilinear, 1.25, 2.5, Weighted({0.75, 0.25}, 1, {0.5, 0.5}, 2)},
        {TMethod::Bilinear, 5, 2.5, 0}, // the 2 x 2 block leaves the grid
        {TMethod::Bilinear, 5, 5, Digits[5][5]},
        {TMethod::Cubic, 2.25, 2.5, Weighted(CubicQuarter, 1, CubicHalf, 1)},
        {TMethod::Cubic, 1.5, 3.25, Weighted(CubicHalf, 0, CubicQuarter, 2)},
        {TMethod::Cubic, 1, 3, Digits[3][1]}, // integral: the cell itself
        {TMethod::Cubic, 0.5, 2.5, 0},        // the 4 x 4 block leaves the grid on the left
        {TMethod::Cubic, 2.5, 4.5, 0},        // and at the bottom
        {TMethod::Cubic, 0, 2.5, 0},          // a column edge counts as inside only for integral positions
        {TMethod::Lanczos, 2.5, 2.5, Weighted(LanczosHalf, 0, LanczosHalf, 0)},
        {TMethod::Lanczos, 3, 2, Digits[2][3]},
        {TMethod::Lanczos, 1.5, 2.5, 0}, // the 6 x 6 block leaves the grid
    };
    TRowSampler Sampler(Grid(Digits));
    for (const auto& Case : Cases) {
        SCOPED_TRACE(testing::Message() << int(Case.Method) << " at " << Case.Col << ", " << Case.Line);
        const TRowPositions At{&Case.Col, &Case.Line, 1};
        float Value = -1;
        switch (Case.Method) {
        case TMethod::Nearest:
            Sampler.SampleNearest(0, At, &Value);
            break;
        case TMethod::Bilinear:
            Sampler.SampleBilinear(0, At, &Value);
            break;
        case TMethod::Cubic:
        case TMethod::Lanczos:
            Sampler.SampleKernel(0, Case.Method == TMethod::Cubic ? TKernel::Cubic : TKernel::Lanczos,
                                 ctFloat32, At, &Value);
            break;
        }
        EXPECT_NEAR(Value, Case.Expected, 1e-5);
    }
}

// Kernels read the rows they share once along a row of positions: their values must be those of the
// checking path (which reads every block afresh), wherever along and across a wide grid they jump.
TEST_F(RowSamplerMethods, KernelRowsGiveTheCheckedPathsValues) {
    const std::string Name = Path("wide");
    {
        TMMapFile2 Created;
        ASSERT_TRUE(Created.OpenGrid(Name, 300, 9, ctUnsigned8, 1, omCreate, false));
        FillCells(Created);
    }
    TMMapFile2 Input;
    ASSERT_TRUE(Input.OpenGrid(Name, 300, 9, ctUnsigned8, 1, omRead, false));
    std::vector<double> Col, Line;
    for (double X = 1.3; X < 297; X += 0.9) { // rightwards, drifting down a row every 80 cells
        Col.push_back(X);
        Line.push_back(2.6 + X / 80);
    }
    for (const auto& [X, Y] :
         {std::pair{290.5, 2.5}, {3.25, 4.5}, {150.75, 1.5}, {149.1, 5.9}, {298.5, 3.5}}) {
        Col.push_back(X); // and jumps back and across
        Line.push_back(Y);
    }
    const TRowPositions At{Col.data(), Line.data(), Col.size()};
    for (const TKernel Kernel : {TKernel::Cubic, TKernel::Lanczos}) {
        std::vector<float> Row(Col.size()), Checked(Col.size());
        std::vector<std::uint8_t> Sampled(Col.size());
        TRowSampler Sampler(Input);
        Sampler.SampleKernel(0, Kernel, ctUnsigned8, At, Row.data());
        Sampler.SampleChecked(Kernel == TKernel::Cubic ? TTapRule::Cubic : TTapRule::Lanczos, ctUnsigned8, At,
                              nullptr, TNoDataCells(1e6, 1), Checked.data(), Sampled.data());
        ExpectSameBits(Checked, Row);
        EXPECT_GT(std::count(Row.begin(), Row.end(), 0.0f), 0); // some leave the grid
        EXPECT_LT(std::count(Row.begin(), Row.end(), 0.0f), std::ptrdiff_t(Row.size() / 4));
    }
}

TEST_F(RowSamplerMethods, AreaMethodsWeighOrCountTheCellsTheAreaCovers) {
    // Cell i covers i - 0.5 to i + 0.5: the parts below are the overlaps of the area with each cell.
    const struct {
        TAreaRule Rule;
        TCellArea Area;
        double Expected;
    } Cases[] = {
        {TAreaRule::Average, {0.75, 2.25, 1.0, 2.5}, Weighted({0.75, 0.75}, 1, {0.5, 1}, 1)},
        {TAreaRule::Average, {-0.25, 2.0, 3.6, 3.9}, Weighted({0.75, 1, 0.5}, 0, {1}, 4)},
        {TAreaRule::Average, {-0.5, 0.5, -0.5, 0.5}, Digits[0][0]}, // exactly the corner cell
        {TAreaRule::Average, {4.2, 4.2, 2.0, 2.0}, Digits[2][4]},   // no width: the cell it lies in
        {TAreaRule::Average, {-0.7, 0.3, 1, 2}, 0},                 // reaches outside the grid
        {TAreaRule::Average, {4, 5.6, 1, 2}, 0},
        {TAreaRule::Mode, {2.5, 5.5, -0.5, 2.5}, 3}, // 3 three times, 5 twice
        {TAreaRule::Mode, {2.7, 5.2, -0.3, 2.1}, 3}, // partly covered cells count whole
        {TAreaRule::Mode, {-0.5, 1.5, 3.5, 4.5}, 2}, // 2 and 8 once each: the first
        {TAreaRule::Mode, {-0.5, 1.5, 3.5, 5.5}, 8}, // 2, 8, 8, 2: 8 reaches two first
        {TAreaRule::Mode, {0, 1, 5, 5.6}, 0},
    };
    TRowSampler Sampler(Grid(Digits));
    for (const auto& Case : Cases) {
        const TCellArea& A = Case.Area;
        SCOPED_TRACE(testing::Message() << int(Case.Rule) << " over " << A.ColMin << " to " << A.ColMax
                                        << ", " << A.LineMin << " to " << A.LineMax);
        float Value = -1;
        Sampler.SampleArea(0, Case.Rule, &Case.Area, 1, &Value);
        EXPECT_NEAR(Value, Case.Expected, 1e-5);
    }
}

TEST_F(RowSamplerMethods, KernelOvershootIsHeldWithinTheCellTypesRange) {
    // A step from 0 to 255 between columns 2 and 3: the kernel undershoots before it and overshoots after
    // (the cell beyond the step weighs W(1.25) = -0.0703125 at 1.75 and 3.25).
    float Step[6][6];
    for (auto& Row : Step)
        for (int Col = 0; Col < 6; ++Col)
            Row[Col] = Col < 3 ? 0 : 255;
    const double Col[] = {1.75, 3.25, 2.5}, Line[] = {2.5, 2.5, 2.5};
    const TRowPositions At{Col, Line, 3};
    const struct {
        std::uint8_t CellType;
        float Expected[3];
    } Cases[] = {
        {ctFloat32, {-0.0703125f * 255, (1 + 0.0703125f) * 255, 127.5f}},
        {ctUnsigned8, {0, 255, 127.5f}},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(int(Case.CellType));
        TRowSampler Sampler(Grid(Step, Case.CellType));
        float Values[3] = {};
        Sampler.SampleKernel(0, TKernel::Cubic, Case.CellType, At, Values);
        for (int I = 0; I < 3; ++I)
            EXPECT_NEAR(Values[I], Case.Expected[I], 1e-4) << Col[I];
    }
}

TEST(NoDataCells, ACellIsEmptyOnlyWhenEveryBandHoldsTheValue) {
    const float Nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        double Value;
        std::vector<float> Bands;
        bool Empty;
    } Cases[] = {
        {-9999, {-9999}, true},
        {-9999, {-9998}, false},
        {0, {0, 0, 0}, true},
        {0, {0, 7, 0}, false},
        {NAN, {Nan, Nan}, true},
        {NAN, {Nan, 1}, false},
        {-1.7976931348623157e308, {-INFINITY}, true}, // a 64-bit cell read as a float
        {1e300, {3e38f}, false},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(testing::Message() << Case.Value << " over " << Case.Bands.size() << " bands");
        const TNoDataCells NoData(Case.Value, static_cast<std::uint32_t>(Case.Bands.size()));
        EXPECT_EQ(NoData.Empty(Case.Bands.data(), 1), Case.Empty);
    }
}

TEST_F(RowSamplerMethods, EmptyCellsNeverLeakIntoTheMethodsValues) {
    // Digits with -1e30 for empty cells: one at row 2, column 1, and the 2 x 2 block at the bottom right.
    constexpr float Empty = -1e30f;
    const auto IsEmpty = [](int Row, int Col) { return (Row == 2 && Col == 1) || (Row >= 4 && Col >= 4); };
    float Cells[6][6];
    for (int Row = 0; Row < 6; ++Row)
        for (int Col = 0; Col < 6; ++Col)
            Cells[Row][Col] = IsEmpty(Row, Col) ? Empty : Digits[Row][Col];
    const std::optional<double> None;
    const struct {
        TTapRule Rule;
        double Col, Line;               // a point, or the middle of an area one cell high and 1.5 wide
        std::optional<double> Expected; // none: no input cell is sampled
    } Cases[] = {
        {TTapRule::Nearest, 1.2, 1.9, None},
        {TTapRule::Nearest, 0.4, 2.2, Digits[2][0]},
        {TTapRule::Bilinear, 1.25, 2.5, Weighted({0.75, 0.25}, 1, {0.5, 0.5}, 2, IsEmpty)},
        {TTapRule::Bilinear, 4.5, 4.5, None}, // every cell of its block is empty
        {TTapRule::Bilinear, 1, 2, None},     // integral: its cell alone
        {TTapRule::Cubic, 2.25, 2.5, Weighted(CubicQuarter, 1, CubicHalf, 1, IsEmpty)},
        {TTapRule::Cubic, 2.5, 2.25, Weighted(CubicHalf, 1, CubicQuarter, 1, IsEmpty)},
        {TTapRule::Lanczos, 2.5, 2.5, Weighted(LanczosHalf, 0, LanczosHalf, 0, IsEmpty)},
        {TTapRule::Average, 1.5, 2, Weighted({0.75, 0.75}, 1, {1}, 2, IsEmpty)},
        {TTapRule::Average, 4.5, 4.5, None},
        {TTapRule::Mode, 1, 2, Digits[2][0]}, // 9 and the empty cell: 9
    };
    TRowSampler Sampler(Grid(Cells));
    for (const auto& Case : Cases) {
        SCOPED_TRACE(testing::Message() << int(Case.Rule) << " at " << Case.Col << ", " << Case.Line);
        const TRowPositions At{&Case.Col, &Case.Line, 1};
        const TCellArea Area{Case.Col - 0.75, Case.Col + 0.75, Case.Line - 0.5, Case.Line + 0.5};
        float Value = -1;
        std::uint8_t Sampled = 2;
        Sampler.SampleChecked(Case.Rule, ctFloat32, At, &Area, TNoDataCells(Empty, 1), &Value, &Sampled);
        EXPECT_EQ(Sampled, Case.Expected.has_value());
        EXPECT_NEAR(Value, Case.Expected.value_or(0), 1e-4);
    }
}

} // namespace
} // namespace vortane
