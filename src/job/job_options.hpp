#pragma once
// What a resampling run is started with: the options the window copies into each worker, and the
// selection the window owns and the worker only reads (plus the two flags both threads touch).

#include "crs/units.hpp"
#include "job/list_batch.hpp"
#include "job/resampler.hpp"
#include "raster/creation_options.hpp"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace vortane {

class TDatumRecord;
class TEpsgTable;
class TProjection;
class TSpheroid;

struct TJobOptions {
    double Step = 1.0;           // output cell size in metres ("Output step")
    std::int32_t BackGround = 0; // 24-bit colour: red in the low byte, then green, then blue
    bool List = false;           // the input name is a photo list, not an image
    std::int32_t InUnits = 0;    // index into UnitFactors for the input coordinates
    std::int32_t OutUnits = 0;   // index into UnitFactors for the output coordinates
    bool OnlyHeaders = false;    // write the output's header only
    std::int32_t Threads = 0;    // threads computing rows; 0: one per processor core
    double MaxError = 0.0;       // input cells the mapping may be off by; 0: every cell mapped exactly
    TShard Shard;                // the part of a photo list this run takes; its report and log are its own
    bool Resume = false; // a list run skips the entries an earlier run finished, keeps their report lines
    bool ExactProjections = false; // both systems by their exact forms instead of the default series
    TResampling Resampling = TResampling::Auto; // how the input is sampled for each output cell
    TCreationOptions Creation; // how the output stores its cells (compression, tiles, nodata, alpha)
    // What the run was told before it started (where the input system came from, a warning that it
    // contradicts the input file's): the log's first lines.
    std::vector<std::string> Notes;
};

// The coordinate systems of a run. The catalogue owns the objects; two systems are the same exactly
// when they are the same objects. The worker computes with its own copies of the two systems and
// never writes these objects; it reads them when a file starts, so the selection must stay unchanged
// until the run has ended.
struct TJobSelection {
    const TSpheroid* InSpheroid = nullptr;
    const TDatumRecord* InDatum = nullptr;
    const TProjection* InProjection = nullptr;
    const TSpheroid* OutSpheroid = nullptr;
    const TDatumRecord* OutDatum = nullptr;
    const TProjection* OutProjection = nullptr;
    const TSpheroid* HubSpheroid = nullptr; // the catalogue spheroid "WE": every datum change passes it
    // The catalogue's EPSG codes, which outputs declare their system by; null: every output's system
    // is declared by its parameters.
    const TEpsgTable* EpsgCodes = nullptr;
    // Written into the output's georeferencing.
    std::string OutSpheroidName;
    std::string OutDatumName;
    std::string OutProjectionName;
    // Read by the worker when it gets to the cells, so a change during the run still counts.
    std::atomic<bool> OnlyHeaders{false};
    // True while a job runs; the window reads it to decide between start and stop.
    std::atomic<bool> Busy{false};
};

// Why a run cannot start with this selection and these options ("" when it can): a missing catalogue
// object, an unknown unit index or a step that is not a positive number.
std::string SelectionProblem(const TJobSelection& Selection, const TJobOptions& Options);

} // namespace vortane
