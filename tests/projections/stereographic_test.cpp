// Oblique stereographic projection (power series about the origin), checked against PROJ's double
// (conformal-sphere) stereographic projection "sterea".

#include "projections/stereographic.hpp"

#include "projection_test_support.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>

namespace vortane {
namespace {

const TOriginCase Cases[] = {
    {"Netherlands, Bessel", Bessel, 52.15616056, 5.38763889, 155000.0, 463000.0, 0.9999079},
    {"Poland 1965-like, Hayford", Hayford, 52.0, 19.0, 500000.0, 500000.0, 0.9998},
    {"southern, WGS 84", Wgs84, -35.0, 147.0, 0.0, 0.0, 1.0},
    {"equator, Clarke 1880", Clarke80, 0.0, -60.0, 1000000.0, 1000000.0, 1.0},
};

std::string ProjSterea(const TOriginCase& C) {
    return "+proj=sterea +lat_0=" + Num(C.OriginLat) + " +lon_0=" + Num(C.CentralLon) +
           " +k_0=" + Num(C.Scale) + " +x_0=" + Num(C.FalseEasting) + " +y_0=" + Num(C.FalseNorthing) +
           ProjEllipsoid(C.Spheroid);
}

// Within 1° of the origin the series agree with the double stereographic projection to a few
// millimetres, both ways.
TEST(StereoProj, AgreesWithStereaWithinOneDegree) {
    constexpr double Tolerance = 3 * Millimetre;
    TLargest Forward, Inverse;
    for (const TOriginCase& C : Cases) {
        SCOPED_TRACE(C.What);
        TStereoProj System = MakeOriginSystem<TStereoProj>(C);
        TProjOracle Oracle(ProjSterea(C));
        ASSERT_TRUE(Oracle.Valid());
        ExpectAgreesAroundOrigin(System, Oracle, C, 1.0, Tolerance, Forward, Inverse);
    }
    std::cout << "[ measured ] StereoProj vs PROJ sterea within 1 deg: forward " << Forward.Value
              << " m, inverse " << Inverse.Value << " m\n";
}

TEST(StereoProj, OneDegreeNorthEastOf52North19EastIsWithinAMillimetre) {
    const TOriginCase C{"52N 19E", Hayford, 52.0, 19.0, 0.0, 0.0, 1.0};
    TStereoProj System = MakeOriginSystem<TStereoProj>(C);
    TProjOracle Oracle(ProjSterea(C));
    double E, N, Z, ExpectedE, ExpectedN;
    System.GeoToProj(53.0 * Degree, 20.0 * Degree, 0.0, E, N, Z);
    Oracle.Forward(53.0 * Degree, 20.0 * Degree, ExpectedE, ExpectedN);
    EXPECT_LT(std::hypot(E - ExpectedE, N - ExpectedN), Millimetre);
}

} // namespace
} // namespace vortane
