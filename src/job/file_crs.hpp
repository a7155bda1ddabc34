#pragma once
// The coordinate system an image's file names, found in the catalogue. GeoTIFF keys name it by an EPSG
// code of the catalogue's table (ProjectedCSType, or GeographicType for a geographic image) or spell it
// out (user-defined keys: projection method and parameters, ellipsoid, datum or TOWGS84 shift), which
// are matched to a catalogue entry by their values. Other files, and TIFFs whose keys name nothing the
// catalogue holds, are taken by the names their header gives (ER Mapper's Datum and Projection, the
// names older images carry): the catalogue's own names, in any letter case.

#include "catalogue/catalogue.hpp"
#include "job/input_description.hpp"

#include <string>

namespace vortane {

struct TFileCrs {
    TCSSelection Selection; // all null when the file names no system the catalogue holds
    // The code the keys named (another code of the same system, such as a national realisation of a
    // datum, stays as named), else that of the selection; 0 when the table has none.
    int EpsgCode = 0;
    std::string Source;  // how the file named it: "GeoTIFF EPSG code", "GeoTIFF parameters", "names"
    std::string Problem; // why nothing was found; empty when found
    bool Found() const { return Selection.System != nullptr; }
};

TFileCrs ResolveFileCrs(const TCSList& Catalogue, const TInputDescription& Input);

// Whether Given places the image's positions elsewhere than the file's system does: another datum or
// spheroid, or a system with other parameters (any two geographic forms, and two catalogue entries of
// the same projection parameters, agree). False when the file's system was not found.
bool ContradictsFile(const TCSSelection& Given, const TFileCrs& File);

// "spheroid WE, datum WGS84, system NUTM34 (EPSG:32634)"; the code only when the table has one.
std::string SelectionText(const TCSList& Catalogue, const TCSSelection& Selection);

} // namespace vortane
