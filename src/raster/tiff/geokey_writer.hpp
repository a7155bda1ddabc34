#pragma once
// GeoTIFF keys as the three tags of a written image hold them (GeoTIFF 1.1, OGC 19-008, section 7.1):
// the key directory, the DOUBLE parameters and the ASCII parameters the directory points into.

#include "raster/tiff/geokeys.hpp"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vortane {

struct TEncodedGeoKeys {
    std::vector<std::uint16_t> Directory; // header, one entry per key, then SHORT arrays of keys
    std::vector<double> Doubles;          // empty: no GeoDoubleParams tag
    std::string Ascii;                    // '|'-terminated texts and the closing NUL; empty: no tag
};

// The tags of Keys, sorted by key as readers expect. A key's text goes to the ASCII parameters, else
// its DOUBLEs to the DOUBLE parameters, else its one SHORT into the entry itself (several SHORTs follow
// the entries in the directory).
TEncodedGeoKeys EncodeGeoKeys(TGeoKeySet Keys);

class TDataSetRoot2;

// Everything a created GeoTIFF says about where it lies: the pixel scale, the tie point (the top-left
// corner of the top-left cell, pixel is area) and the keys of the raster's system description with
// the raster type. Every TIFF writer writes exactly these values.
struct TGeoTiffPlacementTags {
    std::array<double, 3> Scale{};
    std::array<double, 6> TiePoint{};
    TEncodedGeoKeys Keys;
};
// The keys alone depend only on the system description, so a writer can size its header before the
// image is placed.
TEncodedGeoKeys CreatedImageKeys(const TDataSetRoot2& Raster);
TGeoTiffPlacementTags CreatedImagePlacement(TDataSetRoot2& Raster);

} // namespace vortane
