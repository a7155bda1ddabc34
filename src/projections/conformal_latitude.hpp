#pragma once
// The conformal latitude χ of a geodetic latitude φ and back, written with tangents (τ = tan φ,
// τ′ = tan χ) as in C. F. F. Karney, "Transverse Mercator with an accuracy of a few nanometers",
// J. Geodesy 85 (2011), eqs. (7)–(9) and (19)–(21). Working with tangents keeps full precision near
// the poles, where the classical forms with tan(π/4 + φ/2) lose digits, and the inverse converges in
// two or three Newton steps instead of the fixed-point iteration's handful.

namespace vortane {

// τ′ = τ·√(1 + σ²) − σ·√(1 + τ²), σ = sinh(e·atanh(e·τ/√(1 + τ²))); E is the first eccentricity.
double ConformalTan(double Tau, double E);

// Isometric latitude ψ = asinh(τ′) of a geodetic latitude (radians), and the latitude of an isometric
// latitude: the variable in which conformal maps of the spheroid are plane maps of the sphere. The
// inverse takes the latitude from τ′ = sinh ψ by LatitudeOfConformal (projection_math.hpp).
double IsometricLatitude(double Lat, double E);
double LatitudeOfIsometric(double Psi, double E);

} // namespace vortane
