#include "raster/osd/osd_map.hpp"

#include "support/header_file_test.hpp"
#include "support/temp_dir.hpp"
#include "text/types.hpp"

#include <gtest/gtest.h>

namespace vortane {
namespace {

class OsdTest : public test::THeaderFileTest<TOsdHeader> {
protected:
    OsdTest() : THeaderFileTest("parsed.osd") {}
};

TEST_F(OsdTest, RegisteredHeaderWithControlPointsIsWrittenLineByLine) {
    TOsdHeader Header;
    Header.SetParams(3, 4, 1, ctUnsigned8, "NUTM11", "WGS84", "WE", 0.5, 0.5, 0, 0, 500000, 4100000);
    Header.FControlPoints->AddFromLine("P1 Yes 10.5 20.25 500000 4100000 0");
    Header.FWarpDatum = "WGS84";
    Header.FWarpProjection = "GEODETIC";
    Header.FWarpSpheroid = "WE";
    Header.FWarpCoordType = coLATLONG;
    const std::string Text = Header.HeaderText(FixedTime());
    EXPECT_EQ(Text, "OrthoSetDataHeader [\r\n"
                    "  Version      = 1.0\r\n"
                    "  LastUpdated = Sun Dec 06 09:07:35 GMT 2026\r\n"
                    "  DataSetType  = OrthoSetData\r\n"
                    "  ByteOrder = LSBFirst\r\n"
                    "  CoordinateSystem [\r\n"
                    "    Datum      = \"WGS84\"\r\n"
                    "    Projection = \"NUTM11\"\r\n"
                    "    Spheroid = \"WE\"\r\n"
                    "    Units      = \"METERS\"\r\n"
                    "    CoordinateType  = EN\r\n"
                    "  CoordinateSystem ]\r\n"
                    "  ImageInfo [\r\n"
                    "    CellType   = UNSIGNED8BITINTEGER\r\n"
                    "    Xdimension = 0.500\r\n"
                    "    Ydimension = 0.500\r\n"
                    "    NrOfLines  = 3\r\n"
                    "    NrOfCellsPerLine = 4\r\n"
                    "    RegistrationPoint [\r\n"
                    "      Eastings  = 500000.000\r\n"
                    "      Northings = 4100000.000\r\n"
                    "    RegistrationPoint ]\r\n"
                    "    RegistrationCellX\t= 0.000\r\n"
                    "    RegistrationCellY\t= 0.000\r\n"
                    "    NrOfBands = 1\r\n"
                    "    WarpControl [\r\n"
                    "      CoordinateSpace [\r\n"
                    "        Datum      = \"WGS84\"\r\n"
                    "        Projection = \"GEODETIC\"\r\n"
                    "        Spheroid = \"WE\"\r\n"
                    "        Units      = \"METERS\"\r\n"
                    "        CoordinateType  = LATLONG\r\n"
                    "      CoordinateSpace ]\r\n"
                    "      ControlPoints\t= {\r\n"
                    "\t\t\tP1 Yes 10.500 20.250 500000.000 4100000.000 0.000\r\n"
                    "      }\r\n"
                    "    WarpControl ]\r\n"
                    "  ImageInfo ]\r\n"
                    "OrthoSetDataHeader ]\r\n");

    // Read back: the warp block's spheroid, the last Spheroid line, ends in both fields; the control
    // point's name is not taken for a key.
    TOsdHeader Read;
    ASSERT_TRUE(Parse(Text, Read));
    EXPECT_EQ(Read.FSpheroid, "\"WE\"");
    EXPECT_EQ(Read.FWarpSpheroid, "\"WE\"");
    EXPECT_EQ(Read.FDatum, "\"WGS84\"");
    EXPECT_EQ(Read.FWarpProjection, "\"GEODETIC\"");
    EXPECT_EQ(Read.FWarpCoordType, coLATLONG);
    EXPECT_EQ(Read.FRows, 3);
    EXPECT_EQ(Read.FColumns, 4);
    EXPECT_EQ(Read.FNorthings, 4100000);
    ASSERT_EQ(Read.FControlPoints->Count(), 1);
    EXPECT_EQ(Read.FControlPoints->Items(0)->GetCellY(), 20.25);
}

TEST_F(OsdTest, RawAndUnsizedImagesLeaveOutTheirLines) {
    TOsdHeader Raw;
    Raw.SetParams(2, 2, 1, ctUnsigned8, "RAW", "RAW", "WE", 0.5, 0.5, 3, 4, 100, 200);
    const std::string RawText = Raw.HeaderText(FixedTime());
    for (const char* Absent : {"Spheroid", "Units", "dimension", "Registration"})
        EXPECT_EQ(RawText.find(Absent), std::string::npos) << Absent;
    TOsdHeader Read;
    ASSERT_TRUE(Parse(RawText, Read));
    EXPECT_EQ(Read.FCoordType, coRAW);
    EXPECT_EQ(Read.FCellSizeX, 1.0);
    EXPECT_EQ(Read.FCellSizeY, 1.0);
    EXPECT_EQ(Read.FRegCellX, 0);
    EXPECT_EQ(Read.FEastings, 0);

    TOsdHeader Unsized;
    Unsized.SetParams(2, 2, 1, ctUnsigned8, "NUTM11", "WGS84", "WE", 0, 2, 0, 0, 100, 200);
    const std::string UnsizedText = Unsized.HeaderText(FixedTime());
    EXPECT_EQ(UnsizedText.find("dimension"), std::string::npos);
    EXPECT_NE(UnsizedText.find("RegistrationPoint ["), std::string::npos);

    TOsdHeader NotOrtho;
    EXPECT_FALSE(Parse("DatasetHeader Begin\r\n", NotOrtho));
    TOsdHeader BadCount;
    EXPECT_FALSE(Parse("OrthoSetDataHeader [\r\n NrOfLines = 3.5\r\n", BadCount));
}

TEST_F(OsdTest, ANameGivesTheCellFileAndTheHeader) {
    TOsdMap2 Raster;
    Raster.SetFileName("/d/survey.osd");
    EXPECT_EQ(Raster.ImageFiles(), (std::vector<std::string>{"/d/survey", "/d/survey.osd"}));
    Raster.SetFileName("/d/photo.gif");
    EXPECT_EQ(Raster.ImageFiles(), (std::vector<std::string>{"/d/photo", "/d/photo.osd"}));
}

} // namespace
} // namespace vortane
