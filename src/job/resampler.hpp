#pragma once
// Fills an output grid: each output cell is carried back into the input through a coordinate mapper
// and the input is sampled there. The grid is cut into bands of rows and each band into blocks of
// columns, so that the input a thread reads for one block lies close together however wide the grid;
// blocks are computed by N threads, each with its own copy of the mapper and its own view of the input
// cells, into band buffers whose rows the calling thread writes in row order, so the output bytes are
// the same for every thread count and every block shape.

#include "crs/coordinate_mapper.hpp"
#include "job/row_sampler.hpp"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortane {

// How the input is sampled for an output cell. Auto: 3-band images at the nearest cell with the
// background rule, any other band count bilinearly. Nearest and bilinear as Auto does them (the
// background rule only for 3 bands at the nearest cell); cubic and Lanczos kernels at the cell's mapped
// position; average and mode over the input cells the output cell covers.
enum class TResampling : std::uint8_t { Auto, Nearest, Bilinear, Cubic, Lanczos, Average, Mode };
// Every method, in the order above (the order choices are offered in).
inline constexpr TResampling ResamplingMethods[] = {
    TResampling::Auto,    TResampling::Nearest, TResampling::Bilinear, TResampling::Cubic,
    TResampling::Lanczos, TResampling::Average, TResampling::Mode};

// The name options and settings give a method by ("auto", "nearest", ...).
std::string_view ResamplingName(TResampling Method);
// The method of a name (exactly as ResamplingName gives it); nothing for any other text.
std::optional<TResampling> ResamplingByName(std::string_view Name);
// Every method's name, joined by Separator.
std::string ResamplingNames(std::string_view Separator);

// Output cell (r, c) stands for the output map position (MinX + c * StepX, MaxY - r * StepY).
struct TOutputGrid {
    double MinX = 0, MaxY = 0, StepX = 1, StepY = 1;
    std::int32_t Columns = 0, Rows = 0;
};

// The input map position of cell coordinate (0, 0) and the input's cell sizes.
struct TInputGeometry {
    double OriginX = 0, OriginY = 0, CellSizeX = 1, CellSizeY = 1;
};

// Columns First to First + Count - 1 of an output row.
struct TColumnSpan {
    std::int64_t First = 0, Count = 0;
};

// Maps the cells of one output row to fractional input cell coordinates (column, row). Exact by
// default; with a maximum error (in input cells) it maps exactly only at the corners of blocks of the
// output grid and interpolates bilinearly inside them, halving a block until the exactly mapped check
// points (the middles of its edges and its centre) lie within the bound of the interpolated ones.
// Blocks are worked out a band of rows at a time, so every row of a band reuses them.
class TRowMapper {
public:
    TRowMapper(const TCoordinateMapper& Mapper, const TOutputGrid& Grid, const TInputGeometry& Input,
               double MaxError);

    // Fills Col and Line with one entry per output column of Cells (of the whole row when not given);
    // returns the largest error measured at the check points (0 when every cell is mapped exactly).
    // A cell gets the same position whichever span it is mapped in.
    double MapRow(std::int32_t Row, TColumnSpan Cells, std::vector<double>& Col,
                  std::vector<double>& Line) const;
    double MapRow(std::int32_t Row, std::vector<double>& Col, std::vector<double>& Line) const;
    // The same for the corners of the cells on the row's top edge (Bottom: its bottom edge), from the
    // left corner of the first cell to the right corner of the last: one entry more than MapRow.
    double MapCorners(std::int32_t Row, bool Bottom, TColumnSpan Cells, std::vector<double>& Col,
                      std::vector<double>& Line) const;
    double MapCorners(std::int32_t Row, bool Bottom, std::vector<double>& Col,
                      std::vector<double>& Line) const;

private:
    // Positions at output rows Offset + k and output columns FirstColumn + c, for k < Lines, c < Columns.
    struct TLattice {
        double Offset = 0, FirstColumn = 0;
        std::int64_t Lines = 0, Columns = 0;
        bool operator==(const TLattice&) const = default;
    };
    // Lattice lines R0..R1 and columns C0..C1, with the positions of its corners (R0, C0), (R0, C1),
    // (R1, C0), (R1, C1) mapped exactly.
    struct TBlock {
        std::int64_t R0 = 0, R1 = 0, C0 = 0, C1 = 0;
        std::array<double, 4> Col{}, Line{};
    };
    // The blocks covering lattice lines From..To and the columns of blocks FirstBlock..LastBlock of
    // the row (each BlockColumns wide), and the largest error measured at their check points.
    struct TBand {
        TLattice Lattice;
        std::int64_t From = -1, To = -1, FirstBlock = 0, LastBlock = -1;
        std::vector<TBlock> Blocks;
        double Largest = 0;
    };

    // Columns Cells of line K of the lattice into Col and Line, interpolated within the bound when
    // there is one.
    double MapLine(const TLattice& Lattice, std::int64_t K, TColumnSpan Cells, std::vector<double>& Col,
                   std::vector<double>& Line) const;
    void MapCell(double Y, double Column, double& Col, double& Line) const;
    // Count positions on the output line at map Y, every one mapped exactly, in one call of the mapper.
    void MapExactly(double Y, double FirstColumn, std::int64_t Count, std::vector<double>& Col,
                    std::vector<double>& Line) const;
    // The band holding lattice line K with the blocks that hold columns Cells, worked out unless the
    // one at hand has them.
    const TBand& BandOf(const TLattice& Lattice, std::int64_t K, TColumnSpan Cells) const;
    // Adds Block to FBand when its check points lie within the bound; else divides it, the parts'
    // corners being Block's corners and check points, and treats each part alike.
    void Divide(const TBlock& Block) const;
    void MapLatticeCell(std::int64_t K, std::int64_t C, double& Col, double& Line) const;

    TCoordinateMapper FMapper; // this row mapper's own copy
    TOutputGrid FGrid;
    TInputGeometry FInput;
    double FMaxError;
    // Working state; a row mapper serves one thread.
    mutable std::vector<double> FInX, FInY; // the mapper's results
    mutable TBand FBand;
};

struct TResampleOptions {
    TResampling Method = TResampling::Auto;
    // The input has three bands: at the nearest cell they are sampled with the background rule (input
    // pixels close to the background colour, and positions outside the input, give the background).
    bool Colour = false;
    std::array<float, 3> Background{};
    std::uint8_t CellType = 0; // of input and output: kernel values are held within its range
    int Threads = 1;           // blocks computed at once
    double MaxError = 0.0;     // input cells; 0 maps every cell exactly
    // The input's nodata value: cells whose every band holds it take no part in the sampling. None:
    // every cell counts, and no cell is checked.
    std::optional<double> InputNoData;
    // What every band of an output cell no input cell was sampled for holds; none: 0 (the colour rule:
    // the background colour).
    std::optional<double> OutputNoData;
    // The output has one band more than the input: 0 where no input cell was sampled, AlphaOpaque
    // elsewhere.
    bool Alpha = false;
    float AlphaOpaque = 255;
    // How the grid is cut for the threads: bands of BandRows rows (0: as many as keep a band's cells
    // within a few MiB whatever the grid's width), each in blocks of BlockColumns columns. Every shape
    // gives the same output.
    std::int32_t BandRows = 0;
    std::int32_t BlockColumns = 1024;
};

class TResampler {
public:
    // Input is sampled with its first Bands bands; Output gets the same bands, and the alpha band after
    // them when asked for. Mapper, Input and Output must outlive the resampler.
    TResampler(const TCoordinateMapper& Mapper, TMMapFile2& Input, std::uint32_t Bands, TMMapFile2& Output,
               const TOutputGrid& Grid, const TInputGeometry& InputGeometry, const TResampleOptions& Options);

    // Computes and writes every row in order. RowWritten(Row) runs in the calling thread after each
    // written row and returns false to end the run there (a stop): the computing threads finish the
    // block they are on and take no other. True when every row was written. A failure in a computing thread
    // (an exception) ends the run and is thrown again here.
    bool Run(const std::function<bool(std::int32_t Row)>& RowWritten);

    // Of the last run: the largest mapping error measured at check points, input cells.
    double LargestMeasuredError() const { return FLargestError; }
    // Of the last run: true when a page of the input could not be read through one of the threads' own
    // views (the file was cut short beneath them); the input's own view reports its faults itself.
    bool InputViewsFaulted() const { return FInputViewsFaulted; }

private:
    struct TRowWorker;
    // How the grid is cut: bands of BandRows rows, each of Blocks blocks of BlockColumns columns.
    struct TCut {
        std::int32_t BandRows = 1, BlockColumns = 1, Bands = 0, Blocks = 1;
    };
    // How a band's rows are held: in the output's own bytes where its rows are laid out plainly and
    // without gaps (so the threads encode the cells, and a band takes a quarter of the memory for
    // bytes), as floats for WriteCellRow otherwise.
    void ChooseRowStorage();
    TCut CutOf() const;
    // Block Block of band Band into BandRows, the band's rows of FRowBytes each.
    void ComputeBlock(TRowWorker& Worker, std::int32_t Band, std::int32_t Block,
                      unsigned char* BandRows) const;
    // The span's cells (band after band in Cells) into Row, a row of a band.
    void StoreSpan(const float* Cells, TColumnSpan Span, unsigned char* Row) const;
    // Columns Cells of row Row into Worker.Cells, band after band.
    void ComputeSpan(TRowWorker& Worker, std::int32_t Row, TColumnSpan Cells) const;
    // The area each output cell of the span covers in the input, into Worker.Areas.
    void MapAreas(TRowWorker& Worker, std::int32_t Row, TColumnSpan Cells) const;
    void SampleBand(TRowWorker& Worker, std::uint32_t Band, std::size_t Count, float* Cells) const;
    // Samples every band of Count cells, and marks in Sampled (when not null) the cells an input cell
    // was sampled for.
    void SampleBands(TRowWorker& Worker, std::size_t Count, float* Cells, std::uint8_t* Sampled) const;
    // The output's nodata value and the alpha band, by the cells Sampled marks.
    void MarkEmptyCells(const std::uint8_t* Sampled, std::size_t Count, float* Cells) const;
    std::uint32_t OutputBands() const { return FBands + (FOptions.Alpha ? 1 : 0); }
    std::size_t BandBufferBytes() const;
    // Writes the rows of band Band in order, each followed by RowWritten; false on a stop.
    bool WriteBand(std::int32_t Band, const unsigned char* BandRows,
                   const std::function<bool(std::int32_t)>& RowWritten);
    bool RunInPlace(TRowWorker& Worker, const std::function<bool(std::int32_t)>& RowWritten);
    bool RunThreaded(std::vector<TRowWorker>& Workers, const std::function<bool(std::int32_t)>& RowWritten);

    const TCoordinateMapper& FMapper;
    TMMapFile2& FInput;
    std::uint32_t FBands;
    TMMapFile2& FOutput;
    TOutputGrid FGrid;
    TInputGeometry FGeometry;
    TResampleOptions FOptions;
    TResampling FMethod;                 // Auto resolved for the input's band count
    std::optional<TNoDataCells> FNoData; // the input's empty cells, when it declares any
    TCut FCut;                           // of the run at hand
    std::optional<TRowLayout> FEncoded;  // the output's layout when bands hold its bytes
    TRowLayout FBufferLayout;            // that layout within a band's row, from the first cell
    std::size_t FRowBytes = 0;           // of a row in a band
    std::vector<float> FRowCells;        // a row being written as floats
    double FLargestError = 0.0;
    bool FInputViewsFaulted = false;
};

// The number of threads a run uses when asked for Requested (0: one per processor core).
int ThreadCount(int Requested);

} // namespace vortane
