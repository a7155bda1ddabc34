#pragma once
// The false origin and scale factor that turn the unscaled plane offsets of a metre projection into
// eastings and northings, shared by the Lambert conics and the series projections, and the conversions
// of the projections that go through those offsets.

#include "crs/projection.hpp"
#include "projections/param_text.hpp"

#include <string>

namespace vortane {

struct TFalseOrigin {
    double FalseNorthing = 0.0; // metres
    double FalseEasting = 0.0;  // metres
    double ScaleFactor = 1.0;   // k0, applied to both plane offsets

    // Unscaled offsets X (east) and Y (north), metres, to easting and northing.
    void XYToGrid(double X, double Y, double& Easting, double& Northing) const {
        Easting = ScaleFactor * X + FalseEasting;
        Northing = ScaleFactor * Y + FalseNorthing;
    }
    // Easting and northing to the unscaled offsets X (east) and Y (north); a zero scale factor gives
    // non-finite offsets.
    void GridToXY(double Easting, double Northing, double& X, double& Y) const {
        X = (Easting - FalseEasting) / ScaleFactor;
        Y = (Northing - FalseNorthing) / ScaleFactor;
    }
};

// A metre projection whose conversions go through unscaled plane offsets: TPlane, the projection
// class itself, provides GeoToXY(Lat, Lon, X, Y) and XYToGeo(X, Y, Lat, Lon); the false origin and
// scale factor turn the offsets into eastings and northings, heights pass unchanged.
template <typename TPlane> class TPlaneProjection : public TProjection, public TFalseOrigin {
public:
    using TProjection::TProjection;

    void GeoToProj(double Lat, double Lon, double H, double& X, double& Y, double& Z) const final {
        double PlaneX = 0.0;
        double PlaneY = 0.0;
        Plane().GeoToXY(Lat, Lon, PlaneX, PlaneY);
        XYToGrid(PlaneX, PlaneY, X, Y);
        Z = H;
    }
    void ProjToGeo(double X, double Y, double Z, double& Lat, double& Lon, double& H) const override {
        double PlaneX = 0.0;
        double PlaneY = 0.0;
        GridToXY(X, Y, PlaneX, PlaneY);
        Plane().XYToGeo(PlaneX, PlaneY, Lat, Lon);
        H = Z;
    }
    void GetAxisNames(std::string& XName, std::string& YName, std::string& ZName) const final {
        MetreAxisNames(XName, YName, ZName);
    }

private:
    const TPlane& Plane() const { return static_cast<const TPlane&>(*this); }
};

} // namespace vortane
