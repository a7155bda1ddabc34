#pragma once
// Small pieces of arithmetic shared by the projections: the longitude difference from a central
// meridian, the radius of a parallel and the latitude of a conformal latitude for the conic inverses.

#include "crs/angles.hpp"
#include "crs/spheroid.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>

namespace vortane {

// Far more steps than any ordinary point needs; what is still moving after this many steps, or has
// become NaN, never settles.
inline constexpr int MaxLatitudeSteps = 100;

struct TLatitudeResult {
    double Lat; // radians; NaN when the iteration did not settle
    int Steps;  // steps taken; MaxLatitudeSteps when it did not settle
};

// The geodetic latitude of the conformal latitude χ given as TauPrime = tan χ, on a spheroid of
// eccentricity E: Newton's method on τ = tan φ, which converges quadratically (two or three steps to
// full precision from τ = τ'/(1 − e²)), with
//     τ'(τ) = τ·√(1 + σ²) − σ·√(1 + τ²),  σ = sinh(e·atanh(e·τ/√(1 + τ²)))
//     dτ'/dτ = (1 − e²)·√(1 + τ'²)·√(1 + τ²) / (1 + (1 − e²)·τ²)
// (C. F. F. Karney, Transverse Mercator with an accuracy of a few nanometers, 2011). An infinite
// TauPrime is a pole.
inline TLatitudeResult LatitudeOfConformal(double TauPrime, double E) {
    if (std::isinf(TauPrime)) return {std::copysign(Pi / 2, TauPrime), 1};
    const double OneMinusE2 = 1 - E * E;
    // Below this step the next one lands within rounding of the root.
    const double Tolerance = 1.5e-9 * std::max(1.0, std::fabs(TauPrime));
    double Tau = TauPrime / OneMinusE2;
    for (int Steps = 1; Steps <= MaxLatitudeSteps; ++Steps) {
        // √(1 + x²) rather than hypot: as exact here and several times faster.
        const double Tau1 = std::sqrt(1 + Tau * Tau);
        const double Sigma = std::sinh(E * std::atanh(E * Tau / Tau1));
        const double TauPrimeHere = Tau * std::sqrt(1 + Sigma * Sigma) - Sigma * Tau1;
        const double Step = (TauPrime - TauPrimeHere) * (1 + OneMinusE2 * Tau * Tau) /
                            (OneMinusE2 * Tau1 * std::sqrt(1 + TauPrimeHere * TauPrimeHere));
        Tau += Step;
        if (!(std::fabs(Step) >= Tolerance)) {
            if (std::isnan(Tau)) break;
            return {std::atan(Tau), Steps};
        }
    }
    return {std::numeric_limits<double>::quiet_NaN(), MaxLatitudeSteps};
}

// LatitudeOfConformal for one spheroid with the work done once: for Earth-like spheroids the series
//     φ = χ + Σ_{k=1..6} d_k·sin 2kχ,  d_k polynomials in the third flattening n
// (C. F. F. Karney, Transverse Mercator with an accuracy of a few nanometers, 2011, eq. 13), summed by
// Clenshaw's method with sin 2χ and cos 2χ taken from tan χ without a trigonometric call; its
// truncation error is below rounding while n ≤ 1/400. Flatter spheroids take the Newton steps.
class TConformalInverse {
public:
    TConformalInverse() = default;
    explicit TConformalInverse(double E);
    // The geodetic latitude of the conformal latitude χ given as TauPrime = tan χ; Steps is 1 for the
    // series.
    TLatitudeResult operator()(double TauPrime) const;
    // The latitudes of N conformal latitudes, each with the bits operator() gives it.
    void Many(const double* TauPrime, std::size_t N, double* Lat) const;

private:
    double FE = 0.0;
    bool FSeries = true;
    std::array<double, 6> FD{}; // d1..d6
};

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
