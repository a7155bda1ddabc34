#pragma once
// PROJ as the reference for datum shifts: pipelines (run with TProjOracle) from geodetic radians on
// one ellipsoid through earth-centred coordinates to geodetic radians on another.

#include "support/proj_oracle.hpp"

#include <cmath>
#include <cstdio>
#include <string>

namespace vortane::test {

// "+a=... +rf=..." of an ellipsoid, written with every digit a double needs.
inline std::string EllipsoidParams(double A, double InverseF) {
    char Buffer[96];
    std::snprintf(Buffer, sizeof Buffer, "+a=%.17g +rf=%.17g", A, InverseF);
    return Buffer;
}

// The step "cart, then ..., then inverse cart" around Middle.
inline std::string CartesianPipeline(const std::string& From, const std::string& Middle,
                                     const std::string& To) {
    return "+proj=pipeline +step +proj=cart " + From + " " + Middle + " +step +inv +proj=cart " + To;
}

// Ground distance of two positions in metres, split into north and east, and the height difference.
struct TGroundDifference {
    double North, East, Up;
};
inline TGroundDifference GroundDifference(double Lat, double Lon, double H, double RefLat, double RefLon,
                                          double RefH) {
    constexpr double EarthRadius = 6378137.0;
    constexpr double TwoPi = 6.283185307179586476925;
    const double DLon = std::remainder(Lon - RefLon, TwoPi);
    return {(Lat - RefLat) * EarthRadius, DLon * EarthRadius * std::cos(RefLat), H - RefH};
}

} // namespace vortane::test
