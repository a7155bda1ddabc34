#include "crs/angles.hpp"
#include "crs/position_pieces.hpp"
#include "crs/spheroid.hpp"

namespace vortane {

// Seven-parameter similarity transformation between two geocentric frames.
//
// Rotation sign convention: the rotations are those of the position vector convention, i.e. the
// rotation turns the point within one fixed frame, and a positive angle is anticlockwise seen from
// the positive end of its axis looking at the origin. The coordinate frame convention (which turns
// the axes instead) writes the same transformation with the signs of all three rotations reversed;
// its parameters must be negated before they are used here.
//
// Small-angle form: the rotation matrix R = Rx(rx) Ry(ry) Rz(rz) is replaced by its first-order
// expansion, cos r = 1 and sin r = r with products of angles dropped:
//
//         |  1   -rz   ry |
//     R = |  rz   1   -rx |
//         | -ry   rx   1  |
//
// For the few arc-seconds of real datum rotations the dropped terms are about 1e-10 relative. The
// scale difference s multiplies the coordinates only, not the rotation terms:
//
//     X' = X (1 + s) - rz Y + ry Z + dx
//     Y' = rz X + Y (1 + s) - rx Z + dy
//     Z' = -ry X + rx Y + Z (1 + s) + dz
//
// which differs from the product (1 + s) R X by s (R - I) X, under a millimetre for real datums.
namespace {

void ShiftXYZ(const THelmertParameters& P, double X, double Y, double Z, double& ShiftedX, double& ShiftedY,
              double& ShiftedZ) {
    const double Factor = 1.0 + P.Scale;
    ShiftedX = X * Factor - P.RZ * Y + P.RY * Z + P.DX;
    ShiftedY = P.RZ * X + Y * Factor - P.RX * Z + P.DY;
    ShiftedZ = -P.RY * X + P.RX * Y + Z * Factor + P.DZ;
}

} // namespace

void TSpheroid::HelmertShift(double Lat, double Lon, double H, const TSpheroid& Target, double Scale,
                             double DX, double DY, double DZ, double RX, double RY, double RZ, double& Lat2,
                             double& Lon2, double& H2, TLatitudeTrig* Trig2) const {
    double X = 0.0, Y = 0.0, Z = 0.0;
    GeoToXYZ(Lat, Lon, H, A, E2(), X, Y, Z);
    double ShiftedX = 0.0, ShiftedY = 0.0, ShiftedZ = 0.0;
    ShiftXYZ({Scale, DX, DY, DZ, RX, RY, RZ}, X, Y, Z, ShiftedX, ShiftedY, ShiftedZ);
    XYZToGeo(ShiftedX, ShiftedY, ShiftedZ, Target.A, Target.E2(), Lat2, Lon2, H2, Trig2);
}

void TSpheroid::HelmertShiftMany(const double* Lat, const double* Lon, const double* H, std::size_t N,
                                 const TSpheroid& Target, const THelmertParameters& Parameters, double* Lat2,
                                 double* Lon2, double* H2, double* Sin2, double* Cos2) const {
    const THelmertParameters P = Parameters; // a local copy the loop need not reload after each store
    ForEachPiece(N, [&](std::size_t First, std::size_t Count) {
        double X[PositionPiece], Y[PositionPiece], Z[PositionPiece];
        GeoToXYZMany(Lat + First, Lon + First, H + First, Count, A, E2(), X, Y, Z);
        for (std::size_t I = 0; I < Count; ++I)
            ShiftXYZ(P, X[I], Y[I], Z[I], X[I], Y[I], Z[I]);
        XYZToGeoMany(X, Y, Z, Count, Target.A, Target.E2(), Lat2 + First, Lon2 + First, H2 + First,
                     Sin2 + First, Cos2 + First);
    });
}

} // namespace vortane
