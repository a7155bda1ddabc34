#include "job/crs_description.hpp"

#include "catalogue/catalogue.hpp"
#include "catalogue/epsg_table.hpp"
#include "crs/angles.hpp"

#include <cmath>
#include <memory>
#include <optional>
#include <proj.h>
#include <proj_experimental.h>
#include <sstream>
#include <utility>
#include <vector>

namespace vortane {

namespace {

constexpr double DegreesPerRadian = 180.0 / Pi;
constexpr double ZoneStride = 1'000'000.0; // a zone grid's eastings carry the zone in the millions
// Where the cone of the Lambert variant with a fixed apex has its apex, before scale and false origin.
constexpr double ErenApexEasting = 1'300'000.0;
constexpr double ErenApexNorthing = 15'000'000.0;
constexpr std::uint16_t PrimeMeridianGreenwich = 8901;

// A longitude in degrees within (-180, 180].
double LongitudeDegrees(double Radians) {
    double Degrees = std::remainder(Radians * DegreesPerRadian, 360.0);
    if (Degrees <= -180.0) Degrees += 360.0;
    return Degrees;
}

std::string NumberText(double Value) {
    std::ostringstream Text;
    Text.imbue(std::locale::classic());
    Text.precision(17);
    Text << Value;
    return Text.str();
}

// A projection as GeoTIFF keys and a PROJ string name it: lengths in metres, angles in degrees.
struct TMethod {
    std::uint16_t CoordTrans = 0;
    std::vector<std::pair<std::uint16_t, double>> Angles;  // key, degrees
    std::vector<std::pair<std::uint16_t, double>> Lengths; // key, metres
    std::vector<std::pair<std::uint16_t, double>> Numbers; // key, plain number (scale)
    std::string Proj;                                      // "+proj=tmerc +lat_0=..."
};

TMethod StartMethod(std::uint16_t CoordTrans, std::string_view ProjName) {
    TMethod Method;
    Method.CoordTrans = CoordTrans;
    Method.Proj = "+proj=" + std::string(ProjName);
    return Method;
}

void AddProj(TMethod& Method, std::string_view Name, double Value) {
    Method.Proj += " +" + std::string(Name) + "=" + NumberText(Value);
}

// The false easting and northing, in metres whatever the system's unit, as PROJ counts them.
void AddFalseOrigin(TMethod& Method, std::uint16_t EastingKey, double Easting, std::uint16_t NorthingKey,
                    double Northing) {
    Method.Lengths = {{EastingKey, Easting}, {NorthingKey, Northing}};
    AddProj(Method, "x_0", Easting);
    AddProj(Method, "y_0", Northing);
}

TMethod TransverseMercator(double OriginLat, double Meridian, double Scale, double FalseEasting,
                           double FalseNorthing) {
    TMethod M = StartMethod(gvCTTransverseMercator, "tmerc");
    M.Angles = {{gkProjNatOriginLong, LongitudeDegrees(Meridian)},
                {gkProjNatOriginLat, OriginLat * DegreesPerRadian}};
    M.Numbers = {{gkProjScaleAtNatOrigin, Scale}};
    AddProj(M, "lat_0", OriginLat * DegreesPerRadian);
    AddProj(M, "lon_0", LongitudeDegrees(Meridian));
    AddProj(M, "k", Scale);
    AddFalseOrigin(M, gkProjFalseEasting, FalseEasting, gkProjFalseNorthing, FalseNorthing);
    return M;
}

// Methods given by their natural origin (latitude, longitude, scale): the Lambert cone with one
// standard parallel and the oblique stereographic.
TMethod NaturalOrigin(std::uint16_t CoordTrans, std::string_view ProjName, const TSeriesProjection& P) {
    TMethod M = StartMethod(CoordTrans, ProjName);
    const double Lat = P.OriginLatitude * DegreesPerRadian;
    M.Angles = {{gkProjNatOriginLong, LongitudeDegrees(P.CentralMeridian)}, {gkProjNatOriginLat, Lat}};
    M.Numbers = {{gkProjScaleAtNatOrigin, P.ScaleFactor}};
    AddProj(M, "lat_0", Lat);
    if (CoordTrans == gvCTLambertConfConic1SP) AddProj(M, "lat_1", Lat);
    AddProj(M, "lon_0", LongitudeDegrees(P.CentralMeridian));
    AddProj(M, "k_0", P.ScaleFactor);
    AddFalseOrigin(M, gkProjFalseEasting, P.FalseEasting, gkProjFalseNorthing, P.FalseNorthing);
    return M;
}

// The Lambert cone with two standard parallels and a false origin.
TMethod LambertTwoParallels(double Parallel1, double Parallel2, double OriginLat, double Meridian,
                            double FalseEasting, double FalseNorthing) {
    TMethod M = StartMethod(gvCTLambertConfConic2SP, "lcc");
    M.Angles = {{gkProjStdParallel1, Parallel1 * DegreesPerRadian},
                {gkProjStdParallel2, Parallel2 * DegreesPerRadian},
                {gkProjFalseOriginLong, LongitudeDegrees(Meridian)},
                {gkProjFalseOriginLat, OriginLat * DegreesPerRadian}};
    AddProj(M, "lat_1", Parallel1 * DegreesPerRadian);
    AddProj(M, "lat_2", Parallel2 * DegreesPerRadian);
    AddProj(M, "lat_0", OriginLat * DegreesPerRadian);
    AddProj(M, "lon_0", LongitudeDegrees(Meridian));
    AddFalseOrigin(M, gkProjFalseOriginEasting, FalseEasting, gkProjFalseOriginNorthing, FalseNorthing);
    return M;
}

// The method of a projected system; none for systems GeoTIFF cannot describe.
std::optional<TMethod> MethodOf(const TProjection& System, double Easting) {
    if (const auto* Grid = dynamic_cast<const TTMGrid*>(&System)) {
        // The image lies in the zone its eastings carry; that zone is a transverse Mercator system
        // whose false easting holds the zone number as well.
        const double Zone = std::floor(Easting / ZoneStride);
        if (!(Zone >= 1 && Zone <= 60)) return std::nullopt;
        return TransverseMercator(Grid->OriginLatitude, Grid->ZoneMeridianFromEasting(Easting),
                                  Grid->ScaleFactor, Zone * ZoneStride + Grid->FalseEasting,
                                  Grid->FalseNorthing);
    }
    if (const auto* Tm = dynamic_cast<const TTransMerc*>(&System))
        return TransverseMercator(Tm->OriginLatitude, Tm->CentralMeridian, Tm->ScaleFactor, Tm->FalseEasting,
                                  Tm->FalseNorthing);
    if (const auto* Lambert = dynamic_cast<const TLambert1*>(&System))
        return NaturalOrigin(gvCTLambertConfConic1SP, "lcc", *Lambert);
    if (const auto* Stereo = dynamic_cast<const TStereoProj*>(&System))
        return NaturalOrigin(gvCTObliqueStereographic, "sterea", *Stereo);
    // The published cones with two parallels have no scale factor.
    if (const auto* Lambert = dynamic_cast<const TLambert2*>(&System); Lambert && Lambert->ScaleFactor == 1.0)
        return LambertTwoParallels(Lambert->StdParallel1, Lambert->StdParallel2, Lambert->OriginLatitude,
                                   Lambert->CentralMeridian, Lambert->FalseEasting, Lambert->FalseNorthing);
    // The apex variant is the published cone with its false origin at the apex (latitude 90 degrees).
    if (const auto* Eren = dynamic_cast<const TLambEren*>(&System); Eren && Eren->ScaleFactor == 1.0)
        return LambertTwoParallels(Eren->StdParallel1, Eren->StdParallel2, Pi / 2, Eren->CentralMeridian,
                                   Eren->FalseEasting + ErenApexEasting,
                                   Eren->FalseNorthing + ErenApexNorthing);
    return std::nullopt;
}

// Only the ordinary transverse Mercator counts in the unit the job gives it; every other system
// counts in metres whatever the factor.
double LinearUnitFactor(const TProjection& System, double UnitFactor) {
    const bool Scaled = dynamic_cast<const TTransMerc*>(&System) && !dynamic_cast<const TTMGrid*>(&System);
    return Scaled ? UnitFactor : 1.0;
}

// ---- PROJ: the WKT of a code or of PROJ text

// One PROJ object, released with its context.
struct TProjObject {
    PJ_CONTEXT* Context = nullptr;
    PJ* Object = nullptr;
    explicit TProjObject(PJ_CONTEXT* C, PJ* O) : Context(C), Object(O) {}
    TProjObject(const TProjObject&) = delete;
    TProjObject& operator=(const TProjObject&) = delete;
    ~TProjObject() {
        if (Object) proj_destroy(Object);
    }
};

class TProjSession {
public:
    TProjSession() : FContext(proj_context_create()) { proj_log_level(FContext, PJ_LOG_NONE); }
    ~TProjSession() { proj_context_destroy(FContext); }
    TProjSession(const TProjSession&) = delete;
    TProjSession& operator=(const TProjSession&) = delete;

    // The WKT and axis mapping of Definition ("EPSG:27700", "+proj=..."), with radians as angular
    // unit when asked. False when PROJ does not know it.
    bool Describe(const std::string& Definition, bool Radians, TSystemDescription& Description,
                  const std::string& Name = {}) {
        TProjObject Crs(FContext, proj_create(FContext, Definition.c_str()));
        if (!Crs.Object) return false;
        if (!Name.empty()) {
            TProjObject Named(FContext, proj_alter_name(FContext, Crs.Object, Name.c_str()));
            if (Named.Object) std::swap(Crs.Object, Named.Object);
        }
        const TProjObject Altered(FContext, Radians ? proj_crs_alter_cs_angular_unit(
                                                          FContext, Crs.Object, "radian", 1.0, "EPSG", "9101")
                                                    : nullptr);
        const PJ* Final = Radians ? Altered.Object : Crs.Object;
        if (!Final) return false;
        // With its axes in their published order, as GDAL writes them.
        const char* const Options[] = {"OUTPUT_AXIS=YES", nullptr};
        const char* Wkt = proj_as_wkt(FContext, Final, PJ_WKT1_GDAL, Options);
        if (!Wkt) return false;
        Description.Wkt = Wkt;
        // The axes as a reader of that text finds them: WKT 1 may leave them out.
        const TProjObject Read(FContext, proj_create(FContext, Wkt));
        Description.AxisMapping = Read.Object && FirstAxisNorth(Read.Object) ? "2,1" : "1,2";
        return true;
    }

private:
    bool FirstAxisNorth(const PJ* Crs) {
        // A bound system (one with a shift to WGS 84) keeps its axes in its source system.
        const TProjObject Source(
            FContext, proj_get_type(Crs) == PJ_TYPE_BOUND_CRS ? proj_get_source_crs(FContext, Crs) : nullptr);
        const TProjObject Axes(FContext,
                               proj_crs_get_coordinate_system(FContext, Source.Object ? Source.Object : Crs));
        const char* Direction = nullptr;
        return Axes.Object &&
               proj_cs_get_axis_info(FContext, Axes.Object, 0, nullptr, nullptr, &Direction, nullptr, nullptr,
                                     nullptr, nullptr) &&
               Direction && std::string_view(Direction) == "north";
    }

    PJ_CONTEXT* FContext;
};

// One session per thread: opening PROJ's database is what takes the time.
TProjSession& Proj() {
    thread_local TProjSession Session;
    return Session;
}

// ---- GeoKeys

void AddShort(TGeoKeySet& Keys, std::uint16_t Id, std::uint16_t Value) {
    Keys.Keys.push_back(TGeoKey{Id, {Value}, {}, {}});
}
void AddDoubles(TGeoKeySet& Keys, std::uint16_t Id, std::vector<double> Values) {
    Keys.Keys.push_back(TGeoKey{Id, {}, std::move(Values), {}});
}
void AddText(TGeoKeySet& Keys, std::uint16_t Id, std::string Text) {
    Keys.Keys.push_back(TGeoKey{Id, {}, {}, std::move(Text)});
}

// The datum's shift to WGS 84 as TOWGS84 values: translations in metres, position-vector rotations in
// arc-seconds, scale in parts per million; the three translations alone when that is all there is.
// The catalogue holds the published arc-seconds and ppm as radians and plain ratios; rounded to 1e-9
// they read as published again (the rounding moves a point by less than a nanometre).
std::vector<double> ToWgs84(const TDatumRecord& Datum) {
    constexpr double ArcSecondsPerRadian = 648000.0 / Pi;
    const auto Published = [](double Value) { return std::round(Value * 1e9) / 1e9; };
    if (Datum.RX == 0 && Datum.RY == 0 && Datum.RZ == 0 && Datum.Scale == 0)
        return {Datum.DX, Datum.DY, Datum.DZ};
    return {Datum.DX,
            Datum.DY,
            Datum.DZ,
            Published(Datum.RX * ArcSecondsPerRadian),
            Published(Datum.RY * ArcSecondsPerRadian),
            Published(Datum.RZ * ArcSecondsPerRadian),
            Published(Datum.Scale * 1e6)};
}

// A geographic system of the spheroid's axes and the datum's shift, angles in AngularUnit.
void AddUserGeographic(TGeoKeySet& Keys, const TSystemToDescribe& T, std::uint16_t AngularUnit) {
    AddShort(Keys, gkGeographicType, gvUserDefined);
    AddText(Keys, gkGeogCitation, T.Datum->Name);
    AddShort(Keys, gkGeogGeodeticDatum, gvUserDefined);
    AddShort(Keys, gkGeogPrimeMeridian, PrimeMeridianGreenwich);
    AddShort(Keys, gkGeogAngularUnits, AngularUnit);
    AddShort(Keys, gkGeogEllipsoid, gvUserDefined);
    AddDoubles(Keys, gkGeogSemiMajorAxis, {T.Spheroid->A});
    if (T.Spheroid->F == 0)
        AddDoubles(Keys, gkGeogSemiMinorAxis, {T.Spheroid->A});
    else
        AddDoubles(Keys, gkGeogInvFlattening, {1.0 / T.Spheroid->F});
    // A grid datum's shift is no similarity transformation.
    if (!T.Datum->IsGrid) AddDoubles(Keys, gkGeogTOWGS84, ToWgs84(*T.Datum));
}

// The ellipsoid and datum shift as PROJ text. Built piece by piece: GCC 12 at -O3 takes
// "text" + std::string for an overlapping copy.
std::string ProjEllipsoid(const TSystemToDescribe& T) {
    std::string Text(" +a=");
    Text.append(NumberText(T.Spheroid->A));
    if (T.Spheroid->F == 0)
        Text.append(" +b=").append(NumberText(T.Spheroid->A));
    else
        Text.append(" +rf=").append(NumberText(1.0 / T.Spheroid->F));
    if (!T.Datum->IsGrid) {
        Text.append(" +towgs84=");
        const std::vector<double> Shift = ToWgs84(*T.Datum);
        for (std::size_t Index = 0; Index < Shift.size(); ++Index)
            Text.append(Index == 0 ? "" : ",").append(NumberText(Shift[Index]));
    }
    return Text.append(" +no_defs +type=crs");
}

TSystemDescription PublishedProjected(int Code) {
    TSystemDescription D;
    D.EpsgCode = Code;
    AddShort(D.GeoKeys, gkModelType, gvModelProjected);
    AddShort(D.GeoKeys, gkProjectedCSType, static_cast<std::uint16_t>(Code));
    AddShort(D.GeoKeys, gkProjLinearUnits, gvLinearMetre);
    return D;
}

// The name the table gives a code ("WGS 84"); Otherwise when it has none.
std::string PublishedName(const TEpsgTable& Codes, int Code, const std::string& Otherwise) {
    const std::vector<const TEpsgEntry*> Entries = Codes.SystemsOfCode(Code);
    return Entries.empty() || Entries.front()->Description.empty() ? Otherwise : Entries.front()->Description;
}

// A geographic system in radians: the published datum's, whose code GeoTIFF keys name as the datum
// (a geographic code with another angular unit is read in degrees by some readers); or the spheroid
// with the datum's shift.
TSystemDescription Geographic(const TEpsgTable* Codes, const TSystemToDescribe& T, int Code) {
    const int DatumCode = Code != 0 && Codes ? Codes->DatumCode(T.Datum->Name) : 0;
    TSystemDescription D;
    AddShort(D.GeoKeys, gkModelType, gvModelGeographic);
    if (DatumCode != 0) {
        D.EpsgCode = Code;
        AddShort(D.GeoKeys, gkGeographicType, gvUserDefined);
        AddText(D.GeoKeys, gkGeogCitation, PublishedName(*Codes, Code, T.Datum->Name));
        AddShort(D.GeoKeys, gkGeogGeodeticDatum, static_cast<std::uint16_t>(DatumCode));
        AddShort(D.GeoKeys, gkGeogPrimeMeridian, PrimeMeridianGreenwich);
        AddShort(D.GeoKeys, gkGeogAngularUnits, gvAngularRadian);
        if (Proj().Describe("EPSG:" + std::to_string(Code), true, D)) return D;
        D = {};
        AddShort(D.GeoKeys, gkModelType, gvModelGeographic);
    }
    AddUserGeographic(D.GeoKeys, T, gvAngularRadian);
    Proj().Describe("+proj=longlat" + ProjEllipsoid(T), true, D);
    return D;
}

TSystemDescription UserProjected(const TSystemToDescribe& T, const TMethod& Method) {
    TSystemDescription D;
    const double Unit = LinearUnitFactor(*T.System, T.UnitFactor);
    const bool Feet = Unit != 1.0;
    AddShort(D.GeoKeys, gkModelType, gvModelProjected);
    const std::string Name = T.System->Name + " / " + T.Datum->Name;
    AddText(D.GeoKeys, gkCitation, Name);
    AddUserGeographic(D.GeoKeys, T, gvAngularDegree);
    AddShort(D.GeoKeys, gkProjectedCSType, gvUserDefined);
    AddShort(D.GeoKeys, gkProjection, gvUserDefined);
    AddShort(D.GeoKeys, gkProjCoordTrans, Method.CoordTrans);
    AddShort(D.GeoKeys, gkProjLinearUnits, Feet ? gvLinearUSSurveyFoot : gvLinearMetre);
    for (const auto& [Key, Degrees] : Method.Angles)
        AddDoubles(D.GeoKeys, Key, {Degrees});
    for (const auto& [Key, Number] : Method.Numbers)
        AddDoubles(D.GeoKeys, Key, {Number});
    // False eastings and northings count in the system's linear unit.
    for (const auto& [Key, Metres] : Method.Lengths)
        AddDoubles(D.GeoKeys, Key, {Metres / Unit});

    Proj().Describe(Method.Proj + (Feet ? " +units=us-ft" : " +units=m") + ProjEllipsoid(T), false, D);
    return D;
}

} // namespace

TSystemDescription DescribeSystem(const TEpsgTable* Codes, const TSystemToDescribe& Target) {
    if (!Target.Spheroid || !Target.Datum || !Target.System) return {};
    const int Code = Codes ? EpsgCodeOf(*Codes, *Target.Spheroid, *Target.Datum, *Target.System) : 0;
    if (dynamic_cast<const TGeografic*>(Target.System)) return Geographic(Codes, Target, Code);
    if (Code != 0 && LinearUnitFactor(*Target.System, Target.UnitFactor) == 1.0) {
        TSystemDescription D = PublishedProjected(Code);
        if (Proj().Describe("EPSG:" + std::to_string(Code), false, D)) return D;
    }
    const std::optional<TMethod> Method = MethodOf(*Target.System, Target.Easting);
    return Method ? UserProjected(Target, *Method) : TSystemDescription{};
}

} // namespace vortane
