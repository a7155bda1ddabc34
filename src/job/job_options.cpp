#include "job/job_options.hpp"

#include <cmath>

namespace vortane {

std::string SelectionProblem(const TJobSelection& Selection, const TJobOptions& Options) {
    if (!Selection.InSpheroid) return "No input spheroid selected";
    if (!Selection.InDatum) return "No input datum selected";
    if (!Selection.InProjection) return "No input coordinate system selected";
    if (!Selection.OutSpheroid) return "No output spheroid selected";
    if (!Selection.OutDatum) return "No output datum selected";
    if (!Selection.OutProjection) return "No output coordinate system selected";
    if (!Selection.HubSpheroid) return "Hub spheroid WE not found";
    if (!IsUnitIndex(Options.InUnits)) return "Unknown input unit index " + std::to_string(Options.InUnits);
    if (!IsUnitIndex(Options.OutUnits))
        return "Unknown output unit index " + std::to_string(Options.OutUnits);
    if (!(std::isfinite(Options.Step) && Options.Step > 0)) return "Output step must be a positive number";
    if (Options.Threads < 0) return "Thread count must not be negative";
    if (!(std::isfinite(Options.MaxError) && Options.MaxError >= 0))
        return "Maximum mapping error must be a number of at least 0";
    return {};
}

} // namespace vortane
