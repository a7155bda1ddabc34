#pragma once
// A coordinate system whose coordinates are lengths, given in another unit than the metre: every
// coordinate of the wrapped system divided by the unit's length in metres on the way out and
// multiplied by it on the way in. Every unit change of projected and geocentric coordinates goes
// through here, so no system needs to know about units.

#include "crs/projection.hpp"

#include <memory>

namespace vortane {

class TSystemInUnits final : public TProjection {
public:
    // Metric: a system whose coordinates are metres (not angles), with its spheroid set.
    // UnitMetres: metres per unit, positive.
    TSystemInUnits(std::unique_ptr<TProjection> Metric, double UnitMetres);
    TSystemInUnits(const TSystemInUnits& Other);

    std::string GetParamText() const override { return FMetric->GetParamText(); }
    void GeoToProj(double Lat, double Lon, double H, double& X, double& Y, double& Z) const override;
    void ProjToGeo(double X, double Y, double Z, double& Lat, double& Lon, double& H) const override;
    void GeoToProjWithTrig(double Lat, TLatitudeTrig Trig, double Lon, double H, double& X, double& Y,
                           double& Z) const override;
    void GeoToProjNear(double Lat, double Lon, double H, double NearX, double NearY, double& X, double& Y,
                       double& Z) const override;
    void ProjToGeoMany(const double* X, const double* Y, std::size_t N, double* Lat, double* Lon,
                       double* H) const override;
    void GeoToProjMany(const double* Lat, const double* Lon, const double* H, const double* Sin,
                       const double* Cos, std::size_t N, double* X, double* Y) const override;
    void GetAxisNames(std::string& XName, std::string& YName, std::string& ZName) const override {
        FMetric->GetAxisNames(XName, YName, ZName);
    }
    std::unique_ptr<TProjection> Clone() const override { return std::make_unique<TSystemInUnits>(*this); }
    // A new spheroid reaches the wrapped system.
    void ComputeConstants() override;
    std::string FormName() const override { return FMetric->FormName(); }

    double UnitMetres() const { return FUnitMetres; }

private:
    void ToUnits(double& X, double& Y, double& Z) const;
    std::unique_ptr<TProjection> FMetric;
    double FUnitMetres;
};

} // namespace vortane
