#pragma once
// What an image's GeoTIFF keys say about its coordinate system, read into plain numbers: the EPSG codes
// it names, or the user-defined projection, ellipsoid and datum shift it spells out. Angles in degrees
// and lengths in metres whatever units the keys were written in; nothing here knows the catalogue.

#include "raster/tiff/geokeys.hpp"

#include <array>
#include <optional>
#include <string>

namespace vortane {

// The projection methods a catalogue entry can be matched by.
enum class EKeyMethod { None, TransverseMercator, LambertConic1SP, LambertConic2SP, ObliqueStereographic };

// A user-defined projection. The origin is the natural origin (the false origin of the two-parallel
// Lambert conic); its false easting and northing hold there.
struct TKeyProjection {
    EKeyMethod Method = EKeyMethod::None;
    double OriginLongitude = 0; // degrees east
    double OriginLatitude = 0;  // degrees north
    double StdParallel1 = 0, StdParallel2 = 0;
    double ScaleFactor = 1;
    double FalseEasting = 0, FalseNorthing = 0; // metres
};

// The ellipsoid and datum of a user-defined geographic system.
struct TKeyGeodetic {
    int DatumCode = 0;                   // GeogGeodeticDatum when it is an EPSG code, else 0
    std::optional<double> SemiMajorAxis; // metres
    std::optional<double> InvFlattening; // 0 for a sphere
    // TOWGS84: translations in metres, position-vector rotations in arc-seconds, scale in ppm; three
    // values leave rotations and scale 0.
    std::optional<std::array<double, 7>> ToWgs84;
};

struct TKeySystem {
    bool Geographic = false;            // GTModelType 2; otherwise projected (or not said)
    int ProjectedCode = 0;              // ProjectedCSType when it is an EPSG code, else 0
    int GeographicCode = 0;             // GeographicType when it is an EPSG code, else 0
    bool UserDefinedProjection = false; // ProjectedCSType user-defined, or parameters without a code
    TKeyProjection Projection;
    TKeyGeodetic Geodetic;
    // Why the user-defined parts cannot be matched (a method, unit or parameter this reading does not
    // take); empty when they can, or when the keys name codes only.
    std::string Problem;
};

// Reads Keys; an empty set gives a system with nothing named.
TKeySystem ReadKeySystem(const TGeoKeySet& Keys);

} // namespace vortane
