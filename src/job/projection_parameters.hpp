#pragma once
// The parameters of a catalogue system as a GeoTIFF user-defined projection spells them, in degrees
// and metres, and the comparison of two such sets: how a system read from a file's keys is found in
// the catalogue.

#include "job/geokey_system.hpp"

#include <optional>
#include <string>

namespace vortane {

class TProjection;

// Transverse Mercator, the Lambert conics with one and two standard parallels and the oblique
// stereographic; nothing for the other systems (geographic, geocentric, zone grids, the apex-form
// Lambert conic), which a single set of these parameters does not describe.
std::optional<TKeyProjection> ParametersOf(const TProjection& System);

// The code of the spheroid a catalogue entry is defined on; empty for systems that have none of their
// own (geographic and geocentric forms, zone grids).
std::string DefiningSpheroidCode(const TProjection& System);

// Same method and parameters within a millimetre (lengths), 1e-7 degrees (angles, about a centimetre
// on the ground; longitudes compared modulo 360) and 1e-9 (scale factor). The standard parallels of
// a two-parallel conic may come in either order.
bool SameParameters(const TKeyProjection& First, const TKeyProjection& Second);

} // namespace vortane
