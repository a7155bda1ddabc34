#include "crs/system_in_units.hpp"

#include "crs/position_pieces.hpp"

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

void TSystemInUnits::ProjToGeoMany(const double* X, const double* Y, std::size_t N, double* Lat, double* Lon,
                                   double* H) const {
    ForEachPiece(N, [&](std::size_t First, std::size_t Count) {
        double MetricX[PositionPiece], MetricY[PositionPiece];
        for (std::size_t I = 0; I < Count; ++I) {
            MetricX[I] = X[First + I] * FUnitMetres;
            MetricY[I] = Y[First + I] * FUnitMetres;
        }
        FMetric->ProjToGeoMany(MetricX, MetricY, Count, Lat + First, Lon + First, H + First);
    });
}

void TSystemInUnits::GeoToProjMany(const double* Lat, const double* Lon, const double* H, const double* Sin,
                                   const double* Cos, std::size_t N, double* X, double* Y) const {
    FMetric->GeoToProjMany(Lat, Lon, H, Sin, Cos, N, X, Y);
    for (std::size_t I = 0; I < N; ++I) {
        X[I] /= FUnitMetres;
        Y[I] /= FUnitMetres;
    }
}

void TSystemInUnits::ComputeConstants() {
    if (FMetric) FMetric->SetSpheroid(Spheroid);
    Ready = true;
}

} // namespace vortane
