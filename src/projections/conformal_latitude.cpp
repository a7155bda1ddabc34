#include "projections/conformal_latitude.hpp"

#include <cmath>
#include <limits>

namespace vortane {

namespace {

// Newton's method doubles the correct digits per step; from the start below three steps reach full
// precision for every latitude, so a limit of ten only guards against NaN input.
constexpr int MaxNewtonSteps = 10;
const double NewtonTolerance = std::sqrt(std::numeric_limits<double>::epsilon()) / 10;

} // namespace

double ConformalTan(double Tau, double E) {
    const double Secant = std::hypot(1.0, Tau);
    const double Sigma = std::sinh(E * std::atanh(E * Tau / Secant));
    return std::hypot(1.0, Sigma) * Tau - Sigma * Secant;
}

double GeodeticTan(double TauPrime, double E2) {
    const double E = std::sqrt(E2);
    const double OneMinusE2 = 1.0 - E2;
    // τ ≈ τ′/(1 − e²) is exact at the poles and off by O(e²) elsewhere.
    double Tau = TauPrime / OneMinusE2;
    const double Tolerance = NewtonTolerance * std::fmax(1.0, std::fabs(TauPrime));
    for (int Step = 0; Step < MaxNewtonSteps; ++Step) {
        const double Estimate = ConformalTan(Tau, E);
        const double Change = (TauPrime - Estimate) * (1.0 + OneMinusE2 * Tau * Tau) /
                              (OneMinusE2 * std::hypot(1.0, Tau) * std::hypot(1.0, Estimate));
        Tau += Change;
        if (!(std::fabs(Change) >= Tolerance)) break;
    }
    return Tau;
}

double IsometricLatitude(double Lat, double E) {
    return std::asinh(ConformalTan(std::tan(Lat), E));
}

double LatitudeOfIsometric(double Psi, double E2) {
    return std::atan(GeodeticTan(std::sinh(Psi), E2));
}

} // namespace vortane
