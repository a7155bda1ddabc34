// `vortane-cli transform` with the shipped catalogue against PROJ's cs2cs on the same points. The
// cs2cs side uses the published projection definitions and, for datums, the seven parameters the
// catalogue ships (converted to arc-seconds and ppm for +towgs84), so the comparison measures the
// program's arithmetic, not the choice of transformation.

#include "cli_runner.hpp"

#include "catalogue/catalogue.hpp"
#include "support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace vortane {
namespace {

using test::ShippedCatalogueFolder;

constexpr double Pi = 3.14159265358979323846;
constexpr double EarthRadius = 6378137.0; // metres per radian on the ground, close enough for tolerances

using TTriple = std::array<double, 3>;

// Runs cs2cs on Lines (one "x y" position each) and returns its numbers, one triple per line.
std::vector<TTriple> RunCs2cs(const std::string& Source, const std::string& Target,
                              const std::vector<std::string>& Lines) {
    std::string Text;
    for (const std::string& Line : Lines)
        Text += Line + '\n';
    const test::TTempDir Scratch;
    const std::string Command = "cs2cs -f %.12f " + Source + " +to " + Target + " < " +
                                Scratch.WriteFile("input.txt", Text) + " 2>&1";
    std::vector<TTriple> Result;
    if (FILE* Pipe = ::popen(Command.c_str(), "r")) {
        char Buffer[512];
        while (std::fgets(Buffer, sizeof Buffer, Pipe)) {
            TTriple Values{};
            std::istringstream Fields(Buffer);
            if (!(Fields >> Values[0] >> Values[1] >> Values[2]))
                ADD_FAILURE() << "cs2cs printed: " << Buffer;
            Result.push_back(Values);
        }
        ::pclose(Pipe);
    }
    return Result;
}

std::vector<TTriple> RunTransformOn(const TTransformOptions& Options, const std::vector<std::string>& Lines) {
    std::ostringstream Input;
    for (const std::string& Line : Lines)
        Input << Line << '\n';
    std::istringstream In(Input.str());
    std::ostringstream Out, Err;
    EXPECT_EQ(RunTransform(Options, ShippedCatalogueFolder, In, Out, Err), ExitSuccess) << Err.str();
    EXPECT_EQ(Err.str(), "");
    std::vector<TTriple> Result;
    std::istringstream Printed(Out.str());
    for (std::string Line; std::getline(Printed, Line);) {
        TTriple Values{};
        std::istringstream Fields(Line);
        EXPECT_TRUE(Fields >> Values[0] >> Values[1] >> Values[2]) << Line;
        Result.push_back(Values);
    }
    return Result;
}

// "+towgs84=" with a catalogue datum's parameters: rotations back to arc-seconds, scale to ppm. Both
// use the position-vector convention.
std::string TowGs84(const TCSList& Catalogue, const std::string& DatumName) {
    const TDatumRecord* Datum = Catalogue.FindDatum(DatumName);
    if (!Datum) {
        ADD_FAILURE() << "no datum " << DatumName;
        return "";
    }
    const double ArcSeconds = 648000.0 / Pi;
    char Text[256];
    std::snprintf(Text, sizeof Text, "+towgs84=%.12g,%.12g,%.12g,%.12g,%.12g,%.12g,%.12g", Datum->DX,
                  Datum->DY, Datum->DZ, Datum->RX * ArcSeconds, Datum->RY * ArcSeconds,
                  Datum->RZ * ArcSeconds, Datum->Scale * 1e6);
    return Text;
}

// Horizontal distance in metres between two outputs: eastings and northings, or (for geographic
// outputs) longitude and latitude in degrees.
double GroundDistance(const TTriple& Got, const TTriple& Expected, bool Geographic) {
    if (!Geographic) return std::hypot(Got[0] - Expected[0], Got[1] - Expected[1]);
    const double ToRadians = Pi / 180.0;
    const double North = (Got[1] - Expected[1]) * ToRadians * EarthRadius;
    const double East = std::remainder(Got[0] - Expected[0], 360.0) * ToRadians * EarthRadius *
                        std::cos(Expected[1] * ToRadians);
    return std::hypot(North, East);
}

constexpr const char* Wgs84LongLat = "+proj=longlat +datum=WGS84";
const std::string DecimalDegrees = "Geographic:(decimal degrees)";

struct TOracleCase {
    std::string Name;
    TTransformOptions Options;
    std::string ProjSource, ProjTarget;
    std::vector<std::string> Points; // the same texts go to both programs
    bool GeographicOutput;
    // Largest horizontal difference accepted from the computation, in metres; the rounding of the
    // printed texts comes on top (see PrintRounding).
    double Tolerance;
};

// Projections alone: the series stay within a millimetre of PROJ inside their zones, the exact forms
// over the whole area.
constexpr double ProjectionTolerance = 0.001;
// Datum shifts add the single-step geocentric inverse, the scale applied before the rotations and
// the sign-flipped inverse shift (terms of second order in the parameters): a few millimetres.
constexpr double DatumTolerance = 0.005;

// Half a unit in the last printed digit, as ground metres: grid values keep 10 significant digits
// (at most 5 decimals), degrees 8 decimals.
double PrintRounding(const TTriple& Printed, bool Geographic) {
    if (Geographic) return std::hypot(0.5e-8, 0.5e-8) * Pi / 180.0 * EarthRadius;
    const auto HalfUnit = [](double Value) {
        const double Digits = std::floor(std::log10(std::max(std::fabs(Value), 1e5))) + 1.0;
        return 0.5 * std::pow(10.0, Digits - 10.0);
    };
    return std::hypot(HalfUnit(Printed[0]), HalfUnit(Printed[1]));
}

std::vector<TOracleCase> OracleCases(const TCSList& Catalogue) {
    const auto Ends = [](std::string InSpheroid, std::string InDatum, std::string InSystem,
                         std::string OutSpheroid, std::string OutDatum, std::string OutSystem) {
        return TTransformOptions{InSpheroid, InDatum, InSystem, OutSpheroid, OutDatum,
                                 OutSystem,  0,       0,        false};
    };
    const auto Exact = [](TTransformOptions Options) {
        Options.ExactProjections = true;
        return Options;
    };
    const std::string Osgb36 = "+ellps=airy " + TowGs84(Catalogue, "OSGB36");
    const std::string BritishNationalGrid =
        "+proj=tmerc +lat_0=49 +lon_0=-2 +k=0.9996012717 +x_0=400000 +y_0=-100000 " + Osgb36;
    return {
        {"WGS 84 to UTM 34 north",
         Ends("WE", "WGS84", DecimalDegrees, "WE", "WGS84", "NUTM34"),
         Wgs84LongLat,
         "+proj=utm +zone=34 +datum=WGS84",
         {"21 0", "21.0 52.25", "18.5 45", "23.9 60.1", "19.2 71.05", "24 10.5", "22.7 -5.5"},
         false,
         ProjectionTolerance},
        {"Stereo 70 to its corners with exact projections, where the series are 29 cm off",
         Exact(Ends("KA", "Pulkovo1942(58)", DecimalDegrees, "KA", "Pulkovo1942(58)", "STEREO70")),
         "+proj=longlat +ellps=krass",
         "+proj=sterea +lat_0=46 +lon_0=25 +k=0.99975 +x_0=500000 +y_0=500000 +ellps=krass",
         {"29.7 43.6", "20.2 48.3", "29.7 48.3", "20.2 43.6", "25 46"},
         false,
         ProjectionTolerance},
        {"WGS 84 to UTM 23 south",
         Ends("WE", "WGS84", DecimalDegrees, "WE", "WGS84", "SUTM23"),
         Wgs84LongLat,
         "+proj=utm +zone=23 +south +datum=WGS84",
         {"-45 -0.5", "-43.2 -22.9", "-47.9 -15.8", "-42.1 -30", "-45 -45", "-46.5 3.5"},
         false,
         ProjectionTolerance},
        {"ED50 to WGS 84",
         Ends("IN", "ED50", DecimalDegrees, "WE", "WGS84", DecimalDegrees),
         "+proj=longlat +ellps=intl " + TowGs84(Catalogue, "ED50"),
         Wgs84LongLat,
         {"2.35 48.85", "-3.7 40.4", "12.5 41.9", "10 60", "25 37.9", "-9.1 38.7"},
         true,
         DatumTolerance},
        {"OSGB36 British National Grid to WGS 84",
         Ends("AA", "OSGB36", "BNG", "WE", "WGS84", DecimalDegrees),
         BritishNationalGrid,
         Wgs84LongLat,
         {"651409.903 313177.270", "400000 100000", "530000 180000", "325000 673000", "147000 30000",
          "460000 1140000"},
         true,
         DatumTolerance},
        {"WGS 84 to OSGB36 British National Grid",
         Ends("WE", "WGS84", DecimalDegrees, "AA", "OSGB36", "BNG"),
         Wgs84LongLat,
         BritishNationalGrid,
         {"1.716 52.658", "-2 50.8", "-0.13 51.5", "-3.2 55.95", "-5.5 50.1", "-1.2 60.2"},
         false,
         DatumTolerance},
        {"Lambert 93 to WGS 84",
         Ends("RF", "ETRS89", "LAMBERT93", "WE", "WGS84", DecimalDegrees),
         "+proj=lcc +lat_0=46.5 +lon_0=3 +lat_1=49 +lat_2=44 +x_0=700000 +y_0=6600000 +ellps=GRS80 " +
             TowGs84(Catalogue, "ETRS89"),
         Wgs84LongLat,
         {"700000 6600000", "652469.02 6862035.26", "1045000 6290000", "351000 6790000", "574000 6280000",
          "1220000 6130000", "990000 7110000"},
         true,
         ProjectionTolerance},
    };
}

TEST(TransformAgainstCs2cs, ShippedSystemsAndDatumsAgreeWithProj) {
    TCSList Catalogue;
    ASSERT_TRUE(Catalogue.LoadAll(ShippedCatalogueFolder));
    for (const TOracleCase& Case : OracleCases(Catalogue)) {
        SCOPED_TRACE(Case.Name);
        const std::vector<TTriple> Got = RunTransformOn(Case.Options, Case.Points);
        const std::vector<TTriple> Expected = RunCs2cs(Case.ProjSource, Case.ProjTarget, Case.Points);
        ASSERT_EQ(Got.size(), Case.Points.size());
        ASSERT_EQ(Expected.size(), Case.Points.size());
        double Largest = 0.0;
        for (std::size_t I = 0; I < Got.size(); ++I) {
            const double Distance = GroundDistance(Got[I], Expected[I], Case.GeographicOutput);
            EXPECT_LE(Distance, Case.Tolerance + PrintRounding(Got[I], Case.GeographicOutput))
                << Case.Points[I];
            Largest = std::max(Largest, Distance);
        }
        std::printf("[ cs2cs    ] %s: largest difference %.2f mm\n", Case.Name.c_str(), Largest * 1000.0);
    }
}

} // namespace
} // namespace vortane
