#include "projections/transverse_mercator.hpp"

#include "crs/angles.hpp"
#include "crs/position_pieces.hpp"
#include "projections/param_text.hpp"
#include "projections/record_fields.hpp"
#include "text/catalogue_file.hpp"

#include <algorithm>
#include <cmath>

namespace vortane {

namespace {

constexpr double TwoPi = 2.0 * Pi;

// A polynomial in e^2 up to e^8, one coefficient per power, 0 for a power a table lacks.
struct TPowersOfE2 {
    double One = 0.0;
    double e2 = 0.0;
    double e4 = 0.0;
    double e6 = 0.0;
    double e8 = 0.0;

    // The sum at E2 in the order above; a missing power adds an exact +0.
    double At(double E2) const {
        const double E4 = E2 * E2;
        return One + e2 * E2 + e4 * E4 + e6 * (E2 * E4) + e8 * (E4 * E4);
    }
};

// Meridian arc in powers of e^2 (Helmert's expansion):
//   M(phi) = (1 - e^2) a (S0 phi - S2/2 sin 2phi + S4/4 sin 4phi - S6/6 sin 6phi + S8/8 sin 8phi),
// one coefficient per monomial. The arc keeps every e^8 term, so that it agrees with the footpoint
// scale G = (1 - e^2) a S0 of the inverse: without them forward and inverse disagree by up to 1.3 cm
// near the poles.
constexpr TPowersOfE2 S0{
    .One = 1.0,
    .e2 = 3.0 / 4.0,
    .e4 = 45.0 / 64.0,
    .e6 = 175.0 / 256.0,
    .e8 = 11025.0 / 16384.0,
};
constexpr TPowersOfE2 S2{
    .e2 = 3.0 / 4.0,
    .e4 = 15.0 / 16.0,
    .e6 = 525.0 / 512.0,
    .e8 = 2205.0 / 2048.0,
};
constexpr TPowersOfE2 S4{
    .e4 = 15.0 / 64.0,
    .e6 = 105.0 / 256.0,
    .e8 = 2205.0 / 4096.0,
};
constexpr TPowersOfE2 S6{
    .e6 = 35.0 / 512.0,
    .e8 = 315.0 / 2048.0,
};
constexpr TPowersOfE2 S8{
    .e8 = 315.0 / 16384.0,
};

// A polynomial in T = tan^2 phi and eta^2 = e'^2 cos^2 phi of the series below: one coefficient per
// monomial, 0 for a monomial the series lacks, and the divisor the series writes under it.
struct TTEtaPolynomial {
    double One = 0.0;
    double T = 0.0;
    double T2 = 0.0;
    double eta2 = 0.0;
    double T_eta2 = 0.0;
    double T2_eta2 = 0.0;
    double eta4 = 0.0;
    double Divisor = 1.0;

    // The sum of the monomials at (TanSq, EtaSq) in the order above, without the divisor. A missing
    // monomial adds an exact +0, so each series sums its own terms just as written out.
    double At(double TanSq, double EtaSq) const {
        const double TanSq2 = TanSq * TanSq;
        return One + T * TanSq + T2 * TanSq2 + eta2 * EtaSq + T_eta2 * TanSq * EtaSq +
               T2_eta2 * TanSq2 * EtaSq + eta4 * (EtaSq * EtaSq);
    }
};

// Forward series, northing: Yr = M(phi) + Y2 L^2 + Y4 L^4 + Y6 L^6 with
//   Y2 = N sin cos / 2
//   Y4 = N sin cos^3 (5 - T + 9 eta^2 + 4 eta^4) / 24
//   Y6 = N sin cos^5 (61 - 58 T + T^2 + 270 eta^2 - 330 T eta^2) / 720
// (T = tan^2 phi, eta^2 = e'^2 cos^2 phi, N the prime-vertical radius).
constexpr double Y2Divisor = 2.0;
constexpr TTEtaPolynomial Y4{
    .One = 5.0,
    .T = -1.0,
    .eta2 = 9.0,
    .eta4 = 4.0,
    .Divisor = 24.0,
};
constexpr TTEtaPolynomial Y6{
    .One = 61.0,
    .T = -58.0,
    .T2 = 1.0,
    .eta2 = 270.0,
    .T_eta2 = -330.0,
    .Divisor = 720.0,
};

// Forward series, easting: Xr = X1 L + X3 L^3 + X5 L^5 with
//   X1 = N cos
//   X3 = N cos^3 (1 - T + eta^2) / 6
//   X5 = N cos^5 (5 - 18 T + T^2 + 14 eta^2 - 58 T eta^2) / 120
constexpr TTEtaPolynomial X3{
    .One = 1.0,
    .T = -1.0,
    .eta2 = 1.0,
    .Divisor = 6.0,
};
constexpr TTEtaPolynomial X5{
    .One = 5.0,
    .T = -18.0,
    .T2 = 1.0,
    .eta2 = 14.0,
    .T_eta2 = -58.0,
    .Divisor = 120.0,
};

// Inverse series, latitude: Lat = phi1 + V Xr^2 + P4 Xr^4 + P6 Xr^6 at the footpoint phi1 with
//   V  = -(1 + eta1^2) t1 / (2 N1^2)
//   P4 = (-V / (12 N1^2)) (5 + 3 T1 + eta1^2 (1 - 9 T1 - 4 eta1^2))
//   P6 = (V / (360 N1^4)) (61 + 90 T1 + 45 T1^2 + eta1^2 (46 - 252 T1 - 90 T1^2))
constexpr double VDivisor = 2.0;
constexpr TTEtaPolynomial P4{
    .One = 5.0,
    .T = 3.0,
    .eta2 = 1.0,
    .T_eta2 = -9.0,
    .eta4 = -4.0,
    .Divisor = 12.0,
};
constexpr TTEtaPolynomial P6{
    .One = 61.0,
    .T = 90.0,
    .T2 = 45.0,
    .eta2 = 46.0,
    .T_eta2 = -252.0,
    .T2_eta2 = -90.0,
    .Divisor = 360.0,
};

// Inverse series, longitude: Lon = lambda0 + Xr / (N1 cos1) - Q3 Xr^3 + Q5 Xr^5 with
//   Q3 = (1 + 2 T1 + eta1^2) / (6 N1^3 cos1)
//   Q5 = (5 + 28 T1 + 24 T1^2 + eta1^2 (6 + 8 T1)) / (120 N1^5 cos1)
constexpr TTEtaPolynomial Q3{
    .One = 1.0,
    .T = 2.0,
    .eta2 = 1.0,
    .Divisor = 6.0,
};
constexpr TTEtaPolynomial Q5{
    .One = 5.0,
    .T = 28.0,
    .T2 = 24.0,
    .eta2 = 6.0,
    .T_eta2 = 8.0,
    .Divisor = 120.0,
};

double PrimeVerticalRadius(double A, double E2, double SinLat) {
    return A / std::sqrt(1.0 - E2 * SinLat * SinLat);
}

double SecondEccentricitySquared(double E2) {
    return E2 / (1.0 - E2);
}

// Lon - Lambda0 the short way round, as NormLon gives it (which keeps a difference already in range).
double LonOffset(double Lon, double Lambda0) {
    const double Difference = Lon - Lambda0;
    return Difference >= -Pi && Difference <= Pi ? Difference : NormLon(Difference);
}

// The forward series at a latitude with cos(phi) > 0 and a longitude difference L: no call and no
// branch, so that a loop of it vectorises (inlined always: a call in the loop would stop that).
[[gnu::always_inline]] inline void SeriesPlane(const TArcFactors& Arc, double A, double E2, double Lat,
                                               double SinLat, double CosLat, double L, double& Xr,
                                               double& Yr) {
    const double N = PrimeVerticalRadius(A, E2, SinLat);
    const double eta2 = SecondEccentricitySquared(E2) * CosLat * CosLat;
    const double t = SinLat / CosLat;
    const double T = t * t;
    const double Cos2 = CosLat * CosLat;
    const double NCos = N * CosLat;
    const double NCos3 = NCos * Cos2;
    const double NCos5 = NCos3 * Cos2;
    const double L2 = L * L;

    const double y2 = NCos * SinLat / Y2Divisor;
    const double y4 = NCos3 * SinLat * Y4.At(T, eta2) * (1.0 / Y4.Divisor);
    const double y6 = NCos5 * SinLat * Y6.At(T, eta2) * (1.0 / Y6.Divisor);
    const double x1 = NCos;
    const double x3 = NCos3 * X3.At(T, eta2) * (1.0 / X3.Divisor);
    const double x5 = NCos5 * X5.At(T, eta2) * (1.0 / X5.Divisor);

    Yr = Arc.At(Lat, SinLat, CosLat) + L2 * (y2 + L2 * (y4 + L2 * y6));
    Xr = L * (x1 + L2 * (x3 + L2 * x5));
}

// The footpoint latitude of the inverse series, from mu = Yr / G and its sine and cosine.
[[gnu::always_inline]] inline double FootpointLatitude(double Mu, double SinMu, double CosMu, double F1,
                                                       double F2, double F3) {
    const double s = SinMu * SinMu;
    return Mu + 2.0 * SinMu * CosMu * (F1 - F2 * s + F3 * s * s);
}

// The inverse series about the footpoint Phi1 with its sine and cosine: no call and no branch.
[[gnu::always_inline]] inline void SeriesAtFootpoint(double Xr, double Phi1, double Sin1, double Cos1,
                                                     double Lambda0, double A, double E2, double& Lat,
                                                     double& Lon) {
    const double N1 = PrimeVerticalRadius(A, E2, Sin1);
    const double InvN1Sq = 1.0 / (N1 * N1);
    const double eta2 = SecondEccentricitySquared(E2) * Cos1 * Cos1;
    const double t1 = Sin1 / Cos1;
    const double T = t1 * t1;
    const double X2 = Xr * Xr;

    // The divisors as products with reciprocals: one division for each of N1² and N1·cos φ1.
    const double V = -(1.0 + eta2) * t1 * (1.0 / VDivisor) * InvN1Sq;
    const double p4 = -V * (1.0 / P4.Divisor) * InvN1Sq * P4.At(T, eta2);
    const double p6 = V * (1.0 / P6.Divisor) * InvN1Sq * InvN1Sq * P6.At(T, eta2);
    const double q1 = 1.0 / (N1 * Cos1);
    const double q3 = Q3.At(T, eta2) * (1.0 / Q3.Divisor) * InvN1Sq * q1;
    const double q5 = Q5.At(T, eta2) * (1.0 / Q5.Divisor) * InvN1Sq * InvN1Sq * q1;

    Lat = Phi1 + X2 * (V + X2 * (p4 + X2 * p6));
    Lon = Lambda0 + Xr * (q1 + X2 * (-q3 + X2 * q5));
}

} // namespace

TTransMerc::TTransMerc(const std::string& Line) : TTransMerc(TRecordFields(Line)) {}

TTransMerc::TTransMerc(TRecordFields&& Fields) : TProjection(std::string()) {
    SpheroidCode = Fields.NextSpheroidCode();
    Name = Fields.NextText();
    FalseNorthing = Fields.NextNumber(0.0);
    FalseEasting = Fields.NextNumber(0.0);
    ScaleFactor = Fields.NextNumber(1.0);
    CentralMeridian = Fields.NextNumber(0.0);
    if (CentralMeridian < 0.0) CentralMeridian += TwoPi;
    OriginLatitude = Fields.NextNumber(0.0);
    TTransMerc::ComputeConstants();
}

std::string TTransMerc::GetParamText() const {
    return OriginParamText(FalseNorthing, FalseEasting, ScaleFactor, " Centr.Mer.=", CentralMeridian,
                           " Centr.Lat.=", OriginLatitude);
}

void TTransMerc::GeoToProj(double Lat, double Lon, double H, double& X, double& Y, double& Z) const {
    GeoToProjFrom(Lat, nullptr, Lon, H, X, Y, Z);
}

void TTransMerc::GeoToProjWithTrig(double Lat, TLatitudeTrig Trig, double Lon, double H, double& X, double& Y,
                                   double& Z) const {
    GeoToProjFrom(Lat, &Trig, Lon, H, X, Y, Z);
}

void TTransMerc::GeoToProjFrom(double Lat, const TLatitudeTrig* Trig, double Lon, double H, double& X,
                               double& Y, double& Z) const {
    Z = H;
    if (std::isnan(Lat) || std::isnan(Lon)) {
        X = Y = std::nan("");
        return;
    }
    ForwardMetres(Lat, Lon, CentralMeridian, X, Y, Trig);
    ZeroOnFault(X, Y);
}

void TTransMerc::ProjToGeo(double X, double Y, double Z, double& Lat, double& Lon, double& H) const {
    H = Z;
    if (std::isnan(X) || std::isnan(Y)) {
        Lat = Lon = std::nan("");
        return;
    }
    InverseMetres(X, Y, Lat, Lon);
    ZeroOnFault(Lat, Lon);
}

void TTransMerc::GetAxisNames(std::string& XName, std::string& YName, std::string& ZName) const {
    MetreAxisNames(XName, YName, ZName);
}

void TTransMerc::ZeroOnFault(double& First, double& Second) {
    if (!(std::isfinite(First) && std::isfinite(Second))) First = Second = 0.0;
}

std::unique_ptr<TProjection> TTransMerc::Clone() const {
    return std::make_unique<TTransMerc>(*this);
}

void TTransMerc::ForwardMetres(double Lat, double Lon, double Lambda0, double& Easting, double& Northing,
                               const TLatitudeTrig* Trig) const {
    double Xr = 0.0;
    double Yr = 0.0;
    if (ExactForm)
        FKruger.Forward(Lat, NormLon(Lon - Lambda0), Xr, Yr);
    else if (Trig)
        SeriesForward(Lat, *Trig, Lon, Lambda0, FA, FE2, Xr, Yr);
    else
        GeoToXY(Lat, Lon, Lambda0, FA, FE2, Xr, Yr);
    XYToGrid(Xr, Yr, Lon, Easting, Northing);
}

void TTransMerc::InverseMetres(double Easting, double Northing, double& Lat, double& Lon) const {
    double Xr = 0.0;
    double Yr = 0.0;
    double Lambda0 = 0.0;
    GridToXY(Easting, Northing, Xr, Yr, Lambda0);
    if (ExactForm) {
        FKruger.Reverse(Xr, Yr, Lat, Lon);
        Lon += Lambda0;
    } else {
        XYToGeo(Xr, Yr, Lambda0, FA, FE2, Lat, Lon);
    }
}

void TTransMerc::ComputeConstants() {
    FA = Spheroid.A;
    FE2 = Spheroid.E2();
    const double e2 = FE2;
    const double s0 = S0.At(e2);
    const double s2 = S2.At(e2);
    const double s4 = S4.At(e2);
    const double s6 = S6.At(e2);
    FG = (1.0 - e2) * FA * s0;

    // Reversion of the arc series: phi = mu + H2 sin 2mu + H4 sin 4mu + H6 sin 6mu.
    const double h2 = s2 / (2.0 * s0) + s2 * s4 / (8.0 * s0 * s0) - s2 * s2 * s2 / (16.0 * s0 * s0 * s0);
    const double h4 = s2 * s2 / (4.0 * s0 * s0) - s4 / (4.0 * s0);
    const double h6 =
        s6 / (6.0 * s0) - 3.0 * s2 * s4 / (8.0 * s0 * s0) + 3.0 * s2 * s2 * s2 / (16.0 * s0 * s0 * s0);
    // The same sum with one sine: mu + sin 2mu (F1 - F2 sin^2 mu + F3 sin^4 mu).
    FF1 = h2 + 2.0 * h4 + 3.0 * h6;
    FF3 = 16.0 * h6;
    FF2 = 4.0 * h4 + FF3;

    // The meridian arc's factors of phi and sin 2k phi: (1 - e^2) a times S0 .. S8.
    FArc.M0c = FG;
    FArc.M2c = (1.0 - e2) * FA * s2;
    FArc.M4c = (1.0 - e2) * FA * s4;
    FArc.M6c = (1.0 - e2) * FA * s6;
    FArc.M8c = (1.0 - e2) * FA * S8.At(e2);
    FOriginArc = MeridianArc(OriginLatitude);

    FKruger = TKrugerSeries(Spheroid.A, Spheroid.F);
    double OriginEasting = 0.0;
    FKruger.Forward(OriginLatitude, 0.0, OriginEasting, FKrugerOriginArc);
    Ready = true;
}

std::string TTransMerc::FormName() const {
    return ExactForm ? "Kruger series to n^6" : "series in the longitude difference";
}

double TTransMerc::OriginArc() const {
    return ExactForm ? FKrugerOriginArc : FOriginArc;
}

double TTransMerc::MeridianArc(double Lat) const {
    return MeridianArc(Lat, std::sin(Lat), std::cos(Lat));
}

// The multiple angles from the latitude's own sine and cosine, which the forward series has at hand.
double TTransMerc::MeridianArc(double Lat, double SinLat, double CosLat) const {
    return FArc.At(Lat, SinLat, CosLat);
}

void TTransMerc::GeoToXY(double Lat, double Lon, double Lambda0, double A, double E2, double& Xr,
                         double& Yr) const {
    SeriesForward(Lat, {std::sin(Lat), std::cos(Lat)}, Lon, Lambda0, A, E2, Xr, Yr);
}

void TTransMerc::SeriesForward(double Lat, TLatitudeTrig Trig, double Lon, double Lambda0, double A,
                               double E2, double& Xr, double& Yr) const {
    const double CosLat = Trig.Cos;
    // The series' odd powers of cos(phi) are defined through ln cos(phi), so beyond the poles
    // (cos(phi) <= 0) there is no result.
    if (!(CosLat > 0.0)) {
        Xr = Yr = std::nan("");
        return;
    }
    // Longitudes arrive in (-pi, pi] from the geographic systems and in [0, 2pi) from a datum shift;
    // either way a difference beyond half a turn is the same meridian reached the short way round.
    SeriesPlane(FArc, A, E2, Lat, Trig.Sin, CosLat, NormLon(Lon - Lambda0), Xr, Yr);
}

void TTransMerc::XYToGeo(double Xr, double Yr, double Lambda0, double A, double E2, double& Lat,
                         double& Lon) const {
    const double Mu = Yr / FG;
    const double Phi1 = FootpointLatitude(Mu, std::sin(Mu), std::cos(Mu), FF1, FF2, FF3);
    SeriesAtFootpoint(Xr, Phi1, std::sin(Phi1), std::cos(Phi1), Lambda0, A, E2, Lat, Lon);
}

void TTransMerc::GeoToProjMany(const double* Lat, const double* Lon, const double* H, const double* Sin,
                               const double* Cos, std::size_t N, double* X, double* Y) const {
    if (ExactForm) {
        TProjection::GeoToProjMany(Lat, Lon, H, Sin, Cos, N, X, Y);
        return;
    }
    // Local copies, which the loops need not reload after each store.
    const TArcFactors Arc = FArc;
    const double A = FA, E2 = FE2, Meridian = CentralMeridian, K = ScaleFactor, OriginY = FOriginArc,
                 East = FalseEasting, North = FalseNorthing;
    ForEachPiece(N, [=, this](std::size_t First, std::size_t Count) { // copies: no reload after a store
        double SinLat[PositionPiece], CosLat[PositionPiece], L[PositionPiece];
        if (Sin) {
            std::copy_n(Sin + First, Count, SinLat);
            std::copy_n(Cos + First, Count, CosLat);
        } else {
            SinCosMany(Lat + First, Count, SinLat, CosLat); // a geographic row has one latitude
        }
        for (std::size_t I = 0, At = First; I < Count; ++I, ++At)
            L[I] = LonOffset(Lon[At], Meridian);
        for (std::size_t I = 0, At = First; I < Count; ++I, ++At) {
            double Xr = 0.0, Yr = 0.0;
            SeriesPlane(Arc, A, E2, Lat[At], SinLat[I], CosLat[I], L[I], Xr, Yr);
            Y[At] = K * (Yr - OriginY) + North;
            X[At] = K * Xr + East;
        }
        // What GeoToProj does with positions the series has no meaning for.
        for (std::size_t I = 0, At = First; I < Count; ++I, ++At) {
            if (std::isnan(Lat[At]) || std::isnan(Lon[At]))
                X[At] = Y[At] = std::nan("");
            else if (!(CosLat[I] > 0.0))
                X[At] = Y[At] = 0.0;
            else
                ZeroOnFault(X[At], Y[At]);
        }
    });
}

void TTransMerc::ProjToGeoMany(const double* X, const double* Y, std::size_t N, double* Lat, double* Lon,
                               double* H) const {
    if (ExactForm) {
        TProjection::ProjToGeoMany(X, Y, N, Lat, Lon, H);
        return;
    }
    const double A = FA, E2 = FE2, G = FG, F1 = FF1, F2 = FF2, F3 = FF3, Meridian = CentralMeridian,
                 K = ScaleFactor, OriginY = FOriginArc, East = FalseEasting, North = FalseNorthing;
    std::fill_n(H, N, 0.0);
    ForEachPiece(N, [=, this](std::size_t First, std::size_t Count) { // copies: no reload after a store
        double Xr[PositionPiece], SinMu[PositionPiece], CosMu[PositionPiece];
        double Mu[PositionPiece] = {}; // initialised only to quiet a false warning
        double Phi1[PositionPiece], Sin1[PositionPiece], Cos1[PositionPiece];
        for (std::size_t I = 0, At = First; I < Count; ++I, ++At) {
            Xr[I] = (X[At] - East) / K;
            Mu[I] = ((Y[At] - North) / K + OriginY) / G;
        }
        // Along a row of the output the northing, and with it the footpoint, stays the same.
        SinCosMany(Mu, Count, SinMu, CosMu);
        for (std::size_t I = 0; I < Count; ++I)
            Phi1[I] = FootpointLatitude(Mu[I], SinMu[I], CosMu[I], F1, F2, F3);
        SinCosMany(Phi1, Count, Sin1, Cos1);
        for (std::size_t I = 0, At = First; I < Count; ++I, ++At)
            SeriesAtFootpoint(Xr[I], Phi1[I], Sin1[I], Cos1[I], Meridian, A, E2, Lat[At], Lon[At]);
        for (std::size_t At = First; At < First + Count; ++At) {
            if (std::isnan(X[At]) || std::isnan(Y[At]))
                Lat[At] = Lon[At] = std::nan("");
            else
                ZeroOnFault(Lat[At], Lon[At]);
        }
    });
}

void TTransMerc::GridToXY(double Easting, double Northing, double& Xr, double& Yr, double& Lambda0) const {
    Yr = (Northing - FalseNorthing) / ScaleFactor + OriginArc();
    Xr = (Easting - FalseEasting) / ScaleFactor;
    Lambda0 = CentralMeridian;
}

void TTransMerc::XYToGrid(double Xr, double Yr, double /*Lon*/, double& Easting, double& Northing) const {
    Northing = ScaleFactor * (Yr - OriginArc()) + FalseNorthing;
    Easting = ScaleFactor * Xr + FalseEasting;
}

bool TTransMercList::LoadFromFile(const std::string& FileName) {
    return AddCatalogueEntries<TTransMerc>(*this, FileName);
}

} // namespace vortane
