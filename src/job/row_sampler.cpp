#include "job/row_sampler.hpp"

#include "raster/cell_codec.hpp"

#include <algorithm>
#include <cmath>
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

// The cell nearest to a position (halves to even); false outside the grid.
bool NearestCell(double Col, double Line, std::int64_t Columns, std::int64_t Rows, std::int64_t& Column,
                 std::int64_t& Row) {
    return ToCellIndex(std::nearbyint(Col), Column) && ToCellIndex(std::nearbyint(Line), Row) &&
           Column >= 0 && Column < Columns && Row >= 0 && Row < Rows;
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
    const double Floor = std::floor(Position);
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
float KernelValue(double Col, double Line, std::int64_t Columns, std::int64_t Rows, const auto& ReadRun) {
    if (!BilinearPosition(Col, Line, static_cast<std::uint32_t>(Columns), static_cast<std::uint32_t>(Rows)))
        return 0;
    float Value = 0;
    if (Col == std::floor(Col) && Line == std::floor(Line)) {
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

// The weighted mean of Cells, one row of X after another.
float AreaAverage(const std::vector<float>& Cells, const TSpan& X, const TSpan& Y) {
    double Sum = 0, Weight = 0;
    std::size_t Index = 0;
    for (std::int64_t Row = Y.First; Row < Y.End; ++Row)
        for (std::int64_t Col = X.First; Col < X.End; ++Col) {
            const double Part = X.Part(Col) * Y.Part(Row);
            Sum += Part * Cells[Index++];
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

// Through the raster's own calls: Count cells of a row from column Col on.
bool RunByCalls(TMMapFile2& Input, std::uint32_t Band, std::int64_t Row, std::int64_t Col, std::int64_t Count,
                float* Values) {
    for (std::int64_t I = 0; I < Count; ++I)
        if (!Input.ReadCell(Col + I, Row, Band, Values[I])) return false;
    return true;
}

// Input pixels within a mean difference of 6 of the background colour become exactly that colour.
void BackgroundWhenClose(float* Value, const std::array<float, 3>& Back) {
    const float Mean =
        (std::fabs(Value[0] - Back[0]) + std::fabs(Value[1] - Back[1]) + std::fabs(Value[2] - Back[2])) /
        3.0f;
    if (!(Mean > 6.0f)) std::copy(Back.begin(), Back.end(), Value);
}

// Through the raster's own calls: the nearest cell of three bands. A failed read may have set its value
// (some formats set 0), so the first band is read aside and the background stays when it fails.
void ColourByCalls(TMMapFile2& Input, double Col, double Line, const std::array<float, 3>& Back,
                   float* Value) {
    std::copy(Back.begin(), Back.end(), Value);
    float First = 0;
    if (!Input.SampleNearest(0, First, Col, Line)) return;
    Value[0] = First;
    Input.SampleNearest(1, Value[1], Col, Line);
    Input.SampleNearest(2, Value[2], Col, Line);
    BackgroundWhenClose(Value, Back);
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

template <std::uint8_t CellType>
void EncodeRow(const TRowLayout& Layout, unsigned char* Row, std::uint32_t Bands, std::size_t Columns,
               const float* Cells) {
    for (std::uint32_t Band = 0; Band < Bands; ++Band) {
        unsigned char* Cell = Row + BandOffset(Layout, Band);
        const float* Values = Cells + std::size_t{Band} * Columns;
        for (std::size_t C = 0; C < Columns; ++C, Cell += Layout.ColumnStride)
            EncodeAs<CellType>(Cell, Layout.LSBFirst, Values[C]);
    }
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
void TRowSampler::ColourFromMemory(const TRowPositions& At, const std::array<float, 3>& Back, float* Cells) {
    const std::int64_t Band1 = BandOffset(FLayout, 1), Band2 = BandOffset(FLayout, 2);
    const std::int64_t Band0 = BandOffset(FLayout, 0);
    for (std::size_t C = 0; C < At.Count; ++C) {
        float Value[3] = {Back[0], Back[1], Back[2]};
        std::int64_t Column = 0, Line = 0;
        const unsigned char *Row = nullptr, *Unused = nullptr;
        if (!NearestCell(At.Col[C], At.Line[C], FLayout.Columns, FLayout.Rows, Column, Line)) {
            // outside the input: the background
        } else if (MapRows(Line, Line, Row, Unused)) {
            const unsigned char* Cell = Row + Column * FLayout.ColumnStride;
            Value[0] = DecodeAs<CellType>(Cell + Band0, FLayout.LSBFirst);
            Value[1] = DecodeAs<CellType>(Cell + Band1, FLayout.LSBFirst);
            Value[2] = DecodeAs<CellType>(Cell + Band2, FLayout.LSBFirst);
            if (Unreadable(Value[0]))
                std::copy(Back.begin(), Back.end(), Value);
            else
                BackgroundWhenClose(Value, Back);
        } else {
            ColourByCalls(FInput, At.Col[C], At.Line[C], Back, Value);
        }
        for (std::size_t Band = 0; Band < 3; ++Band)
            Cells[Band * At.Count + C] = Value[Band];
    }
}

template <std::uint8_t CellType>
void TRowSampler::BilinearFromMemory(std::uint32_t Band, const TRowPositions& At, float* Cells) {
    const std::int64_t BandAt = BandOffset(FLayout, Band);
    const std::int64_t Columns = FLayout.Columns, Rows = FLayout.Rows;
    for (std::size_t C = 0; C < At.Count; ++C) {
        Cells[C] = 0;
        double Col = At.Col[C], Line = At.Line[C];
        if (!BilinearPosition(Col, Line, FLayout.Columns, FLayout.Rows)) continue;
        const double Col0 = std::floor(Col), Line0 = std::floor(Line);
        const auto Column = static_cast<std::int64_t>(Col0), Row = static_cast<std::int64_t>(Line0);
        // An exactly integral position reads its cell; any other needs the 2 x 2 block inside the grid.
        const std::int64_t Reach = Col == Col0 && Line == Line0 ? 0 : 1;
        if (Column + Reach >= Columns || Row + Reach >= Rows) continue;
        const unsigned char *Top = nullptr, *Bottom = nullptr;
        if (!MapRows(Row, std::min(Row + 1, Rows - 1), Top, Bottom)) {
            Cells[C] = BilinearByCalls(FInput, Band, At.Col[C], At.Line[C]);
            continue;
        }
        Top += BandAt + Column * FLayout.ColumnStride;
        Bottom += BandAt + Column * FLayout.ColumnStride;
        const auto Decode = [this](const unsigned char* Cell) {
            return DecodeAs<CellType>(Cell, FLayout.LSBFirst);
        };
        if (Reach == 0) {
            const float Value = Decode(Top);
            Cells[C] = Unreadable(Value) ? 0 : Value;
            continue;
        }
        const std::int64_t Next = FLayout.ColumnStride;
        const TQuad Quad{Decode(Top), Decode(Bottom), Decode(Bottom + Next), Decode(Top + Next)};
        const bool Readable =
            !Unreadable(Quad[0]) && !Unreadable(Quad[1]) && !Unreadable(Quad[2]) && !Unreadable(Quad[3]);
        Cells[C] = Readable ? BilinearValue(Quad, Col - Col0, Line - Line0) : 0;
    }
}

void TRowSampler::SampleColour(const TRowPositions& At, const std::array<float, 3>& Back, float* Cells) {
    const auto FromMemory = [&](auto Type) { ColourFromMemory<decltype(Type)::value>(At, Back, Cells); };
    if (FPlain && ForCellType(FLayout.CellType, FromMemory)) return;
    for (std::size_t C = 0; C < At.Count; ++C) {
        float Value[3];
        ColourByCalls(FInput, At.Col[C], At.Line[C], Back, Value);
        for (std::size_t Band = 0; Band < 3; ++Band)
            Cells[Band * At.Count + C] = Value[Band];
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

template <typename TSample> void TRowSampler::WithRunReader(std::uint32_t Band, TSample&& Sample) {
    const auto FromMemory = [&](auto Type) {
        Sample([this, Band](std::int64_t Row, std::int64_t Col, std::int64_t Count, float* Values) {
            return RunFromMemory<decltype(Type)::value>(Band, Row, Col, Count, Values);
        });
    };
    if (FPlain && ForCellType(FLayout.CellType, FromMemory)) return;
    Sample([this, Band](std::int64_t Row, std::int64_t Col, std::int64_t Count, float* Values) {
        return RunByCalls(FInput, Band, Row, Col, Count, Values);
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
            for (std::size_t C = 0; C < At.Count; ++C)
                Cells[C] = HeldWithin(
                    KernelValue<decltype(Taps)::value>(At.Col[C], At.Line[C], Columns, Rows, ReadRun), Range);
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
    return Rule == TAreaRule::Average ? AreaAverage(FAreaCells, X, Y) : MostFrequent(FAreaCells, FAreaOrder);
}

void TRowSampler::SampleArea(std::uint32_t Band, TAreaRule Rule, const TCellArea* Areas, std::size_t Count,
                             float* Cells) {
    WithRunReader(Band, [&](const auto& ReadRun) {
        for (std::size_t C = 0; C < Count; ++C)
            Cells[C] = AreaValue(Rule, Areas[C], ReadRun);
    });
}

// Write results are not looked at: a failed cell write leaves that cell as it was.
void WriteCellRow(TMMapFile2& Output, std::int32_t Row, std::uint32_t Bands, std::size_t Columns,
                  const float* Cells) {
    TRowLayout Layout;
    unsigned char *Bytes = nullptr, *Same = nullptr;
    const auto Encode = [&](auto Type) {
        EncodeRow<decltype(Type)::value>(Layout, Bytes, Bands, Columns, Cells);
    };
    if (Output.PlainRowLayout(Layout) && Layout.Writable && Layout.Bands == Bands &&
        Layout.Columns == Columns && Output.MapRows(Row, Row, Bytes, Same) &&
        ForCellType(Layout.CellType, Encode))
        return;
    for (std::uint32_t Band = 0; Band < Bands; ++Band)
        for (std::size_t C = 0; C < Columns; ++C)
            Output.WriteCell(static_cast<std::int64_t>(C), Row, Band, Cells[Band * Columns + C]);
}

} // namespace vortane
