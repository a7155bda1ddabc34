#pragma once
// Ellipsoidal Lambert conformal conic with two standard parallels ("Lambert2.dat", type "LAMBERT2"), in
// closed form: the cone constant and the radius of the origin parallel come from the two standard
// parallels and the latitude of origin; the inverse finds the latitude from the conformal latitude
// (TConformalInverse). Eastings and northings are metres.

#include "projections/false_origin.hpp"
#include "projections/projection_math.hpp"

#include <memory>
#include <string>

namespace vortane {

class TLambert2 final : public TPlaneProjection<TLambert2> {
public:
    // From one decoded record: spheroid code, name, false northing, false easting, two reserved numbers,
    // scale factor, central meridian (radians; a negative value has 2π added), first and second
    // standard parallel, latitude of origin (radians).
    explicit TLambert2(const std::string& Line);

    // Conversions (TPlaneProjection): equal standard parallels leave the cone undefined: every conversion
    // then gives NaN. ProjToGeo also gives NaN when the point has no position (zero scale factor, the apex,
    // NaN input).

    std::string GetParamText() const override;
    std::unique_ptr<TProjection> Clone() const override;
    // The row form of ProjToGeo.
    void ProjToGeoMany(const double* X, const double* Y, std::size_t N, double* Lat, double* Lon,
                       double* H) const override;

    // Derives the cone constants from Spheroid and the parallels; sets Ready.
    void ComputeConstants() override;
    // t(φ) = tan(π/4 − φ/2) / ((1 − e·sin φ)/(1 + e·sin φ))^(e/2).
    static double IsoT(double Phi, double E);
    // Unscaled plane point of (Lat, Lon), relative to the false origin.
    void GeoToXY(double Lat, double Lon, double& X, double& Y) const;
    // Latitude and longitude of the unscaled plane point (X, Y); returns the latitude steps taken.
    int XYToGeo(double X, double Y, double& Lat, double& Lon) const;

    std::string SpheroidCode;     // at most 3 characters
    double CentralMeridian = 0.0; // λ0, radians, in [0, 2π) for values read from a record
    double StdParallel1 = 0.0;    // φ1, radians
    double StdParallel2 = 0.0;    // φ2, radians
    double OriginLatitude = 0.0;  // φ0, radians: its parallel passes through the false origin

private:
    double FM1 = 0.0;            // N(φ1)·cos φ1 / a
    double FM2 = 0.0;            // N(φ2)·cos φ2 / a
    double FT1 = 0.0;            // t(φ1)
    double FT2 = 0.0;            // t(φ2)
    double FCone = 0.0;          // n, the cone constant
    double FConeF = 0.0;         // F: ρ = a·F·t(φ)ⁿ
    double FRho0 = 0.0;          // ρ of the origin parallel, metres
    double FEcc = 0.0;           // first eccentricity e
    TConformalInverse FLatitude; // the latitude of a conformal latitude on this spheroid
};

class TLambert2List : public TCodeListOf<TLambert2> {
public:
    // Appends one entry per record of a stored "Lambert2.dat". False when the file is missing or a read
    // error occurs (entries read before it stay).
    bool LoadFromFile(const std::string& FileName);
};

} // namespace vortane
