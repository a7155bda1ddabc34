// Nearest and bilinear samples per second on a 4096 x 4096 byte image of one and three bands.
// Positions walk the image row by row along a slightly rotated grid, the way the resampling job
// visits its input when the output system is turned against the input's.

#include "raster/mapped_cell_file.hpp"
#include "text/types.hpp"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace vortane;

constexpr std::uint32_t Size = 4096;

struct TPosition {
    double Col;
    double Row;
};

// One image per band count, created once and removed at exit.
class TImage {
public:
    explicit TImage(std::uint32_t Bands) {
        std::string Pattern = (std::filesystem::temp_directory_path() / "bench_raster_XXXXXX").string();
        if (::mkdtemp(Pattern.data()) == nullptr) std::abort();
        FDir = Pattern;
        if (!FGrid.OpenGrid((FDir / "cells").string(), Size, Size, ctUnsigned8, Bands, omCreate, false))
            std::abort();
        for (std::uint32_t Band = 0; Band < Bands; ++Band)
            for (std::uint32_t Row = 0; Row < Size; ++Row)
                for (std::uint32_t Col = 0; Col < Size; ++Col)
                    FGrid.WriteCell(Col, Row, Band,
                                    static_cast<float>((Col * 7 + Row * 13 + Band * 31) & 255));
    }
    ~TImage() {
        FGrid.CloseFile();
        std::error_code Ignored;
        std::filesystem::remove_all(FDir, Ignored);
    }
    TMMapFile2& Grid() { return FGrid; }

private:
    std::filesystem::path FDir;
    TMMapFile2 FGrid;
};

TImage& Image(std::uint32_t Bands) {
    static std::unique_ptr<TImage> Images[4];
    if (!Images[Bands]) Images[Bands] = std::make_unique<TImage>(Bands);
    return *Images[Bands];
}

// Every cell of the image once, through a grid turned by 3 degrees about the centre.
const std::vector<TPosition>& Walk() {
    static const std::vector<TPosition> Positions = [] {
        std::vector<TPosition> Result;
        Result.reserve(std::size_t{Size} * Size);
        const double Cos = std::cos(3 * M_PI / 180);
        const double Sin = std::sin(3 * M_PI / 180);
        const double Centre = Size / 2.0;
        for (std::uint32_t Row = 0; Row < Size; ++Row)
            for (std::uint32_t Col = 0; Col < Size; ++Col) {
                const double X = Col + 0.3 - Centre;
                const double Y = Row + 0.7 - Centre;
                Result.push_back({Centre + Cos * X - Sin * Y, Centre + Sin * X + Cos * Y});
            }
        return Result;
    }();
    return Positions;
}

template <bool Bilinear> void Sample(benchmark::State& State) {
    const auto Bands = static_cast<std::uint32_t>(State.range(0));
    TMMapFile2& Grid = Image(Bands).Grid();
    const std::vector<TPosition>& Positions = Walk();
    std::size_t Next = 0;
    for (auto _ : State) {
        const TPosition& At = Positions[Next];
        Next = Next + 1 == Positions.size() ? 0 : Next + 1;
        for (std::uint32_t Band = 0; Band < Bands; ++Band) {
            float Value = 0;
            if constexpr (Bilinear)
                benchmark::DoNotOptimize(Grid.SampleBilinear(Band, Value, At.Col, At.Row));
            else
                benchmark::DoNotOptimize(Grid.SampleNearest(Band, Value, At.Col, At.Row));
            benchmark::DoNotOptimize(Value);
        }
    }
    State.SetItemsProcessed(static_cast<std::int64_t>(State.iterations()) * Bands);
    State.SetLabel("samples");
}

void SampleNearest(benchmark::State& State) {
    Sample<false>(State);
}
void SampleBilinear(benchmark::State& State) {
    Sample<true>(State);
}

} // namespace

BENCHMARK(SampleNearest)->Arg(1)->Arg(3);
BENCHMARK(SampleBilinear)->Arg(1)->Arg(3);
