// Geodetic <-> geocentric conversion, checked against PROJ's "cart" operation on the same ellipsoid.

#include "crs/angles.hpp"
#include "crs/projection.hpp"
#include "support/proj_oracle.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace vortane {
namespace {

constexpr double WgsA = 6378137.0;
constexpr double WgsF = 1.0 / 298.2572235637;
constexpr double WgsE2 = (2.0 - WgsF) * WgsF;
constexpr double Deg = Pi / 180.0;

constexpr double AngleTolerance = 1e-11;   // rad, about 0.06 mm on the ground
constexpr double LengthTolerance = 0.1e-3; // m

struct TGeoPoint {
    double Lat, Lon, H;
};

// Positions over the whole globe: every 7 degrees of latitude from -88 to 88 plus both poles and
// points within a hair of them, every 15 degrees of longitude from -180 to 165.
std::vector<TGeoPoint> GlobePositions(double H) {
    std::vector<double> Latitudes{-90.0, -89.9999999, 89.9999999, 90.0};
    for (double Lat = -88.0; Lat <= 88.0; Lat += 7.0)
        Latitudes.push_back(Lat);
    std::vector<TGeoPoint> Points;
    for (double Lat : Latitudes)
        for (double Lon = -180.0; Lon < 180.0; Lon += 15.0)
            Points.push_back({Lat * Deg, (Lon + 0.123) * Deg, H});
    return Points;
}

// Longitude difference folded into (-pi, pi], so 2*pi - x and -x compare equal.
double LonDifference(double A, double B) {
    return NormLon(A - B);
}

class CartesianOracle : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(FCart.Valid()); }
    PJ_XYZ ToCartesian(const TGeoPoint& P) const {
        return FCart.Trans(PJ_FWD, proj_coord(P.Lon, P.Lat, P.H, 0)).xyz;
    }
    PJ_LPZ ToGeodetic(double X, double Y, double Z) const {
        return FCart.Trans(PJ_INV, proj_coord(X, Y, Z, 0)).lpz;
    }

    const TProjOracle FCart{"+proj=cart +a=6378137 +rf=298.2572235637"};
};

TEST_F(CartesianOracle, GeoToXYZMatchesProjAtSeveralHeights) {
    for (double H : {0.0, 1000.0, -430.0, 9000.0}) {
        for (const TGeoPoint& P : GlobePositions(H)) {
            double X, Y, Z;
            GeoToXYZ(P.Lat, P.Lon, P.H, WgsA, WgsE2, X, Y, Z);
            const PJ_XYZ Expected = ToCartesian(P);
            SCOPED_TRACE("lat " + std::to_string(P.Lat / Deg) + " lon " + std::to_string(P.Lon / Deg) +
                         " h " + std::to_string(H));
            EXPECT_NEAR(X, Expected.x, LengthTolerance);
            EXPECT_NEAR(Y, Expected.y, LengthTolerance);
            EXPECT_NEAR(Z, Expected.z, LengthTolerance);
        }
    }
}

// At height 0 the one refinement step is exact: the position comes back, and agrees with PROJ's
// iterated inverse, to rounding.
TEST_F(CartesianOracle, XYZToGeoAtHeightZeroMatchesProjAndRoundTrips) {
    for (const TGeoPoint& P : GlobePositions(0.0)) {
        const PJ_XYZ C = ToCartesian(P);
        double Lat, Lon, H;
        TLatitudeTrig Trig;
        XYZToGeo(C.x, C.y, C.z, WgsA, WgsE2, Lat, Lon, H, &Trig);
        const PJ_LPZ Expected = ToGeodetic(C.x, C.y, C.z);
        SCOPED_TRACE("lat " + std::to_string(P.Lat / Deg) + " lon " + std::to_string(P.Lon / Deg));
        // The sine and cosine handed on with the latitude are its own, to rounding.
        EXPECT_NEAR(Trig.Sin, std::sin(Lat), 2e-16);
        EXPECT_NEAR(Trig.Cos, std::cos(Lat), 2e-16);
        EXPECT_NEAR(Lat, Expected.phi, AngleTolerance);
        EXPECT_NEAR(H, Expected.z, LengthTolerance);
        EXPECT_NEAR(Lat, P.Lat, AngleTolerance);
        EXPECT_NEAR(H, 0.0, LengthTolerance);
        // Longitude is meaningless on the axis itself.
        if (std::fabs(P.Lat) < 90.0 * Deg) {
            EXPECT_NEAR(LonDifference(Lon, Expected.lam), 0.0, AngleTolerance);
            EXPECT_NEAR(LonDifference(Lon, P.Lon), 0.0, AngleTolerance);
        }
        EXPECT_GE(Lon, 0.0);
        EXPECT_LT(Lon, 2.0 * Pi);
    }
}

// Away from height 0 the single step leaves an error that grows in proportion to the height. At
// 1000 m: 1.77e-9 rad in latitude and 1.13 cm in height at 45 degrees; over the globe at most about
// 2.3e-9 rad (1.5 cm on the ground, near 60 degrees) and 4.5 cm in height (at the poles). The
// longitude stays exact.
TEST_F(CartesianOracle, OneStepErrorAtThousandMetresStaysSmall) {
    constexpr double MaxLatError = 2.35e-9;
    constexpr double MaxHeightError = 0.046;
    for (const TGeoPoint& P : GlobePositions(1000.0)) {
        const PJ_XYZ C = ToCartesian(P);
        double Lat, Lon, H;
        XYZToGeo(C.x, C.y, C.z, WgsA, WgsE2, Lat, Lon, H);
        SCOPED_TRACE("lat " + std::to_string(P.Lat / Deg));
        EXPECT_LE(std::fabs(Lat - P.Lat), MaxLatError);
        EXPECT_LE(std::fabs(H - P.H), MaxHeightError);
        if (std::fabs(P.Lat) < 90.0 * Deg) {
            EXPECT_NEAR(LonDifference(Lon, P.Lon), 0.0, AngleTolerance);
        }
    }
    // The worst case, as published for this method: latitude and height both come out low.
    double X, Y, Z, Lat, Lon, H;
    GeoToXYZ(45.0 * Deg, 0.3, 1000.0, WgsA, WgsE2, X, Y, Z);
    XYZToGeo(X, Y, Z, WgsA, WgsE2, Lat, Lon, H);
    EXPECT_NEAR(Lat - 45.0 * Deg, -1.77e-9, 0.01e-9);
    EXPECT_NEAR(H - 1000.0, -0.0113, 0.0002);
    EXPECT_NEAR(Lon, 0.3, AngleTolerance);
}

struct TSpecialPoint {
    const char* Situation;
    double X, Y, Z;
    double Lat, Lon, H;
};

TEST(XYZToGeo, SpecialPositionsOnTheAxesAndTheEquator) {
    const double B = WgsA * (1.0 - WgsF);
    const TSpecialPoint Cases[] = {
        {"on the equator at 90 E", 0.0, WgsA, 0.0, 0.0, Pi / 2, 0.0},
        {"on the equator at 90 W, longitude in [0, 2 pi)", 0.0, -WgsA, 0.0, 0.0, 3 * Pi / 2, 0.0},
        {"on the equator at 180", -WgsA, 0.0, 0.0, 0.0, Pi, 0.0},
        {"north pole", 0.0, 0.0, B, Pi / 2, Pi / 2, 0.0},
        {"south pole", 0.0, 0.0, -B, -Pi / 2, Pi / 2, 0.0},
        {"45 S, negative Z (PROJ cart)", 4517590.878849, 0.0, -4487348.408866, -45 * Deg, 0.0, 0.0},
        {"on the equator at 0, 100 m below", WgsA - 100.0, 0.0, 0.0, 0.0, 0.0, -100.0},
        {"centre of the earth: height along the equatorial normal", 0.0, 0.0, 0.0, 0.0, Pi / 2, -WgsA},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Situation);
        double Lat, Lon, H;
        XYZToGeo(C.X, C.Y, C.Z, WgsA, WgsE2, Lat, Lon, H);
        EXPECT_NEAR(Lat, C.Lat, AngleTolerance);
        EXPECT_NEAR(Lon, C.Lon, AngleTolerance);
        EXPECT_NEAR(H, C.H, LengthTolerance);
    }
}

TEST(XYZToGeo, LongitudeAHairWestOfGreenwichStaysBelowTwoPi) {
    double Lat, Lon, H;
    XYZToGeo(WgsA, -1e-10, 0.0, WgsA, WgsE2, Lat, Lon, H);
    EXPECT_GE(Lon, 0.0);
    EXPECT_LT(Lon, 2.0 * Pi);
}

TEST(XYZToGeo, NaNInGivesNaNOut) {
    const double NaN = std::numeric_limits<double>::quiet_NaN();
    double Lat, Lon, H;
    XYZToGeo(NaN, 1.0, 1.0, WgsA, WgsE2, Lat, Lon, H);
    EXPECT_TRUE(std::isnan(Lat));
    EXPECT_TRUE(std::isnan(H));
    double X, Y, Z;
    GeoToXYZ(NaN, 0.0, 0.0, WgsA, WgsE2, X, Y, Z);
    EXPECT_TRUE(std::isnan(X) && std::isnan(Y) && std::isnan(Z));
}

// The geocentric system evaluates on its own spheroid, set from a catalogue spheroid.
TEST(TGeoCentric, ConvertsOnItsOwnSpheroid) {
    TGeoCentric System;
    TSpheroid Clarke("CF\t6378249.2\t293.466021\tClarke 1880 France");
    System.SetSpheroid(Clarke);
    double X, Y, Z, ExpectedX, ExpectedY, ExpectedZ;
    System.GeoToProj(46.8 * Deg, 2.3 * Deg, 120.0, X, Y, Z);
    GeoToXYZ(46.8 * Deg, 2.3 * Deg, 120.0, Clarke.A, Clarke.E2(), ExpectedX, ExpectedY, ExpectedZ);
    EXPECT_DOUBLE_EQ(X, ExpectedX);
    EXPECT_DOUBLE_EQ(Y, ExpectedY);
    EXPECT_DOUBLE_EQ(Z, ExpectedZ);
    double Lat, Lon, H;
    System.ProjToGeo(X, Y, Z, Lat, Lon, H);
    EXPECT_NEAR(Lat, 46.8 * Deg, 2e-9);
    EXPECT_NEAR(Lon, 2.3 * Deg, AngleTolerance);
}

} // namespace
} // namespace vortane
