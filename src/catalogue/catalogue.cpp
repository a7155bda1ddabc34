#include "catalogue/catalogue.hpp"

#include "text/strings.hpp"

#include <filesystem>
#include <system_error>

namespace vortane {

namespace {

// The file names as the program folder holds them.
constexpr const char* SpheroidFile = "Spher.dat";
constexpr const char* DatumFile = "Datums.dat";
constexpr const char* FrenchGridName = "gr3df97a.mnt";
constexpr const char* EpsgTableFile = "epsg.txt";

std::string CannotRead(const std::string& FileName) {
    return "Cannot read " + FileName;
}

} // namespace

bool TCSList::LoadAll() {
    return LoadAll(ProgramDir());
}

bool TCSList::LoadAll(const std::string& Folder) {
    if (!LoadSpheroids(Folder + SpheroidFile)) return false;
    if (!LoadDatums(Folder + DatumFile, Folder + FrenchGridName)) return false;
    if (!BuildSystems(Folder)) return false;
    LoadEpsgTable(Folder + EpsgTableFile);
    return true;
}

// A folder without a table (an older installation, a hand-made catalogue) simply offers no codes.
void TCSList::LoadEpsgTable(const std::string& FileName) {
    std::error_code Error;
    if (!std::filesystem::exists(FileName, Error)) return;
    if (!EpsgCodes.LoadFromFile(FileName)) Warnings.push_back(CannotRead(FileName));
    Warnings.insert(Warnings.end(), EpsgCodes.Errors.begin(), EpsgCodes.Errors.end());
}

bool TCSList::LoadSpheroids(const std::string& FileName) {
    if (Spheroids.LoadFromFile(FileName)) return true;
    Warnings.push_back(CannotRead(FileName));
    return false;
}

bool TCSList::LoadDatums(const std::string& FileName, const std::string& FrenchGridFile) {
    const bool Loaded = Datums.LoadFromFile(FileName, "conus", FrenchGridFile);
    Warnings.insert(Warnings.end(), Datums.GridErrors.begin(), Datums.GridErrors.end());
    if (!Loaded) {
        Warnings.push_back(CannotRead(FileName));
        return false;
    }
    for (int i = 0; i < Datums.Count(); ++i) {
        const std::string& Code = Datums.Item(i)->SpheroidCode;
        if (!Code.empty() && !Spheroids.AddRefTo(Code, i)) {
            Warnings.push_back("Spheroid " + Code + " not found in list");
            return false;
        }
    }
    return true;
}

void TCSList::AttachBuiltInSystems() {
    for (int s = 0; s < Spheroids.Count(); ++s) {
        TSpheroid* Spheroid = Spheroids.Item(s);
        for (int j = 0; j < Geographics.Count(); ++j)
            Spheroid->AddPrjType("GEOGRAPHIC", &Geographics, j);
        Spheroid->AddPrjType("GEOCENTRIC", &Geocentrics, 0);
    }
}

template <class TList>
bool TCSList::LoadProjectionFile(TList& List, const std::string& FileName, const std::string& TypeName) {
    if (!List.LoadFromFile(FileName)) {
        Warnings.push_back(CannotRead(FileName));
        return false;
    }
    // An entry on an unknown spheroid stays reachable by name only.
    for (int k = 0; k < List.Count(); ++k)
        if (TSpheroid* Spheroid = FindSpheroid(List.Item(k)->SpheroidCode))
            Spheroid->AddPrjType(TypeName, &List, k);
    return true;
}

bool TCSList::BuildSystems(const std::string& Folder) {
    AttachBuiltInSystems();
    if (!LoadProjectionFile(Lambert1s, Folder + "Lambert1.dat", "LAMBERT1")) return false;
    if (!LoadProjectionFile(Lambert2s, Folder + "Lambert2.dat", "LAMBERT2")) return false;
    if (!LoadProjectionFile(LambErens, Folder + "LambEren.dat", "LAMBEREN")) return false;
    if (!LoadProjectionFile(TransMercs, Folder + "tranmerc.dat", "TRANSVERSE MERCATOR")) return false;
    if (!LoadProjectionFile(Stereos, Folder + "stereo.dat", "STEREOGRAPHIC")) return false;

    const std::string GridFile = Folder + "tmgrid.dat";
    if (!TMGrids.LoadFromFile(GridFile)) {
        Warnings.push_back(CannotRead(GridFile));
        return false;
    }
    // Zone grids work on any spheroid.
    for (int s = 0; s < Spheroids.Count(); ++s)
        for (int j = 0; j < TMGrids.Count(); ++j)
            Spheroids.Item(s)->AddPrjType("TMGRID", &TMGrids, j);
    return true;
}

TSpheroid* TCSList::FindSpheroid(const std::string& Code) const {
    return Spheroids.Find(Code);
}

TDatumRecord* TCSList::FindDatum(const std::string& Name) const {
    return Datums.Find(Name);
}

TProjection* TCSList::DecimalDegrees() const {
    for (int I = 0; I < Geographics.Count(); ++I)
        if (dynamic_cast<TGeoDecimal*>(Geographics.Item(I))) return Geographics.Item(I);
    return nullptr;
}

std::array<const TCodeList*, 8> TCSList::SystemLists() const {
    return {&Geographics, &Geocentrics, &Lambert1s, &Lambert2s, &LambErens, &TransMercs, &Stereos, &TMGrids};
}

TProjection* TCSList::FindSystem(const std::string& Name) const {
    for (const TCodeList* List : SystemLists())
        if (TCodeObject* Found = List->Find(Name)) return static_cast<TProjection*>(Found);
    return nullptr;
}

bool TCSList::ResolveNames(const std::string& SpheroidText, const std::string& DatumText,
                           const std::string& SystemText, TCSSelection& Selection) const {
    TDatumRecord* Datum = FindDatum(RemoveChar(DatumText, '"'));
    TProjection* System = FindSystem(RemoveChar(SystemText, '"'));
    std::string SpheroidCode = RemoveChar(SpheroidText, '"');
    if (SpheroidCode.empty() && Datum) SpheroidCode = Datum->SpheroidCode;
    TSpheroid* Spheroid = FindSpheroid(SpheroidCode);
    if (!Spheroid || !Datum || !System) return false;
    Selection = {Spheroid, Datum, System};
    return true;
}

int EpsgCodeOf(const TEpsgTable& Codes, const TSpheroid& Spheroid, const TDatumRecord& Datum,
               const TProjection& System) {
    if (Spheroid.Name != Datum.SpheroidCode) return 0;
    if (dynamic_cast<const TGeografic*>(&System)) return Codes.GeographicCode(Datum.Name);
    return Codes.ProjectedCode(System.Name, Datum.Name);
}

int TCSList::EpsgCodeOf(const TCSSelection& Selection) const {
    if (!Selection.Spheroid || !Selection.Datum || !Selection.System) return 0;
    return vortane::EpsgCodeOf(EpsgCodes, *Selection.Spheroid, *Selection.Datum, *Selection.System);
}

bool TCSList::ResolveEpsgEntry(const TEpsgEntry& Entry, TCSSelection& Selection) const {
    TDatumRecord* Datum = FindDatum(Entry.Datum);
    TSpheroid* Spheroid = Datum ? FindSpheroid(Datum->SpheroidCode) : nullptr;
    TProjection* System = nullptr;
    if (Entry.Kind == EEpsgKind::Projected) {
        System = FindSystem(Entry.System);
    } else if (Entry.Kind == EEpsgKind::Geographic) {
        System = DecimalDegrees();
    }
    if (!Spheroid || !Datum || !System) return false;
    Selection = {Spheroid, Datum, System};
    return true;
}

bool TCSList::ResolveEpsgCode(int Code, TCSSelection& Selection) const {
    for (const TEpsgEntry* Entry : EpsgCodes.SystemsOfCode(Code))
        if (ResolveEpsgEntry(*Entry, Selection)) return true;
    return false;
}

} // namespace vortane
