#pragma once
// Multi-byte values in a stated byte order, independent of the machine's own order.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vortane {

// U with its bytes in the opposite order.
template <typename U> U ByteSwapped(U Value) {
    if constexpr (sizeof(U) == 1)
        return Value;
    else if constexpr (sizeof(U) == 2)
        return static_cast<U>(__builtin_bswap16(Value));
    else if constexpr (sizeof(U) == 4)
        return static_cast<U>(__builtin_bswap32(Value));
    else
        return static_cast<U>(__builtin_bswap64(Value));
}

// Unsigned integer of sizeof(U) bytes, least or most significant byte first; independent of the
// machine's own order. One copy and at most one swap, which the compiler makes a single load: the
// samplers' inner loops decode every cell through here.
template <typename U> U LoadBits(const unsigned char* Bytes, bool LSBFirst) {
    U Value;
    std::memcpy(&Value, Bytes, sizeof(U));
    return LSBFirst == (std::endian::native == std::endian::little) ? Value : ByteSwapped(Value);
}

template <typename U> void StoreBits(unsigned char* Bytes, U Value, bool LSBFirst) {
    if (LSBFirst != (std::endian::native == std::endian::little)) Value = ByteSwapped(Value);
    std::memcpy(Bytes, &Value, sizeof(U));
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
