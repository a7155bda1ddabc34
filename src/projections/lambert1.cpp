#include "projections/lambert1.hpp"

#include "projections/conformal_latitude.hpp"
#include "projections/param_text.hpp"
#include "text/catalogue_file.hpp"

#include <cmath>

namespace vortane {

TTangentCone::TTangentCone(const TSpheroid& Spheroid, double OriginLatitude)
    : E(std::sqrt(Spheroid.E2())), N(std::sin(OriginLatitude)),
      R0(Spheroid.RadiusN(OriginLatitude) / std::tan(OriginLatitude)),
      Psi0(IsometricLatitude(OriginLatitude, E)) {}

void TTangentCone::Forward(double Lat, double DLon, double& X, double& Y) const {
    // r = a·F·t^n of the published form, with t = exp(−ψ) and a·F·t0^n = r0.
    const double R = R0 * std::exp(-N * (IsometricLatitude(Lat, E) - Psi0));
    const double Theta = N * DLon;
    X = R * std::sin(Theta);
    Y = R0 - R * std::cos(Theta);
}

void TTangentCone::Reverse(double X, double Y, double& Lat, double& DLon) const {
    // On a southern cone (n < 0) radii and angles are measured from the other side of the apex.
    const double Side = std::copysign(1.0, N);
    const double R = Side * std::hypot(X, R0 - Y);
    const double Theta = std::atan2(Side * X, Side * (R0 - Y));
    Lat = LatitudeOfIsometric(Psi0 - std::log(R / R0) / N, E);
    DLon = Theta / N;
}

std::unique_ptr<TProjection> TLambert1::Clone() const {
    return std::make_unique<TLambert1>(*this);
}

void TLambert1::ComputeConstants() {
    const auto [t, T, c, c2, c3, c4, c5, N, N2, N3, N4, N5, eta2, eta4, eta6] = OriginTerms();
    const double t3 = T * t;

    // Northing in Δφ (n) and Δλ (e).
    FNorthing.N1 = N * (1 - eta2 + eta4 - eta6);
    FNorthing.N2 = (N / 2.0) * t * (3 * eta2 - 6 * eta4);
    FNorthing.E2 = (N / 2.0) * t * c2;
    FNorthing.N3 = (N / 6.0) * (1 + eta2 - 3 * T * eta2 - 3 * eta4 + 21 * T * eta4);
    FNorthing.N1E2 = (N / 2.0) * T * c2 * (eta2 - 1 - eta4);
    FNorthing.N4 = (N / 24.0) * t * (1 - eta2);
    FNorthing.N2E2 = -(3 * N / 4.0) * c2 * t3 * eta2;
    FNorthing.E4 = -(N / 24.0) * t3 * c4;
    FNorthing.N5 = (N / 120.0) * (5 + 3 * T);
    FNorthing.N3E2 = -(N / 12.0) * T * c2;
    FNorthing.N1E4 = (N / 24.0) * T * T * c4;

    // Easting in Δφ (n) and Δλ (e).
    FEasting.E1 = N * c;
    FEasting.N1E1 = N * t * c * (eta2 - 1 - eta4);
    FEasting.N2E1 = (N / 2.0) * T * c * (6 * eta4 - 3 * eta2);
    FEasting.E3 = -(N / 6.0) * T * c3;
    FEasting.N3E1 = -(N / 6.0) * t * c * (1 + eta2 - 3 * T * eta2);
    FEasting.N1E3 = (N / 6.0) * t3 * c3 * (1 - eta2);
    FEasting.N4E1 = -(N / 24.0) * T * c;
    FEasting.E5 = (N / 120.0) * T * T * c5;

    // Latitude offset φ − φ0 in v (n) and u (e).
    FLatitude.N1 = (1 + eta2) / N;
    FLatitude.N2 = -3 * t * (eta2 + eta4) / (2 * N2);
    FLatitude.E2 = -t * (1 + eta2) / (2 * N2);
    FLatitude.N3 = (-1 - 5 * eta2 + 3 * T * eta2 - 7 * eta4 + 18 * T * eta4) / (6 * N3);
    FLatitude.N1E2 = (-3 * T + 6 * T * eta2 + 9 * T * eta4) / (6 * N3);
    FLatitude.N4 = t * (26 * eta2 - 1) / (24 * N4);
    FLatitude.N2E2 = t * (6 - 12 * T + 30 * eta2 + 6 * T * eta2) / (24 * N4);
    FLatitude.E4 = t * (3 * T - 6 * T * eta2) / (24 * N4);
    FLatitude.N5 = (5 - 3 * T) / (120 * N5);
    FLatitude.N3E2 = (40 * T - 60 * T * T) / (120 * N5);
    FLatitude.N1E4 = (45 * T * T - 15 * T) / (120 * N5);

    // Longitude offset λ − λ0 in v (n) and u (e).
    FLongitude.E1 = 1 / (N * c);
    FLongitude.N1E1 = t / (N2 * c);
    FLongitude.N2E1 = T / (N3 * c);
    FLongitude.E3 = -T / (3 * N3 * c);
    FLongitude.N3E1 = t3 / (N4 * c);
    FLongitude.N1E3 = -t3 / (N4 * c);
    FLongitude.N4E1 = T * T / (N5 * c);
    FLongitude.N2E3 = -2 * T * T / (N5 * c);
    FLongitude.E5 = T * T / (5 * N5 * c);

    ComputeClosedForm();
    Ready = true;
}

std::string TLambert1::GetParamText() const {
    return OriginParamText(FalseNorthing, FalseEasting, ScaleFactor, " Centr.Mer.=", CentralMeridian,
                           " Centr.Lat.=", OriginLatitude);
}

bool TLambert1List::LoadFromFile(const std::string& FileName) {
    return AddCatalogueEntries<TLambert1>(*this, FileName);
}

} // namespace vortane
