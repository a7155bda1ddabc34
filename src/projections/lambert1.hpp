#pragma once
// Lambert conformal conic with one standard parallel ("Lambert1.dat", type "LAMBERT1"): the cone touches
// the spheroid along the parallel of the origin latitude φ0. Evaluated by power series about the
// origin, which agree with the closed-form tangent cone to the millimetre within 1° of the origin and
// to about a centimetre within 3°.

#include "projections/origin_series.hpp"

#include <memory>
#include <string>

namespace vortane {

// The tangent cone in closed form (EPSG method 9801), without scale factor and false origin: the cone
// radius of a parallel is r = r0·exp(−n(ψ − ψ0)) with ψ the isometric latitude, n = sin φ0 and
// r0 = ν0·cot φ0 the radius of the origin parallel. An origin on the equator has no cone.
struct TTangentCone {
    TTangentCone() = default;
    TTangentCone(const TSpheroid& Spheroid, double OriginLatitude);
    static constexpr const char* Name = "closed form"; // in logs and listings

    // Latitude and longitude difference from λ0 (radians) to offsets east (X) and north (Y), metres.
    void Forward(double Lat, double DLon, double& X, double& Y) const;
    void Reverse(double X, double Y, double& Lat, double& DLon) const;

    double E = 0.0;    // first eccentricity
    double N = 0.0;    // cone constant sin φ0
    double R0 = 0.0;   // cone radius of the origin parallel, metres
    double Psi0 = 0.0; // isometric latitude of the origin
};

class TLambert1 final : public TSeriesProjectionWith<TTangentCone> {
public:
    explicit TLambert1(const std::string& Line) : TSeriesProjectionWith(Line) {
        TLambert1::ComputeConstants();
    }

    std::string GetParamText() const override;
    std::unique_ptr<TProjection> Clone() const override;
    void ComputeConstants() override;
};

class TLambert1List : public TCodeListOf<TLambert1> {
public:
    // Appends one entry per record of a stored "Lambert1.dat". False when the file is missing or a read
    // error occurs (entries read before it stay).
    bool LoadFromFile(const std::string& FileName);
};

} // namespace vortane
