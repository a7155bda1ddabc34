#include "cli_runner.hpp"

#include "cli/cli_app.hpp"
#include "cli/info_command.hpp"
#include "raster/data_set.hpp"
#include "raster/raster.hpp"
#include "raster/tiff/libtiff_writer.hpp"
#include "support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace vortane {
namespace {

using test::TCliRun;

// The framework with only the info command registered.
TCliRun RunCommandLine(std::vector<std::string> Args) {
    constexpr TAddCommand Commands[] = {AddInfoCommand};
    return test::RunCliWith(Commands, std::move(Args));
}

TEST(CliFramework, HelpExplainsTheCommandsWithAnExample) {
    const TCliRun Main = RunCommandLine({"--help"});
    EXPECT_EQ(Main.ExitCode, 0);
    EXPECT_NE(Main.Out.find("info"), std::string::npos);
    EXPECT_NE(Main.Out.find("--catalogue DIR"), std::string::npos);

    const TCliRun Info = RunCommandLine({"info", "--help"});
    EXPECT_EQ(Info.ExitCode, 0);
    EXPECT_NE(Info.Out.find("PATH"), std::string::npos);
    EXPECT_NE(Info.Out.find("Example:\n  vortane-cli info image.ers"), std::string::npos) << Info.Out;
}

TEST(CliFramework, UsageErrorsExitWithStatusTwoAndAMessage) {
    const struct {
        std::vector<std::string> Args;
        std::string Message; // part of what stderr must say
    } Cases[] = {
        {{}, "A subcommand is required"},
        {{"--bogus"}, "Unknown command or option: --bogus"},
        {{"frobnicate"}, "Unknown command or option: frobnicate"},
        {{"info", "--bogus", "x.ers"}, "--bogus"},
        {{"--catalogue"}, "--catalogue: 1 required DIR missing"},
        {{"info"}, "PATH is required"},
        {{"info", "a.ers", "b.ers"}, "b.ers"},
    };
    for (const auto& Case : Cases) {
        const TCliRun Result = RunCommandLine(Case.Args);
        SCOPED_TRACE(Case.Message);
        EXPECT_EQ(Result.ExitCode, 2);
        EXPECT_NE(Result.Err.find(Case.Message), std::string::npos) << Result.Err;
        EXPECT_NE(Result.Err.find("Run with --help"), std::string::npos) << Result.Err;
        EXPECT_TRUE(Result.Out.empty());
    }
}

class InfoCommand : public test::TTempDirTest {};

TEST_F(InfoCommand, DescribesAnErMapperImage) {
    const std::string Image = Path("image.ers");
    {
        TDataSet2 Created;
        ASSERT_TRUE(Created.Open(Image, 4, 3, 4, 2, omCreate)) << Created.GetErrorText();
        Created.SetGeoreference("WE", "WGS84", "NUTM34", 2.5, 3, 10, 20, 1000, 5000);
        Created.Raster()->GetControlPoints()->AddFromErsLine("\"P1\" Yes No 1 2 1002.5 4994 0");
        Created.Raster()->GetControlPoints()->AddFromErsLine("\"P2\" No No 3 1 1007.5 4997 0");
    } // the header is written when the data set is released

    const TCliRun Result = RunCommandLine({"info", Image, "--catalogue", test::ShippedCatalogueFolder});
    EXPECT_EQ(Result.ExitCode, 0) << Result.Err;
    EXPECT_EQ(Result.Err, "");
    EXPECT_EQ(Result.Out, "format: ER Mapper\n"
                          "columns: 4\n"
                          "rows: 3\n"
                          "bands: 2\n"
                          "cell type: UNSIGNED16BITINTEGER\n"
                          "byte order: LSBFirst\n"
                          "cell size x: 2.5\n"
                          "cell size y: 3\n"
                          "origin x: 975\n"
                          "origin y: 5060\n"
                          "registration cell x: 10\n"
                          "registration cell y: 20\n"
                          "easting: 1000\n"
                          "northing: 5000\n"
                          "spheroid: \n"
                          "datum: \"WGS84\"\n"
                          "projection: \"NUTM34\"\n"
                          "control points: 2\n"
                          "catalogue spheroid: WE\n"
                          "catalogue datum: WGS84\n"
                          "catalogue system: NUTM34\n"
                          "epsg code: 32634\n"
                          "system source: names\n");
}

// ER Mapper's registration coordinate is the corner of its cell; files of the older program give its centre.
TEST_F(InfoCommand, ReadsErMapperRegistrationsByTheChosenConvention) {
    const std::string Image =
        WriteFile("reg.ers", "DatasetHeader Begin\n RasterInfo Begin\n"
                             "  CellType = Unsigned8BitInteger\n  NrOfLines = 1\n"
                             "  NrOfCellsPerLine = 1\n  NrOfBands = 1\n"
                             "  CellInfo Begin\n   Xdimension = 2.5\n   Ydimension = 3\n"
                             "  CellInfo End\n  RegistrationCoord Begin\n"
                             "   Eastings = 1000\n   Northings = 5000\n"
                             "  RegistrationCoord End\n RasterInfo End\n");
    WriteFile("reg", "x");
    const std::vector<std::pair<std::vector<std::string>, std::string>> Cases = {
        {{"info", Image}, "origin x: 1001.25\norigin y: 4998.5\n"},
        {{"info", "--ers-registration", "Corner", Image}, "origin x: 1001.25\norigin y: 4998.5\n"},
        {{"info", "--ers-registration", "centre", Image}, "origin x: 1000\norigin y: 5000\n"},
    };
    for (const auto& [Args, Origin] : Cases) {
        const TCliRun Result = RunCommandLine(Args);
        EXPECT_EQ(Result.ExitCode, 0) << Result.Err;
        EXPECT_NE(Result.Out.find(Origin), std::string::npos) << Result.Out;
    }
    const TCliRun Bad = RunCommandLine({"info", "--ers-registration", "middle", Image});
    EXPECT_EQ(Bad.ExitCode, 2);
    EXPECT_EQ(Bad.Err, "ER Mapper registration \"middle\" is neither corner nor centre\n");
    EXPECT_EQ(Bad.Out, "");
}

// Describing a compressed TIFF reads its directory only, as for its uncompressed form: no cell is
// decoded, so no temporary cell file is needed (the temporary folder here does not even exist).
TEST_F(InfoCommand, DescribesACompressedTiffWithoutDecodingIt) {
    test::TTiffShape Shape;
    ASSERT_TRUE(test::WriteTiff(Path("plain.tif"), Shape));
    Shape.Compression = COMPRESSION_LZW;
    Shape.Tile = 16;
    ASSERT_TRUE(test::WriteTiff(Path("tiled.tif"), Shape));
    const TCliRun Plain = RunCommandLine({"info", Path("plain.tif")});
    const test::TTempFolderOverride NoTempFolder(Path("missing"));
    const TCliRun Tiled = RunCommandLine({"info", Path("tiled.tif")});
    EXPECT_EQ(Tiled.ExitCode, 0) << Tiled.Err;
    EXPECT_EQ(Tiled.Out, Plain.Out);
    EXPECT_NE(Plain.Out.find("columns: 37\nrows: 23\n"), std::string::npos) << Plain.Out;
}

TEST_F(InfoCommand, TheCommonCatalogueOptionMayFollowTheCommand) {
    const TCliRun Result = RunCommandLine({"info", Path("missing.ers"), "--catalogue", Dir().string()});
    EXPECT_EQ(Result.ExitCode, 1);
    EXPECT_EQ(Result.Err, "No file: " + Path("missing.ers") + "\n");
}

TEST_F(InfoCommand, ImagesThatCannotBeOpenedExitWithStatusOneAndTheErrorText) {
    const struct {
        std::string File;
        std::string Err;
    } Cases[] = {
        {Path("missing.ers"), "No file: " + Path("missing.ers") + "\n"},
        {WriteFile("short.ers", "DAT"), "Cannot open " + Path("short.ers") + ": No data available\n"},
        {WriteFile("garbage.xyz", "\x01\x02\x03\x04\x05\x06\x07\x08\x09"),
         "Unknown file type: " + Path("garbage.xyz") + "\n"},
        {Dir().string(), "No file: " + Dir().string() + "\n"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.File);
        const TCliRun Result = RunCommandLine({"info", Case.File});
        EXPECT_EQ(Result.ExitCode, 1);
        EXPECT_EQ(Result.Out, "");
        EXPECT_EQ(Result.Err, Case.Err);
    }
    // A header without its cell file fails in the raster, which gives the reason.
    const TCliRun Headerless =
        RunCommandLine({"info", WriteFile("lonely.ers", "DatasetHeader Begin\nDatasetHeader End\n")});
    EXPECT_EQ(Headerless.ExitCode, 1);
    EXPECT_FALSE(Headerless.Err.empty());
}

} // namespace
} // namespace vortane
