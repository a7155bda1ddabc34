// The output grid and the cell loops of the resampling worker.
#include "job/worker.hpp"

#include "crs/coordinate_mapper.hpp"
#include "job/output_options.hpp"
#include "job/output_plan.hpp"
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

// The background colour's red, green and blue bytes as band values.
std::array<float, 3> BackgroundBands(std::int32_t Colour) {
    const auto Byte = [Colour](int Shift) {
        return float(static_cast<std::uint8_t>((Colour >> Shift) & 0xFF));
    };
    return {Byte(0), Byte(8), Byte(16)};
}

} // namespace

bool TMyThread::ComputeExtent() {
    // Each end computes with its own copy of its system, on its own spheroid and unit: the catalogue's
    // objects stay untouched, and one system object named by both ends still serves both correctly.
    FMapper = NewJobMapper(FSelection, FOptions);
    // Only the opt-in forms are named, so the logs of default runs stay as they were.
    if (FOptions.ExactProjections)
        AddLogLine(" Exact projection forms: input " + FMapper->InSystem().FormName() + ", output " +
                   FMapper->OutSystem().FormName());
    const double OX = FInput->GetOriginX();
    const double OY = FInput->GetOriginY();
    const TMapExtent Input{.MinX = OX,
                           .MinY = OY - FInput->GetRows() * FInput->GetCellSizeY(),
                           .MaxX = OX + FInput->GetColumns() * FInput->GetCellSizeX(),
                           .MaxY = OY};
    std::string Reason;
    if (!OutputGridOf(*FMapper, Input, FGrid.StepX, FExtent, FGrid, Reason)) {
        FStatus = TJobStatus::Failure(Reason);
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
    Options.InputNoData = FNoData.Input;
    Options.OutputNoData = FNoData.Output;
    Options.Alpha = FOptions.Creation.Alpha;
    Options.AlphaOpaque = OpaqueAlpha(Options.CellType);
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
