// The coordinate system base and the four geographic text forms.

#include "crs/angles.hpp"
#include "crs/projection.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

namespace vortane {
namespace {

constexpr double Deg = Pi / 180.0;
constexpr double AngleTolerance = 1e-12;                 // rad
constexpr double ThousandthSecond = 0.0005 / 3600 * Deg; // half the last written digit of seconds

double DMSRad(double D, double M, double S) {
    return (D + M / 60.0 + S / 3600.0) * Deg;
}

struct TTexts {
    std::string X, Y, Z;
};

TTexts Write(TProjection& System, double Lat, double Lon, double H) {
    TTexts T;
    System.GeoToText(Lat, Lon, H, T.X, T.Y, T.Z);
    return T;
}

// The four geographic forms the cases pick from.
class GeographicForms : public ::testing::Test {
protected:
    TGeografic Dms;
    TGeograd Grad;
    TGeoArc Arc;
    TGeoDecimal Decimal;
};

TEST_F(GeographicForms, WriteTheirOwnTexts) {
    struct TCase {
        const char* Situation;
        TProjection* System;
        double Lat, Lon, H;
        TTexts Expected;
    };
    const TCase Cases[] = {
        {"dms: 359 E written as 1 W",
         &Dms,
         0.5 * Deg,
         359 * Deg,
         0.0,
         {"1:0:0.000W", "0:30:0.000N", "0.000"}},
        {"dms: south-west",
         &Dms,
         -DMSRad(33, 52, 4.5),
         -DMSRad(70, 40, 0),
         1234.5678,
         {"70:40:0.000W", "33:52:4.500S", "1234.568"}},
        {"grads: no normalisation",
         &Grad,
         45 * Deg,
         359 * Deg,
         -12.0,
         {"398.88888889", "50.00000000", "-12.000"}},
        {"decimal: longitude normalised",
         &Decimal,
         -33.5 * Deg,
         359 * Deg,
         0.0,
         {"-1.00000000", "-33.50000000", "0.000"}},
        {"arc: latitude first, west negative",
         &Arc,
         DMSRad(48, 50, 11.2),
         -DMSRad(2, 20, 14.025),
         35.0,
         {"48.50.11.200", "-002.20.14.025", "35.000"}},
        {"arc: small negative latitude",
         &Arc,
         -0.5 * Deg,
         0.0,
         0.0,
         {"-00.30.00.000", "000.00.00.000", "0.000"}},
        {"arc: 359 E normalised to 1 W",
         &Arc,
         0.0,
         359 * Deg,
         0.0,
         {"00.00.00.000", "-001.00.00.000", "0.000"}},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Situation);
        const TTexts T = Write(*C.System, C.Lat, C.Lon, C.H);
        EXPECT_EQ(T.X, C.Expected.X);
        EXPECT_EQ(T.Y, C.Expected.Y);
        EXPECT_EQ(T.Z, C.Expected.Z);
    }
}

TEST_F(GeographicForms, ReadTheirOwnTexts) {
    struct TCase {
        const char* Situation;
        TProjection* System;
        TTexts Texts;
        double Lat, Lon, H;
    };
    const TCase Cases[] = {
        {"dms west longitude in [0, 2 pi)",
         &Dms,
         {"70:40:0W", "33:52:4.5S", "12,5"},
         -DMSRad(33, 52, 4.5),
         2 * Pi - DMSRad(70, 40, 0),
         12.5},
        {"dms empty height", &Dms, {"10:0:0E", "20:0:0N", ""}, 20 * Deg, 10 * Deg, 0.0},
        {"grads", &Grad, {"100", "-50", "7"}, -45 * Deg, 90 * Deg, 7.0},
        {"grads beyond the half circle are kept", &Grad, {"-400", "0", ""}, 0.0, -2 * Pi, 0.0},
        {"decimal with comma", &Decimal, {" 2,5 ", "-33.5", "100"}, -33.5 * Deg, 2.5 * Deg, 100.0},
        {"arc",
         &Arc,
         {"48.50.11.200", "-002.20.14.025", "35"},
         DMSRad(48, 50, 11.2),
         -DMSRad(2, 20, 14.025),
         35.0},
        {"arc negative zero degrees", &Arc, {"-00.30.00.000", "000.00.00.000", ""}, -0.5 * Deg, 0.0, 0.0},
        {"arc seconds rounded up to 60", &Arc, {"10.59.60.000", "0.0.0", ""}, 11 * Deg, 0.0, 0.0},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Situation);
        double Lat = -9, Lon = -9, H = -9;
        EXPECT_EQ(C.System->TextToGeo(C.Texts.X, C.Texts.Y, C.Texts.Z, Lat, Lon, H), 0);
        EXPECT_NEAR(Lat, C.Lat, AngleTolerance);
        EXPECT_NEAR(Lon, C.Lon, AngleTolerance);
        EXPECT_NEAR(H, C.H, 1e-9);
    }
}

// Every form reads back what it writes, to the resolution of its texts.
TEST_F(GeographicForms, WrittenTextsReadBack) {
    TGeograficList List;
    ASSERT_EQ(List.Count(), 4);
    const double Positions[][3] = {
        {48.8364 * Deg, 2.3372 * Deg, 35.25},
        {-33.9 * Deg, 151.2 * Deg, 0.0},
        {-0.25 * Deg, -0.75 * Deg, -10.5},
        {89.5 * Deg, -179.5 * Deg, 8848.0},
        {DMSRad(10, 59, 59.9997), DMSRad(37, 25, 59.9996), 0.0}, // seconds written as 60 would not read back
    };
    for (int I = 0; I < List.Count(); ++I) {
        TProjection& System = *List.Item(I);
        for (const auto& P : Positions) {
            SCOPED_TRACE(System.Name + " at lat " + std::to_string(P[0] / Deg));
            const TTexts T = Write(System, P[0], P[1], P[2]);
            double Lat, Lon, H;
            ASSERT_EQ(System.TextToGeo(T.X, T.Y, T.Z, Lat, Lon, H), 0);
            EXPECT_NEAR(Lat, P[0], ThousandthSecond);
            EXPECT_NEAR(NormLon(Lon - P[1]), 0.0, ThousandthSecond);
            EXPECT_NEAR(H, P[2], 0.0005);
        }
    }
}

// A rejected text is reported by its number; outputs not yet set are 0.
TEST_F(GeographicForms, RejectedTextsAreReportedByNumber) {
    TGeoCentric Centric;
    struct TCase {
        const char* Situation;
        TProjection* System;
        TTexts Texts;
        int Code;
        double Lon; // what the longitude keeps
    };
    const TCase Cases[] = {
        {"dms longitude beyond the circle", &Dms, {"400:0:0E", "10:0:0N", ""}, 1, 0.0},
        {"dms longitude garbage", &Dms, {"abc", "10:0:0N", ""}, 1, 0.0},
        {"dms latitude beyond the pole keeps the longitude", &Dms, {"10:0:0E", "91:0:0N", ""}, 2, 10 * Deg},
        {"dms latitude minutes 60", &Dms, {"10:0:0E", "45:60:0N", ""}, 2, 10 * Deg},
        {"dms height garbage", &Dms, {"10:0:0E", "20:0:0N", "high"}, 3, 10 * Deg},
        {"grads longitude garbage", &Grad, {"x", "1", ""}, 1, 0.0},
        {"grads latitude beyond the pole", &Grad, {"1", "101", ""}, 2, 0.9 * Deg},
        {"decimal latitude garbage", &Decimal, {"12", "1.2.3", ""}, 2, 12 * Deg},
        {"decimal latitude beyond the pole", &Decimal, {"12", "-90.5", ""}, 2, 12 * Deg},
        {"decimal overflowing height", &Decimal, {"12", "1", "1e999"}, 3, 12 * Deg},
        {"arc latitude (first text) garbage", &Arc, {"4x.50.11", "002.20.14", ""}, 1, 0.0},
        {"arc longitude (second text) garbage", &Arc, {"48.50.11", "-", ""}, 2, 0.0},
        {"arc latitude beyond the pole", &Arc, {"95.0.0", "2.0.0", ""}, 1, 0.0},
        {"geocentric X garbage", &Centric, {"abc", "0", "0"}, 1, 0.0},
        {"geocentric Y garbage", &Centric, {"6378137", ",", "0"}, 2, 0.0},
        {"geocentric Z garbage", &Centric, {"6378137", "0", "1;2"}, 3, 0.0},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Situation);
        double Lat = -9, Lon = -9, H = -9;
        EXPECT_EQ(C.System->TextToGeo(C.Texts.X, C.Texts.Y, C.Texts.Z, Lat, Lon, H), C.Code);
        EXPECT_NEAR(Lon, C.Lon, AngleTolerance);
        EXPECT_EQ(H, 0.0);
        if (C.Code < 3) {
            EXPECT_EQ(Lat, 0.0);
        }
    }
}

// The base text operations: numbers rounded to 10 significant digits and written with 5 decimals;
// empty texts read as 0.
TEST(TProjection, BaseTextsAreFixedNumbers) {
    TGeoCentric Centric;
    TTexts T = Write(Centric, 0.0, 0.0, 0.0);
    EXPECT_EQ(T.X, "6378137.00000");
    EXPECT_EQ(T.Y, "0.00000");
    EXPECT_EQ(T.Z, "0.00000");
    T = Write(Centric, 45 * Deg, 90 * Deg, 0.0);
    EXPECT_EQ(T.Y, "4517590.87900");

    double Lat, Lon, H;
    ASSERT_EQ(Centric.TextToGeo("0", "6378137", "", Lat, Lon, H), 0);
    EXPECT_NEAR(Lat, 0.0, AngleTolerance);
    EXPECT_NEAR(Lon, Pi / 2, AngleTolerance);
    EXPECT_NEAR(H, 0.0, 1e-6);
    ASSERT_EQ(Centric.TextToGeo(" 6378237,5 ", "", "  ", Lat, Lon, H), 0);
    EXPECT_NEAR(H, 100.5, 1e-6);
}

TEST(TProjection, SetSpheroidCopiesValuesAndDerivesConstants) {
    TGeoCentric System;
    EXPECT_EQ(System.Spheroid.Name, "");
    EXPECT_EQ(System.Spheroid.A, 6378137.0);
    TSpheroid Clarke("CF\t6378249.2\t293.466021\tClarke 1880 France");
    Clarke.AddRef(3);
    System.Ready = false;
    System.SetSpheroid(Clarke);
    EXPECT_TRUE(System.Ready);
    EXPECT_EQ(System.Spheroid.Name, "CF");
    EXPECT_EQ(System.Spheroid.Description, "Clarke 1880 France");
    EXPECT_EQ(System.Spheroid.A, 6378249.2);
    EXPECT_EQ(System.Spheroid.F, 1.0 / 293.466021);
    EXPECT_EQ(System.Spheroid.RefCount(), 0); // the catalogue's links stay with the catalogue

    System.Ready = false;
    System.SetSpheroidValues("XX", "Test", 6000000.0, 0.01);
    EXPECT_TRUE(System.Ready);
    EXPECT_EQ(System.Spheroid.F, 0.01);

    // A clone converts exactly as the original.
    const std::unique_ptr<TProjection> Copy = System.Clone();
    double X1, Y1, Z1, X2, Y2, Z2;
    System.GeoToProj(0.7, 0.2, 10.0, X1, Y1, Z1);
    Copy->GeoToProj(0.7, 0.2, 10.0, X2, Y2, Z2);
    EXPECT_EQ(X1, X2);
    EXPECT_EQ(Y1, Y2);
    EXPECT_EQ(Z1, Z2);
    EXPECT_EQ(Copy->Name, "Geocentric:X,Y,Z");
}

} // namespace
} // namespace vortane
