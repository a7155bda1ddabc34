#pragma once
// Transverse Mercator by Krüger's series in the third flattening n = f/(2 − f), carried to n⁶: exact to
// a few nanometres within 4000 km of the central meridian (C. F. F. Karney, "Transverse Mercator with
// an accuracy of a few nanometers", J. Geodesy 85 (2011) 475–485, eqs. (35) and (36)). The spheroid
// is mapped conformally to the sphere, the sphere by the spherical transverse Mercator to the plane
// ζ′ = ξ′ + iη′, and that plane to the spheroid's ζ = ξ + iη by a trigonometric series in ζ′.

#include <array>

namespace vortane {

class TKrugerSeries {
public:
    static constexpr int Order = 6;

    TKrugerSeries() = default;
    // Computes every coefficient for the spheroid (A, F) once.
    TKrugerSeries(double A, double F);

    // Latitude and longitude difference from the central meridian (radians, |DLon| < π/2) to the
    // unscaled metres east of the meridian (X) and north of the equator (Y). Latitudes beyond ±90°
    // give NaN.
    void Forward(double Lat, double DLon, double& X, double& Y) const;
    // The inverse of Forward.
    void Reverse(double X, double Y, double& Lat, double& DLon) const;

private:
    double FE = 0.0;                    // first eccentricity
    double FRectifying = 0.0;           // A: rectifying radius, metres per radian of ξ
    std::array<double, Order> FAlpha{}; // α1..α6, spheroid from sphere
    std::array<double, Order> FBeta{};  // β1..β6, sphere from spheroid
};

} // namespace vortane
