#include "projections/lambert_eren.hpp"

#include "crs/angles.hpp"
#include "projections/param_text.hpp"
#include "projections/projection_math.hpp"
#include "projections/record_fields.hpp"
#include "text/catalogue_file.hpp"

#include <cmath>

namespace vortane {

namespace {
// Unscaled plane position of the apex of the cone, metres.
constexpr double ApexX = 1300000.0;
constexpr double ApexY = 15000000.0;
} // namespace

TLambEren::TLambEren(const std::string& Line) : TPlaneProjection("") {
    TRecordFields Fields(Line);
    SpheroidCode = Fields.NextSpheroidCode();
    Name = Fields.NextText();
    FalseNorthing = Fields.NextNumber(0.0);
    FalseEasting = Fields.NextNumber(0.0);
    Fields.SkipField(); // reserved, may hold any text
    Fields.SkipField(); // reserved, may hold any text
    ScaleFactor = Fields.NextNumber(1.0);
    CentralMeridian = Fields.NextNumber(0.0);
    StdParallel1 = Fields.NextNumber(0.0);
    StdParallel2 = Fields.NextNumber(0.0);
    StartLatitude = Fields.NextNumber(0.0);
    TLambEren::ComputeConstants();
}

std::unique_ptr<TProjection> TLambEren::Clone() const {
    return std::make_unique<TLambEren>(*this);
}

double TLambEren::IsoLat(double Phi) const {
    return std::log(std::tan(Pi / 4 + Phi / 2) * EccentricityFactor(Phi, FEcc));
}

// Equal parallels make n = 0/0 = NaN, which then shows in every result.
void TLambEren::ComputeConstants() {
    FEcc = std::sqrt(Spheroid.E2());
    const double Q1 = IsoLat(StdParallel1);
    const double Q2 = IsoLat(StdParallel2);
    const double Parallel1Radius = ParallelRadius(Spheroid, StdParallel1);
    const double Parallel2Radius = ParallelRadius(Spheroid, StdParallel2);
    FConeN = (std::log(Parallel1Radius) - std::log(Parallel2Radius)) / (Q2 - Q1);
    FConeK = Parallel1Radius / (FConeN * std::exp(-FConeN * Q1));
    FLatitude = TConformalInverse(FEcc);
    Ready = true;
}

void TLambEren::GeoToXY(double Lat, double Lon, double& X, double& Y) const {
    const double Rho = FConeK * std::exp(-FConeN * IsoLat(Lat));
    const double Theta = FConeN * LonDifference(Lon, CentralMeridian);
    X = ApexX + Rho * std::sin(Theta);
    Y = ApexY - Rho * std::cos(Theta);
}

int TLambEren::XYToGeo(double X, double Y, double& Lat, double& Lon) const {
    const double DX = X - ApexX;
    const double DY = ApexY - Y;
    // A one-argument arctangent of the quotient; on the apex row (DY = 0) the quotient is ±∞ and the
    // angle ±π/2. With DX = 0 the angle is 0, which also settles the apex itself (0/0, the pole).
    const double Theta = DX == 0 ? 0.0 : std::atan(DX / DY);
    const double SinTheta = std::sin(Theta);
    const double Rho = SinTheta == 0 ? DY : DX / SinTheta;
    const double Qp = -std::log(Rho / FConeK) / FConeN;
    // The isometric latitude q' of the conformal latitude χ: tan χ = sinh q'.
    const TLatitudeResult Result = FLatitude(std::sinh(Qp));
    Lat = Result.Lat;
    Lon = std::isnan(Lat) ? Lat : Theta / FConeN + CentralMeridian;
    return Result.Steps;
}

std::string TLambEren::GetParamText() const {
    return OriginParamText(FalseNorthing, FalseEasting, ScaleFactor, " Centr.Mer.=", CentralMeridian,
                           " Centr.Lat.=", StartLatitude);
}

bool TLamberEnList::LoadFromFile(const std::string& FileName) {
    return AddCatalogueEntries<TLambEren>(*this, FileName);
}

} // namespace vortane
