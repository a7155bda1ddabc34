// Encode and decode speed of the wavelet (ECW) codec on the bundled sample image (600 x 400 cells, three
// bands, the image `./dev run` makes), and the compressed size as a share of the raw cells.
// MB/s counts raw cell bytes (columns x rows x bands).

#include "job/sample_image.hpp"
#include "raster/data_set.hpp"
#include "raster/ecw/ecw_map.hpp"
#include "text/types.hpp"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

using namespace vortane;

// The sample image copied into a created wavelet raster, and one encoded file of it; removed at exit.
class TSample {
public:
    TSample() {
        std::string Pattern = (std::filesystem::temp_directory_path() / "bench_wavelet_XXXXXX").string();
        if (::mkdtemp(Pattern.data()) == nullptr) std::abort();
        FDir = Pattern;
        std::string Error;
        const std::string SampleName = (FDir / "sample.ers").string();
        if (!WriteSampleImage(SampleName, TSampleImage{}, Error)) std::abort();
        TDataSet2 Sample;
        if (!Sample.Open(SampleName, 0, 0, ctUnsigned8, 1, omRead)) std::abort();
        Columns = Sample.GetColumns();
        Rows = Sample.GetRows();
        Bands = Sample.GetBands();
        if (!Raster.OpenMap(EncodedName(), Columns, Rows, ctUnsigned8, Bands, omCreate)) std::abort();
        for (std::int32_t Band = 0; Band < Bands; ++Band)
            for (std::int32_t Row = 0; Row < Rows; ++Row)
                for (std::int32_t Col = 0; Col < Columns; ++Col) {
                    float Value = 0;
                    Sample.Raster()->ReadCell(Col, Row, static_cast<std::uint32_t>(Band), Value);
                    Raster.WriteCell(Col, Row, static_cast<std::uint32_t>(Band), Value);
                }
        if (!Raster.WriteEcw(EncodedName(), 1)) std::abort();
    }
    ~TSample() {
        std::error_code Ignored;
        std::filesystem::remove_all(FDir, Ignored);
    }
    std::string EncodedName() const { return (FDir / "sample.ecw").string(); }
    double RawBytes() const { return double(Columns) * Rows * Bands; }

    TECWMap2 Raster;
    std::int32_t Columns = 0, Rows = 0, Bands = 0;

private:
    std::filesystem::path FDir;
};

TSample& Sample() {
    static TSample Instance;
    return Instance;
}

void SetCounters(benchmark::State& State) {
    TSample& Image = Sample();
    State.counters["MB/s"] =
        benchmark::Counter(Image.RawBytes() / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    State.counters["size %"] =
        100.0 * double(std::filesystem::file_size(Image.EncodedName())) / Image.RawBytes();
}

void BM_WaveletEncodeSample(benchmark::State& State) {
    TSample& Image = Sample();
    for (auto _ : State)
        if (!Image.Raster.WriteEcw(Image.EncodedName(), 1)) State.SkipWithError("encoding failed");
    SetCounters(State);
}
BENCHMARK(BM_WaveletEncodeSample)->Unit(benchmark::kMillisecond);

void BM_WaveletDecodeSample(benchmark::State& State) {
    TSample& Image = Sample();
    for (auto _ : State) {
        TECWMap2 Decoded;
        if (!Decoded.ReadEcw(Image.EncodedName())) State.SkipWithError("decoding failed");
        benchmark::DoNotOptimize(Decoded.Buffer());
    }
    SetCounters(State);
}
BENCHMARK(BM_WaveletDecodeSample)->Unit(benchmark::kMillisecond);

} // namespace
