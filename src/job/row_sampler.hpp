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

// What an output cell takes from the input, for the checking path and the coverage test: the method's
// cells around its position (nearest, bilinear, the cubic and Lanczos kernels) or under its area.
enum class TTapRule : std::uint8_t { Nearest, Bilinear, Cubic, Lanczos, Average, Mode };

// The input's empty cells: a cell is empty when each of its first Bands bands holds the nodata value
// (any NaN, for a NaN value), so that a colour pixel with one dark band stays a pixel.
class TNoDataCells {
public:
    TNoDataCells(double Value, std::uint32_t Bands);
    // Whether the cell whose band values lie Stride apart from Values on is empty.
    bool Empty(const float* Values, std::size_t Stride) const;
    std::uint32_t Bands() const { return FBands; }

private:
    float FValue = 0; // a value beyond the float range as the infinity of its sign
    bool FNan = false;
    std::uint32_t FBands = 1;
};

// Reads one raster (or a view of it); one per thread.
class TRowSampler {
public:
    explicit TRowSampler(TMMapFile2& Input);

    // Three bands at the nearest cell into Cells, band after band (Count cells each). Positions outside
    // the input, empty input cells (NoData, when given), and input cells within a mean difference of 6
    // of the background colour give exactly the background colour, and Sampled (when given) 0 there,
    // 1 elsewhere.
    void SampleColour(const TRowPositions& At, const std::array<float, 3>& Back, float* Cells,
                      const TNoDataCells* NoData = nullptr, std::uint8_t* Sampled = nullptr);
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

    // The checking path, for inputs with empty cells: every band of NoData at once by Rule, band after
    // band into Cells (At.Count cells each; the area rules read Areas, one per cell). Empty input cells
    // take no part and the weights of the others are scaled to sum to 1; where none is left (for the
    // kernels: less than a millionth of their weight), or the method's cells leave the input, every
    // band is 0 and Sampled 0. Elsewhere Sampled is 1, and where no cell was empty the values are the
    // ones the methods above give. Kernel values are held within the range of CellType.
    void SampleChecked(TTapRule Rule, std::uint8_t CellType, const TRowPositions& At, const TCellArea* Areas,
                       const TNoDataCells& NoData, float* Cells, std::uint8_t* Sampled);
    // For inputs without empty cells: Sampled 1 where Rule takes input cells for a position (or area),
    // 0 where the methods above give 0 for want of them.
    void Coverage(TTapRule Rule, const TRowPositions& At, const TCellArea* Areas,
                  std::uint8_t* Sampled) const;

private:
    template <std::uint8_t CellType>
    void ColourFromMemory(const TRowPositions& At, const std::array<float, 3>& Back, float* Cells,
                          const TNoDataCells* NoData, std::uint8_t* Sampled);
    template <std::uint8_t CellType>
    void BilinearFromMemory(std::uint32_t Band, const TRowPositions& At, float* Cells);
    // Runs Sample(ReadRun) with a reader of Count cells of band Band from column Col of row Row into
    // Values (false when a cell cannot be read): from memory where it can, by the cell calls otherwise.
    template <typename TSample> void WithRunReader(std::uint32_t Band, TSample&& Sample);
    // The same with a reader that takes the band first: ReadRun(Band, Row, Col, Count, Values).
    template <typename TSample> void WithCellReader(TSample&& Sample);
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
    // The checking path's cell C, through ReadRun (band first); false when no input cell takes part.
    bool CheckedCell(TTapRule Rule, std::uint8_t CellType, const TRowPositions& At, const TCellArea* Areas,
                     std::size_t C, const TNoDataCells& NoData, const auto& ReadRun, float* Values);

    TMMapFile2& FInput;
    TRowLayout FLayout;
    bool FPlain = false;
    std::int64_t FFirst = -1, FLast = -1;
    const unsigned char* FFirstRow = nullptr;
    const unsigned char* FLastRow = nullptr;
    std::vector<float> FAreaCells;         // the cells of one area, row after row
    std::vector<std::uint32_t> FAreaOrder; // the area's cells grouped by value
    std::vector<float> FBlockCells;        // checking path: one output cell's input cells, band after band
    std::vector<std::uint8_t> FBlockValid; // and whether each of them holds data
};

// Writes Bands bands of Columns cells, band after band in Cells, into row Row of Output. A cell that
// cannot be stored (no integer for an integer cell) is zero, as in a new image, where the row is
// written in memory, and stays as it was where it is written cell by cell.
void WriteCellRow(TMMapFile2& Output, std::int32_t Row, std::uint32_t Bands, std::size_t Columns,
                  const float* Cells);

// The bytes of a row's cells when they lie side by side without gaps (each band's cells in turn, or
// the bands of each cell together), counted from the first cell's; 0 when they do not.
std::size_t DenseRowBytes(const TRowLayout& Layout);
// Encodes Count cells of each of Bands bands (band after band in Cells), from column First, into Row,
// a row laid out as Layout says. A cell that cannot be stored (no integer for an integer cell) is zero.
void EncodeCells(const TRowLayout& Layout, unsigned char* Row, std::size_t First, std::size_t Count,
                 std::uint32_t Bands, const float* Cells);
// Copies Bytes, the DenseRowBytes of a row from its first cell, into row Row of Output, whose rows are
// laid out as Layout says; cell by cell where the row cannot be had in memory.
void WriteEncodedRow(TMMapFile2& Output, const TRowLayout& Layout, std::int32_t Row,
                     const unsigned char* Bytes);

} // namespace vortane
