#include "projections/stereographic.hpp"

#include "projections/conformal_latitude.hpp"
#include "projections/param_text.hpp"
#include "text/catalogue_file.hpp"

#include <cmath>

namespace vortane {

// With w1 = exp(2n·ψ0) the published constant c = (n + sin φ0)(1 − sin χ1) / ((n − sin φ0)(1 + sin χ1)),
// sin χ1 = (w1 − 1)/(w1 + 1) = tanh(n·ψ0), multiplies w = exp(2n·ψ); so the sphere's isometric latitude
// is n·ψ + ln(c)/2, and the origin lands at χ0 with sin χ0 = tanh(n·ψ0 + ln(c)/2).
TDoubleStereographic::TDoubleStereographic(const TSpheroid& Spheroid, double OriginLatitude)
    : E(std::sqrt(Spheroid.E2())), E2(Spheroid.E2()) {
    const double SinPhi0 = std::sin(OriginLatitude);
    const double CosPhi0 = std::cos(OriginLatitude);
    const double W = 1.0 - E2 * SinPhi0 * SinPhi0;
    // R = √(ρ0·ν0) with ρ0 = a(1 − e²)/W^(3/2) and ν0 = a/W^(1/2).
    Diameter = 2.0 * Spheroid.A * std::sqrt(1.0 - E2) / W;
    N = std::sqrt(1.0 + E2 * CosPhi0 * CosPhi0 * CosPhi0 * CosPhi0 / (1.0 - E2));
    const double NPsi0 = N * IsometricLatitude(OriginLatitude, E);
    const double SinChi1 = std::tanh(NPsi0);
    K = 0.5 * std::log((N + SinPhi0) * (1.0 - SinChi1) / ((N - SinPhi0) * (1.0 + SinChi1)));
    SinChi0 = std::tanh(NPsi0 + K);
    CosChi0 = 1.0 / std::cosh(NPsi0 + K);
}

void TDoubleStereographic::Forward(double Lat, double DLon, double& X, double& Y) const {
    const double PsiSphere = N * IsometricLatitude(Lat, E) + K;
    const double SinChi = std::tanh(PsiSphere);
    const double CosChi = 1.0 / std::cosh(PsiSphere);
    const double Lambda = N * DLon;
    const double CosLambda = std::cos(Lambda);
    const double B = 1.0 + SinChi * SinChi0 + CosChi * CosChi0 * CosLambda;
    X = Diameter * CosChi * std::sin(Lambda) / B;
    Y = Diameter * (SinChi * CosChi0 - CosChi * SinChi0 * CosLambda) / B;
}

// The sphere's stereographic inverse: a point at distance ρ from the centre lies at the angular
// distance c = 2·atan(ρ/2R) from the origin's image, in the direction atan2(X, Y).
void TDoubleStereographic::Reverse(double X, double Y, double& Lat, double& DLon) const {
    const double Rho = std::hypot(X, Y);
    double SinChi = SinChi0;
    double Lambda = 0.0;
    if (Rho > 0.0) {
        const double C = 2.0 * std::atan(Rho / Diameter);
        const double SinC = std::sin(C);
        const double CosC = std::cos(C);
        SinChi = CosC * SinChi0 + Y * SinC * CosChi0 / Rho;
        Lambda = std::atan2(X * SinC, Rho * CosChi0 * CosC - Y * SinChi0 * SinC);
    }
    Lat = LatitudeOfIsometric((std::atanh(SinChi) - K) / N, E);
    DLon = Lambda / N;
}

std::unique_ptr<TProjection> TStereoProj::Clone() const {
    return std::make_unique<TStereoProj>(*this);
}

void TStereoProj::ComputeConstants() {
    const auto [t, T, c, c2, c3, c4, c5, N, N2, N3, N4, N5, eta2, eta4, eta6] = OriginTerms();
    const double T2 = T * T;

    // Northing in Δφ (n) and Δλ (e).
    FNorthing.N1 = N * (1 - eta2 + eta4 - eta6);
    FNorthing.N2 = (N / 2.0) * t * (3 * eta2 - 6 * eta4);
    FNorthing.E2 = (N / 2.0) * t * c2;
    FNorthing.N3 = (N / 12.0) * (1 + 4 * eta2 - 6 * T * eta2 - 9 * eta4 + 42 * T * eta4);
    FNorthing.N1E2 = (N / 12.0) * c2 * (3 - 6 * T + 6 * T * eta2 - 6 * T * eta4);
    FNorthing.N4 = (N / 24.0) * t * (-3 * eta2);
    FNorthing.N2E2 = (N / 24.0) * t * c2 * (-9 - 6 * eta2 - 18 * T * eta2);
    FNorthing.E4 = (N / 24.0) * t * c4 * (2 - T + 6 * eta2);
    FNorthing.N5 = N / 120.0;
    FNorthing.N3E2 = (N / 240.0) * c2 * (-10 - 10 * T);
    FNorthing.N1E4 = (N / 240.0) * c4 * (10 - 55 * T + 10 * T2);

    // Easting in Δφ (n) and Δλ (e).
    FEasting.E1 = N * c;
    FEasting.N1E1 = N * t * c * (eta2 - 1 - eta4);
    FEasting.N2E1 = (N / 12.0) * c * (-3 + 3 * eta2 - 18 * T * eta2 - 3 * eta4 + 36 * T * eta4);
    FEasting.E3 = (N / 12.0) * c3 * (1 - 2 * T + eta2);
    FEasting.N3E1 = (N / 24.0) * t * c * (-2 - 10 * eta2 + 12 * T * eta2);
    FEasting.N1E3 = (N / 24.0) * t * c3 * (-8 + 4 * T - 16 * eta2 - 4 * T * eta2);
    FEasting.N4E1 = -(N / 24.0) * c;
    FEasting.N2E3 = (N / 240.0) * c3 * (70 * T - 20);
    FEasting.E5 = (N / 240.0) * c5 * (2 - 11 * T + 2 * T2);

    // Latitude offset φ − φ0 in v (n) and u (e).
    FLatitude.N1 = (1 + eta2) / N;
    FLatitude.N2 = -3 * t * (eta2 + eta4) / (2 * N2);
    FLatitude.E2 = -t * (1 + eta2) / (2 * N2);
    FLatitude.N3 = (-1 - 8 * eta2 + 6 * T * eta2 - 13 * eta4 + 36 * T * eta4) / (12 * N3);
    FLatitude.N1E2 = (-3 - 6 * T - 6 * eta2 + 12 * T * eta2 - 3 * eta4 + 18 * T * eta4) / (12 * N3);
    FLatitude.N4 = 18 * t * eta2 / (24 * N4);
    FLatitude.N2E2 = t * (-6 - 12 * T + 48 * eta2 + 6 * T * eta2) / (24 * N4);
    FLatitude.E4 = t * (3 + 3 * T + 2 * eta2 - 6 * T * eta2) / (24 * N4);
    FLatitude.N5 = 3 / (240 * N5);
    FLatitude.N3E2 = (-90 * T - 120 * T2) / (240 * N5);
    FLatitude.N1E4 = (15 + 90 * T + 90 * T2) / (240 * N5);

    // Longitude offset λ − λ0 in v (n) and u (e).
    FLongitude.E1 = 1 / (N * c);
    FLongitude.N1E1 = t / (N2 * c);
    FLongitude.N2E1 = (3 + 12 * T + 3 * eta2) / (12 * N3 * c);
    FLongitude.E3 = (-1 - 4 * T - eta2) / (12 * N3 * c);
    FLongitude.N3E1 = t * (12 + 24 * T - 4 * eta2) / (24 * N4 * c);
    FLongitude.N1E3 = t * (-12 - 24 * T + 4 * eta2) / (24 * N4 * c);
    FLongitude.N4E1 = (15 + 180 * T + 240 * T2) / (240 * N5 * c);
    FLongitude.N2E3 = (-30 - 360 * T - 480 * T2) / (240 * N5 * c);
    FLongitude.E5 = (3 + 36 * T + 48 * T2) / (240 * N5 * c);

    ComputeClosedForm();
    Ready = true;
}

// The two angle labels carry no "=", unlike the other projections' texts.
std::string TStereoProj::GetParamText() const {
    return OriginParamText(FalseNorthing, FalseEasting, ScaleFactor, " Centr.Mer.", CentralMeridian,
                           " Centr.Lat", OriginLatitude);
}

bool TStereoProjList::LoadFromFile(const std::string& FileName) {
    return AddCatalogueEntries<TStereoProj>(*this, FileName);
}

} // namespace vortane
