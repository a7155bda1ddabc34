#include "cli_runner.hpp"
#include "warp_fixture.hpp"

#include "cli/cli_app.hpp"
#include "cli/warp_command.hpp"
#include "raster/data_set.hpp"
#include "raster/mapped_cell_file.hpp"
#include "support/utm_settings.hpp"

#include <gtest/gtest.h>

#include <filesystem>
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
