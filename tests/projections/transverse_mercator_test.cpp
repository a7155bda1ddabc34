// Transverse Mercator: series against PROJ's tmerc, round trips, the catalogue record, texts and faults.

#include "projections/transverse_mercator.hpp"

#include "crs/system_in_units.hpp"

#include "projection_test_support.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>

namespace vortane {
namespace {

constexpr double UsSurveyFoot = 0.3048006096012192;
constexpr double MetreTolerance = 0.002;    // series against PROJ's exact tmerc, up to 3 degrees out
constexpr double RoundTripTolerance = 1e-9; // rad

constexpr TTestSpheroid Spheroids[] = {Wgs84, Hayford, Bessel};

TTransMerc MakeTM(const std::string& Record, const TTestSpheroid& S = Spheroids[0]) {
    TTransMerc TM(Record);
    UseSpheroid(TM, S);
    return TM;
}

std::string ProjTmerc(const TTransMerc& TM, const TTestSpheroid& S, const char* Units) {
    char Text[512];
    std::snprintf(
        Text, sizeof Text,
        "+proj=tmerc +a=%.17g +rf=%.17g +lon_0=%.17g +lat_0=%.17g +k_0=%.17g +x_0=%.17g +y_0=%.17g +units=%s",
        S.A, S.InvF, NormLon(TM.CentralMeridian) / Degree, TM.OriginLatitude / Degree, TM.ScaleFactor,
        TM.FalseEasting, TM.FalseNorthing, Units);
    return Text;
}

// Records for the PROJ comparison: a UTM-like zone, a negative meridian stored as west, an origin
// latitude with false northing, and a southern origin.
constexpr const char* ProjRecords[] = {
    "XX,UTM 33,0,500000,0.9996,0.261799387799,0",
    "XX,West,100000,200000,0.9999,-0.05,0.85",
    "XX,South,-5000,40000,1,2.5,-0.6",
};

TEST(TransverseMercator, AgreesWithProjWithinThreeDegreesOfTheMeridian) {
    constexpr double EarthRadius =
        6.37e6; // metres per radian, near enough to size angle errors on the ground
    double WorstMetres = 0.0, WorstInverse = 0.0, WorstRoundTrip = 0.0;
    for (const auto& S : Spheroids) {
        for (const char* Record : ProjRecords) {
            for (const double Unit : {1.0, UsSurveyFoot}) {
                const TTransMerc Metres = MakeTM(Record, S);
                const TSystemInUnits TM(Metres.Clone(), Unit);
                const TProjOracle Proj(ProjTmerc(Metres, S, Unit == 1.0 ? "m" : "us-ft"));
                ASSERT_TRUE(Proj.Valid());
                for (double Lat = -88; Lat <= 88; Lat += 8) {
                    for (double DLon = -3; DLon <= 3; DLon += 0.5) {
                        SCOPED_TRACE(testing::Message()
                                     << Record << " " << S.Code << " " << Lat << " " << DLon);
                        const double Lon = NormLon(Metres.CentralMeridian + DLon * Degree);
                        double X, Y, Z, E, N, BackLat, BackLon, H;
                        TM.GeoToProj(Lat * Degree, Lon, 100.0, X, Y, Z);
                        Proj.Forward(Lat * Degree, Lon, E, N);
                        EXPECT_NEAR(X, E, MetreTolerance / Unit);
                        EXPECT_NEAR(Y, N, MetreTolerance / Unit);
                        EXPECT_DOUBLE_EQ(Z, 100.0 / Unit);
                        WorstMetres =
                            std::max({WorstMetres, std::fabs(X - E) * Unit, std::fabs(Y - N) * Unit});

                        TM.ProjToGeo(X, Y, Z, BackLat, BackLon, H);
                        EXPECT_NEAR(BackLat, Lat * Degree, RoundTripTolerance);
                        EXPECT_NEAR(NormLon(BackLon - Lon), 0.0, RoundTripTolerance);
                        EXPECT_NEAR(H, 100.0, 1e-9);
                        WorstRoundTrip = std::max({WorstRoundTrip, std::fabs(BackLat - Lat * Degree),
                                                   std::fabs(NormLon(BackLon - Lon))});

                        TM.ProjToGeo(E, N, 0.0, BackLat, BackLon, H);
                        WorstInverse = std::max(
                            WorstInverse, GroundDistance(EarthRadius, Lat * Degree, Lon, BackLat, BackLon));
                    }
                }
            }
        }
    }
    // The inverse series applied to PROJ's exact grid coordinates lands within a few millimetres.
    EXPECT_LT(WorstInverse, 2 * MetreTolerance);
    std::printf("tmerc vs PROJ: forward %.3g m, inverse %.3g m; round trip %.3g rad\n", WorstMetres,
                WorstInverse, WorstRoundTrip);
}

TEST(TransverseMercator, OriginGivesTheFalseOriginExactly) {
    for (const char* Record : ProjRecords) {
        for (const double Unit : {1.0, UsSurveyFoot}) {
            const TTransMerc TM = MakeTM(Record, Spheroids[1]);
            double X, Y, Z;
            TSystemInUnits(TM.Clone(), Unit).GeoToProj(TM.OriginLatitude, TM.CentralMeridian, 0.0, X, Y, Z);
            EXPECT_EQ(X, TM.FalseEasting / Unit) << Record;
            EXPECT_EQ(Y, TM.FalseNorthing / Unit) << Record;
        }
    }
}

// The longitude difference always takes the short way round, whichever form the longitude comes in.
TEST(TransverseMercator, LongitudeDifferenceIsReducedToHalfATurn) {
    struct TCase {
        double Meridian, Lon, SameAsDifference;
    } const Cases[] = {
        {10, -175, 175},
        {-10, -11, -1},
        {-10, 349, -1}, // after a datum shift longitudes lie in [0, 360)
        {10, 359, -11},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Lon);
        TTransMerc Shifted = MakeTM("WE,A");
        Shifted.CentralMeridian = std::fmod(C.Meridian * Degree + 2 * Pi, 2 * Pi);
        TTransMerc AtZero = MakeTM("WE,B");
        double X1, Y1, X2, Y2, Z;
        Shifted.GeoToProj(40 * Degree, C.Lon * Degree, 0.0, X1, Y1, Z);
        AtZero.GeoToProj(40 * Degree, C.SameAsDifference * Degree, 0.0, X2, Y2, Z);
        EXPECT_NEAR(X1, X2, 1e-9 * std::fabs(X2) + 1e-6);
        EXPECT_NEAR(Y1, Y2, 1e-9 * std::fabs(Y2) + 1e-6);
    }
}

TEST(TransverseMercator, ReadsItsCatalogueRecord) {
    struct TCase {
        const char* Line;
        const char *Code, *Name;
        double FN, FE, K0, Meridian, Origin;
    } const Cases[] = {
        {"WE,UTM 33,0,500000,0.9996,0.261799387799,0", "WE", "UTM 33", 0, 500000, 0.9996, 0.261799387799, 0},
        {"WE,Bare", "WE", "Bare", 0, 0, 1, 0, 0},
        {"WE,,Gap,,0,,500000", "WE", "Gap", 0, 500000, 1, 0, 0}, // runs of commas are one separator
        {"WGS84 \t,Name \t,abc, 1.5e3 ,x,-0.05,0.5,9,9", "WGS", "Name", 0, 1500, 1, 2 * Pi - 0.05, 0.5},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Line);
        const TTransMerc TM(C.Line);
        EXPECT_EQ(TM.SpheroidCode, C.Code);
        EXPECT_EQ(TM.Name, C.Name);
        EXPECT_EQ(TM.FalseNorthing, C.FN);
        EXPECT_EQ(TM.FalseEasting, C.FE);
        EXPECT_EQ(TM.ScaleFactor, C.K0);
        EXPECT_DOUBLE_EQ(TM.CentralMeridian, C.Meridian);
        EXPECT_EQ(TM.OriginLatitude, C.Origin);
        EXPECT_TRUE(TM.Ready);
    }
}

TEST(TransverseMercator, ParameterAndAxisTexts) {
    EXPECT_EQ(TTransMerc("WE,U,0,500000,0.9996,0.15707963267948966,0").GetParamText(),
              "0.000 500000.000 Scale0.9996 Centr.Mer.=9:0:0.000E Centr.Lat.=0:0:0.000N");
    EXPECT_EQ(TTransMerc("WE,W,-12.5,3,1,-0.05,-0.5").GetParamText(),
              "-12.500 3.000 Scale1.0000 Centr.Mer.=2:51:53.240W Centr.Lat.=28:38:52.403S");
    std::string XName, YName, ZName;
    TTransMerc("WE,U").GetAxisNames(XName, YName, ZName);
    EXPECT_EQ(XName + YName + ZName, "Easting(m)Northing(m)Altitude(m)");
}

// Faults give zeros with the height still converted; NaN stays visible as NaN.
TEST(TransverseMercator, ArithmeticFaultsGiveZeros) {
    TTransMerc TM = MakeTM("WE,U,0,500000,0.9996,0.15707963267948966,0");
    const double NaN = std::numeric_limits<double>::quiet_NaN();
    double X, Y, Z, Lat, Lon, H;
    for (const double BadLat :
         {91 * Degree, -91 * Degree, 180 * Degree, std::numeric_limits<double>::infinity()}) {
        TM.GeoToProj(BadLat, 9 * Degree, 10.0, X, Y, Z);
        EXPECT_EQ(X, 0.0);
        EXPECT_EQ(Y, 0.0);
        EXPECT_EQ(Z, 10.0);
    }
    TM.ProjToGeo(1e300, 0.0, 10.0, Lat, Lon, H); // overflow in the powers of the easting
    EXPECT_EQ(Lat, 0.0);
    EXPECT_EQ(Lon, 0.0);
    EXPECT_EQ(H, 10.0);
    TM.GeoToProj(NaN, 9 * Degree, 10.0, X, Y, Z);
    EXPECT_TRUE(std::isnan(X) && std::isnan(Y));
    TM.ProjToGeo(500000.0, NaN, 10.0, Lat, Lon, H);
    EXPECT_TRUE(std::isnan(Lat) && std::isnan(Lon));

    TTransMerc Flat = MakeTM("WE,Z,0,0,0"); // scale factor 0: division by zero on the way back
    Flat.ProjToGeo(1000.0, 1000.0, 5.0, Lat, Lon, H);
    EXPECT_EQ(Lat, 0.0);
    EXPECT_EQ(Lon, 0.0);
    EXPECT_EQ(H, 5.0);
}

TEST(TransverseMercator, PoleIsTheMeridianArcOnTheCentralMeridian) {
    TTransMerc TM = MakeTM("WE,U,0,500000,0.9996,0.15707963267948966,0");
    const TProjOracle Proj(ProjTmerc(TM, Spheroids[0], "m"));
    for (const double Lat : {Pi / 2, -Pi / 2}) {
        double X, Y, Z, E, N;
        TM.GeoToProj(Lat, 0.3, 0.0, X, Y, Z);
        Proj.Forward(Lat, 0.3, E, N);
        EXPECT_NEAR(X, 500000.0, MetreTolerance);
        EXPECT_NEAR(Y, N, MetreTolerance);
    }
}

// A new spheroid invalidates the cached constants; a clone converts exactly like its original.
TEST(TransverseMercator, SpheroidChangeAndCloneKeepConstantsRight) {
    TTransMerc TM = MakeTM("XX,U,0,500000,0.9996,0.15707963267948966,0");
    double X, Y, Z, E, N;
    TM.GeoToProj(50 * Degree, 10 * Degree, 0.0, X, Y, Z);
    UseSpheroid(TM, Spheroids[2]);
    TM.GeoToProj(50 * Degree, 10 * Degree, 0.0, X, Y, Z);
    TProjOracle(ProjTmerc(TM, Spheroids[2], "m")).Forward(50 * Degree, 10 * Degree, E, N);
    EXPECT_NEAR(Y, N, MetreTolerance);
    const auto Copy = TM.Clone();
    double CX, CY, CZ;
    Copy->GeoToProj(50 * Degree, 10 * Degree, 0.0, CX, CY, CZ);
    EXPECT_EQ(CX, X);
    EXPECT_EQ(CY, Y);
}

TEST(TransverseMercatorList, LoadsRecordsAndSkipsComments) {
    TStoredCatalogue File("tranmerc.dat");
    const std::string Path =
        File.Write({"; comment", "", "WE,UTM 32,0,500000,0.9996,0.15707963267948966", "IN,Other"});
    TTransMercList List;
    EXPECT_TRUE(List.LoadFromFile(Path));
    ASSERT_EQ(List.Count(), 2);
    EXPECT_EQ(List.Find("UTM 32")->SpheroidCode, "WE");
    EXPECT_EQ(List.Item(1)->Name, "Other");
    std::filesystem::remove(Path);
    EXPECT_FALSE(List.LoadFromFile(Path));
    EXPECT_EQ(List.Count(), 2);
}

} // namespace
} // namespace vortane
