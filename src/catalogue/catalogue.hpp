#pragma once
// The catalogue of everything a coordinate system is made of: spheroids, datums and every concrete
// coordinate system (the built-in geographic and geocentric forms and the entries of the six
// projection files). It loads the catalogue files of one folder, links datums and projection types to
// their spheroids, finds entries by their exact, case-sensitive names, and turns entries into EPSG
// codes and back through the folder's EPSG table.

#include "catalogue/epsg_table.hpp"
#include "crs/datum_list.hpp"
#include "crs/projection.hpp"
#include "crs/spheroid.hpp"
#include "projections/lambert1.hpp"
#include "projections/lambert2.hpp"
#include "projections/lambert_eren.hpp"
#include "projections/stereographic.hpp"
#include "projections/tm_grid.hpp"
#include "projections/transverse_mercator.hpp"

#include <array>
#include <string>
#include <vector>

namespace vortane {

// The three objects a coordinate system text names: spheroid, datum, system.
struct TCSSelection {
    TSpheroid* Spheroid = nullptr;
    TDatumRecord* Datum = nullptr;
    TProjection* System = nullptr;
};

// The EPSG code of a system on a datum and spheroid in Codes: the projected system on the datum, or the
// datum's geographic system for the geographic forms. 0 when the table has none, and when the spheroid
// is not the datum's own (the published systems hold on that one only).
int EpsgCodeOf(const TEpsgTable& Codes, const TSpheroid& Spheroid, const TDatumRecord& Datum,
               const TProjection& System);

class TCSList {
public:
    TCSList() = default;
    TCSList(const TCSList&) = delete;
    TCSList& operator=(const TCSList&) = delete;

    // Loads "Spher.dat", "Datums.dat" (with the grid datums: the NADCON pair "conus" from the current
    // working folder, "gr3df97a.mnt" from Folder), the projection files and, when the folder has one,
    // the EPSG table "epsg.txt", all from Folder (ending with "/"; ProgramDir() by default). False means
    // the catalogue is incomplete; Warnings says why (also for table lines left out).
    bool LoadAll(const std::string& Folder);
    bool LoadAll();
    bool LoadSpheroids(const std::string& FileName);
    bool LoadDatums(const std::string& FileName, const std::string& FrenchGridFile);
    bool BuildSystems(const std::string& Folder);

    TSpheroid* FindSpheroid(const std::string& Code) const;
    TDatumRecord* FindDatum(const std::string& Name) const;
    // Searched in the order of SystemLists; the first match wins.
    TProjection* FindSystem(const std::string& Name) const;
    // The geographic form counting in decimal degrees, as a geographic EPSG system does; null when the
    // catalogue has none.
    TProjection* DecimalDegrees() const;
    // Every list of coordinate systems (entries are TProjection), in the order they are searched.
    std::array<const TCodeList*, 8> SystemLists() const;

    // Resolves the three texts of a header or settings file: double quotes removed, the datum's spheroid
    // taken when the spheroid text is empty. True only when all three are found.
    bool ResolveNames(const std::string& SpheroidText, const std::string& DatumText,
                      const std::string& SystemText, TCSSelection& Selection) const;

    // The EPSG code of a selection in the catalogue's table (the free EpsgCodeOf); 0 when incomplete.
    int EpsgCodeOf(const TCSSelection& Selection) const;
    // The selection a geographic or projected code stands for (the first table line of the code whose
    // names the catalogue holds); geographic codes give decimal degrees. False when there is none.
    bool ResolveEpsgCode(int Code, TCSSelection& Selection) const;
    // The selection of one table line; false when the catalogue lacks one of its names.
    bool ResolveEpsgEntry(const TEpsgEntry& Entry, TCSSelection& Selection) const;

    TSpherList Spheroids;
    TDatumList Datums;
    TGeograficList Geographics;
    TGeoCentricList Geocentrics;
    TLambert1List Lambert1s;
    TLambert2List Lambert2s;
    TLamberEnList LambErens;
    TTransMercList TransMercs;
    TStereoProjList Stereos;
    TTMGridList TMGrids;
    TEpsgTable EpsgCodes;

    // Messages a window shows once loading ends ("Spheroid XX not found in list", unreadable files,
    // grid files that exist but cannot be used).
    std::vector<std::string> Warnings;

private:
    template <class TList>
    bool LoadProjectionFile(TList& List, const std::string& FileName, const std::string& TypeName);
    void AttachBuiltInSystems();
    void LoadEpsgTable(const std::string& FileName);
};

} // namespace vortane
