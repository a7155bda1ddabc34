#pragma once
// Conversions over many positions at once (the row forms) work through them in pieces of a fixed
// size, so that their intermediate arrays live on the stack and stay in the first-level cache.

#include <algorithm>
#include <cstddef>

namespace vortane {

inline constexpr std::size_t PositionPiece = 128;

// Piece(First, Count) for consecutive pieces of at most PositionPiece positions covering 0 .. N - 1.
template <typename TPiece> void ForEachPiece(std::size_t N, TPiece&& Piece) {
    for (std::size_t First = 0; First < N; First += PositionPiece)
        Piece(First, std::min(PositionPiece, N - First));
}

} // namespace vortane
