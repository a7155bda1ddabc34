#include "job/row_sampler.hpp"

#include "raster/cell_codec.hpp"

#include <algorithm>
#include <cmath>

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
        if (!ToCellIndex(std::nearbyint(At.Col[C]), Column) ||
            !ToCellIndex(std::nearbyint(At.Line[C]), Line) || Column < 0 || Column >= FLayout.Columns ||
            Line < 0 || Line >= FLayout.Rows) {
            // outside the input: the background
        } else if (MapRows(Line, Line, Row, Unused)) {
            const unsigned char* Cell = Row + Column * FLayout.ColumnStride;
            Value[0] = DecodeAs<CellType>(Cell + Band0, FLayout.LSBFirst);
            Value[1] = DecodeAs<CellType>(Cell + Band1, FLayout.LSBFirst);
            Value[2] = DecodeAs<CellType>(Cell + Band2, FLayout.LSBFirst);
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
            Cells[C] = Decode(Top);
            continue;
        }
        const std::int64_t Next = FLayout.ColumnStride;
        const TQuad Quad{Decode(Top), Decode(Bottom), Decode(Bottom + Next), Decode(Top + Next)};
        Cells[C] = BilinearValue(Quad, Col - Col0, Line - Line0);
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
