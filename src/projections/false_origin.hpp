#pragma once
// The false origin and scale factor that turn the unscaled plane offsets of a metre projection into
// eastings and northings, shared by the Lambert conics and the series projections.

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

} // namespace vortane
