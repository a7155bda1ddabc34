// Per-point cost of the datum changes the resampling job runs for every output cell, and the cost of
// loading a French grid of the real size.
#include "crs/datum_shift.hpp"
#include "crs/angles.hpp"
#include "crs/french_grid.hpp"
#include "crs/nadcon.hpp"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace vortane;

constexpr double Deg = Pi / 180.0;
constexpr double ArcSecond = Deg / 3600.0;

std::string TempName(const std::string& Name) {
    return (std::filesystem::temp_directory_path() / ("bench_datum_" + std::to_string(::getpid()) + Name))
        .string();
}

// A NADCON pair of the size of the conterminous United States grid, filled with a smooth field.
std::string WriteNadConPair() {
    constexpr std::int32_t NC = 273, NR = 121;
    const std::size_t Record = (NC + 1) * 4;
    std::vector<unsigned char> Bytes(Record * (NR + 1), 0);
    const std::int32_t Counts[] = {NC, NR, 1};
    const float Geometry[] = {-131.0f, 0.25f, 20.0f, 0.25f};
    std::memcpy(Bytes.data() + 64, Counts, sizeof Counts);
    std::memcpy(Bytes.data() + 76, Geometry, sizeof Geometry);
    for (std::size_t Row = 1; Row <= NR; ++Row)
        for (std::size_t Column = 1; Column <= NC; ++Column) {
            const float Value = 0.01f * static_cast<float>(Row) - 0.02f * static_cast<float>(Column);
            std::memcpy(Bytes.data() + Row * Record + Column * 4, &Value, 4);
        }
    const std::string Base = TempName("conus");
    for (const char* Ending : {".las", ".los"}) {
        std::ofstream Out(Base + Ending, std::ios::binary);
        Out.write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
    }
    return Base;
}

// A French grid text of the real size (156 by 111 nodes), six values a line.
std::string WriteFrenchGrid() {
    const std::string Name = TempName("gr3df97a.mnt");
    std::ofstream Out(Name, std::ios::binary);
    Out << "-5.5 10 41 52 0.1 0.1\r\n";
    for (int Node = 0; Node < 156 * 111; ++Node)
        Out << -168.0 + Node * 1e-4 << "  " << -60.0 << "  " << 320.0 + Node * 1e-4 << "  1"
            << (Node % 2 ? "\r\n" : "  ");
    Out << "\r\n";
    return Name;
}

// One shift per iteration; Shift writes the shifted latitude, longitude and height into its arguments.
template <class TShift> void TimeShift(benchmark::State& State, TShift Shift) {
    double Lat = 0, Lon = 0, H = 0;
    for (auto _ : State) {
        Shift(Lat, Lon, H);
        benchmark::DoNotOptimize(Lat);
    }
}

void BM_HelmertShift(benchmark::State& State) {
    const TSpheroid Airy("AA\t6377563.396\t299.3249646");
    const TSpheroid Hub("WE\t6378137\t298.2572235637");
    double Lat = 51.5 * Deg, Lon = -0.12 * Deg, H = 0.0;
    for (auto _ : State) {
        Airy.HelmertShift(Lat, Lon, 0.0, Hub, -20.489e-6, 446.448, -125.157, 542.06, 0.15 * ArcSecond,
                          0.247 * ArcSecond, 0.842 * ArcSecond, Lat, Lon, H);
        benchmark::DoNotOptimize(Lat);
        Lat = 51.5 * Deg;
        Lon = -0.12 * Deg;
    }
}
BENCHMARK(BM_HelmertShift);

void BM_ChangeDatumThroughTheHub(benchmark::State& State) {
    const TSpheroid Airy("AA\t6377563.396\t299.3249646");
    const TSpheroid Bessel("BR\t6377397.155\t299.1528128");
    const TSpheroid Hub("WE\t6378137\t298.2572235637");
    const TDatumRecord Osgb(
        "EUROPE\tOSGB36\tAA\t446.448\t-125.157\t542.06\t7.27e-7\t1.1975e-6\t4.0821e-6\t-2.0489e-5");
    const TDatumRecord Dhdn("EUROPE\tDHDN\tBR\t598.1\t73.7\t418.2\t9.79e-7\t2.18e-7\t-1.19e-5\t6.7e-6");
    TimeShift(State, [&](double& Lat, double& Lon, double& H) {
        ChangeDatum(Airy, Osgb, Hub, Dhdn, Bessel, 51.5 * Deg, -0.12 * Deg, 0.0, Lat, Lon, H);
    });
}
BENCHMARK(BM_ChangeDatumThroughTheHub);

using TNadConShift = bool (TNadCon::*)(double, double, double, double&, double&, double&) const;

// One NADCON shift, ShiftToHub (forward interpolation) or ShiftFromHub (the iterated inverse).
template <TNadConShift Shift> void BM_NadCon(benchmark::State& State) {
    const std::string Base = WriteNadConPair();
    TNadCon Grid;
    if (!Grid.OpenGrids(Base)) {
        State.SkipWithError("grid did not open");
        return;
    }
    TimeShift(State, [&](double& Lat, double& Lon, double& H) {
        (Grid.*Shift)(39.1 * Deg, -98.3 * Deg, 0.0, Lat, Lon, H);
    });
    std::filesystem::remove(Base + ".las");
    std::filesystem::remove(Base + ".los");
}
BENCHMARK_TEMPLATE(BM_NadCon, &TNadCon::ShiftToHub);
BENCHMARK_TEMPLATE(BM_NadCon, &TNadCon::ShiftFromHub);

void BM_FrenchGridLoad(benchmark::State& State) {
    const std::string Name = WriteFrenchGrid();
    for (auto _ : State) {
        TFrenchGrid Grid;
        benchmark::DoNotOptimize(Grid.LoadGrid(Name));
    }
    std::filesystem::remove(Name);
}
BENCHMARK(BM_FrenchGridLoad)->Unit(benchmark::kMillisecond);

void BM_FrenchGridShiftToHub(benchmark::State& State) {
    const std::string Name = WriteFrenchGrid();
    TFrenchGrid Grid;
    if (!Grid.LoadGrid(Name)) {
        State.SkipWithError("grid did not load");
        return;
    }
    TimeShift(State, [&](double& Lat, double& Lon, double& H) {
        Grid.ShiftToHub(46.3 * Deg, 2.7 * Deg, 0.0, Lat, Lon, H);
    });
    std::filesystem::remove(Name);
}
BENCHMARK(BM_FrenchGridShiftToHub);

} // namespace
