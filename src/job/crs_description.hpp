#pragma once
// An output's coordinate system as other programs are told it (raster/system_description.hpp): the
// system's EPSG code from the catalogue's table where it has one, otherwise GeoTIFF keys that define
// the projection by its method and parameters, the ellipsoid and the datum's shift to WGS 84; and the
// WKT of the same system, which PROJ writes from the code or the parameters.
//
// Geographic outputs hold radians: their description says so (angular unit radian), which places them
// right wherever the unit is honoured.

#include "raster/system_description.hpp"

namespace vortane {

class TDatumRecord;
class TEpsgTable;
class TProjection;
class TSpheroid;

struct TSystemToDescribe {
    const TSpheroid* Spheroid = nullptr;
    const TDatumRecord* Datum = nullptr;
    const TProjection* System = nullptr;
    double UnitFactor = 1.0; // metres per unit of the system's coordinates
    // An easting of the image: a zone grid's zone is the one its eastings carry.
    double Easting = 0.0;
};

// The description of System; Codes may be null (no EPSG codes: the keys define every system). Empty
// for what no peer can be told: the geocentric system, a zone grid easting outside every zone, or a
// projection whose parameters GeoTIFF cannot hold.
TSystemDescription DescribeSystem(const TEpsgTable* Codes, const TSystemToDescribe& Target);

} // namespace vortane
