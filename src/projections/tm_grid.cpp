#include "projections/tm_grid.hpp"

#include "crs/angles.hpp"
#include "projections/record_fields.hpp"
#include "text/catalogue_file.hpp"
#include "text/strings.hpp"

#include <climits>
#include <cmath>

namespace vortane {

namespace {

constexpr double TwoPi = 2.0 * Pi;
// Each zone's eastings are offset by its number times this.
constexpr double ZoneStride = 1'000'000.0;
// Eastings outside zones 1 to 60 and northings beyond these limits are taken as no value at all.
constexpr double LowestZoneEasting = 1'000'000.0;
constexpr double HighestZoneEasting = 61'000'000.0;
constexpr double NorthingLimit = 10'000'000.0;

// A degrees:minutes:seconds field; 0 when it does not read as an angle.
double AngleField(const std::string& Text) {
    double Rad = 0.0;
    return StrToAngle(Text, Rad) ? Rad : 0.0;
}

} // namespace

TTMGrid::TTMGrid(const std::string& Line) : TTMGrid(TRecordFields(Line)) {}

// The transverse Mercator part is built from "*,<name>" so that it takes its defaults and belongs to
// every spheroid; the grid's own fields follow the name.
TTMGrid::TTMGrid(TRecordFields&& Fields) : TTransMerc("*," + Fields.NextText()) {
    FalseNorthing = Fields.NextNumber(0.0);
    FalseEasting = Fields.NextNumber(0.0);
    ScaleFactor = Fields.NextNumber(1.0);
    ZoneWidth = AngleField(Fields.NextText());
    ZoneOrigin = AngleField(Fields.NextText());
}

std::string TTMGrid::GetParamText() const {
    return FixedText(FalseNorthing, 10, 3) + " " + FixedText(FalseEasting, 10, 3) + " Scale" +
           FixedText(ScaleFactor, 10, 4) + " zone_width=" + AngleToStr(ZoneWidth) +
           " Origin=" + AngleToStr(ZoneOrigin);
}

void TTMGrid::GeoToProj(double Lat, double Lon, double H, double& X, double& Y, double& Z) const {
    ZoneForward(Lat, nullptr, Lon, H, X, Y, Z);
}

void TTMGrid::GeoToProjWithTrig(double Lat, TLatitudeTrig Trig, double Lon, double H, double& X, double& Y,
                                double& Z) const {
    ZoneForward(Lat, &Trig, Lon, H, X, Y, Z);
}

void TTMGrid::ZoneForward(double Lat, const TLatitudeTrig* Trig, double Lon, double H, double& X, double& Y,
                          double& Z) const {
    Z = H;
    if (std::isnan(Lat) || std::isnan(Lon)) {
        X = Y = std::nan("");
        return;
    }
    const double Meridian = ZoneMeridian(Lon);
    if (std::isnan(Meridian)) {
        X = Y = 0.0;
        return;
    }
    ForwardMetres(Lat, Lon, Meridian, X, Y, Trig);
    ZeroOnFault(X, Y);
}

void TTMGrid::GeoToProjNear(double Lat, double Lon, double H, double NearX, double, double& X, double& Y,
                            double& Z) const {
    ZoneForward(Lat, nullptr, Lon, H, X, Y, Z);
    const int Zone = ZoneOf(Lon);
    const double NearZone = std::floor(NearX / ZoneStride);
    if (Zone == 0 || NearZone == Zone || !(NearX >= LowestZoneEasting && NearX <= HighestZoneEasting)) return;
    ForwardMetres(Lat, Lon, ZoneMeridianFromEasting(NearX), X, Y);
    X += (NearZone - Zone) * ZoneStride;
    ZeroOnFault(X, Y);
}

void TTMGrid::ProjToGeo(double X, double Y, double Z, double& Lat, double& Lon, double& H) const {
    H = Z;
    if (std::isnan(X) || std::isnan(Y)) {
        Lat = Lon = std::nan("");
        return;
    }
    InverseMetres(X, Y, Lat, Lon);
    ZeroOnFault(Lat, Lon);
}

std::unique_ptr<TProjection> TTMGrid::Clone() const {
    return std::make_unique<TTMGrid>(*this);
}

void TTMGrid::GridToXY(double Easting, double Northing, double& Xr, double& Yr, double& Lambda0) const {
    if (Easting < LowestZoneEasting || Easting > HighestZoneEasting) Easting = FalseEasting + ZoneStride;
    if (Northing > NorthingLimit || Northing < -NorthingLimit) Northing = FalseNorthing;
    Lambda0 = ZoneMeridianFromEasting(Easting);
    Yr = (Northing - FalseNorthing) / ScaleFactor;
    Xr = (Easting - FalseEasting - std::floor(Easting / ZoneStride) * ZoneStride) / ScaleFactor;
}

void TTMGrid::XYToGrid(double Xr, double Yr, double Lon, double& Easting, double& Northing) const {
    Northing = ScaleFactor * Yr + FalseNorthing;
    const int Zone = ZoneOf(Lon);
    Easting = Zone == 0 ? std::nan("") : Zone * ZoneStride + (ScaleFactor * Xr + FalseEasting);
}

int TTMGrid::ZoneOf(double Lon) const {
    if (!(ZoneWidth > 0.0 && std::isfinite(ZoneWidth) && std::isfinite(ZoneOrigin) && std::isfinite(Lon)))
        return 0;
    // Distance east of the western edge of zone 1, taken modulo a full turn so that every form of the same
    // longitude ((-pi, pi], [0, 2pi), or beyond) falls in the same zone.
    double Offset = std::fmod(ReduceAngle(Lon) - ZoneOrigin + ZoneWidth / 2.0, TwoPi);
    if (Offset < 0.0) Offset += TwoPi;
    // A hair west of the edge can round up to a full turn: that is the edge itself.
    if (Offset >= TwoPi) Offset = 0.0;
    const double Zone = std::floor(Offset / ZoneWidth) + 1.0;
    return Zone <= INT_MAX ? static_cast<int>(Zone) : 0;
}

double TTMGrid::ZoneMeridian(double Lon) const {
    const int Zone = ZoneOf(Lon);
    if (Zone == 0) return std::nan("");
    return ReduceAngle((Zone - 1) * ZoneWidth + ZoneOrigin);
}

double TTMGrid::ZoneMeridianFromEasting(double Easting) const {
    const double Zone = std::floor(Easting / ZoneStride);
    const double Meridian = Zone <= 0.0 ? ZoneOrigin : ZoneOrigin + (Zone - 1.0) * ZoneWidth;
    return ReduceAngle(Meridian);
}

bool TTMGridList::LoadFromFile(const std::string& FileName) {
    return AddCatalogueEntries<TTMGrid>(*this, FileName);
}

} // namespace vortane
