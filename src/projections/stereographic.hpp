#pragma once
// Oblique ellipsoidal stereographic projection ("stereo.dat", type "STEREOGRAPHIC") centred on (λ0, φ0)
// with scale factor k0 there. Evaluated by power series about the origin, which agree with the double
// (conformal-sphere) stereographic projection to the millimetre within 1° of the origin and to a few
// centimetres within 3°.

#include "projections/origin_series.hpp"

#include <memory>
#include <string>

namespace vortane {

// The double stereographic projection in closed form (EPSG method 9809), without scale factor and
// false origin: the spheroid is mapped conformally onto a sphere of radius R = √(ρ0·ν0) by
// ψs = n·ψ + K, Λ = n·Δλ (ψ the isometric latitude), and the sphere stereographically onto the plane
// tangent at the image of the origin.
struct TDoubleStereographic {
    TDoubleStereographic() = default;
    TDoubleStereographic(const TSpheroid& Spheroid, double OriginLatitude);
    static constexpr const char* Name = "double stereographic"; // in logs and listings

    // Latitude and longitude difference from λ0 (radians) to offsets east (X) and north (Y), metres.
    void Forward(double Lat, double DLon, double& X, double& Y) const;
    void Reverse(double X, double Y, double& Lat, double& DLon) const;

    double E = 0.0;        // first eccentricity
    double E2 = 0.0;       // e²
    double N = 1.0;        // ratio of sphere to spheroid longitudes and isometric latitudes
    double K = 0.0;        // offset of the sphere's isometric latitude
    double Diameter = 0.0; // 2R, metres
    double SinChi0 = 0.0;  // sine and cosine of the origin's latitude on the sphere
    double CosChi0 = 1.0;
};

class TStereoProj final : public TSeriesProjectionWith<TDoubleStereographic> {
public:
    explicit TStereoProj(const std::string& Line) : TSeriesProjectionWith(Line) {
        TStereoProj::ComputeConstants();
    }

    std::string GetParamText() const override;
    std::unique_ptr<TProjection> Clone() const override;
    void ComputeConstants() override;
};

class TStereoProjList : public TCodeListOf<TStereoProj> {
public:
    // Appends one entry per record of a stored "stereo.dat". False when the file is missing or a read
    // error occurs (entries read before it stay).
    bool LoadFromFile(const std::string& FileName);
};

} // namespace vortane
