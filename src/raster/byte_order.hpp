#pragma once
// Multi-byte values in a stated byte order, independent of the machine's own order.

#include <bit>
#include <cstddef>
#include <cstdint>

namespace vortane {

// Unsigned integer of sizeof(U) bytes, least or most significant byte first; independent of the
// machine's own order.
template <typename U> U LoadBits(const unsigned char* Bytes, bool LSBFirst) {
    U Value = 0;
    for (std::size_t I = 0; I < sizeof(U); ++I) {
        const std::size_t Shift = 8 * (LSBFirst ? I : sizeof(U) - 1 - I);
        Value |= static_cast<U>(static_cast<U>(Bytes[I]) << Shift);
    }
    return Value;
}

template <typename U> void StoreBits(unsigned char* Bytes, U Value, bool LSBFirst) {
    for (std::size_t I = 0; I < sizeof(U); ++I) {
        const std::size_t Shift = 8 * (LSBFirst ? I : sizeof(U) - 1 - I);
        Bytes[I] = static_cast<unsigned char>(Value >> Shift);
    }
}

// Little-endian fields of the binary formats' headers and records.
inline std::int32_t LoadInt32LE(const unsigned char* Bytes) {
    return static_cast<std::int32_t>(LoadBits<std::uint32_t>(Bytes, true));
}
inline float LoadFloatLE(const unsigned char* Bytes) {
    return std::bit_cast<float>(LoadBits<std::uint32_t>(Bytes, true));
}
inline void StoreInt32LE(unsigned char* Bytes, std::int32_t Value) {
    StoreBits(Bytes, static_cast<std::uint32_t>(Value), true);
}
inline void StoreFloatLE(unsigned char* Bytes, float Value) {
    StoreBits(Bytes, std::bit_cast<std::uint32_t>(Value), true);
}

} // namespace vortane
