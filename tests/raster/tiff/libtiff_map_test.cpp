// TIFF images the mapped reader refuses, read through libtiff: every shape gives the cells, geometry and
// placement of its uncompressed form, and a damaged one a clear text; neither leaves a temporary
// cell file behind.

#include "raster/data_set.hpp"
#include "raster/tiff/libtiff_map.hpp"
#include "raster/tiff/libtiff_writer.hpp"
#include "raster/tiff/tiff_map.hpp"
#include "support/temp_dir.hpp"
#include "text/types.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>

namespace vortane {
namespace {

using test::TTiffShape;

// The system's temporary folder is a private one for each test, so that what is left in it shows.
class LibTiffTest : public test::TTempDirTest {
protected:
    void SetUp() override {
        std::filesystem::create_directory(Path("tmp"));
        FTempFolder.emplace(Path("tmp"));
    }
    void TearDown() override { FTempFolder.reset(); }
    bool TempFolderEmpty() const { return std::filesystem::is_empty(Path("tmp")); }

private:
    std::optional<test::TTempFolderOverride> FTempFolder;
};

// GDAL_NODATA as other programs write it, read by the mapped reader (strips) and through libtiff
// (deflated): a text that is no number declares nothing.
TEST_F(LibTiffTest, BothReadersTakeTheNoDataTag) {
    const struct {
        std::string Text;
        std::optional<double> NoData;
    } Cases[] = {{"", std::nullopt}, {"-9999", -9999.0}, {" 255 ", 255.0}, {"none", std::nullopt}};
    for (const std::uint16_t Compression : {COMPRESSION_NONE, COMPRESSION_ADOBE_DEFLATE})
        for (const auto& Case : Cases) {
            SCOPED_TRACE(testing::Message() << Compression << " \"" << Case.Text << '"');
            ASSERT_TRUE(
                test::WriteTiff(Path("nodata.tif"), {.Compression = Compression, .NoData = Case.Text}));
            TDataSet2 Image;
            ASSERT_TRUE(Image.Open(Path("nodata.tif"), 0, 0, ctUnsigned8, 1, omRead)) << Image.GetErrorText();
            EXPECT_EQ(dynamic_cast<TLibTiffMap2*>(Image.Raster()) != nullptr,
                      Compression != COMPRESSION_NONE);
            EXPECT_EQ(Image.Raster()->NoDataValue(), Case.NoData);
        }
    // NaN never equals itself: checked on its own.
    ASSERT_TRUE(
        test::WriteTiff(Path("nan.tif"), {.Bits = 32, .Format = SAMPLEFORMAT_IEEEFP, .NoData = "nan"}));
    TDataSet2 Image;
    ASSERT_TRUE(Image.Open(Path("nan.tif"), 0, 0, ctUnsigned8, 1, omRead));
    EXPECT_TRUE(std::isnan(Image.Raster()->NoDataValue().value_or(0)));
}

struct TShapeCase {
    const char* Name;
    std::function<void(TTiffShape&)> Shape;
    std::uint8_t CellType = ctUnsigned8;
};

void PrintTo(const TShapeCase& Case, std::ostream* Out) {
    *Out << Case.Name;
}

class LibTiffShapes : public LibTiffTest, public ::testing::WithParamInterface<TShapeCase> {};

TEST_P(LibTiffShapes, ReadLikeTheUncompressedImage) {
    TTiffShape Shape;
    GetParam().Shape(Shape);
    ASSERT_TRUE(test::WriteTiff(Path("image.tif"), Shape));
    const bool Mapped = Shape.Compression == COMPRESSION_NONE && Shape.Tile == 0 && !Shape.BigTiff &&
                        !Shape.Alpha && Shape.Bits % 8 == 0;
    const std::uint32_t Bands = Shape.Samples - (Shape.Alpha ? 1 : 0);
    {
        TDataSet2 Image;
        ASSERT_TRUE(Image.Open(Path("image.tif"), 0, 0, ctUnsigned8, 1, omRead)) << Image.GetErrorText();
        auto* Decoded = dynamic_cast<TLibTiffMap2*>(Image.Raster());
        EXPECT_EQ(Decoded == nullptr, Mapped) << "files the mapped reader can address stay with it";
        if (Decoded) {
            EXPECT_EQ(std::filesystem::path(Decoded->CellFileName()).parent_path(), Path("tmp"));
        }
        EXPECT_EQ(Image.GetFileType(), ftTif);
        EXPECT_EQ(Image.GetColumns(), 37);
        EXPECT_EQ(Image.GetRows(), 23);
        EXPECT_EQ(Image.GetBands(), static_cast<std::int32_t>(Bands));
        EXPECT_EQ(Image.GetCellType(), GetParam().CellType);
        EXPECT_EQ(Image.GetCellSizeX(), 2.0);
        EXPECT_EQ(Image.GetCellSizeY(), 3.0);
        EXPECT_EQ(Image.GetOriginX(), 500001.0); // the centre of the top-left cell
        EXPECT_EQ(Image.GetOriginY(), 5999998.5);
        std::string Projection;
        Image.GetProjection(Projection);
        EXPECT_EQ(Projection, "NUTM33");
        const TGeoKeySet& Keys = Image.Raster()->Record().FGeoKeys;
        EXPECT_EQ(Keys.Keys.size(), 4u) << "every key is kept";
        EXPECT_EQ(Keys.Short(gkProjectedCSType), 32633);
        ASSERT_NE(Keys.Find(gkGeogCitation), nullptr);
        EXPECT_EQ(Keys.Find(gkGeogCitation)->Text, "WGS 84");
        EXPECT_EQ(Keys.Double(gkGeogSemiMajorAxis), 6378137.0);

        // The raster and a second view (as a sampling thread opens it) read the same cells.
        std::unique_ptr<TMMapFile2> View = Image.Raster()->OpenReadView();
        ASSERT_NE(View, nullptr);
        // Where white is zero, the largest value a sample holds is black; bilevel cells are 0 or 255.
        const double Black = Shape.Photometric == PHOTOMETRIC_MINISWHITE ? (1 << Shape.Bits) - 1 : 0;
        const double Scale = Shape.Bits == 1 ? 255 : 1;
        const auto ExpectedCell = [&](std::uint32_t Col, std::uint32_t Row, std::uint32_t Band) {
            const double Stored = test::SampleValue(Col, Row, Band, Shape);
            return static_cast<float>(Scale * (Black > 0 ? Black - Stored : Stored));
        };
        for (std::uint32_t Band = 0; Band < Bands; ++Band)
            for (std::uint32_t Row = 0; Row < 23; ++Row)
                for (std::uint32_t Col = 0; Col < 37; ++Col) {
                    const float Expected = ExpectedCell(Col, Row, Band);
                    float Value = -1, Again = -1;
                    ASSERT_TRUE(Image.Raster()->ReadCell(Col, Row, Band, Value));
                    ASSERT_TRUE(View->ReadCell(Col, Row, Band, Again));
                    ASSERT_EQ(Value, Expected) << Col << ", " << Row << ", band " << Band;
                    ASSERT_EQ(Again, Expected) << Col << ", " << Row << ", band " << Band;
                }
        EXPECT_FALSE(Image.Raster()->WriteCell(0, 0, 0, 1)) << "opened for reading";

        // The decoded grid offers its rows whole, as the row sampler reads them.
        TRowLayout Layout;
        if (Decoded && Decoded->PlainRowLayout(Layout)) {
            EXPECT_EQ(Layout.Bands, Bands);
            EXPECT_EQ(Layout.Writable, false);
            for (std::uint32_t Row = 0; Row < 23; ++Row) {
                unsigned char* First = nullptr;
                unsigned char* Last = nullptr;
                ASSERT_TRUE(Decoded->MapRows(Row, Row, First, Last));
                for (std::uint32_t Band = 0; Band < Bands; ++Band)
                    for (std::uint32_t Col = 0; Col < 37; ++Col) {
                        const unsigned char* Cell =
                            First + Layout.FirstBand + Col * Layout.ColumnStride + Band * Layout.BandStride;
                        ASSERT_EQ(DecodeCell(Cell, Layout.CellType, Layout.LSBFirst),
                                  ExpectedCell(Col, Row, Band))
                            << Col << ", " << Row << ", band " << Band;
                    }
            }
        } else {
            EXPECT_EQ(Decoded, nullptr) << "a decoded image offers plain rows";
        }
    }
    EXPECT_TRUE(TempFolderEmpty()) << "the temporary cell file goes with the raster";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Shapes, LibTiffShapes, ::testing::Values(
    TShapeCase{"uncompressed strips", [](TTiffShape&) {}},
    TShapeCase{"LZW", [](TTiffShape& S) { S.Compression = COMPRESSION_LZW; }},
    TShapeCase{"Deflate RGB with predictor", [](TTiffShape& S) {
        S.Compression = COMPRESSION_ADOBE_DEFLATE, S.Predictor = PREDICTOR_HORIZONTAL, S.Samples = 3;
        S.Photometric = PHOTOMETRIC_RGB; }},
    TShapeCase{"PackBits where white is zero", [](TTiffShape& S) {
        S.Compression = COMPRESSION_PACKBITS, S.Photometric = PHOTOMETRIC_MINISWHITE; }},
    TShapeCase{"tiled RGB with edge tiles", [](TTiffShape& S) {
        S.Compression = COMPRESSION_ADOBE_DEFLATE, S.Tile = 16, S.Samples = 3, S.Photometric = PHOTOMETRIC_RGB; }},
    TShapeCase{"tiled planes", [](TTiffShape& S) {
        S.Compression = COMPRESSION_LZW, S.Tile = 16, S.Samples = 3, S.Photometric = PHOTOMETRIC_RGB;
        S.Planar = PLANARCONFIG_SEPARATE; }},
    TShapeCase{"BigTIFF strips in planes", [](TTiffShape& S) {
        S.BigTiff = true, S.Samples = 3, S.Photometric = PHOTOMETRIC_RGB, S.Planar = PLANARCONFIG_SEPARATE; }},
    TShapeCase{"16-bit LZW tiled with predictor", [](TTiffShape& S) {
        S.Bits = 16, S.Compression = COMPRESSION_LZW, S.Predictor = PREDICTOR_HORIZONTAL, S.Tile = 16; },
        ctUnsigned16},
    TShapeCase{"float Deflate with predictor", [](TTiffShape& S) {
        S.Bits = 32, S.Format = SAMPLEFORMAT_IEEEFP, S.Compression = COMPRESSION_ADOBE_DEFLATE;
        S.Predictor = PREDICTOR_FLOATINGPOINT; }, ctFloat32},
    TShapeCase{"RGBA reads its colour bands", [](TTiffShape& S) {
        S.Compression = COMPRESSION_LZW, S.Samples = 4, S.Alpha = true, S.Photometric = PHOTOMETRIC_RGB; }},
    TShapeCase{"uncompressed RGBA", [](TTiffShape& S) {
        S.Samples = 4, S.Alpha = true, S.Photometric = PHOTOMETRIC_RGB; }},
    TShapeCase{"uncompressed bilevel where white is zero", [](TTiffShape& S) {
        S.Bits = 1, S.Photometric = PHOTOMETRIC_MINISWHITE; }},
    TShapeCase{"bilevel LZW, bits in reverse order", [](TTiffShape& S) {
        S.Bits = 1, S.Compression = COMPRESSION_LZW, S.FillOrder = FILLORDER_LSB2MSB; }},
    TShapeCase{"uncompressed 4-bit RGB planes", [](TTiffShape& S) {
        S.Bits = 4, S.Samples = 3, S.Photometric = PHOTOMETRIC_RGB, S.Planar = PLANARCONFIG_SEPARATE; }},
    TShapeCase{"4-bit PackBits tiled where white is zero", [](TTiffShape& S) {
        S.Bits = 4, S.Compression = COMPRESSION_PACKBITS, S.Tile = 16, S.Photometric = PHOTOMETRIC_MINISWHITE; }},
    TShapeCase{"uncompressed 12-bit", [](TTiffShape& S) { S.Bits = 12; }, ctUnsigned16},
    TShapeCase{"12-bit RGB Deflate tiled", [](TTiffShape& S) {
        S.Bits = 12, S.Compression = COMPRESSION_ADOBE_DEFLATE, S.Tile = 16, S.Samples = 3;
        S.Photometric = PHOTOMETRIC_RGB; }, ctUnsigned16}));
// clang-format on

// Replaces the value of the first directory's entry for Tag (one LONG value, kept in the entry) by
// what Change makes of it and of the file size; the files are little-endian classic TIFFs.
void PatchEntry(const std::string& Name, std::uint16_t Tag,
                const std::function<std::uint32_t(std::uint32_t, std::size_t)>& Change) {
    std::vector<unsigned char> Bytes = test::ReadBytes(Name);
    const auto Directory = test::ValueAt<std::uint32_t>(Bytes, 4);
    const auto Count = test::ValueAt<std::uint16_t>(Bytes, Directory);
    for (std::size_t Entry = Directory + 2; Entry < Directory + 2 + 12u * Count; Entry += 12)
        if (test::ValueAt<std::uint16_t>(Bytes, Entry) == Tag) {
            const std::uint32_t Value = Change(test::ValueAt<std::uint32_t>(Bytes, Entry + 8), Bytes.size());
            std::memcpy(Bytes.data() + Entry + 8, &Value, 4);
        }
    test::WriteBytes(Name, Bytes);
}

TEST_F(LibTiffTest, DamagedImagesFailWithTheirReasonAndLeaveNoCellFile) {
    struct TCase {
        const char* Name;
        std::function<void(TTiffShape&)> Shape;
        std::uint16_t Tag;
        std::function<std::uint32_t(std::uint32_t, std::size_t)> Change;
        std::string Reason;
    };
    const auto OneBlock = [](TTiffShape& S) { S.Width = S.Height = S.RowsPerStrip = 64; };
    const std::vector<TCase> Cases = {
        {"LZW strip cut short", [&](TTiffShape& S) { OneBlock(S), S.Compression = COMPRESSION_LZW; },
         TIFFTAG_STRIPBYTECOUNTS, [](std::uint32_t Count, std::size_t) { return Count / 3; },
         "cannot be decoded: LZWDecode: Strip 0 not terminated with EOI code"},
        {"tile past the end of the file",
         [&](TTiffShape& S) { OneBlock(S), S.Compression = COMPRESSION_ADOBE_DEFLATE, S.Tile = 64; },
         TIFFTAG_TILEOFFSETS,
         [](std::uint32_t, std::size_t Size) { return static_cast<std::uint32_t>(Size + 4096); },
         "tile 0 cannot be decoded: TIFFFillTile: Read error"},
        {"CMYK",
         [](TTiffShape& S) {
             S.Compression = COMPRESSION_LZW, S.Samples = 4, S.Photometric = PHOTOMETRIC_SEPARATED;
         },
         0, nullptr, "Not greyScale or RGB"},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TTiffShape Shape;
        Case.Shape(Shape);
        ASSERT_TRUE(test::WriteTiff(Path("bad.tif"), Shape));
        if (Case.Change) PatchEntry(Path("bad.tif"), Case.Tag, Case.Change);
        TDataSet2 Image;
        EXPECT_FALSE(Image.Open(Path("bad.tif"), 0, 0, ctUnsigned8, 1, omRead));
        EXPECT_EQ(Image.GetErrorCode(), 1);
        EXPECT_THAT(Image.GetErrorText(),
                    ::testing::StartsWith("Cannot read TIFF image " + Path("bad.tif") + ": "));
        EXPECT_THAT(Image.GetErrorText(), ::testing::HasSubstr(Case.Reason));
        EXPECT_TRUE(TempFolderEmpty());
    }
}

} // namespace
} // namespace vortane
