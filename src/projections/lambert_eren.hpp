#pragma once
// Lambert conformal conic with two standard parallels, variant Eren ("LambEren.dat", type "LAMBEREN").
// It differs from TLambert2 in results and file format: the apex of the cone sits at the fixed unscaled
// plane point (1 300 000, 15 000 000) whatever the latitude of origin; it is written with the isometric
// latitude q(φ); the entry keeps a latitude that is shown as its central latitude. Eastings and northings are
// metres.

#include "projections/false_origin.hpp"
#include "projections/projection_math.hpp"

#include <memory>
#include <string>

namespace vortane {

class TLambEren final : public TPlaneProjection<TLambEren> {
public:
    // From one decoded record: spheroid code, name, false northing, false easting, two reserved fields
    // (any text), scale factor, central meridian (radians, kept as read), first and second standard
    // parallel, start latitude of the inverse (radians).
    explicit TLambEren(const std::string& Line);

    // Conversions (TPlaneProjection): GeoToProj: equal standard parallels, or a latitude of −90°, give NaN.
    // ProjToGeo: NaN when the point has no position (zero scale factor, beyond the apex, NaN input).

    std::string GetParamText() const override;
    std::unique_ptr<TProjection> Clone() const override;
    // Derives the cone from Spheroid and the standard parallels; sets Ready.
    void ComputeConstants() override;

    // q(φ) = ln( tan(π/4 + φ/2) · ((1 − e·sin φ)/(1 + e·sin φ))^(e/2) ) on the own spheroid.
    double IsoLat(double Phi) const;
    // Unscaled plane point of (Lat, Lon).
    void GeoToXY(double Lat, double Lon, double& X, double& Y) const;
    // Latitude and longitude of the unscaled plane point (X, Y); returns the latitude steps taken. (Lat's
    // incoming value, once the start of a fixed-point iteration, is not used.)
    int XYToGeo(double X, double Y, double& Lat, double& Lon) const;

    std::string SpheroidCode;     // at most 3 characters
    double CentralMeridian = 0.0; // λ0, radians
    double StdParallel1 = 0.0;    // φ1, radians
    double StdParallel2 = 0.0;    // φ2, radians
    double StartLatitude = 0.0;   // radians; shown as the central latitude, moves no point

private:
    double FEcc = 0.0;           // first eccentricity e
    TConformalInverse FLatitude; // the latitude of a conformal latitude on this spheroid
    double FConeN = 0.0;         // cone constant n
    double FConeK = 0.0;         // radius scale: ρ = K·exp(−n·q(φ)), metres
};

class TLamberEnList : public TCodeListOf<TLambEren> {
public:
    // Appends one entry per record of a stored "LambEren.dat". False when the file is missing or a read
    // error occurs (entries read before it stay).
    bool LoadFromFile(const std::string& FileName);
};

} // namespace vortane
