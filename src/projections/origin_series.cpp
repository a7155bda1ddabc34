#include "projections/origin_series.hpp"

#include "projections/param_text.hpp"
#include "projections/projection_math.hpp"
#include "projections/record_fields.hpp"

#include <cmath>

namespace vortane {

// Horner's scheme in n for each power of e²:
//   n·(N1 + n·(N2 + n·(N3 + n·(N4 + n·N5))))
//   + e²·(E2 + n·(N1E2 + n·(N2E2 + n·N3E2)))
//   + e⁴·(E4 + n·N1E4)
double TNorthSeries::Evaluate(double N, double E) const {
    const double EE = E * E;
    const double Pure = N * (N1 + N * (N2 + N * (N3 + N * (N4 + N * N5))));
    const double WithE2 = E2 + N * (N1E2 + N * (N2E2 + N * N3E2));
    const double WithE4 = E4 + N * N1E4;
    return Pure + EE * (WithE2 + EE * WithE4);
}

// e·[(E1 + n·(N1E1 + n·(N2E1 + n·(N3E1 + n·N4E1)))) + e²·((E3 + n·(N1E3 + n·N2E3)) + e²·E5)].
// Every term holds e, so the result is exactly 0 on e = 0.
double TEastSeries::Evaluate(double N, double E) const {
    const double EE = E * E;
    const double WithE1 = E1 + N * (N1E1 + N * (N2E1 + N * (N3E1 + N * N4E1)));
    const double WithE3 = E3 + N * (N1E3 + N * N2E3);
    return E * (WithE1 + EE * (WithE3 + EE * E5));
}

TSeriesProjection::TSeriesProjection(const std::string& Line) : TPlaneProjection("") {
    TRecordFields Fields(Line);
    SpheroidCode = Fields.NextSpheroidCode();
    Name = Fields.NextText();
    FalseNorthing = Fields.NextNumber(0.0);
    FalseEasting = Fields.NextNumber(0.0);
    ScaleFactor = Fields.NextNumber(1.0);
    CentralMeridian = Fields.NextNumber(0.0);
    OriginLatitude = Fields.NextNumber(0.0);
}

TSeriesProjection::TOriginTerms TSeriesProjection::OriginTerms() const {
    const double t = std::tan(OriginLatitude);
    const double c = std::cos(OriginLatitude);
    const double N = Spheroid.RadiusN(OriginLatitude);
    const double eta2 = Spheroid.Eta2(OriginLatitude);
    const double c2 = c * c;
    const double c4 = c2 * c2;
    const double eta4 = eta2 * eta2;
    return {.t = t,
            .T = t * t,
            .c = c,
            .c2 = c2,
            .c3 = c2 * c,
            .c4 = c4,
            .c5 = c4 * c,
            .N = N,
            .N2 = N * N,
            .N3 = N * N * N,
            .N4 = N * N * N * N,
            .N5 = N * N * N * N * N,
            .eta2 = eta2,
            .eta4 = eta4,
            .eta6 = eta4 * eta2};
}

void TSeriesProjection::GeoToXY(double Lat, double Lon, double& X, double& Y) const {
    const double DPhi = Lat - OriginLatitude;
    const double DLam = LonDifference(Lon, CentralMeridian);
    if (ExactForm) {
        ClosedGeoToXY(Lat, DLam, X, Y);
        return;
    }
    Y = FNorthing.Evaluate(DPhi, DLam);
    X = FEasting.Evaluate(DPhi, DLam);
}

void TSeriesProjection::XYToGeo(double U, double V, double& Lat, double& Lon) const {
    if (ExactForm) {
        double DLon = 0.0;
        ClosedXYToGeo(U, V, Lat, DLon);
        Lon = CentralMeridian + DLon;
        return;
    }
    Lat = OriginLatitude + FLatitude.Evaluate(V, U);
    Lon = CentralMeridian + FLongitude.Evaluate(V, U);
}

void TSeriesProjection::ProjToGeo(double X, double Y, double Z, double& Lat, double& Lon, double& H) const {
    H = Z;
    Lat = 0.0;
    Lon = 0.0;
    // No position exists for a zero scale factor or for offsets whose series overflow (or for NaN):
    // the conversion answers 0, 0 rather than passing the fault on.
    if (ScaleFactor == 0.0) return;
    double U = 0.0;
    double V = 0.0;
    GridToXY(X, Y, U, V);
    double Phi = 0.0;
    double Lam = 0.0;
    XYToGeo(U, V, Phi, Lam);
    if (!std::isfinite(Phi) || !std::isfinite(Lam)) return;
    Lat = Phi;
    Lon = Lam;
}

} // namespace vortane
