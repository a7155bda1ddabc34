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

namespace {

// The series' sum Σ d_k sin 2kχ at χ = atan(TauPrime) for a finite TauPrime: no call and no branch, so
// that a loop of it vectorises (inlined always: a call in the loop would stop that).
[[gnu::always_inline]] inline double ConformalCorrection(double TauPrime, const std::array<double, 6>& D) {
    // sin 2χ = 2t/(1 + t²) and cos 2χ = (1 − t²)/(1 + t²) with t = tan χ, written with u = 1/t for
    // large t (sin 2χ = 2u/(u² + 1), cos 2χ = (u² − 1)/(u² + 1)).
    // Both forms' terms are computed and one is picked, which a vector loop can do without branches.
    const bool Small = std::fabs(TauPrime) <= 1;
    const double Inverse = 1 / TauPrime;
    const double S = Small ? TauPrime : Inverse;
    const double S2 = S * S;
    const double OneMinusS2 = 1 - S2, S2MinusOne = S2 - 1;
    const double Sin2 = 2 * S / (1 + S2);
    const double Cos2 = (Small ? OneMinusS2 : S2MinusOne) / (1 + S2);
    // Clenshaw: Σ d_k sin 2kχ = b1·sin 2χ with b_k = 2·cos 2χ·b_{k+1} − b_{k+2} + d_k.
    double B1 = 0, B2 = 0;
    const auto Step = [&](double Dk) {
        const double B0 = 2 * Cos2 * B1 - B2 + Dk;
        B2 = B1;
        B1 = B0;
    };
    Step(D[5]), Step(D[4]), Step(D[3]), Step(D[2]), Step(D[1]), Step(D[0]);
    return Sin2 * B1;
}

} // namespace

TLatitudeResult TConformalInverse::operator()(double TauPrime) const {
    if (!FSeries || std::isinf(TauPrime)) return LatitudeOfConformal(TauPrime, FE);
    if (std::isnan(TauPrime)) return {TauPrime, MaxLatitudeSteps};
    return {std::atan(TauPrime) + ConformalCorrection(TauPrime, FD), 1};
}

void TConformalInverse::Many(const double* TauPrime, std::size_t N, double* Lat) const {
    const std::array<double, 6> D = FD; // a local copy the loop need not reload after each store
    if (FSeries)
        for (std::size_t I = 0; I < N; ++I)
            Lat[I] = ConformalCorrection(TauPrime[I], D);
    for (std::size_t I = 0; I < N; ++I) {
        if (FSeries && std::isfinite(TauPrime[I]))
            Lat[I] += std::atan(TauPrime[I]);
        else
            Lat[I] = (*this)(TauPrime[I]).Lat;
    }
}

} // namespace vortane
