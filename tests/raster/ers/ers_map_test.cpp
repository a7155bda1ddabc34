#include "raster/ers/ers_map.hpp"

#include "support/header_file_test.hpp"
#include "support/temp_dir.hpp"
#include "text/strings.hpp"
#include "text/types.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

namespace vortane {
namespace {

using test::ReadBytes;
using test::ReadText;
using test::WriteBytes;
using test::WriteText;

bool HasLine(const std::string& Text, const std::string& Line) {
    return ("\r\n" + Text).find("\r\n" + Line + "\r\n") != std::string::npos;
}

class ErsTest : public test::THeaderFileTest<TErsHeader> {
protected:
    ErsTest() : THeaderFileTest("parsed.ers") {}
};

TEST_F(ErsTest, HeaderIsWrittenLineByLineWithCrLf) {
    TErsHeader Header;
    Header.SetParams(3, 4, 3, ctFloat32, "NUTM11", "WGS84", "WE", 0.5, 0.5, 0, 0, 500000, 4100000);
    Header.FControlPoints->AddFromErsLine("\"P1\" YES NO 10.5 20.25 500000 4100000 0");
    Header.FWarpDatum = "WGS84";
    Header.FWarpProjection = "GEODETIC";
    Header.FWarpCoordType = coLATLONG;
    EXPECT_EQ(Header.HeaderText(FixedTime()),
              "DatasetHeader Begin\r\n"
              "  Version   = \"1.0\"\r\n"
              "  LastUpdated = Sun Dec 06 09:07:35 GMT 2026\r\n"
              "  DataSetType = ERStorage\r\n"
              "  DataType = Raster\r\n"
              "  ByteOrder = LSBFirst\r\n"
              "  CoordinateSpace Begin\r\n"
              "    Datum      = \"WGS84\"\r\n"
              "    Projection = \"NUTM11\"\r\n"
              "    CoordinateType  = EN\r\n"
              "    Units   = \"METERS\"\r\n"
              "    Rotation = 0:0:0.0\r\n"
              "  CoordinateSpace End\r\n"
              "  RasterInfo Begin\r\n"
              "    CellType = IEEE4ByteReal\r\n"
              "    NullCellValue = 0\r\n"
              "    CellInfo Begin\r\n"
              "      Xdimension = 0.500\r\n"
              "      Ydimension = 0.500\r\n"
              "    CellInfo End\r\n"
              "    NrOfLines = 3\r\n"
              "    NrOfCellsPerLine = 4\r\n"
              "    RegistrationCoord Begin\r\n"
              "      Eastings = 499999.750\r\n"
              "      Northings = 4100000.250\r\n"
              "    RegistrationCoord End\r\n"
              "    RegistrationCellX = 0.000\r\n"
              "    RegistrationCellY = 0.000\r\n"
              "    NrOfBands = 3\r\n"
              "    BandId Begin\r\n"
              "      Value=\"Red Layer\"\r\n"
              "    BandId End\r\n"
              "    BandId Begin\r\n"
              "      Value=\"Green Layer\"\r\n"
              "    BandId End\r\n"
              "    BandId Begin\r\n"
              "      Value=\"Blue Layer\"\r\n"
              "    BandId End\r\n"
              "    WarpControl Begin\r\n"
              "      WarpType\t= Polynomial\r\n"
              "      WarpSampling\t= Nearest\r\n"
              "      CoordinateSpace Begin\r\n"
              "        Datum      = \"WGS84\"\r\n"
              "        Projection = \"GEODETIC\"\r\n"
              "        CoordinateType  = LATLONG\r\n"
              "        Units      = \"METERS\"\r\n"
              "        Rotation\t= 0:0:0.0\r\n"
              "      CoordinateSpace End\r\n"
              "      ControlPoints\t= {\r\n"
              "\t\t\t\"P1\"\tYes\tNo\t    10.500\t    20.250\t500000.000\t4100000.000\r\n"
              "      }\r\n"
              "    WarpControl End\r\n"
              "  RasterInfo End\r\n"
              "DatasetHeader End\r\n");
}

TEST_F(ErsTest, RawDatumAndProjectionDropUnitsAndRegistrationWhateverTheType) {
    TErsHeader Header;
    Header.SetParams(2, 2, 1, ctUnsigned8, "RAW", "\"RAW\"", "", 0.5, 0.5, 3, 4, 100, 200);
    Header.FCoordType = coLATLONG;
    const std::string Text = Header.HeaderText(FixedTime());
    EXPECT_TRUE(HasLine(Text, "    CoordinateType  = RAW"));
    EXPECT_EQ(Text.find("Units"), std::string::npos);
    EXPECT_EQ(Text.find("Registration"), std::string::npos);

    TErsHeader Read;
    ASSERT_TRUE(Parse(Text, Read));
    EXPECT_EQ(Read.FCoordType, coRAW);
    EXPECT_EQ(Read.FRegCellX, 0);
    EXPECT_EQ(Read.FRegCellY, 0);
    EXPECT_EQ(Read.FEastings, 0);
    EXPECT_EQ(Read.FNorthings, 0);
}

TEST_F(ErsTest, DefaultsShapeTheWrittenHeader) {
    struct TCase {
        std::string Name;
        double CellSizeX, CellSizeY;
        std::int32_t Bands;
        std::vector<std::string> Present, Absent;
    };
    const std::vector<TCase> Cases = {
        {"zero cell size drops CellInfo",
         0,
         2,
         1,
         {"    NrOfLines = 1"},
         {"    CellInfo Begin", "      Xdimension"}},
        {"coordinate type never set is EN",
         1,
         1,
         1,
         {"    CoordinateType  = EN", "    Units   = \"METERS\"", "    RegistrationCoord Begin"},
         {}},
        {"fourth band is red again", 1, 1, 4, {"    NrOfBands = 4"}, {}},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TErsHeader Header;
        Header.SetParams(1, 1, Case.Bands, ctUnsigned8, "", "", "", Case.CellSizeX, Case.CellSizeY, 0, 0, 0,
                         0);
        const std::string Text = Header.HeaderText(FixedTime());
        for (const std::string& Line : Case.Present)
            EXPECT_TRUE(HasLine(Text, Line)) << Line;
        for (const std::string& Part : Case.Absent)
            EXPECT_EQ(Text.find(Part), std::string::npos) << Part;
        int RedLayers = 0;
        for (std::size_t At = Text.find("Red Layer"); At != std::string::npos;
             At = Text.find("Red Layer", At + 1))
            ++RedLayers;
        EXPECT_EQ(RedLayers, Case.Bands >= 4 ? 2 : 1);
    }
    TErsHeader Read;
    ASSERT_TRUE(Parse("DatasetHeader Begin\n  CellInfo Begin\n    Ydimension = 2\n  CellInfo End\n", Read));
    EXPECT_EQ(Read.FCellSizeX, 1.0);
    EXPECT_EQ(Read.FCellSizeY, 2.0);
}

TEST_F(ErsTest, QuotedValuesSurviveAReadWriteCycleWithoutDoubledQuotes) {
    TErsHeader Header;
    ASSERT_TRUE(Parse("DatasetHeader Begin\n"
                      "\tCoordinateSpace Begin\n"
                      "\t\tDatum\t\t= \"wgs84\"\n"
                      "\t\tProjection\t= \"nutm11\"\n"
                      "\t\tCoordinateType\t= EN\n"
                      "\tCoordinateSpace End\n",
                      Header));
    EXPECT_EQ(Header.FDatum, "\"WGS84\"");
    const std::string Text = Header.HeaderText(FixedTime());
    EXPECT_TRUE(HasLine(Text, "    Datum      = \"WGS84\""));
    EXPECT_TRUE(HasLine(Text, "    Projection = \"NUTM11\""));
}

TEST_F(ErsTest, TheFirstCoordinateSpaceDescribesTheDataSetAndLaterOnesTheWarpBlock) {
    TErsHeader Both;
    ASSERT_TRUE(Parse("DatasetHeader Begin\n"
                      " Datum = \"NAD27\"\n Projection = \"NUTM11\"\n CoordinateType = EN\n"
                      " RasterInfo Begin\n  WarpControl Begin\n   CoordinateSpace Begin\n"
                      "    Datum = \"WGS84\"\n    Projection = \"GEODETIC\"\n    CoordinateType = LATLONG\n"
                      "   CoordinateSpace End\n"
                      "   ControlPoints = {\n"
                      "\t\"1\"\tYes\tYes\t1.5\t2.5\t-117.5\t33.25\t0\n"
                      "\t\"DATUM\"\tNo\tYes\t3\t4\t5\t6\t7\n"
                      "   }\n"
                      "  WarpControl End\n"
                      "  NrOfLines = 5\n"
                      " RasterInfo End\n",
                      Both));
    EXPECT_EQ(Both.FDatum, "\"NAD27\"");
    EXPECT_EQ(Both.FWarpDatum, "\"WGS84\"");
    EXPECT_EQ(Both.FProjection, "\"NUTM11\"");
    EXPECT_EQ(Both.FWarpProjection, "\"GEODETIC\"");
    EXPECT_EQ(Both.FCoordType, coEN);
    EXPECT_EQ(Both.FWarpCoordType, coLATLONG);
    EXPECT_EQ(Both.FRows, 5); // lines after the block are keys again
    ASSERT_EQ(Both.FControlPoints->Count(), 2);
    const TGCPoint& First = *Both.FControlPoints->Items(0);
    EXPECT_EQ(First.GetName(), "\"1\"");
    EXPECT_TRUE(First.GetActive());
    EXPECT_TRUE(First.GetSecondFlag());
    EXPECT_EQ(First.GetMapX(), -117.5);
    EXPECT_EQ(First.GetMapY(), 33.25);
    EXPECT_EQ(Both.FControlPoints->Items(1)->GetName(), "\"DATUM\"");

    TErsHeader WarpOnly;
    ASSERT_TRUE(
        Parse("DatasetHeader Begin\n WarpControl Begin\n  Datum = \"WGS84\"\n WarpControl End\n", WarpOnly));
    EXPECT_EQ(WarpOnly.FDatum, "\"WGS84\"");
    EXPECT_EQ(WarpOnly.FWarpDatum, "");
}

// The shapes GDAL's ER Mapper driver writes: tabs, a Name line, CoordinateSpace after RasterInfo or
// missing, ER Mapper's own cell type names, numbers in %.15g.
TEST_F(ErsTest, HeadersOfTheShapesOtherProgramsWriteAreRead) {
    struct TCase {
        std::string Name;
        std::string Text;
        std::uint8_t CellType;
        bool MSBFirst;
        std::int32_t Columns, Rows, Bands;
        double CellSizeX, CellSizeY, RegCellX, RegCellY, Eastings, Northings;
        std::string Datum, Projection;
        std::uint8_t CoordType;
    };
    const std::vector<TCase> Cases = {
        {"freshly created float image",
         "DatasetHeader Begin\n\tVersion\t\t = \"6.0\"\n\tName\t\t= \"datum_projection.ers\"\n"
         "\tDataSetType\t= ERStorage\n\tDataType\t= Raster\n\tByteOrder\t= LSBFirst\n\tRasterInfo Begin\n"
         "\t\tCellType\t= IEEE4ByteReal\n\t\tNrOfLines\t= 20\n\t\tNrOfCellsPerLine\t= 30\n"
         "\t\tNrOfBands\t= 1\n\tRasterInfo End\nDatasetHeader End\n",
         ctFloat32, false, 30, 20, 1, 1, 1, 0, 0, 0, 0, "", "", coEN},
        {"georeferenced 16-bit image",
         "DatasetHeader Begin\n\tVersion\t\t = \"6.0\"\n\tName\t\t= \"utm.ers\"\n\tDataSetType\t= ERStorage\n"
         "\tDataType\t= Raster\n\tByteOrder\t= MSBFirst\n\tRasterInfo Begin\n"
         "\t\tCellType\t= Signed16BitInteger\n\t\tNullCellValue\t= -32768\n\t\tNrOfLines\t= 512\n"
         "\t\tNrOfCellsPerLine\t= 256\n\t\tNrOfBands\t= 2\n\t\tCellInfo Begin\n\t\t\tXdimension\t= 30\n"
         "\t\t\tYdimension\t= 25.5\n\t\tCellInfo End\n\t\tRegistrationCoord Begin\n"
         "\t\t\tEastings\t= 440720\n\t\t\tNorthings\t= 3751320.5\n\t\tRegistrationCoord End\n"
         "\t\tRegistrationCellX\t= 0.5\n\t\tRegistrationCellY\t= 0.5\n\tRasterInfo End\n"
         "\tCoordinateSpace Begin\n\t\tDatum\t\t= \"NAD27\"\n\t\tProjection\t= \"NUTM11\"\n"
         "\t\tCoordinateType\t= EN\n\t\tUnits\t\t= \"METERS\"\n\t\tRotation\t= 0:0:0.0\n"
         "\tCoordinateSpace End\nDatasetHeader End\n",
         ctSigned16, true, 256, 512, 2, 30, 25.5, 0.5, 0.5, 440720 + 30.0 / 2, 3751320.5 - 25.5 / 2,
         "\"NAD27\"", "\"NUTM11\"", coEN},
        {"geographic double image with CR LF",
         "DatasetHeader Begin\r\n\tDataSetType\t= ERStorage\r\n\tByteOrder\t= LSBFirst\r\n"
         "\tCoordinateSpace Begin\r\n\t\tDatum\t\t= \"WGS84\"\r\n\t\tProjection\t= \"GEODETIC\"\r\n"
         "\t\tCoordinateType\t= LATLONG\r\n\tCoordinateSpace End\r\n\tRasterInfo Begin\r\n"
         "\t\tCellType\t= IEEE8ByteReal\r\n\t\tNrOfLines\t= 3\r\n\t\tNrOfCellsPerLine\t= 4\r\n"
         "\t\tNrOfBands\t= 1\r\n\t\tCellInfo Begin\r\n\t\t\tXdimension\t= 0.25\r\n"
         "\t\t\tYdimension\t= 0.125\r\n\t\tCellInfo End\r\n"
         "\t\tRegistrationCoord Begin\r\n\t\t\tEastings\t= -117.5\r\n\t\t\tNorthings\t= 33.25\r\n"
         "\t\tRegistrationCoord End\r\n\tRasterInfo End\r\nDatasetHeader End\r\n",
         ctFloat64, false, 4, 3, 1, 0.25, 0.125, 0, 0, -117.5 + 0.125, 33.25 - 0.0625, "\"WGS84\"",
         "\"GEODETIC\"", coLATLONG},
        {"unsigned 32-bit image",
         "DatasetHeader Begin\n\tRasterInfo Begin\n\t\tCellType\t= Unsigned32BitInteger\n"
         "\t\tNrOfLines\t= 1\n\t\tNrOfCellsPerLine\t= 1\n\t\tNrOfBands\t= 1\n\tRasterInfo End\n",
         ctUnsigned32, false, 1, 1, 1, 1, 1, 0, 0, 0, 0, "", "", coEN},
        {"comments anywhere, registration in degrees:minutes:seconds at cell 1, 1",
         "# written by another program\n\nDatasetHeader Begin\n  Version = \"5.2\"\n"
         "  DataSetType = ERStorage\n  ByteOrder = MSBFirst\n  CoordinateSpace Begin\n"
         "    Datum = \"WGS#84\"   # a hash inside quotes is no comment\n    Projection = \"GEODETIC\"\n"
         "    CoordinateType = LATLONG\n  CoordinateSpace End\n# Comment in the middle\n"
         "  RasterInfo Begin\n    CellType = Signed16BitInteger   # Comment at the end of a line\n"
         "    CellInfo Begin\n      Xdimension = 0.5\n      Ydimension = 0.25\n    CellInfo End\n"
         "    NrOfCellsPerLine = 12\n    NrOfLines = 10\n    RegistrationCellX = 1\n"
         "    RegistrationCellY = 1\n    RegistrationCoord Begin\n      Longitude = -117:30:0.0\n"
         "      Latitude = 33:15:36\n    RegistrationCoord End\n    NrOfBands = 1 # NrOfBands = 5\n"
         "  RasterInfo End\nDatasetHeader End\n",
         ctSigned16, true, 12, 10, 1, 0.5, 0.25, 1, 1, -117.5 + 0.25, 33.26 - 0.125, "\"WGS#84\"",
         "\"GEODETIC\"", coLATLONG},
        {"keys in lower case, raw registration in metres",
         "datasetheader begin\n coordinatespace begin\n  datum = \"RAW\"\n  projection = \"RAW\"\n"
         "  coordinatetype = RAW\n coordinatespace end\n rasterinfo begin\n"
         "  celltype = unsigned8bitinteger\n  nroflines = 2\n  nrofcellsperline = 3\n  nrofbands = 1\n"
         "  cellinfo begin\n   xdimension = 2\n   ydimension = 4\n  cellinfo end\n"
         "  registrationcoord begin\n   metersx = 100\n   metersy = 200\n  registrationcoord end\n"
         " rasterinfo end\ndatasetheader end\n",
         ctUnsigned8, false, 3, 2, 1, 2, 4, 0, 0, 100 + 1.0, 200 - 2.0, "\"RAW\"", "\"RAW\"", coRAW},
    };
    // The header gives the top-left corner of its registration cell; kept here as that cell's centre.
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TErsHeader Header;
        ASSERT_TRUE(Parse(Case.Text, Header));
        EXPECT_EQ(Header.FCellType, Case.CellType);
        EXPECT_EQ(Header.FMSBFirst, Case.MSBFirst);
        EXPECT_EQ(Header.FColumns, Case.Columns);
        EXPECT_EQ(Header.FRows, Case.Rows);
        EXPECT_EQ(Header.FBands, Case.Bands);
        EXPECT_EQ(Header.FCellSizeX, Case.CellSizeX);
        EXPECT_EQ(Header.FCellSizeY, Case.CellSizeY);
        EXPECT_EQ(Header.FRegCellX, Case.RegCellX);
        EXPECT_EQ(Header.FRegCellY, Case.RegCellY);
        EXPECT_DOUBLE_EQ(Header.FEastings, Case.Eastings);
        EXPECT_DOUBLE_EQ(Header.FNorthings, Case.Northings);
        EXPECT_EQ(Header.FDatum, Case.Datum);
        EXPECT_EQ(Header.FProjection, Case.Projection);
        EXPECT_EQ(Header.FCoordType, Case.CoordType);
    }
}

TEST_F(ErsTest, UnreadableHeadersAreRefused) {
    const std::vector<std::pair<std::string, std::string>> Cases = {
        {"not a data set", "OrthoSetDataHeader [\n NrOfLines = 2\n"},
        {"empty", ""},
        {"lines not an integer", "DatasetHeader Begin\n NrOfLines = 2.5\n"},
        {"bands not a number", "DatasetHeader Begin\n NrOfBands = three\n"},
        {"columns beyond 32 bits", "DatasetHeader Begin\n NrOfCellsPerLine = 99999999999\n"},
        {"binary garbage", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)},
        {"only comments", "# DatasetHeader Begin\n\n#\n"},
        {"latitude not degrees:minutes:seconds",
         "DatasetHeader Begin\n RegistrationCoord Begin\n  Latitude = 33:1x:00\n RegistrationCoord End\n"},
        {"longitude with four fields",
         "DatasetHeader Begin\n RegistrationCoord Begin\n  Longitude = 1:2:3:4\n RegistrationCoord End\n"},
        {"negative header offset", "DatasetHeader Begin\n HeaderOffset = -512\n"},
        {"header offset not a number", "DatasetHeader Begin\n HeaderOffset = 512 bytes\n"},
        {"null cell value not a number", "DatasetHeader Begin\n NullCellValue = none\n"},
    };
    for (const auto& [Name, Text] : Cases) {
        SCOPED_TRACE(Name);
        TErsHeader Header;
        EXPECT_FALSE(Parse(Text, Header));
    }
    TErsHeader Header;
    EXPECT_FALSE(Header.ReadHeader(Path("missing.ers")));
    // A file without its end line, with garbage and an end-of-file byte inside, is still read up to there.
    TErsHeader Partial;
    ASSERT_TRUE(
        Parse(std::string("DATASETHEADER BEGIN\n NrOfLines = 7\n\x01\xfe\xff junk = \n\x1a NrOfLines = 9\n"),
              Partial));
    EXPECT_EQ(Partial.FRows, 7);
}

TEST_F(ErsTest, NullCellValueIsTheNoDataValueReadAndWrittenExceptTheCustomaryZero) {
    const struct {
        const char* Line; // of a header read
        std::optional<double> NoData;
    } Cases[] = {
        {"", std::nullopt},
        {"NullCellValue = 0", std::nullopt}, // what every header this program wrote says
        {"NullCellValue = -9999", -9999.0},
        {"\tNullCellValue\t= -3.4028234663852886e+38", -3.4028234663852886e+38},
        {"NullCellValue = 255", 255.0},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Line);
        TErsHeader Header;
        ASSERT_TRUE(Parse("DatasetHeader Begin\n RasterInfo Begin\n " + std::string(Case.Line) +
                              "\n RasterInfo End\nDatasetHeader End\n",
                          Header));
        EXPECT_EQ(Header.FNoData, Case.NoData);
        // Written back in the form read above; none as the customary 0.
        const std::string Written = Header.HeaderText(std::tm{});
        EXPECT_TRUE(HasLine(Written, "    NullCellValue = " +
                                         (Case.NoData ? NoDataText(*Case.NoData) : std::string("0"))))
            << Written;
    }
}

class ErsImageTest : public test::TTempDirTest {
protected:
    // Keys are found in any block; these sit in the outermost one, which a header may leave open.
    const std::string Header = "DatasetHeader Begin\n  CellType = Unsigned8BitInteger\n";
    std::string Geometry(const std::string& Lines, const std::string& Columns, const std::string& Bands) {
        return Header + "  NrOfLines = " + Lines + "\n  NrOfCellsPerLine = " + Columns +
               "\n  NrOfBands = " + Bands + "\n";
    }
};

TEST_F(ErsImageTest, ACreatedImageIsCompleteWhenItsRasterIsReleased) {
    const std::string Name = Path("out.ers");
    constexpr double StepRadians = 0.000001; // three decimals would write this as 0.000
    {
        TErsMap2 Raster;
        ASSERT_TRUE(Raster.OpenMap(Name, 4, 3, ctFloat32, 2, omCreate)) << Raster.ErrorText();
        EXPECT_TRUE(std::filesystem::exists(Path("out")));
        EXPECT_FALSE(std::filesystem::exists(Name));
        Raster.SetGeoreference("WE", "WGS84", "GEODETIC", StepRadians, StepRadians * 2, 0, 0, -2.0453,
                               0.5934);
        Raster.SetCoordType(coLATLONG);
        ASSERT_TRUE(Raster.WriteCell(3, 2, 1, 1.25f));
        ASSERT_TRUE(Raster.WriteCell(0, 0, 0, -7.5f));
    }
    EXPECT_EQ(ReadBytes(Path("out")).size(), 4u * 3 * 2 * 4);
    const std::string Text = ReadText(Name);
    EXPECT_TRUE(HasLine(Text, "    CellType = IEEE4ByteReal"));
    EXPECT_TRUE(HasLine(Text, "  ByteOrder = LSBFirst"));
    EXPECT_TRUE(HasLine(Text, "      Xdimension = 0.000001"));
    // The header gives the corner of the registration cell, half a cell left of and above its centre.
    EXPECT_TRUE(HasLine(Text, "      Eastings = " + HeaderNumberText(-2.0453 - StepRadians / 2)));
    EXPECT_TRUE(HasLine(Text, "      Northings = " + HeaderNumberText(0.5934 + StepRadians)));
    EXPECT_TRUE(HasLine(Text, "    CoordinateType  = LATLONG"));

    TErsMap2 Raster;
    ASSERT_TRUE(Raster.OpenMapRead(Name)) << Raster.ErrorText();
    EXPECT_EQ(Raster.GetColumns(), 4);
    EXPECT_EQ(Raster.GetRows(), 3);
    EXPECT_EQ(Raster.GetBands(), 2);
    EXPECT_EQ(Raster.GetCellType(), ctFloat32);
    EXPECT_FALSE(Raster.GetMSBFirst());
    EXPECT_EQ(Raster.GetCellSizeX(), StepRadians);
    EXPECT_EQ(Raster.GetCellSizeY(), StepRadians * 2);
    EXPECT_DOUBLE_EQ(Raster.GetOriginX(), -2.0453);
    EXPECT_DOUBLE_EQ(Raster.GetOriginY(), 0.5934);
    EXPECT_EQ(Raster.GetDatum(), "\"WGS84\"");
    float Value = 0;
    ASSERT_TRUE(Raster.ReadCell(3, 2, 1, Value));
    EXPECT_EQ(Value, 1.25f);
    ASSERT_TRUE(Raster.ReadCell(0, 0, 0, Value));
    EXPECT_EQ(Value, -7.5f);
}

TEST_F(ErsImageTest, OpeningReadsTheHeaderAndTheCellFileWithoutExtension) {
    WriteText(Path("image.ers"), Geometry("2", "3", "1") + "  ByteOrder = MSBFirst\n");
    WriteBytes(Path("image"), {1, 2, 3, 4, 5, 6});
    TErsMap2 Raster;
    ASSERT_TRUE(Raster.OpenMap(Path("image.ers"), 0, 0, ctUnsigned8, 1, omRead)) << Raster.ErrorText();
    EXPECT_EQ(Raster.FileName(), Path("image"));
    EXPECT_EQ(Raster.Header()->FFileName, Path("image.ers"));
    float Value = 0;
    ASSERT_TRUE(Raster.ReadCell(2, 1, 0, Value));
    EXPECT_EQ(Value, 6);
    EXPECT_FALSE(Raster.WriteCell(0, 0, 0, 1)); // read mode
}

// ER Mapper's convention (the corner of the registration cell) or the older program's (its centre), for
// the headers made while the guard lives.
class TRegistrationGuard {
public:
    explicit TRegistrationGuard(TErsRegistration Convention) { SetErsRegistration(Convention); }
    ~TRegistrationGuard() { SetErsRegistration(TErsRegistration::Corner); }
};

TEST_F(ErsImageTest, TheRegistrationIsTheCellsCornerUnlessTheOlderConventionIsChosen) {
    WriteText(Path("reg.ers"),
              Geometry("2", "3", "1") +
                  "  CellInfo Begin\n   Xdimension = 10\n   Ydimension = 20\n  CellInfo End\n"
                  "  RegistrationCoord Begin\n   Eastings = 1000\n   Northings = 2000\n"
                  "  RegistrationCoord End\n");
    WriteBytes(Path("reg"), {1, 2, 3, 4, 5, 6});
    struct TCase {
        TErsRegistration Convention;
        double CentreX, CentreY; // map position of the centre of cell (0, 0)
    };
    for (const TCase& Case :
         {TCase{TErsRegistration::Corner, 1005, 1990}, TCase{TErsRegistration::Centre, 1000, 2000}}) {
        SCOPED_TRACE(Case.Convention == TErsRegistration::Corner ? "corner" : "centre");
        const TRegistrationGuard Guard(Case.Convention);
        TErsMap2 Reader;
        ASSERT_TRUE(Reader.OpenMapRead(Path("reg.ers"))) << Reader.ErrorText();
        EXPECT_EQ(Reader.GetOriginX(), Case.CentreX);
        EXPECT_EQ(Reader.GetOriginY(), Case.CentreY);
        {
            TErsMap2 Writer;
            ASSERT_TRUE(Writer.OpenMap(Path("copy.ers"), 3, 2, ctUnsigned8, 1, omCreate))
                << Writer.ErrorText();
            Writer.SetGeoreference("WE", "WGS84", "NUTM34", 10, 20, 0, 0, Case.CentreX, Case.CentreY);
        }
        const std::string Text = ReadText(Path("copy.ers"));
        EXPECT_TRUE(HasLine(Text, "      Eastings = 1000.000"));
        EXPECT_TRUE(HasLine(Text, "      Northings = 2000.000"));
    }
}

TEST_F(ErsImageTest, CellsAreReadFromTheFileAndOffsetTheHeaderNames) {
    std::filesystem::create_directory(Path("sub"));
    struct TCase {
        std::string Name;
        std::string Lines;    // DataFile, HeaderOffset, ByteOrder
        std::string CellFile; // beside the header
        std::vector<unsigned char> Bytes;
    };
    const std::vector<unsigned char> Cells16 = {0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6};
    std::vector<unsigned char> Offset16(7, 0xEE);
    Offset16.insert(Offset16.end(), Cells16.begin(), Cells16.end());
    const std::vector<TCase> Cases = {
        {"data file beside the header", "  DataFile = \"Cells.Bin\"\n", "Cells.Bin", Cells16},
        {"data file in a sub folder", " DATAFILE = sub/cells.raw # the cells\n", "sub/cells.raw", Cells16},
        {"cells after a header of their own", "  HeaderOffset = 7\n", "h", Offset16},
        {"both", "  DataFile = sub/../sub/c\n  HeaderOffset = 7\n", "sub/c", Offset16},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        WriteText(Path("h.ers"), Geometry("2", "3", "1") + "  CellType = Signed16BitInteger\n" +
                                     "  ByteOrder = MSBFirst\n" + Case.Lines);
        WriteBytes(Path(Case.CellFile), Case.Bytes);
        TErsMap2 Raster;
        ASSERT_TRUE(Raster.OpenMapRead(Path("h.ers"))) << Raster.ErrorText();
        EXPECT_EQ(Raster.SizeMismatchText(), "");
        float Value = 0;
        ASSERT_TRUE(Raster.ReadCell(2, 1, 0, Value));
        EXPECT_EQ(Value, 6);
        ASSERT_TRUE(Raster.ReadCell(0, 0, 0, Value));
        EXPECT_EQ(Value, 1);
        unsigned char* First = nullptr;
        unsigned char* Last = nullptr;
        ASSERT_TRUE(Raster.MapRows(0, 1, First, Last));
        EXPECT_EQ(First[1], 1);
        EXPECT_EQ(Last[5], 6);
        const std::unique_ptr<TMMapFile2> View = Raster.OpenReadView();
        ASSERT_TRUE(View);
        ASSERT_TRUE(View->ReadCell(1, 1, 0, Value));
        EXPECT_EQ(Value, 5);
        std::filesystem::remove(Path(Case.CellFile));
    }
}

TEST_F(ErsImageTest, CellsOutsideTheHeadersFolderOrBeyondTheFileAreRefused) {
    std::filesystem::create_directory(Path("in"));
    WriteBytes(Path("outside"), {1, 2});
    WriteBytes(Path("in/h"), {1, 2});
    const std::string Refused = Path("in/h.ers") + ": DataFile ";
    const std::vector<std::pair<std::string, std::string>> Cases = {
        {"  DataFile = ../outside\n", Refused + "\"../outside\" lies outside the header's folder"},
        {"  DataFile = \"" + Path("outside") + "\"\n",
         Refused + "\"" + Path("outside") + "\" lies outside the header's folder"},
        {"  DataFile = a/../../outside\n", Refused + "\"a/../../outside\" lies outside the header's folder"},
        {"  HeaderOffset = 3\n", "Open Map Read Error=1 The cells start beyond the end of the file"},
    };
    for (const auto& [Lines, Text] : Cases) {
        SCOPED_TRACE(Lines);
        WriteText(Path("in/h.ers"), Geometry("1", "2", "1") + Lines);
        TErsMap2 Raster;
        EXPECT_FALSE(Raster.OpenMapRead(Path("in/h.ers")));
        EXPECT_EQ(Raster.ErrorText(), Text);
    }
}

TEST_F(ErsImageTest, TheHeaderNameKeepsTheGivenLetterCaseOfItsExtension) {
    struct TCase {
        std::string Given, HeaderName, Cells;
    };
    const std::vector<TCase> Cases = {
        {"IMAGE.ERS", "IMAGE.ERS", "IMAGE"},
        {"image.Ers", "image.Ers", "image"},
        {"image.raw", "image.ers", "image"},
        {"image", "image.ers", "image"},
        {"dir.v2/image", "dir.v2/image.ers", "dir.v2/image"},
    };
    for (const TCase& Case : Cases) {
        TErsMap2 Raster;
        Raster.SetFileName(Path(Case.Given));
        EXPECT_EQ(Raster.Header()->FFileName, Path(Case.HeaderName)) << Case.Given;
        EXPECT_EQ(Raster.FileName(), Path(Case.Cells)) << Case.Given;
    }
}

TEST_F(ErsImageTest, UpdatingWritesCellsInPlaceAndLeavesTheHeaderAlone) {
    const std::string HeaderText =
        Geometry("2", "2", "1") + "  ByteOrder = MSBFirst\n  CellType = Signed16BitInteger\n";
    WriteText(Path("upd.ers"), HeaderText);
    WriteBytes(Path("upd"), {0, 1, 0, 2, 0, 3, 0, 4});
    {
        TErsMap2 Raster;
        ASSERT_TRUE(Raster.OpenMap(Path("upd.ers"), 0, 0, ctUnsigned8, 1, omUpdate)) << Raster.ErrorText();
        EXPECT_TRUE(Raster.WriteCell(1, 1, 0, -2));
    }
    EXPECT_EQ(ReadText(Path("upd.ers")), HeaderText);
    EXPECT_EQ(ReadBytes(Path("upd")), (std::vector<unsigned char>{0, 1, 0, 2, 0, 3, 0xFF, 0xFE}));
}

TEST_F(ErsImageTest, OpeningFailsCleanlyWithAMessage) {
    const std::string HeaderError = "reading error ";
    struct TCase {
        std::string Name;
        std::optional<std::string> HeaderText;
        bool WithCells;
        int Code;
        std::string Text; // the whole message, or HeaderError for "Header <short name> reading error "
    };
    const std::vector<TCase> Cases = {
        {"missing header", std::nullopt, true, 1, HeaderError},
        {"negative lines", Geometry("-1", "1", "1"), true, 1, HeaderError},
        {"billions of bands", Geometry("1", "1", "2147483647"), true, 1, HeaderError},
        {"lines not an integer", Geometry("1x", "1", "1"), true, 1, HeaderError},
        {"missing cell file", Geometry("1", "1", "1"), false, 2,
         "Open Map Read Error=2 No such file or directory"},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        std::filesystem::remove(Path("x.ers"));
        std::filesystem::remove(Path("x"));
        if (Case.HeaderText) WriteText(Path("x.ers"), *Case.HeaderText);
        if (Case.WithCells) WriteBytes(Path("x"), {1});
        TErsMap2 Raster;
        EXPECT_FALSE(Raster.OpenMap(Path("x.ers"), 0, 0, ctUnsigned8, 1, omRead));
        EXPECT_EQ(Raster.ErrorCode(), Case.Code);
        if (Case.Text == HeaderError)
            EXPECT_EQ(Raster.ErrorText(), "Header " + ShortenPath(Path("x.ers"), 20) + " reading error ");
        else
            EXPECT_EQ(Raster.ErrorText(), Case.Text);
    }
    TErsMap2 Raster;
    EXPECT_FALSE(Raster.OpenMapRead(Path("none.ers")));
    EXPECT_EQ(Raster.ErrorText(), "File not Exists");
}

TEST_F(ErsImageTest, AHeaderThatIsItsOwnCellFileIsNeitherReadAsCellsNorOverwritten) {
    const std::string HeaderText = Geometry("1", "4", "1");
    WriteText(Path("self.ers"), HeaderText);
    std::filesystem::create_symlink(Path("self.ers"), Path("self"));
    {
        TErsMap2 Reader;
        EXPECT_FALSE(Reader.OpenMap(Path("self.ers"), 0, 0, ctUnsigned8, 1, omRead));
        EXPECT_EQ(Reader.ErrorText(), "Open Map Read Error=1 The header is its own cell file");
        TErsMap2 Creator;
        EXPECT_FALSE(Creator.OpenMap(Path("self.ers"), 4, 1, ctUnsigned8, 1, omCreate));
        EXPECT_EQ(Creator.ErrorText(), "Open map write error=1 The header is its own cell file");
    }
    EXPECT_EQ(ReadText(Path("self.ers")), HeaderText);
}

TEST_F(ErsImageTest, CellFilesThatDoNotMatchTheirHeaderAreReadAsOneRowWithinTheFile) {
    const std::vector<std::pair<std::string, std::string>> Cases = {
        {"truncated", Geometry("50", "100", "1")},
        {"rows x columns x bands beyond 64 bits", Geometry("2147483647", "2147483647", "65536")},
        {"no geometry at all", Header},
    };
    for (const auto& [Name, Text] : Cases) {
        SCOPED_TRACE(Name);
        WriteText(Path("cut.ers"), Text);
        WriteBytes(Path("cut"), {9, 8, 7});
        TErsMap2 Raster;
        ASSERT_TRUE(Raster.OpenMap(Path("cut.ers"), 0, 0, ctUnsigned8, 1, omRead)) << Raster.ErrorText();
        float Value = 0;
        EXPECT_TRUE(Raster.ReadCell(2, 0, 0, Value));
        EXPECT_EQ(Value, 7);
        EXPECT_FALSE(Raster.ReadCell(3, 0, 0, Value));
        EXPECT_FALSE(Raster.ReadCell(0, 1, 0, Value));
        EXPECT_FALSE(Raster.SampleBilinear(0, Value, 1.5, 10.5));
    }
}

TEST_F(ErsImageTest, CreatingWithImpossibleGeometryFailsAndWritesNoHeader) {
    struct TCase {
        std::int32_t Columns, Rows, Bands;
        std::uint8_t CellType;
        std::string Text;
    };
    const std::vector<TCase> Cases = {
        {-1, 5, 1, ctUnsigned8, "Open map write error=1 Raster size out of range"},
        {1, 1, THeadMap2::MaxBands + 1, ctUnsigned8, "Open map write error=1 Raster size out of range"},
        {5, 5, 1, ctOneBit, "Open map write error=1 Bit type not supported"},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Text);
        {
            TErsMap2 Raster;
            EXPECT_FALSE(Raster.OpenMap(Path("bad.ers"), Case.Columns, Case.Rows, Case.CellType, Case.Bands,
                                        omCreate));
            EXPECT_EQ(Raster.ErrorText(), Case.Text);
        }
        EXPECT_FALSE(std::filesystem::exists(Path("bad.ers")));
    }
}

TEST_F(ErsImageTest, ModesOtherThanReadCreateAndUpdateOpenNothing) {
    TErsMap2 Raster;
    EXPECT_TRUE(Raster.OpenMap(Path("any.ers"), 1, 1, ctUnsigned8, 1, 7));
    EXPECT_FALSE(Raster.IsFileOpen());
}

} // namespace
} // namespace vortane
