#pragma once
// Angle helpers and texts shared by the coordinate systems, and the geodetic <-> geocentric conversion.

#include <cstddef>
#include <cstdint>
#include <string>

namespace vortane {

inline constexpr double Pi = 3.14159265358979323846;

// Degrees, minutes, seconds; all three carry the sign of the angle.
struct TDMS {
    std::int32_t Deg = 0;
    std::int32_t Min = 0;
    double Sec = 0.0;
};

double RadToDeg(double X);
double DegToRad(double X);
double ReduceAngle(double X); // remainder modulo 2*pi with the sign of X
double NormLon(double X);     // longitude in [-pi, pi]
TDMS RadToDMS(double X);
bool StrToAngle(const std::string& Text, double& Rad);
std::string LonToStr(double X);   // D:M:S.sss followed by E or W
std::string LatToStr(double X);   // D:M:S.sss followed by N or S
std::string AngleToStr(double X); // D:M:S.sss, "-" before negative angles
std::string IntToZeroStr(std::int64_t Value, int Width);
std::string FloatToZeroStr(int Width, int Decimals, double Value);

// The sine and cosine of a latitude, handed on by a step of a conversion chain that has them for free
// to the next step, which would otherwise compute them again.
struct TLatitudeTrig {
    double Sin = 0.0;
    double Cos = 1.0;
};

// The sine and cosine of N angles (no overlap between arguments and results), each with the bits of
// std::sin and std::cos. A run of equal angles (a row of constant northing or latitude) takes them once.
void SinCosMany(const double* Angle, std::size_t N, double* Sin, double* Cos);

// Geodetic (radians, metres) to earth-centred coordinates on the spheroid (A, E2), and back.
void GeoToXYZ(double Lat, double Lon, double H, double A, double E2, double& X, double& Y, double& Z);
// Closed approximation with one refinement step: exact at height 0; Lon in [0, 2*pi). Trig, when
// given, receives the sine and cosine of Lat.
void XYZToGeo(double X, double Y, double Z, double A, double E2, double& Lat, double& Lon, double& H,
              TLatitudeTrig* Trig = nullptr);
// The same for N positions in separate arrays (no overlap between arguments and results), each with the
// bits of the one-position form; XYZToGeoMany gives every latitude's sine and cosine.
void GeoToXYZMany(const double* Lat, const double* Lon, const double* H, std::size_t N, double A, double E2,
                  double* X, double* Y, double* Z);
void XYZToGeoMany(const double* X, const double* Y, const double* Z, std::size_t N, double A, double E2,
                  double* Lat, double* Lon, double* H, double* Sin, double* Cos);

} // namespace vortane
