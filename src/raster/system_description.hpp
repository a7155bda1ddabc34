#pragma once
// What other programs are told about an image's coordinate system: the GeoKeys a GeoTIFF carries and
// the WKT a side file ("<image>.aux.xml", the auxiliary file GDAL and QGIS read) carries for formats
// whose own header holds no system they understand. The layer that knows the catalogue makes this
// value; rasters only write it.

#include "raster/tiff/geokeys.hpp"

#include <string>
#include <string_view>

namespace vortane {

struct TSystemDescription {
    int EpsgCode = 0;   // the published code of the system; 0 when the keys define it themselves
    TGeoKeySet GeoKeys; // model type, system and units, in ascending key order; no raster type
    std::string Wkt;    // WKT 1 in GDAL's form
    // How the image's X and Y axes map onto the WKT's axes ("1,2" when its first axis points east,
    // "2,1" when it points north), as GDAL's auxiliary file records it.
    std::string AxisMapping = "1,2";

    // Whether there is a system to declare at all.
    bool Empty() const { return GeoKeys.Keys.empty() && Wkt.empty(); }
};

// The auxiliary file's name: "a/image.jpg" gives "a/image.jpg.aux.xml".
std::string SystemSideFileName(const std::string& ImageName);

// The auxiliary file's text: the WKT with its axis mapping, as GDAL writes it.
std::string SystemSideFileText(const TSystemDescription& System);

// Writes the image's auxiliary file with System's WKT; the reason ("Cannot write <name>: <system
// text>") when that failed, else empty.
std::string WriteSystemSideFile(const std::string& ImageName, const TSystemDescription& System);
// Removes an auxiliary file left beside an image of that name: it would describe the image replaced,
// and GDAL prefers it to what the new image says itself. Anything but a file or a link stays.
void RemoveSystemSideFile(const std::string& ImageName);

} // namespace vortane
