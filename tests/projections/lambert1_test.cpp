// Lambert conformal conic with one standard parallel (power series about the origin), checked against
// PROJ's closed-form lcc with the tangent cone at the latitude of origin.

#include "projections/lambert1.hpp"

#include "projection_test_support.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>

namespace vortane {
namespace {

const TOriginCase Cases[] = {
    {"France zone II, Clarke 1880", Clarke80, 46.8, 2.337229167, 600000.0, 2200000.0, 0.99987742},
    {"52° north, Bessel", Bessel, 52.0, 19.0, 500000.0, 0.0, 1.0},
    {"35° south, Hayford", Hayford, -35.0, 147.0, 0.0, 10000000.0, 0.9999},
    {"30° north, west of Greenwich, WGS 84", Wgs84, 30.0, -80.0, 250000.0, 0.0, 1.0},
};

std::string ProjTangentLcc(const TOriginCase& C) {
    return "+proj=lcc +lat_1=" + Num(C.OriginLat) + " +lat_0=" + Num(C.OriginLat) +
           " +lon_0=" + Num(C.CentralLon) + " +k_0=" + Num(C.Scale) + " +x_0=" + Num(C.FalseEasting) +
           " +y_0=" + Num(C.FalseNorthing) + ProjEllipsoid(C.Spheroid);
}

// The series agree with the closed form to the millimetre within 1° of the origin and to about a
// centimetre within 3°; the inverse series is checked within 1°.
TEST(Lambert1, AgreesWithProjTangentLccNearTheOrigin) {
    constexpr double Within1Degree = 2 * Millimetre;
    constexpr double Within3DegreesForward = 20 * Millimetre;
    TLargest Forward1, Inverse1, Forward3;
    for (const TOriginCase& C : Cases) {
        SCOPED_TRACE(C.What);
        TLambert1 System = MakeOriginSystem<TLambert1>(C);
        TProjOracle Oracle(ProjTangentLcc(C));
        ASSERT_TRUE(Oracle.Valid());
        ExpectAgreesAroundOrigin(System, Oracle, C, 1.0, Within1Degree, Forward1, Inverse1);
        ForEachPointAroundOrigin(
            C.OriginLat, C.CentralLon, 3.0, [&](double Lat, double Lon, int Row, int Column) {
                const double ForwardError = CompareWithOracle(System, Oracle, Lat, Lon).ForwardError();
                EXPECT_LT(ForwardError, Within3DegreesForward) << Row << " " << Column;
                Forward3.Add(ForwardError);
            });
    }
    std::cout << "[ measured ] Lambert1 vs PROJ lcc: within 1 deg forward " << Forward1.Value
              << " m, inverse " << Inverse1.Value << " m; within 3 deg forward " << Forward3.Value << " m\n";
}

} // namespace
} // namespace vortane
