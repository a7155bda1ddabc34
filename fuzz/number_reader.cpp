// Tolerant number reading and fixed-point writing over arbitrary text: a read number is finite or
// the default, and what FixedText writes reads back.

#include "text/strings.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::string Text(reinterpret_cast<const char*>(Data), Size);
    const double NoNumber = std::numeric_limits<double>::quiet_NaN();
    const double Value = vortane::StrToFloatDef(Text, NoNumber);
    if (std::isinf(Value)) std::abort();
    if (vortane::DecodeCatalogueLine(vortane::EncodeCatalogueLine(Text)) != Text) std::abort();
    if (std::isnan(Value) || Size == 0) return 0;
    const int Significant = 1 + Data[0] % 17;
    const int Decimals = Data[Size - 1] % 12;
    const std::string Written = vortane::FixedText(Value, Significant, Decimals);
    const double ReadBack = vortane::StrToFloatDef(Written, NoNumber);
    if (std::isnan(ReadBack)) std::abort();
    // Rounded to Significant digits and Decimals decimals: the error stays below both steps.
    const double Tolerance =
        std::max(std::fabs(Value) * std::pow(10.0, 1 - Significant), std::pow(10.0, -Decimals));
    if (!(std::fabs(ReadBack - Value) <= Tolerance)) std::abort();
    return 0;
}
