#pragma once
// Ellipsoidal transverse Mercator ("TRANSVERSE MERCATOR", catalogue file "tranmerc.dat"), computed with the
// classical series in powers of the longitude difference, and its catalogue list.
//
// Eastings and northings are metres; geographic positions are radians and metres.

#include "crs/projection.hpp"
#include "projections/kruger_series.hpp"

#include <memory>
#include <string>

namespace vortane {

class TRecordFields;

// The meridian arc's factors of phi and sin 2k phi: M0c phi - M2c/2 sin 2phi + M4c/4 sin 4phi -
// M6c/6 sin 6phi + M8c/8 sin 8phi.
struct TArcFactors {
    double M0c = 0.0, M2c = 0.0, M4c = 0.0, M6c = 0.0, M8c = 0.0;
    // The arc to latitude Lat with its sine and cosine, metres; the multiple-angle sines from one sine
    // and cosine: sin((k + 1)x) = 2 cos x sin(kx) - sin((k - 1)x).
    [[gnu::always_inline]] double At(double Lat, double SinLat, double CosLat) const {
        const double Sin2 = 2.0 * SinLat * CosLat;
        const double TwoCos2 = 2.0 * (CosLat - SinLat) * (CosLat + SinLat);
        const double Sin4 = TwoCos2 * Sin2;
        const double Sin6 = TwoCos2 * Sin4 - Sin2;
        const double Sin8 = TwoCos2 * Sin6 - Sin4;
        return M0c * Lat - M2c / 2.0 * Sin2 + M4c / 4.0 * Sin4 - M6c / 6.0 * Sin6 + M8c / 8.0 * Sin8;
    }
};

class TTransMerc : public TProjection {
public:
    // From one decoded "tranmerc.dat" record: spheroid code, name, false northing, false easting,
    // scale factor, central meridian (radians, negative values get 2*pi added), origin latitude (radians).
    explicit TTransMerc(const std::string& Line);

    std::string GetParamText() const override;
    // Arithmetic faults (a latitude beyond +-90 degrees, overflow, zero divisors) give X = Y = 0 with Z
    // still set; a NaN coordinate gives NaN results so that a caller can see it.
    void GeoToProj(double Lat, double Lon, double H, double& X, double& Y, double& Z) const override;
    void GeoToProjWithTrig(double Lat, TLatitudeTrig Trig, double Lon, double H, double& X, double& Y,
                           double& Z) const override;
    void ProjToGeo(double X, double Y, double Z, double& Lat, double& Lon, double& H) const override;
    // The row forms of the series (the exact form converts one position after the other).
    void ProjToGeoMany(const double* X, const double* Y, std::size_t N, double* Lat, double* Lon,
                       double* H) const override;
    void GeoToProjMany(const double* Lat, const double* Lon, const double* H, const double* Sin,
                       const double* Cos, std::size_t N, double* X, double* Y) const override;
    void GetAxisNames(std::string& XName, std::string& YName, std::string& ZName) const override;
    std::unique_ptr<TProjection> Clone() const override;

    // Inverse series: unscaled metres east of the meridian Lambda0 (Xr) and north of the equator (Yr) on
    // the spheroid (A, E2) to latitude and longitude. The longitude is Lambda0 plus the series terms,
    // not reduced to a range.
    virtual void XYToGeo(double Xr, double Yr, double Lambda0, double A, double E2, double& Lat,
                         double& Lon) const;
    // Forward series about the meridian Lambda0: latitude and longitude to unscaled Xr, Yr on the
    // spheroid (A, E2). Xr and Yr are NaN when the latitude lies beyond +-90 degrees (cos(Lat) <= 0),
    // where the series has no meaning.
    virtual void GeoToXY(double Lat, double Lon, double Lambda0, double A, double E2, double& Xr,
                         double& Yr) const;
    // Easting and northing in metres to Xr, Yr and the central meridian to use with them.
    virtual void GridToXY(double Easting, double Northing, double& Xr, double& Yr, double& Lambda0) const;
    // Xr, Yr of a point at longitude Lon to easting and northing in metres.
    virtual void XYToGrid(double Xr, double Yr, double Lon, double& Easting, double& Northing) const;

    double GetCentralMeridian() const { return CentralMeridian; }
    // Fills the derived constants from the own Spheroid and sets Ready.
    void ComputeConstants() override;
    std::string FormName() const override;

    std::string SpheroidCode;     // at most 3 characters; "*" for the zone grids
    double FalseNorthing = 0.0;   // metres
    double FalseEasting = 0.0;    // metres
    double ScaleFactor = 1.0;     // k0 on the central meridian
    double CentralMeridian = 0.0; // radians, in [0, 2*pi) as read from the catalogue
    double OriginLatitude = 0.0;  // radians

protected:
    // Easting and northing in metres of (Lat, Lon) through GeoToXY about the meridian Lambda0 and
    // XYToGrid, and back through GridToXY (which names the meridian) and XYToGeo. Faults show as
    // non-finite results.
    // Trig, when given, holds the latitude's sine and cosine for the series form.
    void ForwardMetres(double Lat, double Lon, double Lambda0, double& Easting, double& Northing,
                       const TLatitudeTrig* Trig = nullptr) const;
    void InverseMetres(double Easting, double Northing, double& Lat, double& Lon) const;
    // A conversion that met an arithmetic fault (non-finite result) returns zeros, as stored data and
    // callers expect; NaN inputs are filtered out before, so they stay visible as NaN.
    static void ZeroOnFault(double& First, double& Second);
    // Meridian arc length from the equator to latitude Lat on the current spheroid, metres.
    double MeridianArc(double Lat) const;
    // The same with the latitude's sine and cosine given.
    double MeridianArc(double Lat, double SinLat, double CosLat) const;
    // GeoToXY with the latitude's sine and cosine given.
    void SeriesForward(double Lat, TLatitudeTrig Trig, double Lon, double Lambda0, double A, double E2,
                       double& Xr, double& Yr) const;
    // The meridian arc to the origin latitude, by the form the conversions use.
    double OriginArc() const;

private:
    // GeoToProj, with the latitude's sine and cosine when Trig is given.
    void GeoToProjFrom(double Lat, const TLatitudeTrig* Trig, double Lon, double H, double& X, double& Y,
                       double& Z) const;
    explicit TTransMerc(TRecordFields&& Fields);

    // The spheroid the constants were computed for.
    double FA = 0.0;
    double FE2 = 0.0;
    // Footpoint latitude series: mu + sin(2 mu) * (F1 - F2 sin^2 mu + F3 sin^4 mu), mu = Yr / G.
    double FG = 0.0;
    double FF1 = 0.0;
    double FF2 = 0.0;
    double FF3 = 0.0;
    TArcFactors FArc;        // the meridian arc
    double FOriginArc = 0.0; // MeridianArc(OriginLatitude)
    // The Krüger series used instead of the series above when ExactForm is set.
    TKrugerSeries FKruger;
    double FKrugerOriginArc = 0.0;
};

class TTransMercList : public TCodeListOf<TTransMerc> {
public:
    // Appends one entry per record of the stored "tranmerc.dat". False when the file is missing or cannot
    // be read; entries read before a read error stay.
    bool LoadFromFile(const std::string& FileName);
};

} // namespace vortane
