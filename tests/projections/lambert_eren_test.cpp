// Lambert conformal conic, variant Eren, checked against PROJ's lcc with the cone's apex as the origin:
// latitude of origin at the pole (so the origin parallel has radius 0) and the apex's fixed plane
// position, scaled, as false origin.

#include "projections/lambert_eren.hpp"

#include "projection_test_support.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace vortane {
namespace {

// Latitude: the start latitude of the inverse.
const TConicCase Cases[] = {
    {"58° and 59°20′, WGS 84", Wgs84, 58.0, 59.0 + 20.0 / 60.0, 58.5, 24.0, 500000.0, 0.0, 1.0},
    {"negative meridian, Hayford", Hayford, 40.0, 44.0, 42.0, -3.5, 0.0, -14000000.0, 0.9998},
    {"southern cone, Bessel", Bessel, -25.0, -30.0, -27.5, 30.0, 100000.0, 200000.0, 1.0},
    {"Clarke 1880", Clarke80, 45.9, 47.7, 46.8, 2.337, -700000.0, 1000000.0, 0.99987742},
};

TLambEren MakeEren(const TConicCase& C) {
    return MakeConic<TLambEren>(C, "x", "y");
}

std::string ProjLccAtApex(const TConicCase& C) {
    const double Pole = C.Parallel1 > 0 ? 90.0 : -90.0;
    return "+proj=lcc +lat_1=" + Num(C.Parallel1) + " +lat_2=" + Num(C.Parallel2) + " +lat_0=" + Num(Pole) +
           " +lon_0=" + Num(C.CentralLon) + " +x_0=" + Num(C.Scale * 1300000.0 + C.FalseEasting) +
           " +y_0=" + Num(C.Scale * 15000000.0 + C.FalseNorthing) + " +k_0=" + Num(C.Scale) +
           ProjEllipsoid(C.Spheroid);
}

TEST(LambEren, AgreesWithProjLccOnAGrid) {
    ExpectConicsAgreeWithProj(Cases, MakeEren, ProjLccAtApex, "LambEren vs PROJ lcc");
}

// Every easting term holds sin θ, which is exactly 0 on the central meridian, and the inverse takes
// the ρ = y branch there.
TEST(LambEren, CentralMeridianIsExactBothWays) {
    for (const TConicCase& C : Cases) {
        SCOPED_TRACE(C.What);
        TLambEren System = MakeEren(C);
        for (double Lat : {C.Parallel1 - 3.0, C.Parallel2, C.Latitude + 2.0}) {
            double E, N, Z;
            System.GeoToProj(Lat * Degree, C.CentralLon * Degree, 0.0, E, N, Z);
            EXPECT_EQ(E, C.Scale * 1300000.0 + C.FalseEasting);
            if (C.Scale != 1.0) continue; // the inverse is exact only when unscaling is
            double BackLat, BackLon, H;
            System.ProjToGeo(E, N, 0.0, BackLat, BackLon, H);
            EXPECT_EQ(BackLon, System.CentralMeridian);
            EXPECT_NEAR(BackLat, Lat * Degree, 1e-12);
        }
    }
}

// The start latitude only sets where the inverse iteration begins: neither direction moves with it,
// and from a start within a few degrees the iteration settles in a few steps.
TEST(LambEren, StartLatitudeMovesNoPoint) {
    const TConicCase& C = Cases[0];
    TLambEren Reference = MakeEren(C);
    const double Lat = 59.1 * Degree;
    const double Lon = 25.3 * Degree;
    double E, N, Z;
    Reference.GeoToProj(Lat, Lon, 0.0, E, N, Z);
    for (double Start : {55.0, 58.0, 61.0, 0.0, -80.0}) {
        SCOPED_TRACE(Start);
        TConicCase Moved = C;
        Moved.Latitude = Start;
        TLambEren System = MakeEren(Moved);
        double MovedE, MovedN;
        System.GeoToProj(Lat, Lon, 0.0, MovedE, MovedN, Z);
        EXPECT_EQ(MovedE, E);
        EXPECT_EQ(MovedN, N);
        double BackLat, BackLon, H;
        System.ProjToGeo(E, N, 0.0, BackLat, BackLon, H);
        EXPECT_NEAR(BackLat, Lat, 1e-12);
        EXPECT_NEAR(BackLon, Lon, 1e-12);
        if (std::fabs(Start - 58.0) <= 3.0) {
            double PlaneX, PlaneY, IterLat = Start * Degree, IterLon;
            System.GridToXY(E, N, PlaneX, PlaneY);
            EXPECT_LE(System.XYToGeo(PlaneX, PlaneY, IterLat, IterLon), 5);
        }
    }
}

TEST(LambEren, RecordReservedFieldsMayHoldAnyText) {
    const TLambEren System(Record(
        {"WE", "Eren zone", "1000", "2000", "not a number", ";;", "0.9999", "-0.05", "1.0", "1.03", "1.01"}));
    EXPECT_EQ(System.Name, "Eren zone");
    EXPECT_EQ(System.FalseNorthing, 1000.0);
    EXPECT_EQ(System.FalseEasting, 2000.0);
    EXPECT_EQ(System.ScaleFactor, 0.9999);
    EXPECT_EQ(System.CentralMeridian, -0.05); // negative meridians stay negative
    EXPECT_EQ(System.StdParallel1, 1.0);
    EXPECT_EQ(System.StdParallel2, 1.03);
    EXPECT_EQ(System.StartLatitude, 1.01);
}

// Invalid entries and points give NaN the caller can see, and the inverse always returns.
TEST(LambEren, FaultsGiveNaNAndTheInverseAlwaysReturns) {
    double E, N, Z, Lat, Lon, H;

    TLambEren System = MakeEren(Cases[0]);
    for (double Lon0Offset : {0.0, 1.0}) {
        System.GeoToProj(-Pi / 2, (24.0 + Lon0Offset) * Degree, 0.0, E, N, Z);
        EXPECT_FALSE(std::isfinite(E) && std::isfinite(N)) << "south pole, the logarithm of 0";
    }

    ExpectConicFaultsGiveNaN(Cases[0], MakeEren, 58.0, 25.0, 1800000.0, 8000000.0);

    for (const auto& [X, Y] : {std::pair{1e300, 1e300}, std::pair{1800000.0, 16000000.0}}) {
        System.ProjToGeo(X, Y, 7.0, Lat, Lon, H);
        EXPECT_TRUE(std::isnan(Lat) && std::isnan(Lon)) << X << " " << Y;
        EXPECT_EQ(H, 7.0);
    }
}

// On the apex row the quotient of the longitude is infinite: the point is a quarter turn of the cone
// from the central meridian, as PROJ has it.
TEST(LambEren, ApexRowIsAQuarterTurnOfTheCone) {
    const TConicCase& C = Cases[0];
    TLambEren System = MakeEren(C);
    TProjOracle Oracle(ProjLccAtApex(C));
    const double E = C.FalseEasting + 4000000.0;
    const double N = C.FalseNorthing + 15000000.0;
    double Lat, Lon, H, ExpectedLat, ExpectedLon;
    System.ProjToGeo(E, N, 0.0, Lat, Lon, H);
    Oracle.Inverse(E, N, ExpectedLat, ExpectedLon);
    EXPECT_NEAR(Lat, ExpectedLat, GroundMillimetreRad);
    EXPECT_NEAR(NormLon(Lon - ExpectedLon), 0.0, GroundMillimetreRad);
}

} // namespace
} // namespace vortane
