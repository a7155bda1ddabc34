#pragma once
// Small pieces of arithmetic shared by the projections: the longitude difference from a central
// meridian, the radius of a parallel and the fixed-point latitude iteration of the closed-form conic
// inverses.

#include "crs/angles.hpp"
#include "crs/spheroid.hpp"

#include <cmath>
#include <limits>

namespace vortane {

// The closed-form inverses iterate until a step moves the latitude by less than this (about 0.06 mm on
// the ground). Each step shrinks the error only by a factor of about e²·cos²φ, so a coarser stopping
// step (1e-6 or 5e-6 rad) leaves errors of millimetres to decimetres that depend on where the
// iteration started.
inline constexpr double LatitudeTolerance = 1e-11;

// Far more steps than any ordinary point needs (each step shrinks the error by about e², so a handful
// suffice from any start); what is still moving after this many steps, or has become NaN, never settles.
inline constexpr int MaxLatitudeSteps = 100;

struct TLatitudeResult {
    double Lat; // radians; NaN when the iteration did not settle
    int Steps;  // steps taken; MaxLatitudeSteps when it did not settle
};

// Starting from Start, applies Step at least once and until one step changes the latitude by less
// than Tolerance (radians).
template <class TStep> TLatitudeResult IterateLatitude(double Start, double Tolerance, TStep Step) {
    double Phi = Start;
    for (int Steps = 1; Steps <= MaxLatitudeSteps; ++Steps) {
        const double Previous = Phi;
        Phi = Step(Phi);
        if (std::fabs(Phi - Previous) < Tolerance) return {Phi, Steps};
        if (std::isnan(Phi)) break;
    }
    return {std::numeric_limits<double>::quiet_NaN(), MaxLatitudeSteps};
}

// ((1 − e·sin φ)/(1 + e·sin φ))^(e/2), the factor that turns the conformal latitude into the geodetic.
inline double EccentricityFactor(double Phi, double E) {
    const double ESin = E * std::sin(Phi);
    return std::pow((1 - ESin) / (1 + ESin), E / 2);
}

// Radius of the parallel of latitude Phi on Spheroid, N(φ)·cos φ, metres: the distance of its points
// from the axis, which fixes the cone of a Lambert conic through its standard parallels.
inline double ParallelRadius(const TSpheroid& Spheroid, double Phi) {
    return Spheroid.RadiusN(Phi) * std::cos(Phi);
}

// Lon − Lon0 brought into [−π, π], so a longitude given as λ + 2π or in [0, 2π) lands where λ does.
// Identical to the plain difference whenever that already lies in the range.
inline double LonDifference(double Lon, double Lon0) {
    const double Difference = Lon - Lon0;
    return (Difference >= -Pi && Difference <= Pi) ? Difference : NormLon(Difference);
}

} // namespace vortane
