#pragma once
// Texts shared by the metre projections of the catalogue.

#include <string>
#include <string_view>

namespace vortane {

// "<false northing> <false easting> Scale<k0><MeridianLabel><lon text><LatitudeLabel><lat text>":
// metres as fixed 10/3, the scale factor as fixed 10/4, angles as degrees:minutes:seconds with letter.
std::string OriginParamText(double FalseNorthing, double FalseEasting, double ScaleFactor,
                            std::string_view MeridianLabel, double CentralMeridian,
                            std::string_view LatitudeLabel, double Latitude);

// "Easting(m)", "Northing(m)", "Altitude(m)".
void MetreAxisNames(std::string& XName, std::string& YName, std::string& ZName);

} // namespace vortane
