// Compressed TIFFs read through libtiff. DecodeDeflateTiled opens a 8192 x 8192 RGB image, Deflate
// compressed in 256 x 256 tiles, which decodes it into its temporary cell file (MB/s of decoded
// cells). WarpPeakMemory runs a whole job (UTM zone 33 to 34, 2 m cells) from such an image of N x N
// cells in a child process of its own, so each size reports its own peak resident memory: the
// decoding holds one row of tiles, the job maps views of at most 128 MiB, so the peak stops growing
// once the image is larger than a view.

#include "bench_job.hpp"
#include "raster/data_set.hpp"
#include "raster/tiff/libtiff_writer.hpp"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace vortane;
using namespace vortane::bench;

// A temporary folder removed with everything in it.
class TFolder {
public:
    TFolder() {
        std::string Pattern = (std::filesystem::temp_directory_path() / "bench_libtiff_XXXXXX").string();
        if (::mkdtemp(Pattern.data()) == nullptr) std::abort();
        FDir = Pattern;
    }
    ~TFolder() { std::filesystem::remove_all(FDir); }
    std::string Path(const std::string& Name) const { return (FDir / Name).string(); }

private:
    std::filesystem::path FDir;
};

// An RGB image of Size x Size cells, Deflate compressed in tiles, placed in UTM zone 33 north.
std::string DeflateTiled(const TFolder& Folder, std::uint32_t Size) {
    test::TTiffShape Shape;
    Shape.Width = Shape.Height = Size;
    Shape.Samples = 3;
    Shape.Photometric = PHOTOMETRIC_RGB;
    Shape.Compression = COMPRESSION_ADOBE_DEFLATE;
    Shape.Tile = 256;
    Shape.Grain = true;
    const std::string Name = Folder.Path("in" + std::to_string(Size) + ".tif");
    if (!test::WriteTiff(Name, Shape)) std::abort();
    return Name;
}

void DecodeDeflateTiled(benchmark::State& State) {
    constexpr std::uint32_t Size = 8192;
    static const TFolder Folder;
    static const std::string In = DeflateTiled(Folder, Size);
    for (auto _ : State) {
        TDataSet2 Image;
        if (!Image.Open(In, 0, 0, ctUnsigned8, 1, omRead)) State.SkipWithError(Image.GetErrorText().c_str());
    }
    const auto Decoded = std::int64_t{Size} * Size * 3;
    State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations()) * Decoded);
    State.counters["compressed_MB"] = static_cast<double>(std::filesystem::file_size(In)) / (1 << 20);
    State.counters["decoded_MB"] = static_cast<double>(Decoded) / (1 << 20);
}

struct TChildResult {
    bool Finished = false;
    double PeakMegabytes = 0;
    double JobSeconds = 0;
};

// Writes the input, then runs the job from it; only the job's memory adds to the peak, as the
// writing holds one tile at a time.
TChildResult WarpInChild(std::uint32_t Size) {
    TChildResult Result;
    const TFolder Folder;
    const std::string In = DeflateTiled(Folder, Size);
    TJobSelection Selection;
    Select(Selection, {"WE", "WGS84", "NUTM33"}, {"WE", "WGS84", "NUTM34"});
    TJobOptions Options;
    Options.Step = 2;
    TQuietObserver Observer;
    const auto Start = std::chrono::steady_clock::now();
    TMyThread Worker(In, Folder.Path("out.tif"), Options, Selection, Observer);
    Worker.Run();
    Result.JobSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
    Result.Finished = Worker.Status().Succeeded();
    Result.PeakMegabytes = PeakMegabytes();
    return Result;
}

void WarpPeakMemory(benchmark::State& State) {
    const auto Size = static_cast<std::uint32_t>(State.range(0));
    TChildResult Result;
    for (auto _ : State) {
        int Pipe[2];
        if (::pipe(Pipe) != 0) std::abort();
        const pid_t Child = ::fork();
        if (Child == 0) {
            const TChildResult Own = WarpInChild(Size);
            const bool Sent = ::write(Pipe[1], &Own, sizeof Own) == static_cast<ssize_t>(sizeof Own);
            ::_exit(Sent ? 0 : 1);
        }
        ::close(Pipe[1]);
        const bool Received = ::read(Pipe[0], &Result, sizeof Result) == static_cast<ssize_t>(sizeof Result);
        ::close(Pipe[0]);
        ::waitpid(Child, nullptr, 0);
        if (!Received || !Result.Finished) State.SkipWithError("the job from the compressed image failed");
    }
    State.counters["decoded_MB"] = double(Size) * Size * 3 / (1 << 20);
    State.counters["peak_MB"] = Result.PeakMegabytes;
    State.counters["job_s"] = Result.JobSeconds;
}

BENCHMARK(DecodeDeflateTiled)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();
BENCHMARK(WarpPeakMemory)->Arg(2048)->Arg(8192)->Arg(16384)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
