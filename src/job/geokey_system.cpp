#include "job/geokey_system.hpp"

#include <initializer_list>
#include <numbers>

namespace vortane {

namespace {

constexpr std::uint16_t AngularGrad = 9105;
constexpr std::uint16_t AngularDegreeSupplier = 9122; // a degree as suppliers write it

// EPSG conversion codes of the UTM zones (ProjectionGeoKey): 16001-16060 north, 16101-16160 south.
constexpr int UtmNorthConversions = 16000;
constexpr int UtmSouthConversions = 16100;

// An EPSG code as a key holds it: user-defined (32767) and missing give 0.
int CodeOf(const TGeoKeySet& Keys, std::uint16_t Id) {
    const std::optional<std::uint16_t> Value = Keys.Short(Id);
    return Value && *Value != 0 && *Value != gvUserDefined ? *Value : 0;
}

// The first of the keys given that holds a DOUBLE; writers differ in which of them a method uses.
std::optional<double> FirstDouble(const TGeoKeySet& Keys, std::initializer_list<std::uint16_t> Ids) {
    for (const std::uint16_t Id : Ids)
        if (const std::optional<double> Value = Keys.Double(Id)) return Value;
    return std::nullopt;
}

// Degrees per angular unit of the keys' angles; 0 for a unit this reading does not take.
double DegreesPerUnit(const TGeoKeySet& Keys) {
    switch (Keys.Short(gkGeogAngularUnits).value_or(gvAngularDegree)) {
    case gvAngularDegree:
    case AngularDegreeSupplier:
        return 1.0;
    case gvAngularRadian:
        return 180.0 / std::numbers::pi;
    case AngularGrad:
        return 0.9;
    default:
        return 0.0;
    }
}

EKeyMethod MethodOf(std::uint16_t CoordTrans) {
    switch (CoordTrans) {
    case gvCTTransverseMercator:
        return EKeyMethod::TransverseMercator;
    case gvCTLambertConfConic1SP:
        return EKeyMethod::LambertConic1SP;
    case gvCTLambertConfConic2SP:
        return EKeyMethod::LambertConic2SP;
    case gvCTObliqueStereographic:
        return EKeyMethod::ObliqueStereographic;
    default:
        return EKeyMethod::None;
    }
}

// The parameters of Method as the keys give them, angles in the keys' unit; a missing one is 0 (a
// missing scale 1), as other readers take them.
TKeyProjection ProjectionParameters(const TGeoKeySet& Keys, EKeyMethod Method) {
    TKeyProjection Projection;
    Projection.Method = Method;
    const auto Value = [&Keys](std::initializer_list<std::uint16_t> Ids, double Missing = 0.0) {
        return FirstDouble(Keys, Ids).value_or(Missing);
    };
    if (Method == EKeyMethod::LambertConic2SP) {
        Projection.StdParallel1 = Value({gkProjStdParallel1});
        Projection.StdParallel2 = Value({gkProjStdParallel2});
        Projection.OriginLongitude = Value({gkProjFalseOriginLong, gkProjNatOriginLong, gkProjCenterLong});
        Projection.OriginLatitude = Value({gkProjFalseOriginLat, gkProjNatOriginLat, gkProjCenterLat});
        Projection.FalseEasting = Value({gkProjFalseOriginEasting, gkProjFalseEasting});
        Projection.FalseNorthing = Value({gkProjFalseOriginNorthing, gkProjFalseNorthing});
        return Projection;
    }
    Projection.OriginLongitude = Value({gkProjNatOriginLong, gkProjCenterLong, gkProjFalseOriginLong});
    Projection.OriginLatitude = Value({gkProjNatOriginLat, gkProjCenterLat, gkProjFalseOriginLat});
    Projection.ScaleFactor = Value({gkProjScaleAtNatOrigin, gkProjScaleAtCenter}, 1.0);
    Projection.FalseEasting = Value({gkProjFalseEasting, gkProjFalseOriginEasting});
    Projection.FalseNorthing = Value({gkProjFalseNorthing, gkProjFalseOriginNorthing});
    return Projection;
}

// A UTM zone named by its EPSG conversion code; Method None for any other code.
TKeyProjection UtmConversion(int Code) {
    TKeyProjection Projection;
    const bool North = Code > UtmNorthConversions && Code <= UtmNorthConversions + 60;
    const bool South = Code > UtmSouthConversions && Code <= UtmSouthConversions + 60;
    if (!North && !South) return Projection;
    const int Zone = Code - (North ? UtmNorthConversions : UtmSouthConversions);
    Projection.Method = EKeyMethod::TransverseMercator;
    Projection.OriginLongitude = 6.0 * Zone - 183.0;
    Projection.ScaleFactor = 0.9996;
    Projection.FalseEasting = 500000.0;
    Projection.FalseNorthing = South ? 10000000.0 : 0.0;
    return Projection;
}

void ScaleAngles(TKeyProjection& Projection, double Degrees) {
    for (double* Angle : {&Projection.OriginLongitude, &Projection.OriginLatitude, &Projection.StdParallel1,
                          &Projection.StdParallel2})
        *Angle *= Degrees;
}

// The projection the keys spell out, or why it cannot be read.
std::string ReadUserProjection(const TGeoKeySet& Keys, TKeyProjection& Projection) {
    if (const std::uint16_t Unit = Keys.Short(gkProjLinearUnits).value_or(gvLinearMetre);
        Unit != gvLinearMetre)
        return "lengths in unit " + std::to_string(Unit) + " rather than metres";
    if (const std::optional<std::uint16_t> CoordTrans = Keys.Short(gkProjCoordTrans)) {
        Projection = ProjectionParameters(Keys, MethodOf(*CoordTrans));
        if (Projection.Method == EKeyMethod::None)
            return "projection method " + std::to_string(*CoordTrans) +
                   " (ProjCoordTrans), which no catalogue " + "system uses";
        const double Degrees = DegreesPerUnit(Keys);
        if (Degrees == 0.0)
            return "angles in unit " + std::to_string(*Keys.Short(gkGeogAngularUnits)) +
                   " rather than degrees, grads or radians";
        ScaleAngles(Projection, Degrees);
        return {};
    }
    const int Conversion = CodeOf(Keys, gkProjection);
    Projection = UtmConversion(Conversion);
    if (Projection.Method != EKeyMethod::None) return {};
    return Conversion
               ? "projection " + std::to_string(Conversion) + " (an EPSG conversion other than a UTM zone)"
               : "a user-defined projection without its method (ProjCoordTrans)";
}

TKeyGeodetic ReadGeodetic(const TGeoKeySet& Keys) {
    TKeyGeodetic Geodetic;
    Geodetic.DatumCode = CodeOf(Keys, gkGeogGeodeticDatum);
    Geodetic.SemiMajorAxis = Keys.Double(gkGeogSemiMajorAxis);
    Geodetic.InvFlattening = Keys.Double(gkGeogInvFlattening);
    const std::optional<double> SemiMinor = Keys.Double(gkGeogSemiMinorAxis);
    if (!Geodetic.InvFlattening && SemiMinor && Geodetic.SemiMajorAxis)
        Geodetic.InvFlattening = *SemiMinor == *Geodetic.SemiMajorAxis
                                     ? 0.0
                                     : *Geodetic.SemiMajorAxis / (*Geodetic.SemiMajorAxis - *SemiMinor);
    if (const TGeoKey* Shift = Keys.Find(gkGeogTOWGS84);
        Shift && (Shift->Doubles.size() == 3 || Shift->Doubles.size() == 7)) {
        std::array<double, 7> Values{};
        std::copy(Shift->Doubles.begin(), Shift->Doubles.end(), Values.begin());
        Geodetic.ToWgs84 = Values;
    }
    return Geodetic;
}

} // namespace

TKeySystem ReadKeySystem(const TGeoKeySet& Keys) {
    TKeySystem System;
    System.Geographic = Keys.Short(gkModelType) == gvModelGeographic;
    System.ProjectedCode = CodeOf(Keys, gkProjectedCSType);
    System.GeographicCode = CodeOf(Keys, gkGeographicType);
    System.Geodetic = ReadGeodetic(Keys);
    const bool SaysUserDefined = Keys.Short(gkProjectedCSType) == gvUserDefined;
    const bool SpellsProjection = Keys.Find(gkProjCoordTrans) || CodeOf(Keys, gkProjection);
    System.UserDefinedProjection =
        !System.Geographic && System.ProjectedCode == 0 && (SaysUserDefined || SpellsProjection);
    if (System.UserDefinedProjection) System.Problem = ReadUserProjection(Keys, System.Projection);
    return System;
}

} // namespace vortane
