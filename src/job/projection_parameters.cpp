#include "job/projection_parameters.hpp"

#include "projections/lambert1.hpp"
#include "projections/lambert2.hpp"
#include "projections/stereographic.hpp"
#include "projections/tm_grid.hpp"
#include "projections/transverse_mercator.hpp"

#include <cmath>
#include <numbers>

namespace vortane {

namespace {

constexpr double MetreTolerance = 1e-3;
constexpr double DegreeTolerance = 1e-7;
constexpr double ScaleTolerance = 1e-9;

constexpr double Degrees(double Radians) {
    return Radians * 180.0 / std::numbers::pi;
}

// The origin, scale and false origin of the systems that keep them as a series projection does.
TKeyProjection OriginParameters(EKeyMethod Method, const TSeriesProjection& System) {
    TKeyProjection Parameters;
    Parameters.Method = Method;
    Parameters.OriginLongitude = Degrees(System.CentralMeridian);
    Parameters.OriginLatitude = Degrees(System.OriginLatitude);
    Parameters.ScaleFactor = System.ScaleFactor;
    Parameters.FalseEasting = System.FalseEasting;
    Parameters.FalseNorthing = System.FalseNorthing;
    return Parameters;
}

bool Near(double First, double Second, double Tolerance) {
    return std::abs(First - Second) <= Tolerance;
}

bool SameLongitude(double First, double Second) {
    const double Difference = std::remainder(First - Second, 360.0);
    return std::abs(Difference) <= DegreeTolerance;
}

} // namespace

std::optional<TKeyProjection> ParametersOf(const TProjection& System) {
    if (dynamic_cast<const TTMGrid*>(&System)) return std::nullopt;
    if (const auto* Mercator = dynamic_cast<const TTransMerc*>(&System)) {
        TKeyProjection Parameters;
        Parameters.Method = EKeyMethod::TransverseMercator;
        Parameters.OriginLongitude = Degrees(Mercator->CentralMeridian);
        Parameters.OriginLatitude = Degrees(Mercator->OriginLatitude);
        Parameters.ScaleFactor = Mercator->ScaleFactor;
        Parameters.FalseEasting = Mercator->FalseEasting;
        Parameters.FalseNorthing = Mercator->FalseNorthing;
        return Parameters;
    }
    if (const auto* Conic = dynamic_cast<const TLambert1*>(&System))
        return OriginParameters(EKeyMethod::LambertConic1SP, *Conic);
    if (const auto* Stereo = dynamic_cast<const TStereoProj*>(&System))
        return OriginParameters(EKeyMethod::ObliqueStereographic, *Stereo);
    if (const auto* Conic = dynamic_cast<const TLambert2*>(&System)) {
        // The two-parallel form has no scale factor of its own: only entries at scale 1 are one.
        if (!Near(Conic->ScaleFactor, 1.0, ScaleTolerance)) return std::nullopt;
        TKeyProjection Parameters;
        Parameters.Method = EKeyMethod::LambertConic2SP;
        Parameters.OriginLongitude = Degrees(Conic->CentralMeridian);
        Parameters.OriginLatitude = Degrees(Conic->OriginLatitude);
        Parameters.StdParallel1 = Degrees(Conic->StdParallel1);
        Parameters.StdParallel2 = Degrees(Conic->StdParallel2);
        Parameters.FalseEasting = Conic->FalseEasting;
        Parameters.FalseNorthing = Conic->FalseNorthing;
        return Parameters;
    }
    return std::nullopt;
}

std::string DefiningSpheroidCode(const TProjection& System) {
    if (const auto* Mercator = dynamic_cast<const TTransMerc*>(&System)) return Mercator->SpheroidCode;
    if (const auto* Series = dynamic_cast<const TSeriesProjection*>(&System)) return Series->SpheroidCode;
    if (const auto* Conic = dynamic_cast<const TLambert2*>(&System)) return Conic->SpheroidCode;
    return {};
}

bool SameParameters(const TKeyProjection& First, const TKeyProjection& Second) {
    const auto NearAngle = [](double A, double B) { return Near(A, B, DegreeTolerance); };
    const bool SameParallels = (NearAngle(First.StdParallel1, Second.StdParallel1) &&
                                NearAngle(First.StdParallel2, Second.StdParallel2)) ||
                               (NearAngle(First.StdParallel1, Second.StdParallel2) &&
                                NearAngle(First.StdParallel2, Second.StdParallel1));
    return First.Method == Second.Method && First.Method != EKeyMethod::None &&
           SameLongitude(First.OriginLongitude, Second.OriginLongitude) &&
           NearAngle(First.OriginLatitude, Second.OriginLatitude) && SameParallels &&
           Near(First.ScaleFactor, Second.ScaleFactor, ScaleTolerance) &&
           Near(First.FalseEasting, Second.FalseEasting, MetreTolerance) &&
           Near(First.FalseNorthing, Second.FalseNorthing, MetreTolerance);
}

} // namespace vortane
