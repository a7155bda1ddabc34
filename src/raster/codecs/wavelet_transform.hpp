#pragma once
// The reversible 5/3 integer wavelet (the lifting form of LeGall's 5/3 filter pair, as in lossless
// JPEG 2000): integer in, integer out, exactly invertible. A block is transformed over several levels,
// each level splitting the current low-pass region of its rows and then of its columns into low-pass
// halves (first, ceil(n/2) values) and high-pass halves (the rest). Any size works, 1 included.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vortane::wavelet {

using TCoefficient = std::int64_t; // wide enough that no corrupt coefficient can overflow

// Transforms the Width x Height block (row-major, Width values per row) in place over at most Levels
// levels; a level stops the transform once both sides are 1.
void ForwardBlock(TCoefficient* Block, std::size_t Width, std::size_t Height, int Levels);
// Exactly undoes ForwardBlock with the same size and levels.
void InverseBlock(TCoefficient* Block, std::size_t Width, std::size_t Height, int Levels);

} // namespace vortane::wavelet
