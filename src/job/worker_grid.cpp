// The output grid and the cell loops of the resampling worker.
#include "job/worker.hpp"

#include "crs/coordinate_mapper.hpp"
#include "job/resampler.hpp"
#include "raster/data_set.hpp"
#include "raster/raster.hpp"
#include "text/strings.hpp"

#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace vortane {

namespace {

// Steps between two extent edges, rounded half to even, plus one; 0 when that is no 32-bit count.
std::int32_t GridCount(double Low, double High, double Step) {
    const double Steps = std::nearbyint((High - Low) / Step);
    if (!(std::fabs(Steps) < double(std::numeric_limits<std::int32_t>::max()))) return 0;
    return static_cast<std::int32_t>(std::llabs(static_cast<long long>(Steps)) + 1);
}

// The background colour's red, green and blue bytes as band values.
std::array<float, 3> BackgroundBands(std::int32_t Colour) {
    const auto Byte = [Colour](int Shift) {
        return float(static_cast<std::uint8_t>((Colour >> Shift) & 0xFF));
    };
    return {Byte(0), Byte(8), Byte(16)};
}

} // namespace

bool TMyThread::ComputeExtent() {
    const TJobSelection& S = FSelection;
    // Each end computes with its own copy of its system, on its own spheroid and unit: the catalogue's
    // objects stay untouched, and one system object named by both ends still serves both correctly.
    FMapper = std::make_unique<TCoordinateMapper>(
        TMapperEnd{S.InSpheroid, S.InDatum, S.InProjection,
                   UnitFactors[static_cast<std::size_t>(FOptions.InUnits)], FOptions.ExactProjections},
        TMapperEnd{S.OutSpheroid, S.OutDatum, S.OutProjection,
                   UnitFactors[static_cast<std::size_t>(FOptions.OutUnits)], FOptions.ExactProjections},
        S.HubSpheroid);
    // Only the opt-in forms are named, so the logs of default runs stay as they were.
    if (FOptions.ExactProjections)
        AddLogLine(" Exact projection forms: input " + FMapper->InSystem().FormName() + ", output " +
                   FMapper->OutSystem().FormName());
    // The step is given in metres, like the coordinates of every system before its unit applies (angles
    // have no unit).
    FGrid.StepX /= FMapper->OutputUnitMetres();
    FGrid.StepY /= FMapper->OutputUnitMetres();

    const double OX = FInput->GetOriginX();
    const double OY = FInput->GetOriginY();
    const TMapExtent Input{.MinX = OX,
                           .MinY = OY - FInput->GetRows() * FInput->GetCellSizeY(),
                           .MaxX = OX + FInput->GetColumns() * FInput->GetCellSizeX(),
                           .MaxY = OY};
    if (!FMapper->OutputExtent(Input, FExtent)) {
        FStatus = TJobStatus::Failure("Output extent cannot be computed: an input corner has no valid "
                                      "position in the input or the output system");
        return false;
    }
    FGrid.MinX = FExtent.MinX;
    FGrid.MaxY = FExtent.MaxY;
    FGrid.Rows = GridCount(FExtent.MinY, FExtent.MaxY, FGrid.StepY);
    FGrid.Columns = GridCount(FExtent.MinX, FExtent.MaxX, FGrid.StepX);
    if (FGrid.Rows == 0 || FGrid.Columns == 0) {
        FStatus = TJobStatus::Failure("Output grid too large: more than 2147483647 rows or columns");
        return false;
    }
    return true;
}

// Every output cell carried back into the input and sampled there by the chosen method; by default three
// bands at the nearest cell with the background test, any other band count bilinearly.
void TMyThread::Resample() {
    TResampleOptions Options;
    Options.Method = FOptions.Resampling;
    Options.CellType = FInput->GetCellType();
    Options.Colour = FInput->GetBands() == 3;
    Options.Background = BackgroundBands(FOptions.BackGround);
    Options.Threads = ThreadCount(FOptions.Threads);
    Options.MaxError = FOptions.MaxError;
    // Only a chosen method is named, so the logs of default runs stay as they were.
    if (Options.Method != TResampling::Auto)
        AddLogLine(" Resampling: " + std::string(ResamplingName(Options.Method)));
    TResampler Resampler(*FMapper, *FInput->Raster(), static_cast<std::uint32_t>(FInput->GetBands()),
                         *FOutput->Raster(), FGrid, FInGeometry, Options);
    Resampler.Run([this](std::int32_t Row) { return RowFinished(Row); });
    FInputViewsFaulted = Resampler.InputViewsFaulted();
    if (Options.MaxError > 0)
        AddLogLine(" Approximate mapping: maximum error " + GeneralText(Options.MaxError) +
                   " pixel, largest measured " + GeneralText(Resampler.LargestMeasuredError()) + " pixel");
}

} // namespace vortane
