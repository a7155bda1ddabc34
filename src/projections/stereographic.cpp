#include "projections/stereographic.hpp"

#include "projections/param_text.hpp"
#include "text/catalogue_file.hpp"

namespace vortane {

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
