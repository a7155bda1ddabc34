#include "cli_runner.hpp"
#include "warp_fixture.hpp"

#include "cli/cli_app.hpp"
#include "cli/warp_command.hpp"
#include "raster/data_set.hpp"
#include "raster/mapped_cell_file.hpp"
#include "support/utm_settings.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace vortane {
namespace {

using test::TCliRun;

TCliRun RunWarpCommand(std::vector<std::string> Args) {
    Args.insert(Args.begin(), {"warp", "--catalogue", test::ShippedCatalogueFolder, "--quiet"});
    constexpr TAddCommand Commands[] = {AddWarpCommand};
    return test::RunCliWith(Commands, std::move(Args));
}

std::string LastLine(const std::string& Text) {
    const std::size_t End = Text.size() - (Text.ends_with('\n') ? 1 : 0);
    const std::size_t Start = Text.rfind('\n', End - 1);
    return Text.substr(Start == std::string::npos ? 0 : Start + 1,
                       End - (Start == std::string::npos ? 0 : Start + 1));
}

TEST_F(WarpCommand, TheFinalStatusIsTheLastLineAndGivesTheExitStatus) {
    const TCliRun Done = RunWarpCommand(Zone34To35(Path("out.ers")));
    EXPECT_EQ(Done.ExitCode, 0) << Done.Err;
    EXPECT_EQ(LastLine(Done.Out), "Successful Finish");
    TDataSet2 Out;
    ASSERT_TRUE(Out.Open(Path("out.ers"), 0, 0, 1, 1, omRead));
    EXPECT_EQ(Out.GetCellSizeX(), 25.0); // the input's cell size by default
    std::string Projection;
    Out.GetProjection(Projection);
    EXPECT_EQ(Projection, "\"NUTM35\"");
    EXPECT_EQ(test::ReadText(Path("out.log")).find("Exact projection forms"), std::string::npos);

    std::vector<std::string> Missing = Zone34To35(Path("out2.ers"));
    Missing[1] = Path("missing.ers");
    const TCliRun Failed = RunWarpCommand(Missing);
    EXPECT_EQ(Failed.ExitCode, 1);
    EXPECT_EQ(LastLine(Failed.Out), "OpenError 0");
    EXPECT_EQ(Failed.Err, "No file: " + Path("missing.ers") + "\n");
}

// The dry run writes nothing and names the grid the run then writes.
TEST_F(WarpCommand, ADryRunWritesNothingAndGivesTheRunsSize) {
    std::vector<std::string> Args = Zone34To35(Path("out.ers"));
    Args.push_back("--dry-run");
    const TCliRun Dry = RunWarpCommand(Args);
    EXPECT_EQ(Dry.ExitCode, 0) << Dry.Err;
    EXPECT_FALSE(std::filesystem::exists(Path("out.ers")));
    EXPECT_FALSE(std::filesystem::exists(Path("out.log")));
    for (const char* Key : {"input extent: west ", "output extent: west ", "estimated time: "})
        EXPECT_NE(Dry.Out.find(Key), std::string::npos) << Key;

    ASSERT_EQ(RunWarpCommand(Zone34To35(Path("out.ers"))).ExitCode, 0);
    TDataSet2 Out;
    ASSERT_TRUE(Out.Open(Path("out.ers"), 0, 0, 1, 1, omRead));
    const std::string Size = "output size: " + std::to_string(Out.GetColumns()) + " x " +
                             std::to_string(Out.GetRows()) + " x " + std::to_string(Out.GetBands()) +
                             " cells, ";
    EXPECT_NE(Dry.Out.find(Size), std::string::npos) << Dry.Out;
}

TEST_F(WarpCommand, UnknownNamesAndMissingOptionsAreUsageErrors) {
    const struct {
        std::vector<std::pair<std::size_t, std::string>> Changes;
        std::string Message;
    } Cases[] = {
        {{{9, "NUTM99"}}, "Unknown coordinate system \"NUTM99\" (--in-system)"},
        {{{11, "XX"}}, "Unknown spheroid \"XX\" (--out-spheroid)"},
        {{{13, "Nowhere"}}, "Unknown datum \"Nowhere\" (--out-datum)"},
        {{{1, ""}}, "Missing --input"},
        {{{3, ""}, {15, ""}}, "Missing --output"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Message);
        std::vector<std::string> Args = Zone34To35(Path("out.ers"));
        for (const auto& [Index, Value] : Case.Changes)
            Args[Index] = Value;
        const TCliRun Run = RunWarpCommand(Args);
        EXPECT_EQ(Run.ExitCode, 2);
        EXPECT_NE(Run.Err.find(Case.Message), std::string::npos) << Run.Err;
        EXPECT_EQ(Run.Out, "");
    }
    std::vector<std::string> BadColour = Zone34To35(Path("out.ers"));
    BadColour.insert(BadColour.end(), {"--background", "0x1000000"});
    EXPECT_EQ(RunWarpCommand(BadColour).ExitCode, 2);
    std::vector<std::string> BadMethod = Zone34To35(Path("out.ers"));
    BadMethod.insert(BadMethod.end(), {"--resampling", "bicubic"});
    EXPECT_EQ(RunWarpCommand(BadMethod).Err,
              "Resampling \"bicubic\" is not one of auto, nearest, bilinear, cubic, "
              "lanczos, average, mode\n");
}

TEST_F(WarpCommand, ASettingsFileDescribesTheRunAndOptionsOverrideIt) {
    TSettings Stored = test::UtmSettings("NUTM34", "NUTM35", Path("in.ers"), Path("ini.ers"));
    Stored.BackGround = 255;
    Stored.ExactProjections = true;
    ASSERT_TRUE(WriteSettings(Stored, Path("vortane.ini")));
    const TCliRun FromIni = RunWarpCommand({"--settings", Path("vortane.ini"), "--step", "50"});
    EXPECT_EQ(FromIni.ExitCode, 0) << FromIni.Err;
    EXPECT_TRUE(std::filesystem::exists(Path("ini.ers")));
    EXPECT_NE(
        test::ReadText(Path("ini.log"))
            .find(" Exact projection forms: input Kruger series to n^6, output Kruger series to n^6\r\n"),
        std::string::npos);

    const TCliRun Overridden =
        RunWarpCommand({"--settings", Path("vortane.ini"), "--output", Path("cli.ers"), "--only-headers"});
    EXPECT_EQ(Overridden.ExitCode, 0) << Overridden.Err;
    TDataSet2 Out;
    ASSERT_TRUE(Out.Open(Path("cli.ers"), 0, 0, 1, 1, omRead));
    EXPECT_EQ(Out.GetCellSizeX(), 25.0);
}

// The line of Text that starts with Start (leading blanks ignored), without that start.
std::string LineAfter(const std::string& Text, const std::string& Start) {
    const std::size_t At = Text.find(Start);
    return At == std::string::npos ? ""
                                   : Text.substr(At + Start.size(), Text.find('\r', At) - At - Start.size());
}

// One job as .ers and as .tif: the world file gives the centre of the top-left cell, the header the
// corner (half of a 25 m cell away) unless the older convention is chosen, on the command line or in
// the settings, where the header gives the centre too.
TEST_F(WarpCommand, TheErMapperRegistrationConventionComesFromTheOptionOrTheSettings) {
    TSettings Stored = test::UtmSettings("NUTM34", "NUTM35", Path("in.ers"), Path("ini.ers"));
    Stored.ErsRegistration = "centre";
    ASSERT_TRUE(WriteSettings(Stored, Path("centre.ini")));
    const std::vector<std::pair<std::vector<std::string>, double>> Cases = {
        {{}, 12.5},
        {{"--ers-registration", "corner"}, 12.5},
        {{"--ers-registration", "centre"}, 0},
        {{"--settings", Path("centre.ini")}, 0},
        {{"--settings", Path("centre.ini"), "--ers-registration", "corner"}, 12.5},
    };
    for (const auto& [Options, Shift] : Cases) {
        SCOPED_TRACE(::testing::PrintToString(Options));
        for (const std::string Name : {"out.ers", "out.tif"}) {
            std::vector<std::string> Args = Zone34To35(Path(Name));
            Args.insert(Args.end(), Options.begin(), Options.end());
            Args.push_back("--only-headers");
            const TCliRun Run = RunWarpCommand(Args);
            ASSERT_EQ(Run.ExitCode, 0) << Run.Err;
        }
        const double HeaderEasting = std::stod(LineAfter(test::ReadText(Path("out.ers")), "Eastings = "));
        std::istringstream World(test::ReadText(Path("out.tfw")));
        double WorldEasting = 0;
        for (int Line = 0; Line < 5; ++Line)
            World >> WorldEasting;
        EXPECT_NEAR(WorldEasting - HeaderEasting, Shift, 1e-6);
    }
    std::vector<std::string> Bad = Zone34To35(Path("bad.ers"));
    Bad.insert(Bad.end(), {"--ers-registration", "middle"});
    const TCliRun Refused = RunWarpCommand(Bad);
    EXPECT_EQ(Refused.ExitCode, 2);
    EXPECT_EQ(Refused.Err, "ER Mapper registration \"middle\" is neither corner nor centre\n");
    EXPECT_FALSE(std::filesystem::exists(Path("bad.ers")));
}

TEST_F(WarpCommand, EpsgCodesNameAnEndAndOverrideTheSettingsFile) {
    ASSERT_EQ(RunWarpCommand(Zone34To35(Path("names.ers"))).ExitCode, 0);
    const TCliRun ByCodes = RunWarpCommand({"--input", Path("in.ers"), "--output", Path("codes.ers"),
                                            "--in-crs", "EPSG:32634", "--out-crs", "EPSG:32635"});
    ASSERT_EQ(ByCodes.ExitCode, 0) << ByCodes.Err;
    EXPECT_EQ(test::ReadTextUndated(Path("codes.ers")), test::ReadTextUndated(Path("names.ers")));
    EXPECT_FALSE(test::ReadText(Path("names")).empty()) << "the cells beside the header";
    EXPECT_EQ(test::ReadText(Path("codes")), test::ReadText(Path("names")));

    WriteFile("zones.ini", "[Input]\nSpheroid=WE\nDatum=WGS84\nProjection=NUTM34\n"
                           "[Output]\nSpheroid=WE\nDatum=WGS84\nProjection=NUTM35\n");
    const TCliRun Overridden =
        RunWarpCommand({"--settings", Path("zones.ini"), "--input", Path("in.ers"), "--output",
                        Path("ini.ers"), "--out-crs", "EPSG:32633", "--only-headers"});
    ASSERT_EQ(Overridden.ExitCode, 0) << Overridden.Err;
    TDataSet2 Out;
    ASSERT_TRUE(Out.Open(Path("ini.ers"), 0, 0, 1, 1, omRead));
    std::string Projection;
    Out.GetProjection(Projection);
    EXPECT_EQ(Projection, "\"NUTM33\"");

    std::vector<std::string> Both = Zone34To35(Path("both.ers"));
    Both.insert(Both.end(), {"--in-crs", "EPSG:32634"});
    const TCliRun Conflict = RunWarpCommand(Both);
    EXPECT_EQ(Conflict.ExitCode, 2);
    EXPECT_NE(Conflict.Err.find("--in-crs excludes --in-spheroid"), std::string::npos) << Conflict.Err;
}

TEST_F(WarpCommand, WithoutAnInputSystemTheFilesOwnIsTakenAndOneContradictingItIsWarnedOf) {
    ASSERT_EQ(RunWarpCommand(Zone34To35(Path("names.ers"))).ExitCode, 0);
    const std::string Taken = "Input system taken from " + Path("in.ers") +
                              ": spheroid WE, datum WGS84, system NUTM34 (EPSG:32634), by its names";
    const TCliRun FromFile =
        RunWarpCommand({"--input", Path("in.ers"), "--output", Path("file.ers"), "--out-crs", "EPSG:32635"});
    ASSERT_EQ(FromFile.ExitCode, 0) << FromFile.Err;
    EXPECT_EQ(FromFile.Err, Taken + "\n");
    EXPECT_NE(test::ReadText(Path("file.log")).find(" " + Taken + "\r\n"), std::string::npos);
    EXPECT_EQ(test::ReadText(Path("file")), test::ReadText(Path("names")))
        << "the same run as with its names";

    std::vector<std::string> Zone35 = Zone34To35(Path("zone35.ers"));
    Zone35[9] = "NUTM35";
    const TCliRun Contradicting = RunWarpCommand(Zone35);
    EXPECT_EQ(Contradicting.ExitCode, 0) << "the run goes on as told";
    const std::string Warning =
        "Warning: the input system given (spheroid WE, datum WGS84, system NUTM35 "
        "(EPSG:32635)) contradicts " +
        Path("in.ers") +
        "'s own (spheroid WE, datum WGS84, system NUTM34 (EPSG:32634), by its names); "
        "the run uses the one given";
    EXPECT_EQ(Contradicting.Err, Warning + "\n");
    EXPECT_NE(test::ReadText(Path("zone35.log")).find(" " + Warning + "\r\n"), std::string::npos);
    EXPECT_EQ(RunWarpCommand(Zone34To35(Path("agreeing.ers"))).Err, "");

    {
        TDataSet2 Created;
        ASSERT_TRUE(Created.Open(Path("nowhere.ers"), 4, 3, 1, 1, omCreate));
        Created.SetGeoreference("", "NOWHERE", "NUTM34", 25, 25, 0, 0, 500000, 6000000);
    }
    const TCliRun Unknown = RunWarpCommand(
        {"--input", Path("nowhere.ers"), "--output", Path("x.ers"), "--out-crs", "EPSG:32635"});
    EXPECT_EQ(Unknown.ExitCode, 2);
    EXPECT_EQ(Unknown.Out, "");
    EXPECT_NE(
        Unknown.Err.find("No input system given, and " + Path("nowhere.ers") +
                         " names none the catalogue holds: its names (spheroid \"\", datum \"NOWHERE\""),
        std::string::npos)
        << Unknown.Err;
    EXPECT_FALSE(std::filesystem::exists(Path("x.ers")));
    const TCliRun Partial = RunWarpCommand({"--input", Path("in.ers"), "--output", Path("x.ers"),
                                            "--in-datum", "WGS84", "--out-crs", "EPSG:32635"});
    EXPECT_EQ(Partial.ExitCode, 2);
    EXPECT_NE(Partial.Err.find("Missing --in-spheroid"), std::string::npos) << Partial.Err;
}

// The log names how a TIFF output stores its cells; formats that cannot store them so refuse before
// any row is computed.
TEST_F(WarpCommand, StorageChoicesReachTheTiffOutputAndAreRefusedForOthers) {
    const struct {
        std::vector<std::string> Options;
        const char* Output;
        const char* Said; // in the log, or on stderr for a refusal
    } Cases[] = {
        {{"--tiled"}, "tiled.tif", " Output storage: none, tiles 256"},
        {{"--cog"}, "cog.tif", " Output storage: deflate, tiles 512, COG"},
        {{"--compress", "jpeg", "--quality", "60", "--nodata", "0"},
         "jpeg.tif",
         " Output storage: jpeg quality 60, strips, nodata 0"},
        {{"--compress", "lzw", "--tiled", "512"},
         "lzw.ers",
         "Only TIFF outputs take these storage choices: compression, tiles"},
    };
    for (const auto& Case : Cases) {
        std::vector<std::string> Args = Zone34To35(Path(Case.Output));
        Args.insert(Args.end(), Case.Options.begin(), Case.Options.end());
        const TCliRun Run = RunWarpCommand(Args);
        const bool Tiff = std::string(Case.Output).ends_with(".tif");
        EXPECT_EQ(Run.ExitCode, Tiff ? 0 : 1) << Run.Err;
        const std::string Log =
            test::ReadText(std::filesystem::path(Path(Case.Output)).replace_extension(".log"));
        EXPECT_NE((Tiff ? Log : Run.Err).find(Case.Said), std::string::npos) << Log << Run.Err;
        EXPECT_EQ(Log.find("Processing file: " + Path("in.ers") + " finished") != std::string::npos, Tiff);
    }
}

TEST(WarpBackground, ColoursAreTwentyFourBitNumbers) {
    const std::pair<std::string, std::optional<std::int32_t>> Cases[] = {
        {"0x204060", 0x204060},      {"0XFFFFFF", 0xFFFFFF}, {"255", 255},          {"0", 0},
        {"0x1000000", std::nullopt}, {"-1", std::nullopt},   {"red", std::nullopt}, {"0x20 ", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [Text, Colour] : Cases)
        EXPECT_EQ(ParseBackground(Text), Colour) << Text;
}

} // namespace
} // namespace vortane
