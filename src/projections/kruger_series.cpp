#include "projections/kruger_series.hpp"

#include "crs/angles.hpp"
#include "projections/conformal_latitude.hpp"
#include "projections/projection_math.hpp"

#include <cmath>
#include <complex>

namespace vortane {

namespace {

using TComplex = std::complex<double>;

// A polynomial in n by Horner's scheme: Coefficients[0] + n·(Coefficients[1] + n·(...)).
template <std::size_t Size> double Polynomial(const std::array<double, Size>& Coefficients, double N) {
    double Sum = 0.0;
    for (std::size_t K = Size; K-- > 0;)
        Sum = Sum * N + Coefficients[K];
    return Sum;
}

// A/a·(1 + n), polynomial in n²: 1 + n²/4 + n⁴/64 + n⁶/256 (Karney 2011, eq. 14).
constexpr std::array<double, 4> RectifyingRadius{
    1.0,
    1.0 / 4.0,
    1.0 / 64.0,
    1.0 / 256.0,
};
static_assert(RectifyingRadius.size() == TKrugerSeries::Order / 2 + 1);

// The coefficients of n^j .. n^6 of αj and βj, one table per j (Karney 2011, eqs. 35 and 36; the
// Maxima script tmseries.mac published with that paper generates them).
constexpr std::array<double, 6> Alpha1{
    1.0 / 2.0,       // n
    -2.0 / 3.0,      // n²
    5.0 / 16.0,      // n³
    41.0 / 180.0,    // n⁴
    -127.0 / 288.0,  // n⁵
    7891.0 / 37800.0 // n⁶
};
constexpr std::array<double, 5> Alpha2{
    13.0 / 48.0,            // n²
    -3.0 / 5.0,             // n³
    557.0 / 1440.0,         // n⁴
    281.0 / 630.0,          // n⁵
    -1983433.0 / 1935360.0, // n⁶
};
constexpr std::array<double, 4> Alpha3{
    61.0 / 240.0,        // n³
    -103.0 / 140.0,      // n⁴
    15061.0 / 26880.0,   // n⁵
    167603.0 / 181440.0, // n⁶
};
constexpr std::array<double, 3> Alpha4{
    49561.0 / 161280.0,    // n⁴
    -179.0 / 168.0,        // n⁵
    6601661.0 / 7257600.0, // n⁶
};
constexpr std::array<double, 2> Alpha5{
    34729.0 / 80640.0,      // n⁵
    -3418889.0 / 1995840.0, // n⁶
};
constexpr std::array<double, 1> Alpha6{
    212378941.0 / 319334400.0, // n⁶
};

constexpr std::array<double, 6> Beta1{
    1.0 / 2.0,          // n
    -2.0 / 3.0,         // n²
    37.0 / 96.0,        // n³
    -1.0 / 360.0,       // n⁴
    -81.0 / 512.0,      // n⁵
    96199.0 / 604800.0, // n⁶
};
constexpr std::array<double, 5> Beta2{
    1.0 / 48.0,             // n²
    1.0 / 15.0,             // n³
    -437.0 / 1440.0,        // n⁴
    46.0 / 105.0,           // n⁵
    -1118711.0 / 3870720.0, // n⁶
};
constexpr std::array<double, 4> Beta3{
    17.0 / 480.0,     // n³
    -37.0 / 840.0,    // n⁴
    -209.0 / 4480.0,  // n⁵
    5569.0 / 90720.0, // n⁶
};
constexpr std::array<double, 3> Beta4{
    4397.0 / 161280.0,     // n⁴
    -11.0 / 504.0,         // n⁵
    -830251.0 / 7257600.0, // n⁶
};
constexpr std::array<double, 2> Beta5{
    4583.0 / 161280.0,     // n⁵
    -108847.0 / 3991680.0, // n⁶
};
constexpr std::array<double, 1> Beta6{
    20648693.0 / 638668800.0, // n⁶
};

// αj (or βj) at n: n^j times its table's polynomial.
template <std::size_t Size> double SeriesCoefficient(const std::array<double, Size>& Table, double N) {
    static_assert(Size >= 1 && Size <= TKrugerSeries::Order);
    return std::pow(N, static_cast<double>(TKrugerSeries::Order + 1 - Size)) * Polynomial(Table, N);
}

// Σ_{j=1..6} C[j−1]·sin(2jζ) by Clenshaw summation: with b₇ = b₈ = 0 and
// b_j = C[j−1] + 2·cos 2ζ·b_{j+1} − b_{j+2}, the sum is sin 2ζ·b₁.
TComplex SineSeries(const std::array<double, TKrugerSeries::Order>& C, TComplex Zeta) {
    const TComplex TwiceCos = 2.0 * std::cos(2.0 * Zeta);
    TComplex Next(0.0);
    TComplex AfterNext(0.0);
    for (int J = TKrugerSeries::Order; J >= 1; --J) {
        const TComplex Current = C[static_cast<std::size_t>(J - 1)] + TwiceCos * Next - AfterNext;
        AfterNext = Next;
        Next = Current;
    }
    return std::sin(2.0 * Zeta) * Next;
}

} // namespace

TKrugerSeries::TKrugerSeries(double A, double F) {
    FE = std::sqrt(F * (2.0 - F));
    const double N = F / (2.0 - F);
    FRectifying = A / (1.0 + N) * Polynomial(RectifyingRadius, N * N);
    FAlpha = {SeriesCoefficient(Alpha1, N), SeriesCoefficient(Alpha2, N), SeriesCoefficient(Alpha3, N),
              SeriesCoefficient(Alpha4, N), SeriesCoefficient(Alpha5, N), SeriesCoefficient(Alpha6, N)};
    FBeta = {SeriesCoefficient(Beta1, N), SeriesCoefficient(Beta2, N), SeriesCoefficient(Beta3, N),
             SeriesCoefficient(Beta4, N), SeriesCoefficient(Beta5, N), SeriesCoefficient(Beta6, N)};
}

void TKrugerSeries::Forward(double Lat, double DLon, double& X, double& Y) const {
    if (!(std::fabs(Lat) <= Pi / 2)) {
        X = Y = std::nan("");
        return;
    }
    // At the poles tan φ is huge but finite, and τ′ follows it: ξ′ = ±π/2 as it should be.
    const double TauPrime = ConformalTan(std::tan(Lat), FE);
    const double CosLon = std::cos(DLon);
    // Spherical transverse Mercator of the conformal sphere.
    const TComplex ZetaPrime(std::atan2(TauPrime, CosLon),
                             std::asinh(std::sin(DLon) / std::hypot(TauPrime, CosLon)));
    const TComplex Zeta = ZetaPrime + SineSeries(FAlpha, ZetaPrime);
    Y = FRectifying * Zeta.real();
    X = FRectifying * Zeta.imag();
}

void TKrugerSeries::Reverse(double X, double Y, double& Lat, double& DLon) const {
    const TComplex Zeta(Y / FRectifying, X / FRectifying);
    const TComplex ZetaPrime = Zeta - SineSeries(FBeta, Zeta);
    const double Xi = ZetaPrime.real();
    const double SinhEta = std::sinh(ZetaPrime.imag());
    const double CosXi = std::cos(Xi);
    const double TauPrime = std::sin(Xi) / std::hypot(SinhEta, CosXi);
    Lat = LatitudeOfConformal(TauPrime, FE).Lat;
    DLon = std::atan2(SinhEta, CosXi);
}

} // namespace vortane
