#pragma once
// Samples the input of a resampling run at the positions of one output row, and writes output rows:
// straight from and into memory where a raster stores its cells plainly, through its cell calls
// otherwise. Both ways give the same values.

#include "raster/mapped_cell_file.hpp"

#include <array>
#include <cstddef>
#include <cstdint>

namespace vortane {

// The positions of one row's cells in input cell coordinates (column, row), Count of each.
struct TRowPositions {
    const double* Col;
    const double* Line;
    std::size_t Count;
};

// Reads one raster (or a view of it); one per thread.
class TRowSampler {
public:
    explicit TRowSampler(TMMapFile2& Input);

    // Three bands at the nearest cell into Cells, band after band (Count cells each). Positions outside
    // the input, and input cells within a mean difference of 6 of the background colour, give exactly
    // the background colour.
    void SampleColour(const TRowPositions& At, const std::array<float, 3>& Back, float* Cells);
    // Band Band bilinearly into Cells; 0 where the 2 x 2 block leaves the input.
    void SampleBilinear(std::uint32_t Band, const TRowPositions& At, float* Cells);

private:
    template <std::uint8_t CellType>
    void ColourFromMemory(const TRowPositions& At, const std::array<float, 3>& Back, float* Cells);
    template <std::uint8_t CellType>
    void BilinearFromMemory(std::uint32_t Band, const TRowPositions& At, float* Cells);
    // Rows First and Last of the input in memory (the last two answers are kept); false when they
    // cannot be had at once, and the cell is then read through the raster's own calls.
    bool MapRows(std::int64_t First, std::int64_t Last, const unsigned char*& FirstRow,
                 const unsigned char*& LastRow);
    void ForgetRows() { FFirst = FLast = -1; }

    TMMapFile2& FInput;
    TRowLayout FLayout;
    bool FPlain = false;
    std::int64_t FFirst = -1, FLast = -1;
    const unsigned char* FFirstRow = nullptr;
    const unsigned char* FLastRow = nullptr;
};

// Writes Bands bands of Columns cells, band after band in Cells, into row Row of Output. A cell that
// cannot be stored (no integer for an integer cell) stays as it was.
void WriteCellRow(TMMapFile2& Output, std::int32_t Row, std::uint32_t Bands, std::size_t Columns,
                  const float* Cells);

} // namespace vortane
