#include "job/output_plan.hpp"

#include "text/strings.hpp"
#include "text/types.hpp"

#include <algorithm>
#include <chrono>
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

constexpr double Degrees = 180.0 / M_PI;
constexpr int OutlinePoints = 16; // per edge: the image of a straight edge may curve

// The rectangle's edges carried into the geographic form of System, clockwise from the north-west.
std::vector<TLonLat> Outline(const TProjection& System, const TMapExtent& E) {
    const double Corners[][2] = {{E.MinX, E.MaxY}, {E.MaxX, E.MaxY}, {E.MaxX, E.MinY}, {E.MinX, E.MinY}};
    std::vector<TLonLat> Ring;
    for (int Edge = 0; Edge < 4; ++Edge) {
        const double* From = Corners[Edge];
        const double* To = Corners[(Edge + 1) % 4];
        for (int i = 0; i < OutlinePoints; ++i) {
            const double T = double(i) / OutlinePoints;
            double Lat = 0, Lon = 0, H = 0;
            System.ProjToGeo(From[0] + T * (To[0] - From[0]), From[1] + T * (To[1] - From[1]), 0, Lat, Lon,
                             H);
            if (std::isfinite(Lat) && std::isfinite(Lon)) Ring.push_back({Lon * Degrees, Lat * Degrees});
        }
    }
    if (!Ring.empty()) Ring.push_back(Ring.front());
    return Ring;
}

// The time the cells take, from timing the cell chain over a sample spread across the grid: the
// chain is where a run spends its time; sampling and writing add a little.
double EstimateSeconds(const TCoordinateMapper& Mapper, const TOutputGrid& Grid, int Threads) {
    constexpr int Side = 64;
    volatile double Sink = 0; // keeps the chain from being optimised away
    const auto TimeSample = [&] {
        const auto Start = std::chrono::steady_clock::now();
        for (int r = 0; r < Side; ++r)
            for (int c = 0; c < Side; ++c) {
                double X = 0, Y = 0;
                Mapper.OutputToInput(Grid.MinX + (Grid.Columns - 1) * Grid.StepX * c / (Side - 1),
                                     Grid.MaxY - (Grid.Rows - 1) * Grid.StepY * r / (Side - 1), X, Y);
                Sink = Sink + X;
            }
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
    };
    // The first pass pays for cold caches and first-use set-up a run pays once; the faster pass counts.
    const double Seconds = std::min(TimeSample(), TimeSample());
    return Seconds / (Side * Side) * double(Grid.Columns) * double(Grid.Rows) / std::max(1, Threads);
}

} // namespace

std::unique_ptr<TCoordinateMapper> NewJobMapper(const TJobSelection& S, const TJobOptions& Options) {
    return std::make_unique<TCoordinateMapper>(
        TMapperEnd{S.InSpheroid, S.InDatum, S.InProjection,
                   UnitFactors[static_cast<std::size_t>(Options.InUnits)], Options.ExactProjections},
        TMapperEnd{S.OutSpheroid, S.OutDatum, S.OutProjection,
                   UnitFactors[static_cast<std::size_t>(Options.OutUnits)], Options.ExactProjections},
        S.HubSpheroid);
}

bool OutputGridOf(const TCoordinateMapper& Mapper, const TMapExtent& Input, double Step, TMapExtent& Extent,
                  TOutputGrid& Grid, std::string& Reason) {
    if (!Mapper.OutputExtent(Input, Extent)) {
        Reason =
            "Output extent cannot be computed: an input corner has no valid position in the input or the "
            "output system";
        return false;
    }
    // The step is given in metres, like the coordinates of every system before its unit applies (angles
    // have no unit).
    Grid.StepX = Grid.StepY = Step / Mapper.OutputUnitMetres();
    Grid.MinX = Extent.MinX;
    Grid.MaxY = Extent.MaxY;
    Grid.Rows = GridCount(Extent.MinY, Extent.MaxY, Grid.StepY);
    Grid.Columns = GridCount(Extent.MinX, Extent.MaxX, Grid.StepX);
    if (Grid.Rows == 0 || Grid.Columns == 0) {
        Reason = "Output grid too large: more than 2147483647 rows or columns";
        return false;
    }
    return true;
}

bool PlanOutput(const TInputDescription& Input, const TJobOptions& Options, const TJobSelection& Selection,
                TOutputPlan& Plan, std::string& Reason) {
    Reason = SelectionProblem(Selection, Options);
    if (!Reason.empty()) return false;
    const std::unique_ptr<TCoordinateMapper> Mapper = NewJobMapper(Selection, Options);
    Plan = {};
    Plan.Input = {.MinX = Input.West, .MinY = Input.South, .MaxX = Input.East, .MaxY = Input.North};
    if (!OutputGridOf(*Mapper, Plan.Input, Options.Step, Plan.Output, Plan.Grid, Reason)) return false;
    Plan.Bands = Input.Bands;
    Plan.CellType = Input.CellType;
    // As the cell file is sized; a count beyond 64 bits shows as the largest.
    const std::uint64_t Factors[] = {std::uint64_t(Plan.Grid.Columns), std::uint64_t(Plan.Grid.Rows),
                                     std::uint64_t(std::max(0, Input.Bands)),
                                     std::uint64_t(CellBytes(Input.CellType))};
    Plan.Bytes = 1;
    for (const std::uint64_t Factor : Factors)
        if (__builtin_mul_overflow(Plan.Bytes, Factor, &Plan.Bytes))
            Plan.Bytes = std::numeric_limits<std::uint64_t>::max();
    Plan.InputOutline = Outline(Mapper->InSystem(), Plan.Input);
    Plan.OutputOutline = Outline(Mapper->OutSystem(), Plan.Output);
    Plan.Seconds = EstimateSeconds(*Mapper, Plan.Grid, ThreadCount(Options.Threads));
    return true;
}

std::string PlanSizeText(const TOutputPlan& Plan) {
    const char* const Units[] = {"bytes", "KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
    double Size = double(Plan.Bytes);
    std::size_t Unit = 0;
    for (; Size >= 1024 && Unit + 1 < std::size(Units); ++Unit)
        Size /= 1024;
    const std::string SizeText = Unit == 0 ? std::to_string(Plan.Bytes) : FixedText(Size, 10, 1);
    return std::to_string(Plan.Grid.Columns) + " x " + std::to_string(Plan.Grid.Rows) + " x " +
           std::to_string(Plan.Bands) + " cells, " + SizeText + " " + Units[Unit];
}

std::string PlanTimeText(const TOutputPlan& Plan) {
    if (Plan.Seconds < 1) return "under a second";
    if (Plan.Seconds < 60) return "about " + std::to_string(int(std::ceil(Plan.Seconds))) + " s";
    return "about " + DaysToHMS(Plan.Seconds / 86400.0) + " (h:m:s)";
}

} // namespace vortane
