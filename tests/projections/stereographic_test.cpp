// Oblique stereographic projection (power series about the origin), checked against PROJ's double
// (conformal-sphere) stereographic projection "sterea".

#include "projections/stereographic.hpp"

#include "lambert_test_support.hpp"
#include "proj_oracle.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>

namespace vortane {
namespace {

struct TStereoCase {
    const char* What;
    TTestSpheroid Spheroid;
    double OriginLat, CentralLon; // degrees
    double FalseEasting, FalseNorthing, Scale;
};

const TStereoCase Cases[] = {
    {"Netherlands, Bessel", Bessel, 52.15616056, 5.38763889, 155000.0, 463000.0, 0.9999079},
    {"Poland 1965-like, Hayford", Hayford, 52.0, 19.0, 500000.0, 500000.0, 0.9998},
    {"southern, WGS 84", Wgs84, -35.0, 147.0, 0.0, 0.0, 1.0},
    {"equator, Clarke 1880", Clarke80, 0.0, -60.0, 1000000.0, 1000000.0, 1.0},
};

TStereoProj MakeStereo(const TStereoCase& C) {
    TStereoProj System(Record({C.Spheroid.Code, "Test", Num(C.FalseNorthing), Num(C.FalseEasting),
                               Num(C.Scale), Num(C.CentralLon * Degree), Num(C.OriginLat * Degree)}));
    UseSpheroid(System, C.Spheroid);
    return System;
}

std::string ProjSterea(const TStereoCase& C) {
    return "+proj=sterea +lat_0=" + Num(C.OriginLat) + " +lon_0=" + Num(C.CentralLon) +
           " +k_0=" + Num(C.Scale) + " +x_0=" + Num(C.FalseEasting) + " +y_0=" + Num(C.FalseNorthing) +
           ProjEllipsoid(C.Spheroid);
}

// Within 1° of the origin the series agree with the double stereographic projection to a few
// millimetres, both ways.
TEST(StereoProj, AgreesWithStereaWithinOneDegree) {
    constexpr double Tolerance = 3 * Millimetre;
    TLargest Forward, Inverse;
    for (const TStereoCase& C : Cases) {
        SCOPED_TRACE(C.What);
        TStereoProj System = MakeStereo(C);
        TProjOracle Oracle(ProjSterea(C));
        ASSERT_TRUE(Oracle.Valid());
        for (int Row = -4; Row <= 4; ++Row) {
            for (int Column = -4; Column <= 4; ++Column) {
                const double Lat = (C.OriginLat + Row * 0.25) * Degree;
                const double Lon = (C.CentralLon + Column * 0.25) * Degree;
                double E, N, Z, ExpectedE, ExpectedN;
                System.GeoToProj(Lat, Lon, 0.0, E, N, Z);
                Oracle.Forward(Lat, Lon, ExpectedE, ExpectedN);
                const double ForwardError = std::hypot(E - ExpectedE, N - ExpectedN);
                EXPECT_LT(ForwardError, Tolerance) << Row << " " << Column;
                Forward.Add(ForwardError);
                double BackLat, BackLon, H;
                System.ProjToGeo(ExpectedE, ExpectedN, 0.0, BackLat, BackLon, H);
                const double GroundError =
                    System.Spheroid.A * std::hypot(BackLat - Lat, NormLon(BackLon - Lon) * std::cos(Lat));
                EXPECT_LT(GroundError, Tolerance) << Row << " " << Column;
                Inverse.Add(GroundError);
            }
        }
    }
    std::cout << "[ measured ] StereoProj vs PROJ sterea within 1 deg: forward " << Forward.Value
              << " m, inverse " << Inverse.Value << " m\n";
}

TEST(StereoProj, OneDegreeNorthEastOf52North19EastIsWithinAMillimetre) {
    const TStereoCase C{"52N 19E", Hayford, 52.0, 19.0, 0.0, 0.0, 1.0};
    TStereoProj System = MakeStereo(C);
    TProjOracle Oracle(ProjSterea(C));
    double E, N, Z, ExpectedE, ExpectedN;
    System.GeoToProj(53.0 * Degree, 20.0 * Degree, 0.0, E, N, Z);
    Oracle.Forward(53.0 * Degree, 20.0 * Degree, ExpectedE, ExpectedN);
    EXPECT_LT(std::hypot(E - ExpectedE, N - ExpectedN), Millimetre);
}

} // namespace
} // namespace vortane
