// Coordinate texts of the built-in geographic and geocentric systems, angle texts and spheroid
// lines, from arbitrary bytes: nothing may crash, and every accepted angle text gives a finite
// position. (Geocentric metres near the largest double may overflow into NaN, which the callers of
// conversions detect.)

#include "crs/angles.hpp"
#include "crs/projection.hpp"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// Splits the input at the first two NUL bytes into three texts.
void SplitThree(const std::string& Input, std::string& A, std::string& B, std::string& C) {
    const std::size_t First = Input.find('\0');
    A = Input.substr(0, First);
    if (First == std::string::npos) return;
    const std::size_t Second = Input.find('\0', First + 1);
    B = Input.substr(First + 1, Second == std::string::npos ? std::string::npos : Second - First - 1);
    if (Second != std::string::npos) C = Input.substr(Second + 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    using namespace vortane;
    const std::string Input(reinterpret_cast<const char*>(Data), Size);

    double Rad = 0.0;
    StrToAngle(Input, Rad);
    if (!std::isfinite(Rad)) std::abort();

    const TSpheroid Spheroid(Input);
    if (!(std::isfinite(Spheroid.A) && Spheroid.A > 0 && Spheroid.F >= 0 && Spheroid.F < 1)) std::abort();

    std::string X, Y, Z;
    SplitThree(Input, X, Y, Z);
    static TGeograficList Geographic;
    static TGeoCentricList Geocentric;
    for (int I = 0; I <= Geographic.Count(); ++I) {
        TProjection& System = I < Geographic.Count() ? *Geographic.Item(I) : *Geocentric.Item(0);
        double Lat = 0, Lon = 0, H = 0;
        const bool Accepted = System.TextToGeo(X, Y, Z, Lat, Lon, H) == 0;
        if (Accepted && I < Geographic.Count() && !(std::isfinite(Lat) && std::isfinite(Lon))) std::abort();
        std::string XText, YText, ZText;
        System.GeoToText(Lat, Lon, H, XText, YText, ZText);
    }
    return 0;
}
