// The output grid and the cell loops of the resampling worker.
#include "job/worker.hpp"

#include "crs/coordinate_mapper.hpp"
#include "raster/data_set.hpp"
#include "raster/raster.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace vortane {

namespace {

double MaxOf(double A, double B) {
    return A > B ? A : B;
}
double MinOf(double A, double B) {
    return A < B ? A : B;
}

// Steps between two extent edges, rounded half to even, plus one; 0 when that is no 32-bit count.
std::int32_t GridCount(double Low, double High, double Step) {
    const double Steps = std::nearbyint((High - Low) / Step);
    if (!(std::fabs(Steps) < double(std::numeric_limits<std::int32_t>::max()))) return 0;
    return static_cast<std::int32_t>(std::llabs(static_cast<long long>(Steps)) + 1);
}

} // namespace

bool TMyThread::ComputeExtent() {
    const TJobSelection& S = FSelection;
    // Each end computes with its own copy of its system, on its own spheroid and unit: the catalogue's
    // objects stay untouched, and one system object named by both ends still serves both correctly.
    const double OutFactor = UnitFactors[static_cast<std::size_t>(FOptions.OutUnits)];
    FMapper = std::make_unique<TCoordinateMapper>(
        TMapperEnd{S.InSpheroid, S.InDatum, S.InProjection,
                   UnitFactors[static_cast<std::size_t>(FOptions.InUnits)]},
        TMapperEnd{S.OutSpheroid, S.OutDatum, S.OutProjection, OutFactor}, S.HubSpheroid);
    // The step is given in metres.
    FStepX /= OutFactor;
    FStepY /= OutFactor;

    FMaxY = -1e100;
    FMinX = 1e100;
    FMaxX = -1e100;
    FMinY = 1e100;
    const double OX = FInput->GetOriginX();
    const double OY = FInput->GetOriginY();
    const double East = OX + FInput->GetColumns() * FInput->GetCellSizeX();
    const double South = OY - FInput->GetRows() * FInput->GetCellSizeY();
    // Only the corners are carried: a curved image of an edge may reach beyond the extent.
    const double Corners[4][2] = {{OX, OY}, {East, OY}, {East, South}, {OX, South}};
    for (const auto& Corner : Corners) {
        double X = 0, Y = 0;
        FMapper->InputToOutput(Corner[0], Corner[1], X, Y);
        if (!std::isfinite(X) || !std::isfinite(Y)) {
            FMessage =
                "Output extent cannot be computed: an input corner has no position in the output system";
            return false;
        }
        FMaxY = MaxOf(Y, FMaxY);
        FMinX = MinOf(X, FMinX);
        FMinY = MinOf(Y, FMinY);
        FMaxX = MaxOf(X, FMaxX);
    }
    FRows = GridCount(FMinY, FMaxY, FStepY);
    FColumns = GridCount(FMinX, FMaxX, FStepX);
    if (FRows == 0 || FColumns == 0) {
        FMessage = "Output grid too large: more than 2147483647 rows or columns";
        return false;
    }
    return true;
}

// Output cell (Row, Column) to its input map position in FX, FY.
void TMyThread::MapCell(std::int32_t Row, std::int32_t Column) {
    FMapper->OutputToInput(FMinX + Column * FStepX, FMaxY - Row * FStepY, FX, FY);
}

// Three bands: nearest cell, and input pixels within a mean difference of 6 of the background colour
// come out exactly as the background colour.
void TMyThread::ColourLoop() {
    TDataSetRoot2& In = *FInput->Raster();
    TDataSetRoot2& Out = *FOutput->Raster();
    const float Back[3] = {float(FBackR), float(FBackG), float(FBackB)};
    for (std::int32_t Row = 0; Row < FRows; ++Row) {
        for (std::int32_t Column = 0; Column < FColumns; ++Column) {
            MapCell(Row, Column);
            const double Col = (FX - FInOriginX) / FInCellSizeX;
            const double Line = (FInOriginY - FY) / FInCellSizeY;
            float Value[3] = {Back[0], Back[1], Back[2]};
            if (In.SampleNearest(0, Value[0], Col, Line)) {
                In.SampleNearest(1, Value[1], Col, Line);
                In.SampleNearest(2, Value[2], Col, Line);
                const float Mean = (std::fabs(Value[0] - Back[0]) + std::fabs(Value[1] - Back[1]) +
                                    std::fabs(Value[2] - Back[2])) /
                                   3.0f;
                if (!(Mean > 6.0f)) std::copy(Back, Back + 3, Value);
            }
            for (std::uint32_t Band = 0; Band < 3; ++Band)
                Out.WriteCell(Column, Row, Band, Value[Band]);
        }
        if (!RowFinished(Row)) return;
    }
}

// Any other band count: bilinear reads, 0 where the 2 x 2 neighbourhood leaves the input. The mapping
// of a cell does not depend on the band, so each row is mapped once.
void TMyThread::GeneralLoop() {
    TDataSetRoot2& Out = *FOutput->Raster();
    const auto Bands = static_cast<std::uint32_t>(FInput->GetBands());
    std::vector<double> RowX(static_cast<std::size_t>(FColumns));
    std::vector<double> RowY(static_cast<std::size_t>(FColumns));
    for (std::int32_t Row = 0; Row < FRows; ++Row) {
        for (std::int32_t Column = 0; Column < FColumns; ++Column) {
            MapCell(Row, Column);
            RowX[static_cast<std::size_t>(Column)] = FX;
            RowY[static_cast<std::size_t>(Column)] = FY;
        }
        for (std::uint32_t Band = 0; Band < Bands; ++Band) {
            for (std::int32_t Column = 0; Column < FColumns; ++Column) {
                const auto Index = static_cast<std::size_t>(Column);
                float Value = 0;
                if (!FInput->ReadValue(Band, Value, RowX[Index], RowY[Index], true)) Value = 0;
                Out.WriteCell(Column, Row, Band, Value);
            }
        }
        if (!RowFinished(Row)) return;
    }
}

} // namespace vortane
