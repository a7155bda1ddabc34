#include "cli_runner.hpp"

#include "support/proj_oracle.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace vortane {
namespace {

using test::RunVortaneCli;
using test::ShippedCatalogueFolder;
using test::TCliRun;

const std::string DecimalDegrees = "Geographic:(decimal degrees)";

TTransformOptions Ends(std::string InSpheroid, std::string InDatum, std::string InSystem,
                       std::string OutSpheroid, std::string OutDatum, std::string OutSystem, int InUnits = 0,
                       int OutUnits = 0) {
    return {InSpheroid, InDatum, InSystem, OutSpheroid, OutDatum, OutSystem, InUnits, OutUnits};
}

TCliRun Transform(const TTransformOptions& Options, const std::string& Input) {
    std::istringstream In(Input);
    std::ostringstream Out, Err;
    const int ExitCode = RunTransform(Options, ShippedCatalogueFolder, In, Out, Err);
    return {ExitCode, Out.str(), Err.str()};
}

std::vector<std::string> CommandLine(const TTransformOptions& Options) {
    return {"transform",        "--catalogue",    ShippedCatalogueFolder, "--in-spheroid",
            Options.InSpheroid, "--in-datum",     Options.InDatum,        "--in-system",
            Options.InSystem,   "--out-spheroid", Options.OutSpheroid,    "--out-datum",
            Options.OutDatum,   "--out-system",   Options.OutSystem};
}

TEST(TransformCommandLine, UnknownNamesAndBadOptionsExitWithStatusTwo) {
    const TTransformOptions Good = Ends("WE", "WGS84", DecimalDegrees, "AA", "OSGB36", "BNG");
    const auto With = [&](auto Change) {
        TTransformOptions Options = Good;
        Change(Options);
        return CommandLine(Options);
    };
    std::vector<std::string> MissingSystem = CommandLine(Good);
    MissingSystem.resize(MissingSystem.size() - 2);
    std::vector<std::string> MissingValue = CommandLine(Good);
    MissingValue.pop_back();
    std::vector<std::string> FootUnits = CommandLine(Good);
    FootUnits.insert(FootUnits.end(), {"--out-units", "2"});

    const struct {
        std::vector<std::string> Args;
        std::string Message; // part of stderr
    } Cases[] = {
        {With([](auto& O) { O.InSpheroid = "ZZ"; }), "Unknown spheroid \"ZZ\" (--in-spheroid)"},
        {With([](auto& O) { O.OutDatum = "OSGB"; }), "Unknown datum \"OSGB\" (--out-datum)"},
        {With([](auto& O) { O.InSystem = "geographic:(deg)"; }),
         "Unknown coordinate system \"geographic:(deg)\" (--in-system)"},
        {With([](auto& O) { O.OutSystem = "NUTM99"; }),
         "Unknown coordinate system \"NUTM99\" (--out-system)"},
        {MissingSystem, "--out-system is required"},
        {MissingValue, "--out-system"},
        {FootUnits, "--out-units"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Message);
        const TCliRun Result = RunVortaneCli(Case.Args);
        EXPECT_EQ(Result.ExitCode, ExitUsage);
        EXPECT_NE(Result.Err.find(Case.Message), std::string::npos) << Result.Err;
        EXPECT_EQ(Result.Out, "");
    }

    // Every unknown name is named, not only the first.
    const TCliRun Both = Transform(Ends("ZZ", "WGS84", DecimalDegrees, "WE", "NOPE", "BNG"), "");
    EXPECT_EQ(Both.ExitCode, ExitUsage);
    EXPECT_EQ(Both.Err, "Unknown spheroid \"ZZ\" (--in-spheroid)\n"
                        "Unknown datum \"NOPE\" (--out-datum)\n"
                        "Run 'vortane-cli catalogue list' for the names the catalogue holds.\n");
}

TEST(TransformCommandLine, EpsgCodesNameAnEndInsteadOfItsThreeNames) {
    const std::string London = "-0.1275 51.507222\n";
    const auto Run = [](std::vector<std::string> Args) {
        Args.insert(Args.begin(), {"transform", "--catalogue", ShippedCatalogueFolder});
        return RunVortaneCli(Args); // every case fails before it reads a line
    };
    const TCliRun ByNames = Transform(Ends("WE", "WGS84", DecimalDegrees, "AA", "OSGB36", "BNG"), London);
    ASSERT_EQ(ByNames.ExitCode, ExitSuccess) << ByNames.Err;
    TTransformOptions ByCodes = Ends("", "", "", "", "", "");
    ByCodes.InCrs = "EPSG:4326";
    ByCodes.OutCrs = "epsg:27700";
    EXPECT_EQ(Transform(ByCodes, London).Out, ByNames.Out);
    TTransformOptions Mixed = Ends("", "", "", "AA", "OSGB36", "BNG");
    Mixed.InCrs = "EPSG:4326";
    EXPECT_EQ(Transform(Mixed, London).Out, ByNames.Out);

    const struct {
        std::vector<std::string> Args;
        std::string Message; // all of stderr
    } Cases[] = {
        {{"--in-crs", "EPSG:4326", "--in-datum", "WGS84", "--out-crs", "EPSG:27700"},
         "--in-crs excludes --in-datum\nRun with --help for more information.\n"},
        {{"--in-crs", "EPSG:4326", "--out-crs", "EPSG:99999"},
         "Unknown EPSG code 99999 (--out-crs)\n"
         "Run 'vortane-cli catalogue find TEXT' for the EPSG codes the catalogue knows.\n"},
        {{"--in-crs", "4326", "--out-crs", "EPSG:27700"},
         "Invalid --in-crs \"4326\": expected EPSG:<code>\n"
         "Run 'vortane-cli catalogue find TEXT' for the EPSG codes the catalogue knows.\n"},
        {{"--in-crs", "EPSG:4326", "--out-datum", "OSGB36"},
         "--out-spheroid is required (or --out-crs EPSG:n)\n--out-system is required (or --out-crs "
         "EPSG:n)\n"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Message);
        const TCliRun Result = Run(Case.Args);
        EXPECT_EQ(Result.ExitCode, ExitUsage);
        EXPECT_EQ(Result.Err, Case.Message);
        EXPECT_EQ(Result.Out, "");
    }
}

TEST(TransformLines, LengthsKeepTheirMillimetresWhateverTheirSize) {
    // Zone 30 of the 6-degree Gauss-Krueger grid carries 30 000 000 m in its eastings; geocentric
    // coordinates run to millions of metres. Each length has exactly three decimals, equal to PROJ's.
    const struct {
        TTransformOptions Ends;
        std::string Projection; // PROJ's definition of the output
    } Cases[] = {
        {Ends("KA", "Pulkovo1942", DecimalDegrees, "KA", "Pulkovo1942", "TMGKN30"),
         "+proj=tmerc +lon_0=177 +k=1 +x_0=30500000 +ellps=krass"},
        {Ends("WE", "WGS84", DecimalDegrees, "WE", "WGS84", "Geocentric:X,Y,Z"), "+proj=cart +ellps=WGS84"},
    };
    const std::regex Millimetres("-?[0-9]+\\.[0-9]{3}");
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Projection);
        const TCliRun Result = Transform(Case.Ends, "177.123456 52.5\n");
        ASSERT_EQ(Result.ExitCode, ExitSuccess) << Result.Err;
        std::istringstream Fields(Result.Out);
        std::string X, Y;
        Fields >> X >> Y;
        EXPECT_TRUE(std::regex_match(X, Millimetres)) << X;
        EXPECT_TRUE(std::regex_match(Y, Millimetres)) << Y;
        const TProjOracle Published(Case.Projection);
        ASSERT_TRUE(Published.Valid());
        const PJ_COORD Want =
            Published.Trans(PJ_FWD, proj_coord(177.123456 * M_PI / 180, 52.5 * M_PI / 180, 0, 0));
        EXPECT_NEAR(std::stod(X), Want.xyz.x, 0.001);
        EXPECT_NEAR(std::stod(Y), Want.xyz.y, 0.001);
    }
}

TEST(TransformCommandLine, HelpExplainsTheLinesWithAnExample) {
    const TCliRun Help = RunVortaneCli({"transform", "--help"});
    EXPECT_EQ(Help.ExitCode, ExitSuccess);
    EXPECT_NE(Help.Out.find("--in-spheroid CODE"), std::string::npos) << Help.Out;
    EXPECT_NE(Help.Out.find("Example"), std::string::npos);
    EXPECT_NE(Help.Out.find("vortane-cli transform --in-spheroid WE"), std::string::npos);
}

TEST(TransformLines, RejectedLinesAreNamedByNumberAndTheRestGoesOn) {
    const std::string Input = "21:0:0E 52:15:0N\n"
                              "\n"
                              "400:0:0E 10:0:0N\n"
                              "21:0:0E 91:0:0N\n"
                              "21:0:0E 52:0:0N abc\n"
                              "21:0:0E\n"
                              "1 2 3 4\n"
                              "\t21:0:0E   52:15:0N \r\n";
    const TCliRun Result = Transform(Ends("WE", "WGS84", "Geographic:(deg)", "WE", "WGS84", "NUTM34"), Input);
    EXPECT_EQ(Result.ExitCode, ExitFailure);
    EXPECT_EQ(Result.Err, "line 3: field 1 \"400:0:0E\" is not a valid Lon(dd:mm:ss.sss)\n"
                          "line 4: field 2 \"91:0:0N\" is not a valid Lat(dd:mm:ss.sss)\n"
                          "line 5: field 3 \"abc\" is not a valid Altitude(m)\n"
                          "line 6: needs at least two fields\n"
                          "line 7: more than three fields\n");
    // One output line per input line: the rejected and the blank ones are empty.
    const std::string Position = "500000.000 5788844.517 0.000\n";
    EXPECT_EQ(Result.Out, Position + "\n\n\n\n\n\n" + Position);
}

TEST(TransformLines, TextsTheSystemsReaderWouldTakeAsZeroAreRejected) {
    const struct {
        std::string System;
        std::string Line;
        std::string Error; // empty: accepted
    } Cases[] = {
        {"BNG", "651409.903 313177.270", ""},
        {"BNG", "651409,903 313177", ""},
        {"BNG", "65140O 313177", "field 1 \"65140O\" is not a valid "},
        {"BNG", "651409 north", "field 2 \"north\" is not a valid "},
        {"Geocentric:X,Y,Z", "3980581 -111 4966825", ""},
        {"Geocentric:X,Y,Z", "3980581 -111 4966825m", "field 3 \"4966825m\" is not a valid Z(m)"},
        {DecimalDegrees, "-2.5 1e999", "field 2 \"1e999\" is not a valid Lat(gg.ggg)"},
        {"Geographic:(grad)", "-2.5 N55", "field 2 \"N55\" is not a valid Lat(gg.ggg)"},
        {"ArcView Geographic: gg.mm.ss.sss", "52.39.28.723 -001.42.57.787", ""},
        {"ArcView Geographic: gg.mm.ss.sss", "52:39:28.723 1.42.57",
         "field 1 \"52:39:28.723\" is not a valid Lat"},
        {"ArcView Geographic: gg.mm.ss.sss", "52.39.28.723 .", "field 2 \".\" is not a valid Lon"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.System + ": " + Case.Line);
        const TCliRun Result =
            Transform(Ends("AA", "OSGB36", Case.System, "WE", "WGS84", DecimalDegrees), Case.Line);
        if (Case.Error.empty()) {
            EXPECT_EQ(Result.ExitCode, ExitSuccess) << Result.Err;
            EXPECT_EQ(Result.Out.find('\n'), Result.Out.size() - 1);
            EXPECT_GT(Result.Out.size(), 1u);
        } else {
            EXPECT_EQ(Result.ExitCode, ExitFailure);
            EXPECT_EQ(Result.Err.rfind("line 1: " + Case.Error, 0), 0u) << Result.Err;
            EXPECT_EQ(Result.Out, "\n");
        }
    }
}

TEST(TransformLines, BothEndsMayNameTheSameSystemWithOwnSpheroidsAndUnits) {
    constexpr double Millimetre = 0.001;
    constexpr double DegreeNearMillimetre = 2e-8;
    // Ten significant digits leave two decimals for eight-digit values.
    constexpr double EightDigitRounding = 0.005;
    const struct {
        TTransformOptions Options;
        std::string Input;
        double X, Y; // expected
        double Tolerance;
    } Cases[] = {
        // Metres to US survey feet (1200/3937 m) and back on the same grid.
        {Ends("WE", "WGS84", "NUTM34", "WE", "WGS84", "NUTM34", 0, 1), "500000 5788844.517",
         500000 * 3937.0 / 1200, 5788844.517 * 3937.0 / 1200, EightDigitRounding},
        {Ends("WE", "WGS84", "NUTM34", "WE", "WGS84", "NUTM34", 1, 0), "1640416.6667 18992234.0529", 500000,
         5788844.517, Millimetre},
        // Feet apply to every projected system, not only to transverse Mercator ones.
        {Ends("RF", "ETRS89", "LAMBERT93", "RF", "ETRS89", "LAMBERT93", 0, 1), "700000 6600000",
         700000 * 3937.0 / 1200, 6600000 * 3937.0 / 1200, EightDigitRounding},
        // The same geographic system on two datums; cs2cs with ED50's shipped translations gives
        // 2.351285551 48.850914711 for 2.35 48.85 on WGS 84.
        {Ends("WE", "WGS84", DecimalDegrees, "IN", "ED50", DecimalDegrees), "2.35 48.85", 2.351285551,
         48.850914711, DegreeNearMillimetre},
        {Ends("IN", "ED50", DecimalDegrees, "WE", "WGS84", DecimalDegrees), "2.351285551 48.850914711", 2.35,
         48.85, DegreeNearMillimetre},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Input);
        const TCliRun Result = Transform(Case.Options, Case.Input + "\n");
        EXPECT_EQ(Result.ExitCode, ExitSuccess) << Result.Err;
        std::istringstream Printed(Result.Out);
        double X = 0.0, Y = 0.0;
        ASSERT_TRUE(Printed >> X >> Y) << Result.Out;
        EXPECT_NEAR(X, Case.X, Case.Tolerance);
        EXPECT_NEAR(Y, Case.Y, Case.Tolerance);
    }
}

TEST(TransformCommand, PositionsOutsideASystemsDomainAreRejectedLines) {
    // Far outside its domain a conversion gives plausible numbers or zeros instead of failing.
    const struct {
        TTransformOptions Ends;
        std::string Line;
    } Cases[] = {
        {Ends("WE", "WGS84", "NUTM34", "WE", "WGS84", DecimalDegrees),
         "500000 -9999999999"},                                                  // latitude -90018
        {Ends("WE", "WGS84", DecimalDegrees, "WE", "WGS84", "NUTM34"), "180 0"}, // easting 85 599 607
        {Ends("WE", "WGS84", "NUTM34", "WE", "WGS84", "NUTM34"), "1e300 0"},     // a fault given as zeros
        {Ends("WE", "WGS84", "NUTM34", "WE", "WGS84", DecimalDegrees),
         "5500000 5000000"}, // 5 000 km east: the inverse series gave 76.5 E 31.0 N
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Line);
        const TCliRun Run = Transform(Case.Ends, Case.Line + "\n");
        EXPECT_EQ(Run.ExitCode, 1);
        EXPECT_EQ(Run.Out, "\n");
        EXPECT_EQ(Run.Err.rfind("line 1: the position ", 0), 0u) << Run.Err;
    }
}

} // namespace
} // namespace vortane
