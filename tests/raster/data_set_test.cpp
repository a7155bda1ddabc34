#include "raster/data_set.hpp"

#include "raster/raster.hpp"
#include "support/temp_dir.hpp"
#include "text/types.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <string>

namespace vortane {
namespace {

class DataSet : public test::TTempDirTest {
protected:
    // A 3 x 2 single-float image with cells of 10 map units whose top-left corner is at (1000, 2000);
    // cell (c, r) holds 10 r + c.
    std::string CreateSmallImage() const {
        const std::string Name = Path("small.ers");
        TDataSet2 Output;
        EXPECT_TRUE(Output.Open(Name, 3, 2, ctFloat32, 1, omCreate)) << Output.GetErrorText();
        Output.SetGeoreference("WE", "WGS84", "GEODETIC", 10, 10, 0, 0, 1000, 2000);
        for (int Row = 0; Row < 2; ++Row)
            for (int Col = 0; Col < 3; ++Col)
                EXPECT_TRUE(Output.Raster()->WriteCell(Col, Row, 0, float(10 * Row + Col)));
        return Name;
    }
};

void ExpectNoRasterDefaults(const TDataSet2& Set) {
    EXPECT_EQ(Set.Raster(), nullptr);
    EXPECT_EQ(Set.GetBands(), 0);
    EXPECT_EQ(Set.GetColumns(), 0);
    EXPECT_EQ(Set.GetRows(), 0);
    EXPECT_EQ(Set.GetCellType(), ctUnsigned8);
    EXPECT_EQ(Set.GetCellSizeX(), 1.0);
    EXPECT_EQ(Set.GetCellSizeY(), 1.0);
    EXPECT_EQ(Set.GetOriginX(), 0.0);
    EXPECT_EQ(Set.GetOriginY(), 0.0);
    EXPECT_EQ(Set.GetErrorCode(), 0);
    std::string Text = "unchanged";
    Set.GetSpheroid(Text);
    Set.GetDatum(Text);
    Set.GetProjection(Text);
    EXPECT_EQ(Text, "unchanged");
}

TEST_F(DataSet, FailuresBeforeChoosingARasterKeepTheDefaults) {
    const struct {
        std::string File;
        std::uint8_t Mode;
        std::string Error;
    } Cases[] = {
        {"", omRead, "No file name"},
        {"", omCreate, "No file name"},
        {Path("missing.ers"), omRead, "No file: " + Path("missing.ers")},
        {Dir().string(), omRead, "No file: " + Dir().string()},
        {WriteFile("short.ers", "DATA"), omRead, "No data available"},
        {WriteFile("plain.xyz", "just some text"), omRead, "Unknown file type: " + Path("plain.xyz")},
        {Path("out.jpeg"), omCreate, "No image format writes the extension \".jpeg\""},
        {Path("out"), omCreate, "The name has no extension to choose an image format by"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.File);
        TDataSet2 Set;
        float Value = 7;
        EXPECT_FALSE(Set.Open(Case.File, 0, 0, ctUnsigned8, 1, Case.Mode));
        EXPECT_EQ(Set.GetErrorText(), Case.Error);
        ExpectNoRasterDefaults(Set);
        EXPECT_FALSE(Set.ReadValue(0, Value, 0, 0, true));
        EXPECT_EQ(Value, 7);
        Set.SetGeoreference("WE", "WGS84", "GEODETIC", 1, 1, 0, 0, 0, 0); // harmless without a raster
        Set.SetErrorText("kept");
        EXPECT_EQ(Set.GetErrorText(), "kept");
    }
}

TEST_F(DataSet, AnUnrecognisedFileIsNotBlamedOnAnEarlierFile) {
    TDataSet2 Short;
    EXPECT_FALSE(Short.Open(WriteFile("short.ers", "DA"), 0, 0, ctUnsigned8, 1, omRead));
    EXPECT_EQ(Short.GetErrorText(), "No data available");
    TDataSet2 Unknown;
    EXPECT_FALSE(Unknown.Open(WriteFile("plain.xyz", "just some text"), 0, 0, ctUnsigned8, 1, omRead));
    EXPECT_EQ(Unknown.GetErrorText(), "Unknown file type: " + Path("plain.xyz"));
}

TEST_F(DataSet, ReadingChoosesTheClassByContentAndCreatingByExtension) {
    const struct {
        std::string File;
        std::uint8_t Mode;
        int FileType;
    } Cases[] = {
        {WriteFile("header.bin", "DatasetHeader Begin\n"), omRead, ftErs},
        {WriteFile("tiff.ers", std::string("II*\0\0\0\0\0", 8)), omRead, ftTif},
        {WriteFile("photo.bin", std::string("\xFF\xD8\xFF\xE0\0\0\0\0", 8)), omRead, ftJpg},
        {WriteFile("grid.001", "nothing recognisable"), omRead, ftNog},
        {Path("new.tiff"), omCreate, ftTif},
        {Path("new.gif"), omCreate, ftGif},
        {Path("new.ERS"), omCreate, ftErs},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.File);
        TDataSet2 Set;
        Set.Open(Case.File, 4, 4, ctUnsigned8, 1, Case.Mode);
        EXPECT_EQ(Set.GetFileType(), Case.FileType);
        // A format whose raster class is not part of the build says so instead of guessing.
        if (Set.Raster() == nullptr) {
            EXPECT_EQ(Set.GetErrorText(),
                      FormatName(Case.FileType) + " images are not supported by this build: " + Case.File);
        }
    }
    EXPECT_EQ(FormatName(ftGif), "Ortho data set");
    EXPECT_EQ(FormatName(ftUnknown), "unknown");
}

TEST_F(DataSet, ARasterThatCannotOpenKeepsItsErrorAndIsStillUsed) {
    TDataSet2 Set;
    EXPECT_FALSE(Set.Open(WriteFile("header.bin", "DatasetHeader Begin\nDatasetHeader End\n"), 0, 0,
                          ctUnsigned8, 1, omRead));
    ASSERT_NE(Set.Raster(), nullptr);
    EXPECT_EQ(Set.GetFileType(), ftErs);
    EXPECT_FALSE(Set.GetErrorText().empty());
    Set.SetErrorText("replaced");
    EXPECT_EQ(Set.Raster()->ErrorText(), "replaced");
}

TEST_F(DataSet, ForwardsTheGeometryAndGeoreferenceOfAnOpenedImage) {
    const std::string Name = CreateSmallImage();
    TDataSet2 Input;
    ASSERT_TRUE(Input.Open(Name, 0, 0, ctUnsigned8, 1, omRead)) << Input.GetErrorText();
    EXPECT_EQ(Input.GetColumns(), 3);
    EXPECT_EQ(Input.GetRows(), 2);
    EXPECT_EQ(Input.GetBands(), 1);
    EXPECT_EQ(Input.GetCellType(), ctFloat32);
    EXPECT_EQ(Input.GetCellSizeX(), 10);
    EXPECT_EQ(Input.GetCellSizeY(), 10);
    EXPECT_EQ(Input.GetOriginX(), 1000);
    EXPECT_EQ(Input.GetOriginY(), 2000);
    EXPECT_EQ(Input.GetErrorCode(), 0);
    std::string Datum, Projection;
    Input.GetDatum(Datum);
    Input.GetProjection(Projection);
    EXPECT_EQ(Datum, "\"WGS84\""); // header values keep their quotes
    EXPECT_EQ(Projection, "\"GEODETIC\"");
}

TEST_F(DataSet, ReadsValuesAtMapPositions) {
    TDataSet2 Input;
    ASSERT_TRUE(Input.Open(CreateSmallImage(), 0, 0, ctUnsigned8, 1, omRead)) << Input.GetErrorText();
    const double NaN = std::numeric_limits<double>::quiet_NaN();
    const double Inf = std::numeric_limits<double>::infinity();
    // Untouched: the data set itself turns the position away, so Value keeps what it held.
    enum TResult { Found, Refused, Untouched };
    const struct {
        double Col, Row; // cell coordinates of the map position
        bool Interpolate;
        TResult Result;
        float Value;
    } Cases[] = {
        {0, 0, false, Found, 0},         {1.4, 0.6, false, Found, 11},
        {0.5, 0.5, false, Found, 0}, // halves go to the even cell
        {1.5, 0.5, false, Found, 2},     {2.4, 1.4, false, Found, 12},
        {3.0, 0, false, Refused, 0},    // right of the image: the raster refuses
        {0, 2.0, false, Refused, 0},    // below the image
        {-0.1, 0, false, Untouched, 7}, // left of the image
        {0, -0.1, false, Untouched, 7}, // above the image
        {0.5, 0.5, true, Found, 5.5},   // bilinear between cells 0, 1, 10, 11
        {1, 1, true, Found, 11},        // an integral position reads its cell
        {1.25, 0, true, Found, 1.25},    {2.5, 0.5, true, Refused, 0}, // the 2 x 2 block leaves the image
        {-0.5, 0.5, true, Untouched, 7}, {NaN, 0, true, Untouched, 7},
        {0, NaN, false, Untouched, 7},   {Inf, 0, false, Untouched, 7},
        {1e300, 0, false, Untouched, 7},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(testing::Message()
                     << Case.Col << ", " << Case.Row << (Case.Interpolate ? " bilinear" : ""));
        float Value = 7;
        EXPECT_EQ(Input.ReadValue(0, Value, 1000 + 10 * Case.Col, 2000 - 10 * Case.Row, Case.Interpolate),
                  Case.Result == Found);
        if (Case.Result != Refused) {
            EXPECT_FLOAT_EQ(Value, Case.Value);
        }
    }
}

TEST_F(DataSet, AStoredCellSizeOfZeroReadsAsOneAndCannotBeSampled) {
    WriteFile("zero", std::string(16, '\x05'));
    const std::string Header = WriteFile("zero.ers", "DatasetHeader Begin\n"
                                                     "  ByteOrder = LSBFirst\n"
                                                     "  CoordinateSpace Begin\n"
                                                     "    Datum = \"RAW\"\n"
                                                     "    Projection = \"RAW\"\n"
                                                     "    CoordinateType = RAW\n"
                                                     "  CoordinateSpace End\n"
                                                     "  RasterInfo Begin\n"
                                                     "    CellType = Unsigned8BitInteger\n"
                                                     "    CellInfo Begin\n"
                                                     "      Xdimension = 0\n"
                                                     "      Ydimension = 0\n"
                                                     "    CellInfo End\n"
                                                     "    NrOfLines = 4\n"
                                                     "    NrOfCellsPerLine = 4\n"
                                                     "    NrOfBands = 1\n"
                                                     "  RasterInfo End\n"
                                                     "DatasetHeader End\n");
    TDataSet2 Input;
    ASSERT_TRUE(Input.Open(Header, 0, 0, ctUnsigned8, 1, omRead)) << Input.GetErrorText();
    EXPECT_EQ(Input.Raster()->GetCellSizeX(), 0);
    EXPECT_EQ(Input.GetCellSizeX(), 1.0);
    EXPECT_EQ(Input.GetCellSizeY(), 1.0);
    for (const bool Interpolate : {false, true}) {
        float Value = 7;
        EXPECT_FALSE(Input.ReadValue(0, Value, 0.5, -0.5, Interpolate));
        EXPECT_FALSE(Input.ReadValue(0, Value, 0, 0, Interpolate)); // 0 / 0
        EXPECT_EQ(Value, 7);
    }
}

TEST_F(DataSet, OpeningAgainReleasesTheEarlierRaster) {
    TDataSet2 Set;
    ASSERT_TRUE(Set.Open(CreateSmallImage(), 0, 0, ctUnsigned8, 1, omRead));
    EXPECT_FALSE(Set.Open(Path("missing.ers"), 0, 0, ctUnsigned8, 1, omRead));
    EXPECT_EQ(Set.GetErrorText(), "No file: " + Path("missing.ers"));
    ExpectNoRasterDefaults(Set);
}

} // namespace
} // namespace vortane

namespace vortane {
namespace {

// Creating an image replaces its auxiliary file: formats whose header other programs cannot read a
// system from get the description's WKT there (as GDAL writes the file), a GeoTIFF none, and a left-over
// file from an earlier image of that name never survives to misplace the new one.
TEST_F(DataSet, CreatingAnImageReplacesItsAuxiliaryFile) {
    TSystemDescription System;
    System.Wkt = "GEOGCS[\"A & B <1>\"]";
    System.AxisMapping = "2,1";
    const std::vector<std::pair<std::string, bool>> Cases = {
        {"out.jpg", true}, {"out.ers", true}, {"out.tif", false}};
    for (const auto& [Image, Written] : Cases) {
        SCOPED_TRACE(Image);
        const std::string Side = SystemSideFileName(Path(Image));
        test::WriteText(Side, "<PAMDataset><SRS>stale</SRS></PAMDataset>");
        TDataSet2 Output;
        Output.SetOutputSystem(System);
        ASSERT_TRUE(Output.Open(Path(Image), 2, 2, ctUnsigned8, 1, omCreate)) << Output.GetErrorText();
        if (Written)
            EXPECT_EQ(test::ReadText(Side), "<PAMDataset>\n  <SRS dataAxisToSRSAxisMapping=\"2,1\">"
                                            "GEOGCS[\"A &amp; B &lt;1&gt;\"]</SRS>\n</PAMDataset>\n");
        else
            EXPECT_FALSE(std::filesystem::exists(Side));
    }

    // Without a system nothing is claimed, and the old file still goes.
    test::WriteText(SystemSideFileName(Path("plain.jpg")), "stale");
    TDataSet2 Plain;
    ASSERT_TRUE(Plain.Open(Path("plain.jpg"), 2, 2, ctUnsigned8, 1, omCreate));
    EXPECT_FALSE(std::filesystem::exists(SystemSideFileName(Path("plain.jpg"))));
}

TEST_F(DataSet, AnAuxiliaryFileThatCannotBeWrittenFailsTheCreation) {
    std::filesystem::create_directory(SystemSideFileName(Path("out.bmp")));
    TSystemDescription System;
    System.Wkt = "LOCAL_CS[\"x\"]";
    TDataSet2 Output;
    Output.SetOutputSystem(System);
    EXPECT_FALSE(Output.Open(Path("out.bmp"), 2, 2, ctUnsigned8, 1, omCreate));
    EXPECT_EQ(Output.GetErrorCode(), 1);
    EXPECT_EQ(Output.GetErrorText().rfind("Cannot write " + SystemSideFileName(Path("out.bmp")) + ": ", 0),
              0u)
        << Output.GetErrorText();
}

} // namespace
} // namespace vortane
