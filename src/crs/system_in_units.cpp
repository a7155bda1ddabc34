#include "crs/system_in_units.hpp"

namespace vortane {

TSystemInUnits::TSystemInUnits(std::unique_ptr<TProjection> Metric, double UnitMetres)
    : TProjection(Metric->Name), FMetric(std::move(Metric)), FUnitMetres(UnitMetres) {
    Spheroid = FMetric->Spheroid;
    ExactForm = FMetric->ExactForm;
}

TSystemInUnits::TSystemInUnits(const TSystemInUnits& Other)
    : TProjection(Other), FMetric(Other.FMetric->Clone()), FUnitMetres(Other.FUnitMetres) {}

void TSystemInUnits::ToUnits(double& X, double& Y, double& Z) const {
    X /= FUnitMetres;
    Y /= FUnitMetres;
    Z /= FUnitMetres;
}

void TSystemInUnits::GeoToProj(double Lat, double Lon, double H, double& X, double& Y, double& Z) const {
    FMetric->GeoToProj(Lat, Lon, H, X, Y, Z);
    ToUnits(X, Y, Z);
}

void TSystemInUnits::GeoToProjWithTrig(double Lat, TLatitudeTrig Trig, double Lon, double H, double& X,
                                       double& Y, double& Z) const {
    FMetric->GeoToProjWithTrig(Lat, Trig, Lon, H, X, Y, Z);
    ToUnits(X, Y, Z);
}

void TSystemInUnits::GeoToProjNear(double Lat, double Lon, double H, double NearX, double NearY, double& X,
                                   double& Y, double& Z) const {
    FMetric->GeoToProjNear(Lat, Lon, H, NearX * FUnitMetres, NearY * FUnitMetres, X, Y, Z);
    ToUnits(X, Y, Z);
}

void TSystemInUnits::ProjToGeo(double X, double Y, double Z, double& Lat, double& Lon, double& H) const {
    FMetric->ProjToGeo(X * FUnitMetres, Y * FUnitMetres, Z * FUnitMetres, Lat, Lon, H);
}

void TSystemInUnits::ComputeConstants() {
    if (FMetric) FMetric->SetSpheroid(Spheroid);
    Ready = true;
}

} // namespace vortane
