#pragma once
// Transverse Mercator zone grids ("TMGRID", catalogue file "tmgrid.dat"): meridian zones of equal width
// whose number is carried in the millions of the easting, and their catalogue list.
//
// Everything is in metres. A point's zone is chosen from the point itself on
// every conversion.

#include "projections/transverse_mercator.hpp"

#include <memory>
#include <string>

namespace vortane {

class TTMGrid final : public TTransMerc {
public:
    // From one decoded "tmgrid.dat" record: grid name, false northing, false easting (added inside each
    // zone), scale factor, zone width and central meridian of zone 1 as degrees:minutes:seconds texts.
    explicit TTMGrid(const std::string& Line);

    std::string GetParamText() const override;
    // A zone width that gives no zone (zero, negative, unreadable) is an arithmetic fault: X = Y = 0.
    void GeoToProj(double Lat, double Lon, double H, double& X, double& Y, double& Z) const override;
    void GeoToProjWithTrig(double Lat, TLatitudeTrig Trig, double Lon, double H, double& X, double& Y,
                           double& Z) const override;
    // Eastings without a valid zone prefix and northings beyond +-10 000 km are replaced, not reported:
    // such a point converts as if it lay on the central meridian of zone 1 or on the equator.
    void ProjToGeo(double X, double Y, double Z, double& Lat, double& Lon, double& H) const override;
    // In the zone of NearX when that is a zone: a position just past the edge of the zone it was given
    // in keeps that zone's coordinates.
    void GeoToProjNear(double Lat, double Lon, double H, double NearX, double NearY, double& X, double& Y,
                       double& Z) const override;
    std::unique_ptr<TProjection> Clone() const override;
    // The zones make every position a case of its own: one position after the other.
    void ProjToGeoMany(const double* X, const double* Y, std::size_t N, double* Lat, double* Lon,
                       double* H) const override {
        TProjection::ProjToGeoMany(X, Y, N, Lat, Lon, H);
    }
    void GeoToProjMany(const double* Lat, const double* Lon, const double* H, const double* Sin,
                       const double* Cos, std::size_t N, double* X, double* Y) const override {
        TProjection::GeoToProjMany(Lat, Lon, H, Sin, Cos, N, X, Y);
    }

    void GridToXY(double Easting, double Northing, double& Xr, double& Yr, double& Lambda0) const override;
    // Easting is NaN when Lon has no zone.
    void XYToGrid(double Xr, double Yr, double Lon, double& Easting, double& Northing) const override;

    // Zone number (1 for the zone centred on ZoneOrigin, counting eastwards) of a longitude in radians;
    // 0 when there is none (NaN longitude, zone width not positive).
    int ZoneOf(double Lon) const;
    // Central meridian of the zone of a longitude, radians; NaN when there is no zone.
    double ZoneMeridian(double Lon) const;
    // Central meridian of the zone named by the millions of an easting in metres (zone 1 below 2 000 000).
    double ZoneMeridianFromEasting(double Easting) const;

    double ZoneWidth = 0.0;  // radians; 0 when its text did not read
    double ZoneOrigin = 0.0; // central meridian of zone 1, radians; 0 when its text did not read

private:
    // GeoToProj, with the latitude's sine and cosine when Trig is given.
    void ZoneForward(double Lat, const TLatitudeTrig* Trig, double Lon, double H, double& X, double& Y,
                     double& Z) const;
    explicit TTMGrid(TRecordFields&& Fields);
};

class TTMGridList : public TCodeListOf<TTMGrid> {
public:
    // Appends one entry per record of the stored "tmgrid.dat". False when the file is missing or cannot be
    // read; entries read before a read error stay.
    bool LoadFromFile(const std::string& FileName);
};

} // namespace vortane
