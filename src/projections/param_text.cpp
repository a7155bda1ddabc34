#include "projections/param_text.hpp"

#include "crs/angles.hpp"
#include "text/strings.hpp"

namespace vortane {

std::string OriginParamText(double FalseNorthing, double FalseEasting, double ScaleFactor,
                            std::string_view MeridianLabel, double CentralMeridian,
                            std::string_view LatitudeLabel, double Latitude) {
    std::string Text = FixedText(FalseNorthing, 10, 3) + " " + FixedText(FalseEasting, 10, 3);
    Text += " Scale" + FixedText(ScaleFactor, 10, 4);
    Text += std::string(MeridianLabel) + LonToStr(CentralMeridian);
    Text += std::string(LatitudeLabel) + LatToStr(Latitude);
    return Text;
}

void MetreAxisNames(std::string& XName, std::string& YName, std::string& ZName) {
    XName = "Easting(m)";
    YName = "Northing(m)";
    ZName = "Altitude(m)";
}

} // namespace vortane
