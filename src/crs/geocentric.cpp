// Geodetic <-> geocentric conversion and the geocentric coordinate system.

#include "crs/angles.hpp"
#include "crs/position_pieces.hpp"
#include "crs/projection.hpp"

#include <cmath>

namespace vortane {

namespace {
constexpr double TwoPi = 2.0 * Pi;
constexpr double HalfPi = Pi / 2.0;

// GeoToXYZ with the sines and cosines given: no call and no branch, so that a loop of it vectorises
// (inlined always: a call in the loop would stop that).
[[gnu::always_inline]] inline void XYZFromTrig(double SinLat, double CosLat, double SinLon, double CosLon,
                                               double H, double A, double E2, double& X, double& Y,
                                               double& Z) {
    const double N = A / std::sqrt(1.0 - E2 * SinLat * SinLat);
    X = (N + H) * CosLat * CosLon;
    Y = (N + H) * CosLat * SinLon;
    Z = (N * (1.0 - E2) + H) * SinLat;
}

// XYZToGeo up to its arctangents and special cases (FinishGeo): no call and no branch, so that a loop of
// it vectorises. RadiusT 0 marks the centre, where the other results have no meaning.
[[gnu::always_inline]] inline void BowringStep(double X, double Y, double Z, double A, double E2, double& Q,
                                               double& V, double& RadiusT, double& RadiusLat, double& SinLat,
                                               double& H) {
    const double OneMinusE2 = 1.0 - E2;
    const double P = std::sqrt(X * X + Y * Y);
    Q = P * OneMinusE2;
    RadiusT = std::sqrt(Q * Q + Z * Z);
    const double SinT = Z / RadiusT;
    const double H0 = RadiusT / OneMinusE2 - A / std::sqrt(1.0 - E2 * SinT * SinT);
    V = Z - H0 * E2 * SinT;
    RadiusLat = std::sqrt(Q * Q + V * V);
    SinLat = V / RadiusLat;
    H = RadiusLat / OneMinusE2 - A / std::sqrt(1.0 - E2 * SinLat * SinLat);
}

void FinishGeo(double X, double Y, double Q, double V, double RadiusT, double RadiusLat, double SinLat,
               double StepH, double A, double& Lat, double& Lon, double& H, TLatitudeTrig* Trig) {
    if (X == 0.0 && Y == 0.0) {
        Lon = HalfPi; // any longitude is right on the axis
    } else {
        Lon = std::atan2(Y, X);
        if (Lon < 0.0) Lon += TwoPi;
        // -1e-17 + 2 pi rounds to 2 pi, which is outside [0, 2 pi).
        if (Lon >= TwoPi) Lon = 0.0;
    }
    if (RadiusT == 0.0) {
        // The centre (or so close that the squares underflow): the latitude is taken as 0, and along
        // that equatorial normal the height is -a.
        Lat = 0.0;
        H = -A;
        if (Trig) *Trig = {0.0, 1.0};
        return;
    }
    Lat = std::atan2(V, Q);
    H = StepH;
    // On the axis (Q = 0) the quotient would give a cosine of exactly 0, where cos(atan2(V, 0)) is not.
    if (Trig) *Trig = {SinLat, Q > 0.0 ? Q / RadiusLat : std::cos(Lat)};
}

} // namespace

void GeoToXYZ(double Lat, double Lon, double H, double A, double E2, double& X, double& Y, double& Z) {
    XYZFromTrig(std::sin(Lat), std::cos(Lat), std::sin(Lon), std::cos(Lon), H, A, E2, X, Y, Z);
}

void GeoToXYZMany(const double* Lat, const double* Lon, const double* H, std::size_t N, double A, double E2,
                  double* X, double* Y, double* Z) {
    ForEachPiece(N, [=](std::size_t First, std::size_t Count) { // copies: no reload after a store
        double SinLat[PositionPiece], CosLat[PositionPiece], SinLon[PositionPiece], CosLon[PositionPiece];
        SinCosMany(Lat + First, Count, SinLat, CosLat);
        SinCosMany(Lon + First, Count, SinLon, CosLon);
        for (std::size_t I = 0; I < Count; ++I)
            XYZFromTrig(SinLat[I], CosLat[I], SinLon[I], CosLon[I], H[First + I], A, E2, X[First + I],
                        Y[First + I], Z[First + I]);
    });
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
    double Q = 0, V = 0, RadiusT = 0, RadiusLat = 0, SinLat = 0, StepH = 0;
    BowringStep(X, Y, Z, A, E2, Q, V, RadiusT, RadiusLat, SinLat, StepH);
    FinishGeo(X, Y, Q, V, RadiusT, RadiusLat, SinLat, StepH, A, Lat, Lon, H, Trig);
}

void XYZToGeoMany(const double* X, const double* Y, const double* Z, std::size_t N, double A, double E2,
                  double* Lat, double* Lon, double* H, double* Sin, double* Cos) {
    ForEachPiece(N, [=](std::size_t First, std::size_t Count) { // copies: no reload after a store
        double Q[PositionPiece], V[PositionPiece], RadiusT[PositionPiece], RadiusLat[PositionPiece],
            SinLat[PositionPiece], StepH[PositionPiece];
        for (std::size_t I = 0; I < Count; ++I)
            BowringStep(X[First + I], Y[First + I], Z[First + I], A, E2, Q[I], V[I], RadiusT[I], RadiusLat[I],
                        SinLat[I], StepH[I]);
        for (std::size_t I = 0; I < Count; ++I) {
            const std::size_t At = First + I;
            TLatitudeTrig Trig;
            FinishGeo(X[At], Y[At], Q[I], V[I], RadiusT[I], RadiusLat[I], SinLat[I], StepH[I], A, Lat[At],
                      Lon[At], H[At], &Trig);
            Sin[At] = Trig.Sin;
            Cos[At] = Trig.Cos;
        }
    });
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
