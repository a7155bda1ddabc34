#include "projections/projection_math.hpp"

#include <cmath>

namespace vortane {

namespace {

// Beyond this third flattening the series' first omitted term, of order n⁷, reaches rounding.
constexpr double MaxSeriesThirdFlattening = 1.0 / 400;

} // namespace

TConformalInverse::TConformalInverse(double E) : FE(E) {
    const double F = 1 - std::sqrt(1 - E * E);
    const double N = F / (2 - F);
    FSeries = N <= MaxSeriesThirdFlattening;
    const double N2 = N * N, N3 = N2 * N, N4 = N3 * N, N5 = N4 * N, N6 = N5 * N;
    FD = {2 * N - 2 * N2 / 3 - 2 * N3 + 116 * N4 / 45 + 26 * N5 / 45 - 2854 * N6 / 675,
          7 * N2 / 3 - 8 * N3 / 5 - 227 * N4 / 45 + 2704 * N5 / 315 + 2323 * N6 / 945,
          56 * N3 / 15 - 136 * N4 / 35 - 1262 * N5 / 105 + 73814 * N6 / 2835,
          4279 * N4 / 630 - 332 * N5 / 35 - 399572 * N6 / 14175,
          4174 * N5 / 315 - 144838 * N6 / 6237,
          601676 * N6 / 22275};
}

TLatitudeResult TConformalInverse::operator()(double TauPrime) const {
    if (!FSeries || std::isinf(TauPrime)) return LatitudeOfConformal(TauPrime, FE);
    if (std::isnan(TauPrime)) return {TauPrime, MaxLatitudeSteps};
    // sin 2χ = 2t/(1 + t²) and cos 2χ = (1 − t²)/(1 + t²) with t = tan χ, written with 1/t for large t.
    double Sin2, Cos2;
    if (std::fabs(TauPrime) <= 1) {
        const double T2 = TauPrime * TauPrime;
        Sin2 = 2 * TauPrime / (1 + T2);
        Cos2 = (1 - T2) / (1 + T2);
    } else {
        const double U = 1 / TauPrime, U2 = U * U;
        Sin2 = 2 * U / (U2 + 1);
        Cos2 = (U2 - 1) / (U2 + 1);
    }
    // Clenshaw: Σ d_k sin 2kχ = b1·sin 2χ with b_k = 2·cos 2χ·b_{k+1} − b_{k+2} + d_k.
    double B1 = 0, B2 = 0;
    for (auto D = FD.rbegin(); D != FD.rend(); ++D) {
        const double B0 = 2 * Cos2 * B1 - B2 + *D;
        B2 = B1;
        B1 = B0;
    }
    return {std::atan(TauPrime) + Sin2 * B1, 1};
}

} // namespace vortane
