#pragma once
// What a run will write, worked out before it runs with the worker's own chain: the output extent and
// grid, the cells' size in bytes, the outlines of input and output in degrees for a map, and an
// estimate of the time. The desktop program's preview and `vortane-cli warp --dry-run` show it.

#include "crs/coordinate_mapper.hpp"
#include "job/input_description.hpp"
#include "job/job_options.hpp"
#include "job/resampler.hpp"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vortane {

// The mapper a run computes with: each end's system on its spheroid with its unit and form.
std::unique_ptr<TCoordinateMapper> NewJobMapper(const TJobSelection& Selection, const TJobOptions& Options);

// The output extent of the Input rectangle and the grid on it, Step in metres (radians for a
// geographic output). False with Reason when a corner has no output position or the grid is too large.
bool OutputGridOf(const TCoordinateMapper& Mapper, const TMapExtent& Input, double Step, TMapExtent& Extent,
                  TOutputGrid& Grid, std::string& Reason);

// A position for the map, in degrees.
struct TLonLat {
    double Lon = 0, Lat = 0;
};

struct TOutputPlan {
    TMapExtent Input;  // in the input system's units
    TMapExtent Output; // in the output system's units
    TOutputGrid Grid;
    std::int32_t Bands = 0;
    std::uint8_t CellType = 0;
    std::uint64_t Bytes = 0; // of the output's cells
    // Each extent's edges in the geographic form of its own end, a closed ring.
    std::vector<TLonLat> InputOutline, OutputOutline;
    double Seconds = 0; // the estimated time of the cells, from mapping a sample of them
};

// The plan of a run of Input (for a photo list, its first image) with these options and selection.
// False with Reason when the selection is incomplete or the output cannot be computed.
bool PlanOutput(const TInputDescription& Input, const TJobOptions& Options, const TJobSelection& Selection,
                TOutputPlan& Plan, std::string& Reason);

// "1200 x 900 x 3 cells, 3.1 MiB": what the preview and the dry run say of the output's size.
std::string PlanSizeText(const TOutputPlan& Plan);
// "under a second", "about 12 s", "about 1:5:20 (h:m:s)": the estimated time.
std::string PlanTimeText(const TOutputPlan& Plan);

} // namespace vortane
