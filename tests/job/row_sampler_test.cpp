// Rows read and written straight in memory give the same values as the cell calls, for every cell
// type and byte order and for the formats with layouts of their own, at the edges, outside the grid
// and at positions that are no cell at all.
#include "job/row_sampler.hpp"
#include "raster/bmp/bmp_map.hpp"
#include "raster/ecw/ecw_map.hpp"
#include "raster/jpeg/jpeg_map.hpp"
#include "raster/tiff/tiff_map.hpp"
#include "support/temp_dir.hpp"
#include "text/types.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
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
    for (std::uint32_t Band = 0; Band <= Raster.GridBands();
         ++Band) { // the band beyond the last reads the last
        SCOPED_TRACE(Band);
        FromCalls.SampleBilinear(Band, At, Expected.data());
        FromMemory.SampleBilinear(Band, At, Actual.data());
        ExpectSameBits(Expected, Actual);
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
// and wavelet images are decoded into a memory block, which a second thread reads through a view.
TEST_F(RowSamplerFormatTest, FormatRowsInMemoryMatchTheirCellCalls) {
    struct TCase {
        const char* Extension;
        std::function<std::unique_ptr<TDataSetRoot2>()> Make;
        std::uint8_t CellType;
        std::int32_t Bands;
    };
    const auto Bmp = [] { return std::make_unique<TBMPMap2>(); };
    const auto Tif = [] { return std::make_unique<TTifMap2>(); };
    const auto Jpg = [] { return std::make_unique<TJpgMap2>(); };
    const auto Ecw = [] { return std::make_unique<TECWMap2>(); };
    for (const TCase& Case : {TCase{".bmp", Bmp, ctUnsigned8, 3}, TCase{".bmp", Bmp, ctUnsigned8, 1},
                              TCase{".tif", Tif, ctUnsigned8, 3}, TCase{".tif", Tif, ctUnsigned16, 1},
                              TCase{".tif", Tif, ctFloat32, 1}, TCase{".jpg", Jpg, ctUnsigned8, 3},
                              TCase{".ecw", Ecw, ctUnsigned8, 1}}) {
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

} // namespace
} // namespace vortane
