// Lambert conformal conic with one standard parallel (power series about the origin), checked against
// PROJ's closed-form lcc with the tangent cone at the latitude of origin.

#include "projections/lambert1.hpp"

#include "lambert_test_support.hpp"
#include "proj_oracle.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>

namespace vortane {
namespace {

struct TLambert1Case {
    const char* What;
    TTestSpheroid Spheroid;
    double OriginLat, CentralLon; // degrees
    double FalseEasting, FalseNorthing, Scale;
};

const TLambert1Case Cases[] = {
    {"France zone II, Clarke 1880", Clarke80, 46.8, 2.337229167, 600000.0, 2200000.0, 0.99987742},
    {"52° north, Bessel", Bessel, 52.0, 19.0, 500000.0, 0.0, 1.0},
    {"35° south, Hayford", Hayford, -35.0, 147.0, 0.0, 10000000.0, 0.9999},
    {"30° north, west of Greenwich, WGS 84", Wgs84, 30.0, -80.0, 250000.0, 0.0, 1.0},
};

TLambert1 MakeLambert1(const TLambert1Case& C) {
    TLambert1 System(Record({C.Spheroid.Code, "Test", Num(C.FalseNorthing), Num(C.FalseEasting), Num(C.Scale),
                             Num(C.CentralLon * Degree), Num(C.OriginLat * Degree)}));
    UseSpheroid(System, C.Spheroid);
    return System;
}

std::string ProjTangentLcc(const TLambert1Case& C) {
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
    for (const TLambert1Case& C : Cases) {
        SCOPED_TRACE(C.What);
        TLambert1 System = MakeLambert1(C);
        TProjOracle Oracle(ProjTangentLcc(C));
        ASSERT_TRUE(Oracle.Valid());
        for (double Radius : {1.0, 3.0}) {
            for (int Row = -4; Row <= 4; ++Row) {
                for (int Column = -4; Column <= 4; ++Column) {
                    const double Lat = (C.OriginLat + Row * Radius / 4) * Degree;
                    const double Lon = (C.CentralLon + Column * Radius / 4) * Degree;
                    double E, N, Z, ExpectedE, ExpectedN;
                    System.GeoToProj(Lat, Lon, 0.0, E, N, Z);
                    Oracle.Forward(Lat, Lon, ExpectedE, ExpectedN);
                    const double ForwardError = std::hypot(E - ExpectedE, N - ExpectedN);
                    if (Radius == 3.0) {
                        EXPECT_LT(ForwardError, Within3DegreesForward) << Row << " " << Column;
                        Forward3.Add(ForwardError);
                        continue;
                    }
                    EXPECT_LT(ForwardError, Within1Degree) << Row << " " << Column;
                    Forward1.Add(ForwardError);
                    double BackLat, BackLon, H;
                    System.ProjToGeo(ExpectedE, ExpectedN, 0.0, BackLat, BackLon, H);
                    const double GroundError =
                        System.Spheroid.A * std::hypot(BackLat - Lat, NormLon(BackLon - Lon) * std::cos(Lat));
                    EXPECT_LT(GroundError, Within1Degree) << Row << " " << Column;
                    Inverse1.Add(GroundError);
                }
            }
        }
    }
    std::cout << "[ measured ] Lambert1 vs PROJ lcc: within 1 deg forward " << Forward1.Value
              << " m, inverse " << Inverse1.Value << " m; within 3 deg forward " << Forward3.Value << " m\n";
}

} // namespace
} // namespace vortane
