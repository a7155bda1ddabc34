#include "projections/conformal_latitude.hpp"

#include "projections/projection_math.hpp"

#include <cmath>

namespace vortane {

double ConformalTan(double Tau, double E) {
    const double Secant = std::hypot(1.0, Tau);
    const double Sigma = std::sinh(E * std::atanh(E * Tau / Secant));
    return std::hypot(1.0, Sigma) * Tau - Sigma * Secant;
}

double IsometricLatitude(double Lat, double E) {
    return std::asinh(ConformalTan(std::tan(Lat), E));
}

double LatitudeOfIsometric(double Psi, double E) {
    return LatitudeOfConformal(std::sinh(Psi), E).Lat;
}

} // namespace vortane
