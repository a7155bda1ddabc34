#include "job/row_sampler.hpp"

#include "raster/cell_codec.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <numeric>

namespace vortane {

namespace {

// Positions this close to the start of the first or last input cell (in cells) count as on it: the
// rounding noise of a mapping must not drop an edge column or row of the bilinear rule.
constexpr double EdgeTolerance = 1e-9;
// Beyond this a cell coordinate is no cell of any grid (and would overflow an index).
constexpr double MaxCellCoordinate = 9.0e15;

double SnapToEdge(double Position, double Last) {
    if (std::fabs(Position) <= EdgeTolerance) return 0.0;
    if (std::fabs(Position - Last) <= EdgeTolerance) return Last;
    return Position;
}

// The bilinear rule's position inside the grid, snapped to its edges; false when it is no position
// of any grid.
bool BilinearPosition(double& Col, double& Line, std::uint32_t Columns, std::uint32_t Rows) {
    Col = SnapToEdge(Col, Columns - 1.0);
    Line = SnapToEdge(Line, Rows - 1.0);
    return Col >= 0 && Col < MaxCellCoordinate && Line >= 0 && Line < MaxCellCoordinate;
}

// The floor of a position BilinearPosition accepted (0 to MaxCellCoordinate, below 2^53), where
// truncation gives it exactly: inline, as the library's floor is a call without SSE4.1.
double FloorOfPosition(double Position) {
    return static_cast<double>(static_cast<std::int64_t>(Position));
}

// The cell nearest to a position (halves to even); false outside the grid.
bool NearestCell(double Col, double Line, std::int64_t Columns, std::int64_t Rows, std::int64_t& Column,
                 std::int64_t& Row) {
    return ToCellIndex(RoundHalfEven(Col), Column) && ToCellIndex(RoundHalfEven(Line), Row) && Column >= 0 &&
           Column < Columns && Row >= 0 && Row < Rows;
}

// ---- Kernels

// The cells of one axis a kernel of Count taps takes at a position, and their weights.
template <int Count> struct TTaps {
    std::int64_t First = 0;
    std::array<double, Count> Weight{};
};

// Keys' cubic convolution kernel with a = -0.5 (the Catmull-Rom spline), at distance t from a cell
// centre: W(t) = (a + 2)|t|^3 - (a + 3)|t|^2 + 1 within one cell, a|t|^3 - 5a|t|^2 + 8a|t| - 4a within two.
// The weights of the cells 1 before to 2 after the one holding the position, at F (0 <= F < 1) past its
// centre, are W(1 + F), W(F), W(1 - F), W(2 - F), written out as polynomials in F.
void CubicWeights(double F, double* Weight) {
    Weight[0] = F * (-0.5 + F * (1 - 0.5 * F)); // -F^3/2 + F^2 - F/2
    Weight[1] = 1 + F * F * (-2.5 + 1.5 * F);   // 3F^3/2 - 5F^2/2 + 1
    Weight[2] = F * (0.5 + F * (2 - 1.5 * F));  // -3F^3/2 + 2F^2 + F/2
    Weight[3] = F * F * (-0.5 + 0.5 * F);       // F^3/2 - F^2/2
}

// The Lanczos window of radius 3, L(t) = sinc(t) sinc(t / 3) = 3 sin(pi t) sin(pi t / 3) / (pi t)^2, for the
// cells 2 before to 3 after the one holding the position, at t = F + 2, F + 1, F, F - 1, F - 2, F - 3; scaled
// to sum to 1, which they do not by themselves. With t = F + K: sin(pi t) = (-1)^K sin(pi F), and
// sin(pi t / 3) = sin(pi F / 3) cos(pi K / 3) + cos(pi F / 3) sin(pi K / 3), so three sines serve all six.
void LanczosWeights(double F, double* Weight) {
    if (F == 0) { // on a cell centre: that cell alone
        std::fill(Weight, Weight + 6, 0.0);
        Weight[2] = 1;
        return;
    }
    constexpr double Pi = std::numbers::pi, HalfRoot3 = std::numbers::sqrt3 / 2;
    // cos(pi K / 3) and sin(pi K / 3) for K = 2, 1, 0, -1, -2, -3
    constexpr double CosK[6] = {-0.5, 0.5, 1, 0.5, -0.5, -1};
    constexpr double SinK[6] = {HalfRoot3, HalfRoot3, 0, -HalfRoot3, -HalfRoot3, 0};
    const double SinF = std::sin(Pi * F), SinThird = std::sin(Pi * F / 3), CosThird = std::cos(Pi * F / 3);
    double Sum = 0;
    for (int I = 0; I < 6; ++I) {
        const double T = F + 2 - I;
        const double SinT = I % 2 == 0 ? SinF : -SinF;
        Weight[I] = 3 * SinT * (SinThird * CosK[I] + CosThird * SinK[I]) / (Pi * Pi * T * T);
        Sum += Weight[I];
    }
    for (int I = 0; I < 6; ++I)
        Weight[I] /= Sum;
}

// The taps at Position (at least 0) of the cubic kernel (4 taps) or the Lanczos window (6): the two or three
// cells on either side.
template <int Count> TTaps<Count> KernelTaps(double Position) {
    const double Floor = FloorOfPosition(Position);
    TTaps<Count> Taps;
    Taps.First = static_cast<std::int64_t>(Floor) - (Count / 2 - 1);
    if constexpr (Count == 4)
        CubicWeights(Position - Floor, Taps.Weight.data());
    else
        LanczosWeights(Position - Floor, Taps.Weight.data());
    return Taps;
}

// The kernel of Count taps at (Col, Line), read through ReadRun; 0 where its block leaves the grid, as
// with the bilinear rule, and an exactly integral position reads its cell (every other weight is 0 there).
template <int Count>
float KernelValue(double Col, double Line, std::int64_t Columns, std::int64_t Rows, auto&& ReadRun) {
    if (!BilinearPosition(Col, Line, static_cast<std::uint32_t>(Columns), static_cast<std::uint32_t>(Rows)))
        return 0;
    float Value = 0;
    if (Col == FloorOfPosition(Col) && Line == FloorOfPosition(Line)) {
        const auto Column = static_cast<std::int64_t>(Col), Row = static_cast<std::int64_t>(Line);
        return Column < Columns && Row < Rows && ReadRun(Row, Column, 1, &Value) ? Value : 0;
    }
    const TTaps<Count> X = KernelTaps<Count>(Col), Y = KernelTaps<Count>(Line);
    if (X.First < 0 || X.First + Count > Columns || Y.First < 0 || Y.First + Count > Rows) return 0;
    double Sum = 0;
    for (std::size_t J = 0; J < Count; ++J) {
        float Cells[Count];
        if (!ReadRun(Y.First + std::int64_t(J), X.First, Count, Cells)) return 0;
        double RowSum = 0;
        for (std::size_t I = 0; I < Count; ++I)
            RowSum += X.Weight[I] * Cells[I];
        Sum += Y.Weight[J] * RowSum;
    }
    return static_cast<float>(Sum);
}

// Runs of one band served from float copies of short spans of the rows read last: a kernel reads the
// same few rows cell after cell, and a span read once saves mapping and decoding each run again. Values
// are exactly Read's; a span holding a cell that cannot be read is not kept, and its runs are read
// directly.
template <typename TRead> class TSpanCache {
public:
    TSpanCache(const TRead& Read, std::int64_t Columns) : FRead(Read), FColumns(Columns) {}

    bool operator()(std::int64_t Row, std::int64_t Col, std::int64_t Count, float* Values) {
        const TSpan* Span = Find(Row, Col, Count);
        if (Span == nullptr) return FRead(Row, Col, Count, Values);
        std::copy_n(Span->Cells.begin() + (Col - Span->Col), Count, Values);
        return true;
    }

private:
    // Cells per span, and how many of them lie before the run that asked for it (rows are mostly
    // walked to the right).
    static constexpr std::int64_t Width = 64, Lead = 8;
    struct TSpan {
        std::int64_t Row = -1, Col = 0, Count = 0;
        std::array<float, Width> Cells{};
        bool Holds(std::int64_t R, std::int64_t C, std::int64_t N) const {
            return Row == R && C >= Col && C + N <= Col + Count;
        }
    };

    const TSpan* Find(std::int64_t Row, std::int64_t Col, std::int64_t Count) {
        // Rows are asked for in the order their spans were read, so the search starts after the last one
        // found.
        for (std::size_t Probe = 0; Probe < FSpans.size(); ++Probe) {
            const std::size_t Slot = (FHint + Probe) % FSpans.size();
            if (FSpans[Slot].Holds(Row, Col, Count)) {
                FHint = (Slot + 1) % FSpans.size();
                return &FSpans[Slot];
            }
        }
        if (Row < 0 || Col < 0 || Count > Width - Lead || Col + Count > FColumns) return nullptr;
        TSpan& Span = FSpans[FNext];
        FNext = (FNext + 1) % FSpans.size(); // the oldest span goes
        Span.Col = std::max<std::int64_t>(0, std::min(Col - Lead, FColumns - Width));
        Span.Count = std::min(Width, FColumns - Span.Col);
        Span.Row = FRead(Row, Span.Col, Span.Count, Span.Cells.data()) ? Row : -1;
        return Span.Holds(Row, Col, Count) ? &Span : nullptr;
    }

    const TRead& FRead;
    std::int64_t FColumns;
    std::array<TSpan, 8> FSpans; // more than the rows of the largest kernel
    std::size_t FNext = 0, FHint = 0;
};

// The values cells of a type can hold; a kernel's overshoot beyond them would wrap around when stored.
struct TValueRange {
    double Low, High;
};

TValueRange CellRange(std::uint8_t CellType) {
    switch (CellType) {
    case ctUnsigned8:
        return {0, 255};
    case ctSigned16:
        return {-32768, 32767};
    case ctUnsigned16:
        return {0, 65535};
    case ctSigned32: // the largest floats below 2^31 and 2^32
        return {-2147483648.0, 2147483520.0};
    case ctUnsigned32:
        return {0, 4294967040.0};
    default:
        return {-std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
    }
}

float HeldWithin(float Value, const TValueRange& Range) {
    if (Value < Range.Low) return static_cast<float>(Range.Low);
    if (Value > Range.High) return static_cast<float>(Range.High);
    return Value;
}

// ---- Areas

// The cells an area covers along one axis, First to End - 1, and the parts of the first and last inside
// it (the ones between lie wholly inside).
struct TSpan {
    std::int64_t First = 0, End = 0;
    double FirstPart = 1, LastPart = 1;
    double Part(std::int64_t Cell) const {
        if (End - First == 1) return 1;
        if (Cell == First) return FirstPart;
        return Cell == End - 1 ? LastPart : 1;
    }
};

// The span of Min to Max (cell centre coordinates) over a grid of Cells cells; false when it reaches
// outside the grid or is no span. Edges within the rounding noise of a mapping count as on the cell
// boundary, and an area within one cell takes that cell.
bool AreaSpan(double Min, double Max, std::int64_t Cells, TSpan& Span) {
    const double Low = Min + 0.5, High = Max + 0.5; // cell i now covers i to i + 1
    if (!(Low <= High)) return false;
    std::int64_t First = 0, End = 0;
    if (!ToCellIndex(std::floor(Low + EdgeTolerance), First) ||
        !ToCellIndex(std::ceil(High - EdgeTolerance), End))
        return false;
    if (End == First) ++End;
    if (First < 0 || End > Cells) return false;
    Span = {First, End, static_cast<double>(First + 1) - Low, High - static_cast<double>(End - 1)};
    return true;
}

// The weighted mean of Cells, one row of X after another; only the cells Valid marks (all without it).
// NaN when no weight remains.
float AreaAverage(const float* Cells, const TSpan& X, const TSpan& Y, const std::uint8_t* Valid = nullptr) {
    double Sum = 0, Weight = 0;
    std::size_t Index = 0;
    for (std::int64_t Row = Y.First; Row < Y.End; ++Row)
        for (std::int64_t Col = X.First; Col < X.End; ++Col, ++Index) {
            if (Valid && !Valid[Index]) continue;
            const double Part = X.Part(Col) * Y.Part(Row);
            Sum += Part * Cells[Index];
            Weight += Part;
        }
    return static_cast<float>(Sum / Weight);
}

// The most frequent value of Cells (NaN counting as one value); of equally frequent ones, the one that
// reached that count first in the order given. Order is scratch space.
float MostFrequent(const std::vector<float>& Cells, std::vector<std::uint32_t>& Order) {
    const auto Less = [&Cells](std::uint32_t A, std::uint32_t B) {
        return Cells[A] < Cells[B] || (!std::isnan(Cells[A]) && std::isnan(Cells[B]));
    };
    Order.resize(Cells.size());
    std::iota(Order.begin(), Order.end(), 0u);
    std::stable_sort(Order.begin(), Order.end(), Less); // equal values keep their order
    std::size_t Best = 0, BestCount = 0;
    for (std::size_t Start = 0, End = 0; Start < Order.size(); Start = End) {
        End = Start + 1;
        while (End < Order.size() && !Less(Order[Start], Order[End]))
            ++End;
        // A group reaches its count at its last cell.
        const std::size_t Count = End - Start;
        if (Count > BestCount || (Count == BestCount && Order[End - 1] < Order[Best + BestCount - 1]))
            Best = Start, BestCount = Count;
    }
    return Cells[Order[Best]];
}

// ---- Blocks: the cells an output cell takes, for the checking path and the coverage test

// Below this much of its weight left, a kernel's value would be mostly noise.
constexpr double LeastKernelWeight = 1e-6;

// The Width x Height input cells from (Col, Row) an output cell takes, with their weights along each
// axis: kernel weights (Kernel), or the parts of an area's cells (Area).
struct TBlock {
    std::int64_t Col = 0, Row = 0, Width = 1, Height = 1;
    std::array<double, 6> WeightX{1}, WeightY{1};
    TSpan X, Y;
    bool Area = false;
    double FracX = 0, FracY = 0; // bilinear: the position's offset from the top-left cell
    std::size_t Count() const { return static_cast<std::size_t>(Width * Height); }
};

// The single cell at (Column, Row).
TBlock CellBlock(std::int64_t Column, std::int64_t Row) {
    TBlock Block;
    Block.Col = Column, Block.Row = Row;
    return Block;
}

bool NearestBlock(double Col, double Line, std::int64_t Columns, std::int64_t Rows, TBlock& Block) {
    std::int64_t Column = 0, Row = 0;
    if (!NearestCell(Col, Line, Columns, Rows, Column, Row)) return false;
    Block = CellBlock(Column, Row);
    return true;
}

// As SampleBilinear takes its cells: the 2 x 2 block, or the one cell of an integral position.
bool BilinearBlock(double Col, double Line, std::int64_t Columns, std::int64_t Rows, TBlock& Block) {
    if (!BilinearPosition(Col, Line, static_cast<std::uint32_t>(Columns), static_cast<std::uint32_t>(Rows)))
        return false;
    const double Col0 = FloorOfPosition(Col), Line0 = FloorOfPosition(Line);
    const auto Column = static_cast<std::int64_t>(Col0), Row = static_cast<std::int64_t>(Line0);
    const std::int64_t Reach = Col == Col0 && Line == Line0 ? 0 : 1;
    if (Column + Reach >= Columns || Row + Reach >= Rows) return false;
    Block = CellBlock(Column, Row);
    if (Reach == 0) return true;
    Block.Width = Block.Height = 2;
    Block.FracX = Col - Col0, Block.FracY = Line - Line0;
    Block.WeightX = {1 - Block.FracX, Block.FracX};
    Block.WeightY = {1 - Block.FracY, Block.FracY};
    return true;
}

// As KernelValue takes its cells.
template <int Count>
bool KernelBlock(double Col, double Line, std::int64_t Columns, std::int64_t Rows, TBlock& Block) {
    if (!BilinearPosition(Col, Line, static_cast<std::uint32_t>(Columns), static_cast<std::uint32_t>(Rows)))
        return false;
    if (Col == FloorOfPosition(Col) && Line == FloorOfPosition(Line)) {
        Block = CellBlock(static_cast<std::int64_t>(Col), static_cast<std::int64_t>(Line));
        return Block.Col < Columns && Block.Row < Rows;
    }
    const TTaps<Count> X = KernelTaps<Count>(Col), Y = KernelTaps<Count>(Line);
    if (X.First < 0 || X.First + Count > Columns || Y.First < 0 || Y.First + Count > Rows) return false;
    Block = CellBlock(X.First, Y.First);
    Block.Width = Block.Height = Count;
    std::copy(X.Weight.begin(), X.Weight.end(), Block.WeightX.begin());
    std::copy(Y.Weight.begin(), Y.Weight.end(), Block.WeightY.begin());
    return true;
}

bool AreaBlock(const TCellArea& Area, std::int64_t Columns, std::int64_t Rows, TBlock& Block) {
    TSpan X, Y;
    if (!AreaSpan(Area.ColMin, Area.ColMax, Columns, X) || !AreaSpan(Area.LineMin, Area.LineMax, Rows, Y))
        return false;
    Block = CellBlock(X.First, Y.First);
    Block.Width = X.End - X.First, Block.Height = Y.End - Y.First;
    Block.X = X, Block.Y = Y, Block.Area = true;
    return true;
}

// The cells Rule takes for output cell C; false when they leave the input.
bool BlockOf(TTapRule Rule, const TRowPositions& At, const TCellArea* Areas, std::size_t C,
             std::int64_t Columns, std::int64_t Rows, TBlock& Block) {
    switch (Rule) {
    case TTapRule::Nearest:
        return NearestBlock(At.Col[C], At.Line[C], Columns, Rows, Block);
    case TTapRule::Bilinear:
        return BilinearBlock(At.Col[C], At.Line[C], Columns, Rows, Block);
    case TTapRule::Cubic:
        return KernelBlock<4>(At.Col[C], At.Line[C], Columns, Rows, Block);
    case TTapRule::Lanczos:
        return KernelBlock<6>(At.Col[C], At.Line[C], Columns, Rows, Block);
    case TTapRule::Average:
    case TTapRule::Mode:
        return AreaBlock(Areas[C], Columns, Rows, Block);
    }
    return false;
}

// The kernel's weight on the cells Valid marks, summed as the kernel sums its values.
double ValidKernelWeight(const TBlock& Block, const std::uint8_t* Valid) {
    double Weight = 0;
    for (std::int64_t J = 0; J < Block.Height; ++J) {
        double RowWeight = 0;
        for (std::int64_t I = 0; I < Block.Width; ++I)
            if (Valid[J * Block.Width + I]) RowWeight += Block.WeightX[static_cast<std::size_t>(I)];
        Weight += Block.WeightY[static_cast<std::size_t>(J)] * RowWeight;
    }
    return Weight;
}

// The kernel over the cells Valid marks, divided by their weight unless every cell is valid (then the
// sum is exactly the one of the unchecked path).
double KernelSum(const TBlock& Block, const float* Cells, const std::uint8_t* Valid, double Weight,
                 bool AllValid) {
    double Sum = 0;
    for (std::int64_t J = 0; J < Block.Height; ++J) {
        double RowSum = 0;
        for (std::int64_t I = 0; I < Block.Width; ++I)
            if (Valid[J * Block.Width + I])
                RowSum += Block.WeightX[static_cast<std::size_t>(I)] * Cells[J * Block.Width + I];
        Sum += Block.WeightY[static_cast<std::size_t>(J)] * RowSum;
    }
    return AllValid ? Sum : Sum / Weight;
}

// Through the raster's own calls: Count cells of a row from column Col on.
bool RunByCalls(TMMapFile2& Input, std::uint32_t Band, std::int64_t Row, std::int64_t Col, std::int64_t Count,
                float* Values) {
    for (std::int64_t I = 0; I < Count; ++I)
        if (!Input.ReadCell(Col + I, Row, Band, Values[I])) return false;
    return true;
}

// Input pixels within a mean difference of 6 of the background colour, and empty ones, become exactly
// that colour; false for them.
inline bool KeptFromBackground(float* Value, const std::array<float, 3>& Back, const TNoDataCells* NoData) {
    const float Mean =
        (std::fabs(Value[0] - Back[0]) + std::fabs(Value[1] - Back[1]) + std::fabs(Value[2] - Back[2])) /
        3.0f;
    if (Mean > 6.0f && !(NoData && NoData->Empty(Value, 1))) return true;
    std::copy(Back.begin(), Back.end(), Value);
    return false;
}

// Through the raster's own calls: the nearest cell of three bands. A failed read may have set its value
// (some formats set 0), so the first band is read aside and the background stays when it fails.
bool ColourByCalls(TMMapFile2& Input, double Col, double Line, const std::array<float, 3>& Back,
                   const TNoDataCells* NoData, float* Value) {
    std::copy(Back.begin(), Back.end(), Value);
    float First = 0;
    if (!Input.SampleNearest(0, First, Col, Line)) return false;
    Value[0] = First;
    Input.SampleNearest(1, Value[1], Col, Line);
    Input.SampleNearest(2, Value[2], Col, Line);
    return KeptFromBackground(Value, Back, NoData);
}

// Through the raster's own calls: one band bilinearly.
float BilinearByCalls(TMMapFile2& Input, std::uint32_t Band, double Col, double Line) {
    float Value = 0;
    if (!BilinearPosition(Col, Line, Input.GridColumns(), Input.GridRows())) return 0;
    if (!Input.SampleBilinear(Band, Value, Col, Line)) return 0;
    return Value;
}

std::int64_t BandOffset(const TRowLayout& Layout, std::uint32_t Band) {
    // A band beyond the last reads the last, as the cell calls do.
    return Layout.FirstBand + std::min(Band, Layout.Bands - 1) * Layout.BandStride;
}

} // namespace

TRowSampler::TRowSampler(TMMapFile2& Input) : FInput(Input), FPlain(Input.PlainRowLayout(FLayout)) {}

bool TRowSampler::MapRows(std::int64_t First, std::int64_t Last, const unsigned char*& FirstRow,
                          const unsigned char*& LastRow) {
    if (First != FFirst || Last != FLast) {
        unsigned char *FirstBytes = nullptr, *LastBytes = nullptr;
        if (!FInput.MapRows(First, Last, FirstBytes, LastBytes)) {
            ForgetRows();
            return false;
        }
        FFirst = First, FLast = Last, FFirstRow = FirstBytes, FLastRow = LastBytes;
    }
    FirstRow = FFirstRow;
    LastRow = FLastRow;
    return true;
}

template <std::uint8_t CellType>
void TRowSampler::ColourFromMemory(const TRowPositions& At, const std::array<float, 3>& Back, float* Cells,
                                   const TNoDataCells* NoData, std::uint8_t* Sampled) {
    // Copies, so that the compiler knows that the stores into Cells leave them alone.
    const TRowLayout Layout = FLayout;
    const std::array<float, 3> Background = Back;
    const std::int64_t Band0 = BandOffset(Layout, 0), Band1 = BandOffset(Layout, 1),
                       Band2 = BandOffset(Layout, 2);
    const auto Sample = [&](std::size_t C, float* Value) {
        std::int64_t Column = 0, Line = 0;
        const unsigned char *Row = nullptr, *Unused = nullptr;
        if (!NearestCell(At.Col[C], At.Line[C], Layout.Columns, Layout.Rows, Column, Line)) {
            std::copy(Background.begin(), Background.end(), Value); // outside the input
            return false;
        }
        if (!MapRows(Line, Line, Row, Unused))
            return ColourByCalls(FInput, At.Col[C], At.Line[C], Back, NoData, Value);
        const unsigned char* Cell = Row + Column * Layout.ColumnStride;
        Value[0] = DecodeAs<CellType>(Cell + Band0, Layout.LSBFirst);
        Value[1] = DecodeAs<CellType>(Cell + Band1, Layout.LSBFirst);
        Value[2] = DecodeAs<CellType>(Cell + Band2, Layout.LSBFirst);
        if (Layout.HasUnreadable && Value[0] == Layout.Unreadable) { // as where the cell calls fail
            std::copy(Background.begin(), Background.end(), Value);
            return false;
        }
        return KeptFromBackground(Value, Background, NoData);
    };
    for (std::size_t C = 0; C < At.Count; ++C) {
        float Value[3];
        const bool Kept = Sample(C, Value);
        for (std::size_t Band = 0; Band < 3; ++Band)
            Cells[Band * At.Count + C] = Value[Band];
        if (Sampled) Sampled[C] = Kept;
    }
}

template <std::uint8_t CellType>
void TRowSampler::BilinearFromMemory(std::uint32_t Band, const TRowPositions& At, float* Cells) {
    // A copy, so that the compiler knows that the stores into Cells leave it alone.
    const TRowLayout Layout = FLayout;
    const std::int64_t BandAt = BandOffset(Layout, Band), Next = Layout.ColumnStride;
    const std::int64_t Columns = Layout.Columns, Rows = Layout.Rows;
    const auto Decode = [&Layout](const unsigned char* Cell) {
        return DecodeAs<CellType>(Cell, Layout.LSBFirst);
    };
    const auto Unreadable = [&Layout](float Value) {
        return Layout.HasUnreadable && Value == Layout.Unreadable;
    };
    const auto Sample = [&](std::size_t C) -> float {
        double Col = At.Col[C], Line = At.Line[C];
        if (!BilinearPosition(Col, Line, Layout.Columns, Layout.Rows)) return 0;
        const double Col0 = FloorOfPosition(Col), Line0 = FloorOfPosition(Line);
        const auto Column = static_cast<std::int64_t>(Col0), Row = static_cast<std::int64_t>(Line0);
        // An exactly integral position reads its cell; any other needs the 2 x 2 block inside the grid.
        const std::int64_t Reach = Col == Col0 && Line == Line0 ? 0 : 1;
        if (Column + Reach >= Columns || Row + Reach >= Rows) return 0;
        const unsigned char *Top = nullptr, *Bottom = nullptr;
        if (!MapRows(Row, std::min(Row + 1, Rows - 1), Top, Bottom))
            return BilinearByCalls(FInput, Band, At.Col[C], At.Line[C]);
        Top += BandAt + Column * Next;
        Bottom += BandAt + Column * Next;
        if (Reach == 0) {
            const float Value = Decode(Top);
            return Unreadable(Value) ? 0 : Value;
        }
        const TQuad Quad{Decode(Top), Decode(Bottom), Decode(Bottom + Next), Decode(Top + Next)};
        const bool Readable =
            !Unreadable(Quad[0]) && !Unreadable(Quad[1]) && !Unreadable(Quad[2]) && !Unreadable(Quad[3]);
        return Readable ? BilinearValue(Quad, Col - Col0, Line - Line0) : 0;
    };
    for (std::size_t C = 0; C < At.Count; ++C)
        Cells[C] = Sample(C);
}

void TRowSampler::SampleColour(const TRowPositions& At, const std::array<float, 3>& Back, float* Cells,
                               const TNoDataCells* NoData, std::uint8_t* Sampled) {
    const auto FromMemory = [&](auto Type) {
        ColourFromMemory<decltype(Type)::value>(At, Back, Cells, NoData, Sampled);
    };
    if (FPlain && ForCellType(FLayout.CellType, FromMemory)) return;
    for (std::size_t C = 0; C < At.Count; ++C) {
        float Value[3];
        const bool Kept = ColourByCalls(FInput, At.Col[C], At.Line[C], Back, NoData, Value);
        for (std::size_t Band = 0; Band < 3; ++Band)
            Cells[Band * At.Count + C] = Value[Band];
        if (Sampled) Sampled[C] = Kept;
    }
}

void TRowSampler::SampleBilinear(std::uint32_t Band, const TRowPositions& At, float* Cells) {
    const auto FromMemory = [&](auto Type) { BilinearFromMemory<decltype(Type)::value>(Band, At, Cells); };
    if (FPlain && ForCellType(FLayout.CellType, FromMemory)) return;
    for (std::size_t C = 0; C < At.Count; ++C)
        Cells[C] = BilinearByCalls(FInput, Band, At.Col[C], At.Line[C]);
}

template <std::uint8_t CellType>
bool TRowSampler::RunFromMemory(std::uint32_t Band, std::int64_t Row, std::int64_t Col, std::int64_t Count,
                                float* Values) {
    const unsigned char *Bytes = nullptr, *Unused = nullptr;
    if (!MapRows(Row, Row, Bytes, Unused)) return RunByCalls(FInput, Band, Row, Col, Count, Values);
    const unsigned char* Cell = Bytes + BandOffset(FLayout, Band) + Col * FLayout.ColumnStride;
    for (std::int64_t I = 0; I < Count; ++I, Cell += FLayout.ColumnStride) {
        Values[I] = DecodeAs<CellType>(Cell, FLayout.LSBFirst);
        if (Unreadable(Values[I])) return false;
    }
    return true;
}

template <typename TSample> void TRowSampler::WithCellReader(TSample&& Sample) {
    const auto FromMemory = [&](auto Type) {
        Sample([this](std::uint32_t Band, std::int64_t Row, std::int64_t Col, std::int64_t Count,
                      float* Values) {
            return RunFromMemory<decltype(Type)::value>(Band, Row, Col, Count, Values);
        });
    };
    if (FPlain && ForCellType(FLayout.CellType, FromMemory)) return;
    Sample([this](std::uint32_t Band, std::int64_t Row, std::int64_t Col, std::int64_t Count, float* Values) {
        return RunByCalls(FInput, Band, Row, Col, Count, Values);
    });
}

template <typename TSample> void TRowSampler::WithRunReader(std::uint32_t Band, TSample&& Sample) {
    WithCellReader([&](const auto& ReadCells) {
        Sample([&ReadCells, Band](std::int64_t Row, std::int64_t Col, std::int64_t Count, float* Values) {
            return ReadCells(Band, Row, Col, Count, Values);
        });
    });
}

void TRowSampler::SampleNearest(std::uint32_t Band, const TRowPositions& At, float* Cells) {
    const std::int64_t Columns = FInput.GridColumns(), Rows = FInput.GridRows();
    WithRunReader(Band, [&](const auto& ReadRun) {
        for (std::size_t C = 0; C < At.Count; ++C) {
            std::int64_t Column = 0, Row = 0;
            if (!NearestCell(At.Col[C], At.Line[C], Columns, Rows, Column, Row) ||
                !ReadRun(Row, Column, 1, &Cells[C]))
                Cells[C] = 0;
        }
    });
}

void TRowSampler::SampleKernel(std::uint32_t Band, TKernel Kernel, std::uint8_t CellType,
                               const TRowPositions& At, float* Cells) {
    const std::int64_t Columns = FInput.GridColumns(), Rows = FInput.GridRows();
    const TValueRange Range = CellRange(CellType);
    const auto WithTaps = [&](auto Taps) {
        WithRunReader(Band, [&](const auto& ReadRun) {
            TSpanCache Spans(ReadRun, Columns);
            for (std::size_t C = 0; C < At.Count; ++C)
                Cells[C] = HeldWithin(
                    KernelValue<decltype(Taps)::value>(At.Col[C], At.Line[C], Columns, Rows, Spans), Range);
        });
    };
    if (Kernel == TKernel::Cubic)
        WithTaps(std::integral_constant<int, 4>{});
    else
        WithTaps(std::integral_constant<int, 6>{});
}

float TRowSampler::AreaValue(TAreaRule Rule, const TCellArea& Area, const auto& ReadRun) {
    TSpan X, Y;
    if (!AreaSpan(Area.ColMin, Area.ColMax, FInput.GridColumns(), X) ||
        !AreaSpan(Area.LineMin, Area.LineMax, FInput.GridRows(), Y))
        return 0;
    const auto Width = static_cast<std::size_t>(X.End - X.First);
    FAreaCells.resize(Width * static_cast<std::size_t>(Y.End - Y.First));
    for (std::int64_t Row = Y.First; Row < Y.End; ++Row)
        if (!ReadRun(Row, X.First, X.End - X.First,
                     &FAreaCells[static_cast<std::size_t>(Row - Y.First) * Width]))
            return 0;
    return Rule == TAreaRule::Average ? AreaAverage(FAreaCells.data(), X, Y)
                                      : MostFrequent(FAreaCells, FAreaOrder);
}

void TRowSampler::SampleArea(std::uint32_t Band, TAreaRule Rule, const TCellArea* Areas, std::size_t Count,
                             float* Cells) {
    WithRunReader(Band, [&](const auto& ReadRun) {
        for (std::size_t C = 0; C < Count; ++C)
            Cells[C] = AreaValue(Rule, Areas[C], ReadRun);
    });
}

// Cells are read as floats: 64-bit cells beyond their range (the lowest double, a common nodata value)
// read as infinities, which the value then is too.
TNoDataCells::TNoDataCells(double Value, std::uint32_t Bands)
    : FNan(std::isnan(Value)), FBands(std::max(Bands, 1u)) {
    constexpr float Infinity = std::numeric_limits<float>::infinity();
    if (std::fabs(Value) <= std::numeric_limits<float>::max())
        FValue = static_cast<float>(Value);
    else if (!FNan)
        FValue = Value > 0 ? Infinity : -Infinity;
}

bool TNoDataCells::Empty(const float* Values, std::size_t Stride) const {
    for (std::uint32_t Band = 0; Band < FBands; ++Band) {
        const float Value = Values[Band * Stride];
        if (FNan ? !std::isnan(Value) : Value != FValue) return false;
    }
    return true;
}

void TRowSampler::Coverage(TTapRule Rule, const TRowPositions& At, const TCellArea* Areas,
                           std::uint8_t* Sampled) const {
    const std::int64_t Columns = FInput.GridColumns(), Rows = FInput.GridRows();
    TBlock Block;
    for (std::size_t C = 0; C < At.Count; ++C)
        Sampled[C] = BlockOf(Rule, At, Areas, C, Columns, Rows, Block);
}

void TRowSampler::SampleChecked(TTapRule Rule, std::uint8_t CellType, const TRowPositions& At,
                                const TCellArea* Areas, const TNoDataCells& NoData, float* Cells,
                                std::uint8_t* Sampled) {
    const std::uint32_t Bands = NoData.Bands();
    std::vector<float> Values(Bands);
    WithCellReader([&](const auto& ReadRun) {
        for (std::size_t C = 0; C < At.Count; ++C) {
            Sampled[C] = CheckedCell(Rule, CellType, At, Areas, C, NoData, ReadRun, Values.data());
            for (std::uint32_t Band = 0; Band < Bands; ++Band)
                Cells[Band * At.Count + C] = Sampled[C] ? Values[Band] : 0.0f;
        }
    });
}

bool TRowSampler::CheckedCell(TTapRule Rule, std::uint8_t CellType, const TRowPositions& At,
                              const TCellArea* Areas, std::size_t C, const TNoDataCells& NoData,
                              const auto& ReadRun, float* Values) {
    TBlock Block;
    if (!BlockOf(Rule, At, Areas, C, FInput.GridColumns(), FInput.GridRows(), Block)) return false;
    // The block's cells, band after band, and which of them hold data.
    const std::size_t Count = Block.Count();
    const std::uint32_t Bands = NoData.Bands();
    FBlockCells.resize(Count * Bands);
    for (std::uint32_t Band = 0; Band < Bands; ++Band)
        for (std::int64_t J = 0; J < Block.Height; ++J)
            if (!ReadRun(Band, Block.Row + J, Block.Col, Block.Width,
                         &FBlockCells[Band * Count + static_cast<std::size_t>(J * Block.Width)]))
                return false;
    FBlockValid.resize(Count);
    std::size_t ValidCount = 0;
    for (std::size_t K = 0; K < Count; ++K)
        ValidCount += FBlockValid[K] = !NoData.Empty(&FBlockCells[K], Count);
    if (ValidCount == 0) return false;
    const bool AllValid = ValidCount == Count;
    const bool Kernel = !Block.Area && Count > 1;
    const double Weight = Kernel ? ValidKernelWeight(Block, FBlockValid.data()) : 1.0;
    if (Kernel && !AllValid && !(Weight >= LeastKernelWeight)) return false;
    const TValueRange Range = CellRange(CellType);
    for (std::uint32_t Band = 0; Band < Bands; ++Band) {
        const float* Cells = &FBlockCells[Band * Count];
        if (Count == 1) {
            Values[Band] = Cells[0];
        } else if (Rule == TTapRule::Mode) {
            FAreaCells.clear();
            for (std::size_t K = 0; K < Count; ++K)
                if (FBlockValid[K]) FAreaCells.push_back(Cells[K]);
            Values[Band] = MostFrequent(FAreaCells, FAreaOrder);
        } else if (Rule == TTapRule::Average) {
            Values[Band] = AreaAverage(Cells, Block.X, Block.Y, FBlockValid.data());
        } else if (Rule == TTapRule::Bilinear) {
            Values[Band] =
                AllValid
                    ? BilinearValue(TQuad{Cells[0], Cells[2], Cells[3], Cells[1]}, Block.FracX, Block.FracY)
                    : static_cast<float>(KernelSum(Block, Cells, FBlockValid.data(), Weight, false));
        } else {
            Values[Band] = HeldWithin(
                static_cast<float>(KernelSum(Block, Cells, FBlockValid.data(), Weight, AllValid)), Range);
        }
    }
    return true;
}

std::size_t DenseRowBytes(const TRowLayout& Layout) {
    const std::int64_t Cell = CellBytes(Layout.CellType);
    const bool ByBand =
        Layout.ColumnStride == Cell && (Layout.Bands == 1 || Layout.BandStride == Cell * Layout.Columns);
    const bool ByCell = Layout.BandStride == Cell && Layout.ColumnStride == Cell * Layout.Bands;
    if (!ForCellType(Layout.CellType, [](auto) {}) || !(ByBand || ByCell)) return 0;
    return static_cast<std::size_t>(Cell) * Layout.Columns * Layout.Bands;
}

void EncodeCells(const TRowLayout& Layout, unsigned char* Row, std::size_t First, std::size_t Count,
                 std::uint32_t Bands, const float* Cells) {
    ForCellType(Layout.CellType, [&](auto Type) {
        for (std::uint32_t Band = 0; Band < Bands; ++Band)
            EncodeRunAs<decltype(Type)::value>(
                Row + BandOffset(Layout, Band) + static_cast<std::int64_t>(First) * Layout.ColumnStride,
                Layout.ColumnStride, Layout.LSBFirst, Cells + Band * Count, Count);
    });
}

// Write results are not looked at: a failed cell write leaves that cell as it was.
void WriteCellRow(TMMapFile2& Output, std::int32_t Row, std::uint32_t Bands, std::size_t Columns,
                  const float* Cells) {
    TRowLayout Layout;
    unsigned char *Bytes = nullptr, *Same = nullptr;
    if (Output.PlainRowLayout(Layout) && Layout.Writable && Layout.Bands == Bands &&
        Layout.Columns == Columns && ForCellType(Layout.CellType, [](auto) {}) &&
        Output.MapRows(Row, Row, Bytes, Same)) {
        EncodeCells(Layout, Bytes, 0, Columns, Bands, Cells);
        return;
    }
    for (std::uint32_t Band = 0; Band < Bands; ++Band)
        for (std::size_t C = 0; C < Columns; ++C)
            Output.WriteCell(static_cast<std::int64_t>(C), Row, Band, Cells[Band * Columns + C]);
}

void WriteEncodedRow(TMMapFile2& Output, const TRowLayout& Layout, std::int32_t Row,
                     const unsigned char* Bytes) {
    if (Layout.FirstBand == 0 && Output.WriteRowThroughFile(Row, Bytes, DenseRowBytes(Layout))) return;
    unsigned char *Cells = nullptr, *Same = nullptr;
    if (Output.MapRows(Row, Row, Cells, Same)) {
        std::memcpy(Cells + Layout.FirstBand, Bytes, DenseRowBytes(Layout));
        return;
    }
    for (std::uint32_t Band = 0; Band < Layout.Bands; ++Band)
        for (std::uint32_t C = 0; C < Layout.Columns; ++C)
            Output.WriteCell(C, Row, Band,
                             DecodeCell(Bytes + Band * Layout.BandStride + C * Layout.ColumnStride,
                                        Layout.CellType, Layout.LSBFirst));
}

} // namespace vortane
