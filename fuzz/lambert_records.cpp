// Catalogue records of the Lambert (one and two standard parallels, variant Eren) and stereographic
// systems, followed by conversions of arbitrary positions through the systems they describe: no crash,
// no undefined behaviour, no hang.

#include "projections/lambert1.hpp"
#include "projections/lambert2.hpp"
#include "projections/lambert_eren.hpp"
#include "projections/stereographic.hpp"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

// The next 8 bytes as a double (any bit pattern: NaN, infinities, huge values), 0 when used up.
double NextDouble(const std::uint8_t*& Data, std::size_t& Size) {
    double Value = 0.0;
    if (Size >= sizeof Value) {
        std::memcpy(&Value, Data, sizeof Value);
        Data += sizeof Value;
        Size -= sizeof Value;
    }
    return Value;
}

void Exercise(vortane::TProjection& System, const std::uint8_t* Data, std::size_t Size) {
    System.SetSpheroidValues("WE", "", 6378137.0, 1.0 / 298.257223563);
    (void)System.GetParamText();
    double X, Y, Z, Lat, Lon, H;
    while (Size >= 16) {
        const double A = NextDouble(Data, Size);
        const double B = NextDouble(Data, Size);
        System.GeoToProj(A, B, 1.0, X, Y, Z);
        System.ProjToGeo(A, B, 1.0, Lat, Lon, H);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::uint8_t* LineEnd = static_cast<const std::uint8_t*>(std::memchr(Data, '\n', Size));
    const std::size_t LineLength = LineEnd ? static_cast<std::size_t>(LineEnd - Data) : Size;
    const std::string Line(reinterpret_cast<const char*>(Data), LineLength);
    const std::size_t Rest = Size - LineLength;
    vortane::TLambert1 Lambert1(Line);
    vortane::TLambert2 Lambert2(Line);
    vortane::TLambEren Eren(Line);
    vortane::TStereoProj Stereo(Line);
    for (vortane::TProjection* System :
         {static_cast<vortane::TProjection*>(&Lambert1), static_cast<vortane::TProjection*>(&Lambert2),
          static_cast<vortane::TProjection*>(&Eren), static_cast<vortane::TProjection*>(&Stereo)})
        Exercise(*System, Data + LineLength, Rest);
    return 0;
}
