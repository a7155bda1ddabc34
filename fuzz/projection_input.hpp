#pragma once
// Fuzz input for the projection record targets: a catalogue record line, then pairs of doubles that
// are converted both ways through every system the record describes.

#include "crs/projection.hpp"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace fuzzing {

// The record line is the input up to its first line feed; the positions are the bytes from there on.
struct TRecordInput {
    std::string Line;
    const std::uint8_t* Positions;
    std::size_t PositionsSize;
};

inline TRecordInput SplitRecordInput(const std::uint8_t* Data, std::size_t Size) {
    const std::uint8_t* LineEnd = static_cast<const std::uint8_t*>(std::memchr(Data, '\n', Size));
    const std::size_t LineLength = LineEnd ? static_cast<std::size_t>(LineEnd - Data) : Size;
    return {std::string(reinterpret_cast<const char*>(Data), LineLength), Data + LineLength,
            Size - LineLength};
}

// The next 8 bytes as a double (any bit pattern: NaN, infinities, huge values), 0 when used up.
inline double NextDouble(const std::uint8_t*& Data, std::size_t& Size) {
    double Value = 0.0;
    if (Size >= sizeof Value) {
        std::memcpy(&Value, Data, sizeof Value);
        Data += sizeof Value;
        Size -= sizeof Value;
    }
    return Value;
}

// On the WGS 84 spheroid: the parameter text, then every pair of doubles forward and inverse.
inline void ExerciseConversions(vortane::TProjection& System, const TRecordInput& Input) {
    System.SetSpheroidValues("WE", "", 6378137.0, 1.0 / 298.257223563);
    (void)System.GetParamText();
    const std::uint8_t* Data = Input.Positions;
    std::size_t Size = Input.PositionsSize;
    double X, Y, Z, Lat, Lon, H;
    while (Size >= 16) {
        const double A = NextDouble(Data, Size);
        const double B = NextDouble(Data, Size);
        System.GeoToProj(A, B, 1.0, X, Y, Z);
        System.ProjToGeo(A, B, 1.0, Lat, Lon, H);
    }
}

} // namespace fuzzing
