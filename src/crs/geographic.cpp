// The four geographic coordinate systems: the same exchange of (Lat, Lon, H) and (X, Y, Z), with
// different angle texts.

#include "crs/angles.hpp"
#include "crs/number_field.hpp"
#include "crs/projection.hpp"
#include "text/strings.hpp"
#include "text/tokenizer.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vortane {

namespace {

constexpr double TwoPi = 2.0 * Pi;
constexpr double HalfPi = Pi / 2.0;
constexpr double DegreesPerGrad = 0.9;

// Heights: 10 significant digits, 3 decimals; grads and decimal degrees: 14 and 8.
std::string HeightText(double H) {
    return FixedText(H, 10, 3);
}
std::string DegreeText(double Value) {
    return FixedText(Value, 14, 8);
}

bool IsLatitude(double Lat) {
    return Lat >= -HalfPi && Lat <= HalfPi;
}

// The two angle axes as named; the height is in metres in every geographic system.
void SetAxisNames(const char* XAxis, const char* YAxis, std::string& XName, std::string& YName,
                  std::string& ZName) {
    XName = XAxis;
    YName = YAxis;
    ZName = "Altitude(m)";
}

// Longitude and latitude as numbers of a linear angle unit (grads, degrees), then the height.
// Returns the number of the rejected text, 0 when all three were read.
int ReadLinearAngles(const std::string& XText, const std::string& YText, const std::string& ZText,
                     double DegreesPerUnit, double& Lat, double& Lon, double& H) {
    const double RadPerUnit = DegToRad(DegreesPerUnit);
    Lat = Lon = H = 0.0;
    double Value = 0.0;
    if (!ReadNumberField(XText, Value)) return 1;
    Lon = Value * RadPerUnit;
    // A latitude beyond the poles is no position; convert none rather than a wrong one.
    if (!ReadNumberField(YText, Value) || !IsLatitude(Value * RadPerUnit)) return 2;
    Lat = Value * RadPerUnit;
    return ReadNumberField(ZText, H) ? 0 : 3;
}

// Degrees of one "[-]dd.mm.ss.sss" text; the sign, taken from the text, applies to the whole angle.
bool ReadDottedAngle(const std::string& Text, double& Degrees) {
    SetParseText(Text);
    const std::string DegText = NextToken(".");
    const std::string MinText = NextToken(".");
    const std::string SecText = NextToken(" "); // the seconds keep their own decimal point
    double Deg = 0.0, Min = 0.0, Sec = 0.0;
    const bool Ok =
        ReadNumberField(DegText, Deg) && ReadNumberField(MinText, Min) && ReadNumberField(SecText, Sec);
    const double Sign = StartsWithMinus(DegText) ? -1.0 : 1.0;
    Degrees = Sign * (std::fabs(Deg) + Min / 60.0 + Sec / 3600.0);
    return Ok;
}

// "[-]" + DegreeDigits digits + ".mm.ss.sss".
std::string DottedAngleText(double Rad, int DegreeDigits) {
    const TDMS Parts = RadToDMS(Rad);
    std::string Text = Rad < 0 ? "-" : "";
    Text += IntToZeroStr(std::abs(Parts.Deg), DegreeDigits);
    Text += '.';
    Text += IntToZeroStr(std::abs(Parts.Min), 2);
    Text += '.';
    Text += FloatToZeroStr(6, 3, std::fabs(Parts.Sec));
    return Text;
}

} // namespace

// ---- TGeografic: degrees:minutes:seconds with hemisphere letters ----

std::string TGeografic::GetParamText() const {
    return "No special parameters";
}

void TGeografic::GeoToProj(double Lat, double Lon, double H, double& X, double& Y, double& Z) const {
    X = Lon;
    Y = Lat;
    Z = H;
}

void TGeografic::ProjToGeo(double X, double Y, double Z, double& Lat, double& Lon, double& H) const {
    Lon = X;
    Lat = Y;
    H = Z;
}

void TGeografic::ProjToGeoMany(const double* X, const double* Y, std::size_t N, double* Lat, double* Lon,
                               double* H) const {
    std::copy_n(X, N, Lon);
    std::copy_n(Y, N, Lat);
    std::fill_n(H, N, 0.0);
}

void TGeografic::GeoToProjMany(const double* Lat, const double* Lon, const double*, const double*,
                               const double*, std::size_t N, double* X, double* Y) const {
    std::copy_n(Lon, N, X);
    std::copy_n(Lat, N, Y);
}

int TGeografic::TextToGeo(const std::string& XText, const std::string& YText, const std::string& ZText,
                          double& Lat, double& Lon, double& H) const {
    Lat = Lon = H = 0.0;
    double Angle = 0.0;
    // West longitudes come back from StrToAngle as 2*pi minus the angle, so the whole circle either way.
    if (!StrToAngle(XText, Angle) || !(Angle >= -TwoPi && Angle <= TwoPi)) return 1;
    Lon = Angle;
    if (!StrToAngle(YText, Angle) || !IsLatitude(Angle)) return 2;
    Lat = Angle;
    return ReadNumberField(ZText, H) ? 0 : 3;
}

void TGeografic::GeoToText(double Lat, double Lon, double H, std::string& XText, std::string& YText,
                           std::string& ZText) const {
    XText = LonToStr(Lon);
    YText = LatToStr(Lat);
    ZText = HeightText(H);
}

void TGeografic::GetAxisNames(std::string& XName, std::string& YName, std::string& ZName) const {
    SetAxisNames("Lon(dd:mm:ss.sss)", "Lat(dd:mm:ss.sss)", XName, YName, ZName);
}

std::unique_ptr<TProjection> TGeografic::Clone() const {
    return std::make_unique<TGeografic>(*this);
}

// ---- TGeograd: grads ----

int TGeograd::TextToGeo(const std::string& XText, const std::string& YText, const std::string& ZText,
                        double& Lat, double& Lon, double& H) const {
    return ReadLinearAngles(XText, YText, ZText, DegreesPerGrad, Lat, Lon, H);
}

void TGeograd::GeoToText(double Lat, double Lon, double H, std::string& XText, std::string& YText,
                         std::string& ZText) const {
    XText = DegreeText(Lon / DegreesPerGrad / Pi * 180.0);
    YText = DegreeText(Lat / DegreesPerGrad / Pi * 180.0);
    ZText = HeightText(H);
}

void TGeograd::GetAxisNames(std::string& XName, std::string& YName, std::string& ZName) const {
    SetAxisNames("Lon(gg.ggg)", "Lat(gg.ggg)", XName, YName, ZName);
}

std::unique_ptr<TProjection> TGeograd::Clone() const {
    return std::make_unique<TGeograd>(*this);
}

// ---- TGeoArc: dotted degrees.minutes.seconds, latitude first ----

int TGeoArc::TextToGeo(const std::string& XText, const std::string& YText, const std::string& ZText,
                       double& Lat, double& Lon, double& H) const {
    Lat = Lon = H = 0.0;
    double LonDegrees = 0.0, LatDegrees = 0.0;
    if (!ReadDottedAngle(YText, LonDegrees)) return 2;
    if (!ReadDottedAngle(XText, LatDegrees) || !IsLatitude(DegToRad(LatDegrees))) return 1;
    Lon = DegToRad(LonDegrees);
    Lat = DegToRad(LatDegrees);
    return ReadNumberField(ZText, H) ? 0 : 3;
}

void TGeoArc::GeoToText(double Lat, double Lon, double H, std::string& XText, std::string& YText,
                        std::string& ZText) const {
    YText = DottedAngleText(NormLon(Lon), 3);
    XText = DottedAngleText(Lat, 2);
    ZText = HeightText(H);
}

void TGeoArc::GetAxisNames(std::string& XName, std::string& YName, std::string& ZName) const {
    SetAxisNames("Lat(gg.mm.ss.sss)", "Lon(gg.mm.ss.sss)", XName, YName, ZName);
}

std::unique_ptr<TProjection> TGeoArc::Clone() const {
    return std::make_unique<TGeoArc>(*this);
}

// ---- TGeoDecimal: decimal degrees ----

int TGeoDecimal::TextToGeo(const std::string& XText, const std::string& YText, const std::string& ZText,
                           double& Lat, double& Lon, double& H) const {
    return ReadLinearAngles(XText, YText, ZText, 1.0, Lat, Lon, H);
}

void TGeoDecimal::GeoToText(double Lat, double Lon, double H, std::string& XText, std::string& YText,
                            std::string& ZText) const {
    XText = DegreeText(NormLon(Lon) / Pi * 180.0);
    YText = DegreeText(Lat / Pi * 180.0);
    ZText = HeightText(H);
}

void TGeoDecimal::GetAxisNames(std::string& XName, std::string& YName, std::string& ZName) const {
    SetAxisNames("Lon(gg.ggg)", "Lat(gg.ggg)", XName, YName, ZName);
}

std::unique_ptr<TProjection> TGeoDecimal::Clone() const {
    return std::make_unique<TGeoDecimal>(*this);
}

TGeograficList::TGeograficList() {
    Add(std::make_unique<TGeografic>());
    Add(std::make_unique<TGeograd>());
    Add(std::make_unique<TGeoArc>());
    Add(std::make_unique<TGeoDecimal>());
}

} // namespace vortane
