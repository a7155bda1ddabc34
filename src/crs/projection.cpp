#include "crs/projection.hpp"

#include "crs/number_field.hpp"
#include "text/strings.hpp"

#include <cmath>
#include <limits>

namespace vortane {

namespace {
// Projected and geocentric coordinates are written with 10 significant digits and 5 decimals.
constexpr int CoordinateDigits = 10;
constexpr int CoordinateDecimals = 5;
} // namespace

bool ReadNumberField(std::string_view Text, double& Value) {
    Value = 0.0;
    if (TrimBlanks(Text).empty()) return true;
    const double Number = StrToFloatDef(Text, std::numeric_limits<double>::quiet_NaN());
    if (!std::isfinite(Number)) return false;
    Value = Number;
    return true;
}

bool StartsWithMinus(std::string_view Text) {
    const std::string Trimmed = TrimBlanks(Text);
    return !Trimmed.empty() && Trimmed.front() == '-';
}

TProjection::TProjection(std::string SystemName) : TCodeObject(std::move(SystemName)) {}

void TProjection::SetSpheroid(const TSpheroid& Source) {
    SetSpheroidValues(Source.Name, Source.Description, Source.A, Source.F);
}

void TProjection::SetSpheroidValues(const std::string& Code, const std::string& Description, double A,
                                    double F) {
    Spheroid.Name = Code;
    Spheroid.Description = Description;
    Spheroid.A = A;
    Spheroid.F = F;
    ComputeConstants();
}

void TProjection::ProjToGeoMany(const double* X, const double* Y, std::size_t N, double* Lat, double* Lon,
                                double* H) const {
    for (std::size_t I = 0; I < N; ++I)
        ProjToGeo(X[I], Y[I], 0.0, Lat[I], Lon[I], H[I]);
}

void TProjection::GeoToProjMany(const double* Lat, const double* Lon, const double* H, const double* Sin,
                                const double* Cos, std::size_t N, double* X, double* Y) const {
    double Z = 0.0;
    for (std::size_t I = 0; I < N; ++I) {
        if (Sin)
            GeoToProjWithTrig(Lat[I], {Sin[I], Cos[I]}, Lon[I], H[I], X[I], Y[I], Z);
        else
            GeoToProj(Lat[I], Lon[I], H[I], X[I], Y[I], Z);
    }
}

int TProjection::TextToGeo(const std::string& XText, const std::string& YText, const std::string& ZText,
                           double& Lat, double& Lon, double& H) const {
    Lat = Lon = H = 0.0;
    double X = 0.0, Y = 0.0, Z = 0.0;
    if (!ReadNumberField(XText, X)) return 1;
    if (!ReadNumberField(YText, Y)) return 2;
    if (!ReadNumberField(ZText, Z)) return 3;
    ProjToGeo(X, Y, Z, Lat, Lon, H);
    return 0;
}

void TProjection::GeoToText(double Lat, double Lon, double H, std::string& XText, std::string& YText,
                            std::string& ZText) const {
    double X = 0.0, Y = 0.0, Z = 0.0;
    GeoToProj(Lat, Lon, H, X, Y, Z);
    XText = FixedText(X, CoordinateDigits, CoordinateDecimals);
    YText = FixedText(Y, CoordinateDigits, CoordinateDecimals);
    ZText = FixedText(Z, CoordinateDigits, CoordinateDecimals);
}

} // namespace vortane
