#include "job/file_crs.hpp"

#include "job/geokey_system.hpp"
#include "job/projection_parameters.hpp"
#include "job/step_units.hpp"
#include "text/strings.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>
#include <vector>

namespace vortane {

namespace {

// How close a file's ellipsoid and datum shift must come to a catalogue entry's to be that entry.
constexpr double AxisTolerance = 1e-3;        // metres
constexpr double FlatteningTolerance = 1e-11; // about 1e-6 in the inverse flattening
constexpr double ShiftTolerance = 1e-3;       // metres
constexpr double RotationTolerance = 1e-9;    // radians, 0.0002 arc-seconds
constexpr double ScaleTolerance = 1e-9;       // 0.001 ppm

constexpr double RadiansPerArcSecond = std::numbers::pi / 648000.0;

bool Near(double First, double Second, double Tolerance) {
    return std::abs(First - Second) <= Tolerance;
}

bool SameLetters(std::string_view First, std::string_view Second) {
    return std::ranges::equal(
        First, Second, [](unsigned char A, unsigned char B) { return std::toupper(A) == std::toupper(B); });
}

// The entry named Name exactly, else the first named so in other letter case.
TCodeObject* FindAnyCase(const TCodeList& List, const std::string& Name) {
    if (TCodeObject* Exact = List.Find(Name)) return Exact;
    for (int Index = 0; Index < List.Count(); ++Index)
        if (SameLetters(List.Item(Index)->Name, Name)) return List.Item(Index);
    return nullptr;
}

// ---- Names

bool ResolveNamesAnyCase(const TCSList& Catalogue, const TInputDescription& Input, TCSSelection& Selection) {
    if (Catalogue.ResolveNames(Input.Spheroid, Input.Datum, Input.Projection, Selection)) return true;
    auto* Datum = static_cast<TDatumRecord*>(FindAnyCase(Catalogue.Datums, Input.Datum));
    TProjection* System = nullptr;
    for (const TCodeList* List : Catalogue.SystemLists())
        if (!System) System = static_cast<TProjection*>(FindAnyCase(*List, Input.Projection));
    const std::string SpheroidCode = Input.Spheroid.empty() && Datum ? Datum->SpheroidCode : Input.Spheroid;
    auto* Spheroid = static_cast<TSpheroid*>(FindAnyCase(Catalogue.Spheroids, SpheroidCode));
    if (!Spheroid || !Datum || !System) return false;
    Selection = {Spheroid, Datum, System};
    return true;
}

// ---- User-defined keys

bool SameEllipsoid(const TSpheroid& Spheroid, const TKeyGeodetic& Geodetic) {
    const double Flattening = *Geodetic.InvFlattening == 0.0 ? 0.0 : 1.0 / *Geodetic.InvFlattening;
    return Near(Spheroid.A, *Geodetic.SemiMajorAxis, AxisTolerance) &&
           Near(Spheroid.F, Flattening, FlatteningTolerance);
}

// The shift a datum's seven parameters make, against TOWGS84 values (or none at all when not given).
bool SameShift(const TDatumRecord& Datum, const std::optional<std::array<double, 7>>& ToWgs84) {
    const std::array<double, 7> Shift = ToWgs84.value_or(std::array<double, 7>{});
    return Near(Datum.DX, Shift[0], ShiftTolerance) && Near(Datum.DY, Shift[1], ShiftTolerance) &&
           Near(Datum.DZ, Shift[2], ShiftTolerance) &&
           Near(Datum.RX, Shift[3] * RadiansPerArcSecond, RotationTolerance) &&
           Near(Datum.RY, Shift[4] * RadiansPerArcSecond, RotationTolerance) &&
           Near(Datum.RZ, Shift[5] * RadiansPerArcSecond, RotationTolerance) &&
           Near(Datum.Scale, Shift[6] * 1e-6, ScaleTolerance);
}

// The datum a user-defined system is on: named by a code of the table, else the first catalogue datum
// on its ellipsoid whose shift is its TOWGS84 (none given: no shift at all, as other readers take it).
TDatumRecord* MatchDatum(const TCSList& Catalogue, const TKeySystem& Keys, std::string& Problem) {
    for (const TEpsgEntry* Entry : Catalogue.EpsgCodes.SystemsOfCode(Keys.GeographicCode))
        if (Entry->Kind == EEpsgKind::Geographic)
            if (TDatumRecord* Datum = Catalogue.FindDatum(Entry->Datum)) return Datum;
    if (const TEpsgEntry* Entry = Catalogue.EpsgCodes.DatumOfCode(Keys.Geodetic.DatumCode))
        if (TDatumRecord* Datum = Catalogue.FindDatum(Entry->Datum)) return Datum;
    const TKeyGeodetic& Geodetic = Keys.Geodetic;
    if (!Geodetic.SemiMajorAxis || !Geodetic.InvFlattening) {
        Problem = "its keys give neither a datum the catalogue holds nor the axes of its ellipsoid";
        return nullptr;
    }
    for (int Index = 0; Index < Catalogue.Datums.Count(); ++Index) {
        TDatumRecord* Datum = Catalogue.Datums.Item(Index);
        const TSpheroid* Spheroid = Catalogue.FindSpheroid(Datum->SpheroidCode);
        if (!Datum->IsGrid && Spheroid && SameEllipsoid(*Spheroid, Geodetic) &&
            SameShift(*Datum, Geodetic.ToWgs84))
            return Datum;
    }
    Problem = "no catalogue datum has its ellipsoid (a " + GeneralText(*Geodetic.SemiMajorAxis) + " m, 1/f " +
              GeneralText(*Geodetic.InvFlattening) + ") and " +
              (Geodetic.ToWgs84 ? "its TOWGS84 shift" : "no shift to WGS 84 (its keys give no TOWGS84)");
    return nullptr;
}

// The catalogue systems of the projection's parameters, best first: those the table publishes on
// Datum, then those defined on Datum's spheroid, then the others in the order FindSystem searches.
std::vector<TProjection*> MatchingSystems(const TCSList& Catalogue, const TKeyProjection& Projection,
                                          const TDatumRecord& Datum) {
    std::vector<std::pair<int, TProjection*>> Ranked;
    for (const TCodeList* List : Catalogue.SystemLists())
        for (int Index = 0; Index < List->Count(); ++Index) {
            auto* System = static_cast<TProjection*>(List->Item(Index));
            const std::optional<TKeyProjection> Parameters = ParametersOf(*System);
            if (!Parameters || !SameParameters(*Parameters, Projection)) continue;
            const bool Published = Catalogue.EpsgCodes.ProjectedCode(System->Name, Datum.Name) != 0;
            const bool OnSpheroid = DefiningSpheroidCode(*System) == Datum.SpheroidCode;
            Ranked.emplace_back(Published ? 0 : (OnSpheroid ? 1 : 2), System);
        }
    std::ranges::stable_sort(Ranked, {}, &std::pair<int, TProjection*>::first);
    std::vector<TProjection*> Systems;
    for (const auto& Entry : Ranked)
        Systems.push_back(Entry.second);
    return Systems;
}

bool ResolveUserDefined(const TCSList& Catalogue, const TKeySystem& Keys, TCSSelection& Selection,
                        std::string& Problem) {
    if (!Keys.Problem.empty()) {
        Problem = "its GeoTIFF keys give " + Keys.Problem;
        return false;
    }
    TDatumRecord* Datum = MatchDatum(Catalogue, Keys, Problem);
    if (!Datum) return false;
    TProjection* System = nullptr;
    if (Keys.Geographic) {
        System = Catalogue.DecimalDegrees();
    } else if (const std::vector<TProjection*> Systems = MatchingSystems(Catalogue, Keys.Projection, *Datum);
               !Systems.empty()) {
        System = Systems.front();
    }
    TSpheroid* Spheroid = Catalogue.FindSpheroid(Datum->SpheroidCode);
    if (!System || !Spheroid) {
        Problem = "no catalogue system has the projection parameters of its GeoTIFF keys";
        return false;
    }
    Selection = {Spheroid, Datum, System};
    return true;
}

// The keys' system: by code, else by the values of user-defined keys. False, with the reason, when
// they name nothing the catalogue holds or nothing at all (Problem then stays empty).
bool ResolveKeys(const TCSList& Catalogue, const TGeoKeySet& GeoKeys, TFileCrs& Found) {
    const TKeySystem Keys = ReadKeySystem(GeoKeys);
    const int Code = Keys.Geographic ? Keys.GeographicCode : Keys.ProjectedCode;
    if (Code != 0) {
        if (Catalogue.ResolveEpsgCode(Code, Found.Selection)) {
            Found.Source = "GeoTIFF EPSG code";
            Found.EpsgCode = Code;
            return true;
        }
        Found.Problem =
            "its GeoTIFF keys name EPSG:" + std::to_string(Code) + ", which the catalogue's table lacks";
        return false;
    }
    if (!Keys.UserDefinedProjection && !(Keys.Geographic && GeoKeys.Find(gkGeographicType))) {
        if (!GeoKeys.Keys.empty()) Found.Problem = "its GeoTIFF keys name no coordinate system";
        return false;
    }
    if (!ResolveUserDefined(Catalogue, Keys, Found.Selection, Found.Problem)) return false;
    Found.Source = "GeoTIFF parameters";
    return true;
}

} // namespace

TFileCrs ResolveFileCrs(const TCSList& Catalogue, const TInputDescription& Input) {
    TFileCrs Found;
    if (!ResolveKeys(Catalogue, Input.GeoKeys, Found)) {
        // The names an image reports for itself; older images carry only these.
        if (ResolveNamesAnyCase(Catalogue, Input, Found.Selection)) {
            Found.Source = "names";
            Found.Problem.clear();
        } else {
            Found.Selection = {};
            if (Found.Problem.empty())
                Found.Problem = "its names (spheroid \"" + Input.Spheroid + "\", datum \"" + Input.Datum +
                                "\", system \"" + Input.Projection + "\") are not the catalogue's";
            return Found;
        }
    }
    if (Found.EpsgCode == 0) Found.EpsgCode = Catalogue.EpsgCodeOf(Found.Selection);
    return Found;
}

bool ContradictsFile(const TCSSelection& Given, const TFileCrs& File) {
    if (!File.Found() || !Given.System) return false;
    if (Given.Datum != File.Selection.Datum || Given.Spheroid != File.Selection.Spheroid) return true;
    if (Given.System == File.Selection.System) return false;
    if (IsGeographic(Given.System) && IsGeographic(File.Selection.System)) return false;
    const std::optional<TKeyProjection> GivenParameters = ParametersOf(*Given.System);
    const std::optional<TKeyProjection> FileParameters = ParametersOf(*File.Selection.System);
    return !(GivenParameters && FileParameters && SameParameters(*GivenParameters, *FileParameters));
}

std::string SelectionText(const TCSList& Catalogue, const TCSSelection& Selection) {
    if (!Selection.Spheroid || !Selection.Datum || !Selection.System) return "no system";
    const int Code = Catalogue.EpsgCodeOf(Selection);
    return "spheroid " + Selection.Spheroid->Name + ", datum " + Selection.Datum->Name + ", system " +
           Selection.System->Name + (Code ? " (EPSG:" + std::to_string(Code) + ")" : "");
}

} // namespace vortane
