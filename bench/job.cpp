// Whole resampling jobs on generated 4096 x 4096 images (3-band bytes, sampled at the nearest cell, and
// 1-band floats, sampled bilinearly) for three selections: the same system, the neighbouring UTM zone,
// and a Lambert conic on another datum. Reports output megapixels per second and the peak resident
// memory of the process (getrusage; mapped input and output pages count towards it).

#include "bench_job.hpp"
#include "job/sample_image.hpp"
#include "job/worker.hpp"
#include "raster/data_set.hpp"
#include "raster/mapped_cell_file.hpp"
#include "text/strings.hpp"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using namespace vortane;
using namespace vortane::bench;

constexpr int Size = 4096;

// A temporary folder holding the two generated inputs, removed at exit.
class TInputs {
public:
    TInputs() {
        std::string Pattern = (std::filesystem::temp_directory_path() / "bench_job_XXXXXX").string();
        if (::mkdtemp(Pattern.data()) == nullptr) std::abort();
        FDir = Pattern;
    }
    ~TInputs() { std::filesystem::remove_all(FDir); }

    // The input of Bands bands (3 or 1), written on first use: 25 m cells in UTM zone 34 north.
    const std::string& Image(int Bands) {
        auto Found = FImages.find(Bands);
        if (Found != FImages.end()) return Found->second;
        TSampleImage Sample;
        Sample.Columns = Size;
        Sample.Rows = Size;
        Sample.Bands = Bands;
        Sample.West = 400000;
        Sample.North = 5850000;
        const std::string Name = (FDir / ("in" + std::to_string(Bands) + ".ers")).string();
        std::string Error;
        if (!WriteSampleImage(Name, Sample, Error)) std::abort();
        return FImages.emplace(Bands, Name).first->second;
    }
    std::string Output() const { return (FDir / "out.ers").string(); }

private:
    std::filesystem::path FDir;
    std::map<int, std::string> FImages;
};

TInputs& Inputs() {
    static TInputs Shared;
    return Shared;
}

constexpr TEnd Utm34{"WE", "WGS84", "NUTM34"};
constexpr TEnd Utm35{"WE", "WGS84", "NUTM35"};
constexpr TEnd BelgianLambert{"IN", "BD72", "BELGE_LAMBERT72"};

void WholeJob(benchmark::State& State, int Bands, TEnd Out) {
    const std::string In = Inputs().Image(Bands);
    TJobSelection Selection;
    Select(Selection, Utm34, Out);
    TJobOptions Options;
    Options.Step = 25;
    TQuietObserver Observer;
    TJobStatus Status = TJobStatus::Failure("not run");
    for (auto _ : State) {
        TMyThread Worker(In, Inputs().Output(), Options, Selection, Observer);
        Worker.Run();
        Status = Worker.Status();
    }
    if (!Status.Succeeded()) State.SkipWithError(Status.Text().c_str());
    // The output grid of the last run, from its header.
    TDataSet2 Output;
    if (!Output.Open(Inputs().Output(), 0, 0, 1, 1, omRead))
        State.SkipWithError("output cannot be read back");
    const double Megapixels = double(Output.GetColumns()) * Output.GetRows() / 1e6;
    State.counters["out_Mpix"] = Megapixels;
    State.counters["Mpix_per_s"] =
        benchmark::Counter(Megapixels * double(State.iterations()), benchmark::Counter::kIsRate);
    State.counters["peak_MB"] = PeakMegabytes();
}

BENCHMARK_CAPTURE(WholeJob, rgb_nearest_same_system, 3, Utm34)->Unit(benchmark::kSecond)->Iterations(2);
BENCHMARK_CAPTURE(WholeJob, rgb_nearest_utm34_to_utm35, 3, Utm35)->Unit(benchmark::kSecond)->Iterations(2);
BENCHMARK_CAPTURE(WholeJob, rgb_nearest_utm34_to_lambert_bd72, 3, BelgianLambert)
    ->Unit(benchmark::kSecond)
    ->Iterations(2);
BENCHMARK_CAPTURE(WholeJob, float_bilinear_same_system, 1, Utm34)->Unit(benchmark::kSecond)->Iterations(2);
BENCHMARK_CAPTURE(WholeJob, float_bilinear_utm34_to_utm35, 1, Utm35)->Unit(benchmark::kSecond)->Iterations(2);
BENCHMARK_CAPTURE(WholeJob, float_bilinear_utm34_to_lambert_bd72, 1, BelgianLambert)
    ->Unit(benchmark::kSecond)
    ->Iterations(2);

} // namespace
