#pragma once
// The bytes of one cell as a float and back, for a cell type known when compiling: the row loops of
// the samplers and writers are instantiated once per type, and DecodeCell/EncodeCell dispatch to the
// same functions at run time.

#include "raster/byte_order.hpp"
#include "text/types.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vortane {

// Value rounded to the nearest integer, halves to even: what std::nearbyint gives in the default rounding
// mode, but inline, as the cell loops need it (the library call is not inlined without SSE4.1). Below
// 2^52 the addition of 2^52 itself rounds the magnitude to an integer, halves to even; larger values,
// infinities and NaN are integral or no number already. The sign is put back so -0.4 gives -0.
inline double RoundHalfEven(double Value) {
    constexpr double Shift = 4503599627370496.0; // 2^52
    const double Magnitude = std::fabs(Value);
    if (!(Magnitude < Shift)) return Value;
    return std::copysign((Magnitude + Shift) - Shift, Value);
}

// A float of magnitude below 2^31 rounded half to even, without a branch (the row loops vectorise):
// the same value RoundToInteger gives, as floats from 2^23 on are integers already. No check: larger
// values and NaN give no meaningful result.
inline std::int32_t RoundSmallToInt32(float Value) {
    constexpr float Shift = 8388608.0f; // 2^23
    const float Magnitude = std::fabs(Value);
    const float Rounded = Magnitude < Shift ? std::copysign((Magnitude + Shift) - Shift, Value) : Value;
    return static_cast<std::int32_t>(Rounded);
}

// Whether every one of Values rounds into 32 bits (no NaN, no infinity, magnitude below 2^31). A count,
// which the compiler vectorises.
inline bool RoundsIntoInt32(const float* Values, std::size_t Count) {
    std::size_t Small = 0;
    for (std::size_t I = 0; I < Count; ++I)
        Small += std::fabs(Values[I]) < 2147483648.0f ? 1 : 0;
    return Small == Count;
}

// Values (each rounding into 32 bits) rounded half to even, the low 8 bits of each into Bytes: sixteen
// at a time where SSE2 is there (its conversion rounds half to even, as RoundSmallToInt32 does).
inline void StoreLowBytes(unsigned char* Bytes, const float* Values, std::size_t Count) {
    std::size_t I = 0;
#if defined(__SSE2__)
    const __m128i LowByte = _mm_set1_epi32(0xFF);
    const auto Quarter = [&](std::size_t At) {
        return _mm_and_si128(_mm_cvtps_epi32(_mm_loadu_ps(Values + At)), LowByte);
    };
    for (; I + 16 <= Count; I += 16) {
        // Each lane is 0 to 255, so the saturating packs keep it.
        const __m128i Low = _mm_packs_epi32(Quarter(I), Quarter(I + 4));
        const __m128i High = _mm_packs_epi32(Quarter(I + 8), Quarter(I + 12));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(Bytes + I), _mm_packus_epi16(Low, High));
    }
#endif
    for (; I < Count; ++I)
        Bytes[I] = static_cast<unsigned char>(RoundSmallToInt32(Values[I]));
}

// Value rounded half to even as a 64-bit integer; false when it has none (NaN, infinite, too large).
inline bool RoundToInteger(float Value, std::int64_t& Integer) {
    const double Rounded = RoundHalfEven(static_cast<double>(Value));
    constexpr double Limit = 9223372036854775808.0; // 2^63
    if (!(Rounded >= -Limit && Rounded < Limit)) return false;
    Integer = static_cast<std::int64_t>(Rounded);
    return true;
}

template <std::uint8_t CellType> float DecodeAs(const unsigned char* Cell, bool LSBFirst) {
    if constexpr (CellType == ctUnsigned8)
        return Cell[0];
    else if constexpr (CellType == ctSigned8)
        return static_cast<std::int8_t>(Cell[0]);
    else if constexpr (CellType == ctSigned16)
        return static_cast<std::int16_t>(LoadBits<std::uint16_t>(Cell, LSBFirst));
    else if constexpr (CellType == ctUnsigned16)
        return LoadBits<std::uint16_t>(Cell, LSBFirst);
    else if constexpr (CellType == ctSigned32)
        return static_cast<float>(static_cast<std::int32_t>(LoadBits<std::uint32_t>(Cell, LSBFirst)));
    else if constexpr (CellType == ctUnsigned32)
        return static_cast<float>(LoadBits<std::uint32_t>(Cell, LSBFirst));
    else if constexpr (CellType == ctFloat32)
        return std::bit_cast<float>(LoadBits<std::uint32_t>(Cell, LSBFirst));
    else
        return static_cast<float>(std::bit_cast<double>(LoadBits<std::uint64_t>(Cell, LSBFirst)));
}

// The low bits of Integer into an integer cell.
template <std::uint8_t CellType> void StoreInteger(unsigned char* Cell, bool LSBFirst, std::int64_t Integer) {
    const auto Bits = static_cast<std::uint64_t>(Integer);
    if constexpr (CellType == ctUnsigned8 || CellType == ctSigned8)
        Cell[0] = static_cast<unsigned char>(Bits);
    else if constexpr (CellType == ctSigned16 || CellType == ctUnsigned16)
        StoreBits(Cell, static_cast<std::uint16_t>(Bits), LSBFirst);
    else
        StoreBits(Cell, static_cast<std::uint32_t>(Bits), LSBFirst);
}

// Integer cells keep the low bits of the value rounded half to even (no clamping); false, storing
// nothing, when the value has no integer.
template <std::uint8_t CellType> bool EncodeAs(unsigned char* Cell, bool LSBFirst, float Value) {
    if constexpr (CellType == ctFloat32) {
        StoreBits(Cell, std::bit_cast<std::uint32_t>(Value), LSBFirst);
    } else if constexpr (CellType == ctFloat64) {
        StoreBits(Cell, std::bit_cast<std::uint64_t>(static_cast<double>(Value)), LSBFirst);
    } else {
        std::int64_t Integer = 0;
        if (!RoundToInteger(Value, Integer)) return false;
        StoreInteger<CellType>(Cell, LSBFirst, Integer);
    }
    return true;
}

// Cells of a row: the same bytes as EncodeAs cell by cell, without a check per cell where every value
// rounds into 32 bits (as nearly always), and a zero cell, as in a new image, for a value without an
// integer (so that a buffer used for one row after another keeps nothing of the last).
template <std::uint8_t CellType>
void EncodeRunAs(unsigned char* Cell, std::int64_t Stride, bool LSBFirst, const float* Values,
                 std::size_t Count) {
    if constexpr (CellType != ctFloat32 && CellType != ctFloat64)
        if (RoundsIntoInt32(Values, Count)) {
            if constexpr (CellType == ctUnsigned8 || CellType == ctSigned8)
                if (Stride == 1) {
                    StoreLowBytes(Cell, Values, Count);
                    return;
                }
            for (std::size_t I = 0; I < Count; ++I, Cell += Stride)
                StoreInteger<CellType>(Cell, LSBFirst, RoundSmallToInt32(Values[I]));
            return;
        }
    for (std::size_t I = 0; I < Count; ++I, Cell += Stride)
        if (!EncodeAs<CellType>(Cell, LSBFirst, Values[I])) std::fill_n(Cell, CellBytes(CellType), 0);
}

template <std::uint8_t CellType> using TCellTypeConstant = std::integral_constant<std::uint8_t, CellType>;

// Calls Action(TCellTypeConstant<CellType>{}) when a grid can interpret cells of CellType; false for
// the others (bit cells, colour and point records, unknown codes).
template <typename TAction> bool ForCellType(std::uint8_t CellType, TAction&& Action) {
    switch (CellType) {
    case ctUnsigned8:
        Action(TCellTypeConstant<ctUnsigned8>{});
        return true;
    case ctSigned8:
        Action(TCellTypeConstant<ctSigned8>{});
        return true;
    case ctSigned16:
        Action(TCellTypeConstant<ctSigned16>{});
        return true;
    case ctUnsigned16:
        Action(TCellTypeConstant<ctUnsigned16>{});
        return true;
    case ctSigned32:
        Action(TCellTypeConstant<ctSigned32>{});
        return true;
    case ctUnsigned32:
        Action(TCellTypeConstant<ctUnsigned32>{});
        return true;
    case ctFloat32:
        Action(TCellTypeConstant<ctFloat32>{});
        return true;
    case ctFloat64:
        Action(TCellTypeConstant<ctFloat64>{});
        return true;
    default:
        return false;
    }
}

} // namespace vortane
