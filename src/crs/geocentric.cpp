// Geodetic <-> geocentric conversion and the geocentric coordinate system.

#include "crs/angles.hpp"
#include "crs/projection.hpp"

#include <cmath>

namespace vortane {

namespace {
constexpr double TwoPi = 2.0 * Pi;
constexpr double HalfPi = Pi / 2.0;
} // namespace

void GeoToXYZ(double Lat, double Lon, double H, double A, double E2, double& X, double& Y, double& Z) {
    const double SinLat = std::sin(Lat);
    const double CosLat = std::cos(Lat);
    const double N = A / std::sqrt(1.0 - E2 * SinLat * SinLat);
    X = (N + H) * CosLat * std::cos(Lon);
    Y = (N + H) * CosLat * std::sin(Lon);
    Z = (N * (1.0 - E2) + H) * SinLat;
}

// One step of Bowring's method: a first latitude estimate t = atan(Z / (p (1 - e2))) gives an
// approximate height h0, which corrects Z for the shift of the normal's foot along the axis. Exact at
// height 0; about 1.8e-9 rad and 1.1 cm off at 1000 m and 45 degrees.
//
// The plain forms of the two heights divide by a cosine:
//     h0 = p / cos(t)   - a / sqrt(1 - e2 sin^2 t)
//     H  = p / cos(lat) - a / sqrt(1 - e2 sin^2 lat)
// Near the polar axis both p and the cosine vanish and the quotient loses every digit (on the axis
// itself H came out as -N, some 6400 km low). With tan(u) = V / q, q = p (1 - e2), the identity
// p / cos(u) = sqrt(q^2 + V^2) / (1 - e2) gives the same values without the cancellation.
void XYZToGeo(double X, double Y, double Z, double A, double E2, double& Lat, double& Lon, double& H,
              TLatitudeTrig* Trig) {
    if (X == 0.0 && Y == 0.0) {
        Lon = HalfPi; // any longitude is right on the axis
    } else {
        Lon = std::atan2(Y, X);
        if (Lon < 0.0) Lon += TwoPi;
        // -1e-17 + 2 pi rounds to 2 pi, which is outside [0, 2 pi).
        if (Lon >= TwoPi) Lon = 0.0;
    }
    const double OneMinusE2 = 1.0 - E2;
    const double P = std::sqrt(X * X + Y * Y);
    const double Q = P * OneMinusE2;
    const double RadiusT = std::sqrt(Q * Q + Z * Z);
    if (RadiusT == 0.0) {
        // The centre (or so close that the squares underflow): the latitude is taken as 0, and along
        // that equatorial normal the height is -a.
        Lat = 0.0;
        H = -A;
        if (Trig) *Trig = {0.0, 1.0};
        return;
    }
    const double SinT = Z / RadiusT;
    const double H0 = RadiusT / OneMinusE2 - A / std::sqrt(1.0 - E2 * SinT * SinT);

    const double V = Z - H0 * E2 * SinT;
    const double RadiusLat = std::sqrt(Q * Q + V * V);
    const double SinLat = V / RadiusLat;
    Lat = std::atan2(V, Q);
    H = RadiusLat / OneMinusE2 - A / std::sqrt(1.0 - E2 * SinLat * SinLat);
    // On the axis (Q = 0) the quotient would give a cosine of exactly 0, where cos(atan2(V, 0)) is not.
    if (Trig) *Trig = {SinLat, Q > 0.0 ? Q / RadiusLat : std::cos(Lat)};
}

std::string TGeoCentric::GetParamText() const {
    return "No special parameters";
}

void TGeoCentric::GeoToProj(double Lat, double Lon, double H, double& X, double& Y, double& Z) const {
    GeoToXYZ(Lat, Lon, H, Spheroid.A, Spheroid.E2(), X, Y, Z);
}

void TGeoCentric::ProjToGeo(double X, double Y, double Z, double& Lat, double& Lon, double& H) const {
    XYZToGeo(X, Y, Z, Spheroid.A, Spheroid.E2(), Lat, Lon, H);
}

void TGeoCentric::GetAxisNames(std::string& XName, std::string& YName, std::string& ZName) const {
    XName = "X(m)";
    YName = "Y(m)";
    ZName = "Z(m)";
}

std::unique_ptr<TProjection> TGeoCentric::Clone() const {
    return std::make_unique<TGeoCentric>(*this);
}

TGeoCentricList::TGeoCentricList() {
    Add(std::make_unique<TGeoCentric>());
}

} // namespace vortane
