#pragma once
// Units of projected coordinates, chosen by index (the job's and the command line's unit options).

#include <array>

namespace vortane {

// Metres per coordinate unit, by unit index.
inline constexpr std::array<double, 2> UnitFactors = {
    1.0,                // 0: metre
    0.3048006096012192, // 1: US survey foot, 1200/3937 m
};

inline constexpr int UnitIndexCount = static_cast<int>(UnitFactors.size());

constexpr bool IsUnitIndex(int Index) {
    return Index >= 0 && Index < UnitIndexCount;
}

} // namespace vortane
