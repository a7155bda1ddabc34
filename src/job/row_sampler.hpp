#pragma once
// Samples the input of a resampling run at the positions of one output row, and writes output rows:
// straight from and into memory where a raster stores its cells plainly, through its cell calls
// otherwise. Both ways give the same values.
//
// Positions are input cell coordinates whose whole numbers are cell centres. Every method gives 0 where
// a cell it would take lies outside the input (the colour method: the background), except that an
// exactly integral position reads its own cell.

#include "raster/mapped_cell_file.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vortane {

// The positions of one row's cells in input cell coordinates (column, row), Count of each.
struct TRowPositions {
    const double* Col;
    const double* Line;
    std::size_t Count;
};

// Windowed sampling at a point: the cubic convolution with a = -0.5 over 4 x 4 cells, and the Lanczos
// windowed sinc with a radius of 3 over 6 x 6 cells, its weights scaled to sum to 1.
enum class TKernel { Cubic, Lanczos };

// What stands for the input cells an output cell covers: their average, each cell weighted by the part
// of it inside the area, or their most frequent value (of equally frequent ones, the one that reached
// that count first, row by row).
enum class TAreaRule { Average, Mode };

// An output cell's area in the input: the box from ColMin to ColMax and LineMin to LineMax, in input cell
// coordinates (cell i covers i - 0.5 to i + 0.5).
struct TCellArea {
    double ColMin, ColMax, LineMin, LineMax;
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
    // Band Band at the nearest cell into Cells; 0 outside the input.
    void SampleNearest(std::uint32_t Band, const TRowPositions& At, float* Cells);
    // Band Band with Kernel into Cells; 0 where the kernel's block leaves the input. The kernels overshoot
    // near sharp edges: their values are held within the range of cells of type CellType.
    void SampleKernel(std::uint32_t Band, TKernel Kernel, std::uint8_t CellType, const TRowPositions& At,
                      float* Cells);
    // Band Band over Count areas by Rule into Cells; 0 where an area reaches outside the input.
    void SampleArea(std::uint32_t Band, TAreaRule Rule, const TCellArea* Areas, std::size_t Count,
                    float* Cells);

private:
    template <std::uint8_t CellType>
    void ColourFromMemory(const TRowPositions& At, const std::array<float, 3>& Back, float* Cells);
    template <std::uint8_t CellType>
    void BilinearFromMemory(std::uint32_t Band, const TRowPositions& At, float* Cells);
    // Runs Sample(ReadRun) with a reader of Count cells of band Band from column Col of row Row into
    // Values (false when a cell cannot be read): from memory where it can, by the cell calls otherwise.
    template <typename TSample> void WithRunReader(std::uint32_t Band, TSample&& Sample);
    template <std::uint8_t CellType>
    bool RunFromMemory(std::uint32_t Band, std::int64_t Row, std::int64_t Col, std::int64_t Count,
                       float* Values);
    // Rows First and Last of the input in memory (the last two answers are kept); false when they
    // cannot be had at once, and the cell is then read through the raster's own calls.
    bool MapRows(std::int64_t First, std::int64_t Last, const unsigned char*& FirstRow,
                 const unsigned char*& LastRow);
    void ForgetRows() { FFirst = FLast = -1; }
    // A cell of the rows that its raster's cell calls could not read.
    bool Unreadable(float Value) const { return FLayout.HasUnreadable && Value == FLayout.Unreadable; }
    float AreaValue(TAreaRule Rule, const TCellArea& Area, const auto& ReadRun);

    TMMapFile2& FInput;
    TRowLayout FLayout;
    bool FPlain = false;
    std::int64_t FFirst = -1, FLast = -1;
    const unsigned char* FFirstRow = nullptr;
    const unsigned char* FLastRow = nullptr;
    std::vector<float> FAreaCells;         // the cells of one area, row after row
    std::vector<std::uint32_t> FAreaOrder; // the area's cells grouped by value
};

// Writes Bands bands of Columns cells, band after band in Cells, into row Row of Output. A cell that
// cannot be stored (no integer for an integer cell) stays as it was.
void WriteCellRow(TMMapFile2& Output, std::int32_t Row, std::uint32_t Bands, std::size_t Columns,
                  const float* Cells);

} // namespace vortane
