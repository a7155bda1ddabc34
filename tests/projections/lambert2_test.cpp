// Lambert conformal conic with two standard parallels, checked against PROJ's lcc.

#include "projections/lambert2.hpp"

#include "projection_test_support.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace vortane {
namespace {

// Latitude: the latitude of origin.
const TConicCase Cases[] = {
    {"France, WGS 84", Wgs84, 44.0, 49.0, 46.5, 3.0, 700000.0, 6600000.0, 1.0},
    {"Belgium, Hayford, origin at the pole", Hayford, 49.8333339, 51.1666672, 90.0, 4.3674867, 150000.013,
     5400088.438, 1.0},
    {"southern cone, Bessel", Bessel, -30.0, -40.0, -35.0, 25.0, 0.0, 0.0, 0.9999},
    {"west of Greenwich, Clarke 1880", Clarke80, 42.5, 47.5, 45.0, -2.0, 600000.0, 200000.0, 0.99987742},
};

TLambert2 MakeLambert2(const TConicCase& C) {
    return MakeConic<TLambert2>(C);
}

std::string ProjLcc(const TConicCase& C) {
    return "+proj=lcc +lat_1=" + Num(C.Parallel1) + " +lat_2=" + Num(C.Parallel2) +
           " +lat_0=" + Num(C.Latitude) + " +lon_0=" + Num(C.CentralLon) + " +x_0=" + Num(C.FalseEasting) +
           " +y_0=" + Num(C.FalseNorthing) + " +k_0=" + Num(C.Scale) + ProjEllipsoid(C.Spheroid);
}

TEST(Lambert2, AgreesWithProjLccOnAGrid) {
    ExpectConicsAgreeWithProj(Cases, MakeLambert2, ProjLcc, "Lambert2 vs PROJ lcc");
}

TEST(Lambert2, OriginMapsToFalseOriginAndBackInAFewSteps) {
    for (const TConicCase& C : Cases) {
        if (C.Latitude == 90.0) continue; // the pole has no longitude to come back
        SCOPED_TRACE(C.What);
        TLambert2 System = MakeLambert2(C);
        double E, N, Z;
        System.GeoToProj(C.Latitude * Degree, C.CentralLon * Degree, 5.0, E, N, Z);
        EXPECT_NEAR(E, C.FalseEasting, 1e-6);
        EXPECT_NEAR(N, C.FalseNorthing, 1e-6);
        EXPECT_EQ(Z, 5.0);
        double Lat, Lon;
        const int Steps = System.XYToGeo(0.0, 0.0, Lat, Lon);
        EXPECT_NEAR(Lat, C.Latitude * Degree, 1e-9);
        EXPECT_NEAR(NormLon(Lon - C.CentralLon * Degree), 0.0, 1e-12);
        EXPECT_LE(Steps, 5);
    }
}

TEST(Lambert2, SwappedStandardParallelsGiveTheSameProjection) {
    for (const TConicCase& C : Cases) {
        SCOPED_TRACE(C.What);
        TConicCase Swapped = C;
        std::swap(Swapped.Parallel1, Swapped.Parallel2);
        TLambert2 Original = MakeLambert2(C);
        TLambert2 Reversed = MakeLambert2(Swapped);
        double E1, N1, E2, N2, Z;
        Original.GeoToProj((C.Latitude - 2.5) * Degree, (C.CentralLon + 3.0) * Degree, 0.0, E1, N1, Z);
        Reversed.GeoToProj((C.Latitude - 2.5) * Degree, (C.CentralLon + 3.0) * Degree, 0.0, E2, N2, Z);
        EXPECT_NEAR(E1, E2, 1e-6);
        EXPECT_NEAR(N1, N2, 1e-6);
    }
}

// On a standard parallel the unscaled projection keeps lengths: a short east-west step on the plane is
// as long as the arc of that parallel.
TEST(Lambert2, ScaleIsOneOnEachStandardParallel) {
    constexpr double Step = 1e-6; // rad of longitude
    for (TConicCase C : Cases) {
        SCOPED_TRACE(C.What);
        C.Scale = 1.0;
        TLambert2 System = MakeLambert2(C);
        for (double Parallel : {C.Parallel1 * Degree, C.Parallel2 * Degree}) {
            double XW, YW, XE, YE, Z;
            System.GeoToProj(Parallel, C.CentralLon * Degree - Step / 2, 0.0, XW, YW, Z);
            System.GeoToProj(Parallel, C.CentralLon * Degree + Step / 2, 0.0, XE, YE, Z);
            const double Arc = System.Spheroid.RadiusN(Parallel) * std::cos(Parallel) * Step;
            EXPECT_NEAR(std::hypot(XE - XW, YE - YW) / Arc, 1.0, 1e-9);
        }
    }
}

// The north pole is the apex of the cone: it maps to a single plane point, which comes back as the pole
// on the central meridian.
TEST(Lambert2, ApexComesBackAsThePole) {
    TLambert2 System = MakeLambert2(Cases[0]);
    double E, N, Z, Lat, Lon, H;
    System.GeoToProj(Pi / 2, 1.0, 0.0, E, N, Z);
    EXPECT_NEAR(E, Cases[0].FalseEasting, 1e-6);
    System.ProjToGeo(Cases[0].FalseEasting, N, 0.0, Lat, Lon, H);
    EXPECT_NEAR(Lat, Pi / 2, 1e-12);
    EXPECT_DOUBLE_EQ(Lon, Cases[0].CentralLon * Degree);
}

// Invalid entries and points give NaN the caller can see, and the inverse always returns.
TEST(Lambert2, FaultsGiveNaNAndTheInverseAlwaysReturns) {
    ExpectConicFaultsGiveNaN(Cases[0], MakeLambert2, 46.0, 2.0, 700000.0, 6600000.0);

    TLambert2 System = MakeLambert2(Cases[0]);
    double Lat, Lon, H;
    // Absurdly far points end at the far pole instead of looping.
    System.ProjToGeo(1e300, -1e300, 0.0, Lat, Lon, H);
    EXPECT_NEAR(Lat, -Pi / 2, 1e-12);
}

} // namespace
} // namespace vortane
