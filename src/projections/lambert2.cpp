#include "projections/lambert2.hpp"

#include "crs/angles.hpp"
#include "crs/position_pieces.hpp"
#include "projections/param_text.hpp"
#include "projections/projection_math.hpp"
#include "projections/record_fields.hpp"
#include "text/catalogue_file.hpp"

#include <algorithm>
#include <cmath>

namespace vortane {

namespace {

// The longitude of the unscaled plane point (X, Y) whose latitude is Lat, on a cone of constant Cone with
// the origin parallel at radius Rho0 and central meridian Meridian.
double LongitudeAt(double Lat, double X, double Y, double Rho0, double Cone, double Meridian) {
    // A one-argument arctangent of the quotient: on the apex row (y = ρ0) the quotient is ±∞ and the
    // angle ±π/2. The apex itself (0/0) is the pole, where any longitude will do: take λ0, as for every
    // other point with x = 0.
    if (std::isnan(Lat)) return Lat;
    if (X == 0) return Meridian;
    return std::atan(X / (Rho0 - Y)) / Cone + Meridian;
}

} // namespace

TLambert2::TLambert2(const std::string& Line) : TPlaneProjection("") {
    TRecordFields Fields(Line);
    SpheroidCode = Fields.NextSpheroidCode();
    Name = Fields.NextText();
    FalseNorthing = Fields.NextNumber(0.0);
    FalseEasting = Fields.NextNumber(0.0);
    Fields.SkipField(); // reserved
    Fields.SkipField(); // reserved
    ScaleFactor = Fields.NextNumber(1.0);
    CentralMeridian = Fields.NextNumber(0.0);
    if (CentralMeridian < 0) CentralMeridian += 2 * Pi;
    StdParallel1 = Fields.NextNumber(0.0);
    StdParallel2 = Fields.NextNumber(0.0);
    OriginLatitude = Fields.NextNumber(0.0);
    TLambert2::ComputeConstants();
}

std::unique_ptr<TProjection> TLambert2::Clone() const {
    return std::make_unique<TLambert2>(*this);
}

double TLambert2::IsoT(double Phi, double E) {
    return std::tan(Pi / 4 - Phi / 2) / EccentricityFactor(Phi, E);
}

void TLambert2::ComputeConstants() {
    const double A = Spheroid.A;
    FM1 = ParallelRadius(Spheroid, StdParallel1) / A;
    FM2 = ParallelRadius(Spheroid, StdParallel2) / A;
    FEcc = std::sqrt(Spheroid.E2());
    FT1 = IsoT(StdParallel1, FEcc);
    FT2 = IsoT(StdParallel2, FEcc);
    // Equal parallels make this 0/0 = NaN, which then shows in every result.
    FCone = (std::log(FM1) - std::log(FM2)) / (std::log(FT1) - std::log(FT2));
    FConeF = FM1 / (FCone * std::pow(FT1, FCone));
    FRho0 = A * FConeF * std::pow(IsoT(OriginLatitude, FEcc), FCone);
    FLatitude = TConformalInverse(FEcc);
    Ready = true;
}

void TLambert2::GeoToXY(double Lat, double Lon, double& X, double& Y) const {
    const double Theta = FCone * LonDifference(Lon, CentralMeridian);
    const double Rho = Spheroid.A * FConeF * std::pow(IsoT(Lat, FEcc), FCone);
    X = Rho * std::sin(Theta);
    Y = FRho0 - Rho * std::cos(Theta);
}

int TLambert2::XYToGeo(double X, double Y, double& Lat, double& Lon) const {
    const double Sign = FCone > 0 ? 1.0 : (FCone < 0 ? -1.0 : 0.0);
    const double DY = FRho0 - Y;
    const double Rho = Sign * std::sqrt(X * X + DY * DY); // plane metres: no overflow to guard against
    const double TPrime = std::pow(Rho / (Spheroid.A * FConeF), 1 / FCone);
    // t' = tan(π/4 − χ/2) of the conformal latitude χ, so tan χ = (1/t' − t')/2.
    const TLatitudeResult Result = FLatitude((1 / TPrime - TPrime) / 2);
    Lat = Result.Lat;
    Lon = LongitudeAt(Lat, X, Y, FRho0, FCone, CentralMeridian);
    return Result.Steps;
}

void TLambert2::ProjToGeoMany(const double* X, const double* Y, std::size_t N, double* Lat, double* Lon,
                              double* H) const {
    // Local copies, which the loops need not reload after each store.
    const double Sign = FCone > 0 ? 1.0 : (FCone < 0 ? -1.0 : 0.0);
    const double Rho0 = FRho0, RhoScale = Spheroid.A * FConeF, Exponent = 1 / FCone, Cone = FCone,
                 Meridian = CentralMeridian;
    const TFalseOrigin Origin = *this;
    std::fill_n(H, N, 0.0);
    ForEachPiece(N, [=, this](std::size_t First, std::size_t Count) { // copies: no reload after a store
        double PlaneX[PositionPiece], PlaneY[PositionPiece], Base[PositionPiece];
        double TauPrime[PositionPiece] = {}; // initialised only to quiet a false warning
        for (std::size_t I = 0, At = First; I < Count; ++I, ++At) {
            Origin.GridToXY(X[At], Y[At], PlaneX[I], PlaneY[I]);
            const double DY = Rho0 - PlaneY[I];
            Base[I] = Sign * std::sqrt(PlaneX[I] * PlaneX[I] + DY * DY) / RhoScale;
        }
        for (std::size_t I = 0; I < Count; ++I)
            Base[I] = std::pow(Base[I], Exponent);
        for (std::size_t I = 0; I < Count; ++I)
            TauPrime[I] = (1 / Base[I] - Base[I]) / 2;
        FLatitude.Many(TauPrime, Count, Lat + First);
        for (std::size_t I = 0, At = First; I < Count; ++I, ++At)
            Lon[At] = LongitudeAt(Lat[At], PlaneX[I], PlaneY[I], Rho0, Cone, Meridian);
    });
}

// The standard parallels are not part of the text.
std::string TLambert2::GetParamText() const {
    return OriginParamText(FalseNorthing, FalseEasting, ScaleFactor, " Centr.Mer.=", CentralMeridian,
                           " Centr.Lat.=", OriginLatitude);
}

bool TLambert2List::LoadFromFile(const std::string& FileName) {
    return AddCatalogueEntries<TLambert2>(*this, FileName);
}

} // namespace vortane
