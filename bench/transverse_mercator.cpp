// Conversions per second of the transverse Mercator series and of the zone grid, forward and inverse,
// each by its default series and by the Kruger series of the exact form, over a spread of points within
// three degrees of the central meridian.

#include "projections/transverse_mercator.hpp"
#include "crs/angles.hpp"
#include "projections/tm_grid.hpp"

#include "bench_points.hpp"

#include <benchmark/benchmark.h>

#include <vector>

namespace vortane {
namespace {

constexpr double Deg = Pi / 180.0;

using bench::TPoint;

template <class T> T MakeSystem(const char* Record) {
    T System(Record);
    System.SetSpheroidValues("WE", "", 6378137.0, 1.0 / 298.257223563);
    return System;
}

// Latitude and longitude pairs in radians around the meridian 9 degrees east.
std::vector<TPoint> GeographicPoints() {
    std::vector<TPoint> Points;
    for (double Lat = -80; Lat <= 80; Lat += 5)
        for (double DLon = -3; DLon <= 3; DLon += 0.25)
            Points.push_back({Lat * Deg, (9 + DLon) * Deg});
    return Points;
}

void Forward(benchmark::State& State, TProjection& System) {
    bench::TimeForward(State, System, GeographicPoints());
}

void Inverse(benchmark::State& State, TProjection& System) {
    bench::TimeInverse(State, System, bench::PlanePoints(System, GeographicPoints()));
}

TTransMerc TransverseMercator = MakeSystem<TTransMerc>("WE,UTM 32,0,500000,0.9996,0.15707963267948966,0");
TTMGrid ZoneGrid = MakeSystem<TTMGrid>("UTM,0,500000,0.9996,6:0:0,177:0:0W");
TTransMerc ExactTransverseMercator = bench::Exact(TransverseMercator);
TTMGrid ExactZoneGrid = bench::Exact(ZoneGrid);

void BM_TransverseMercatorForward(benchmark::State& State) {
    Forward(State, TransverseMercator);
}
void BM_TransverseMercatorInverse(benchmark::State& State) {
    Inverse(State, TransverseMercator);
}
void BM_ZoneGridForward(benchmark::State& State) {
    Forward(State, ZoneGrid);
}
void BM_ZoneGridInverse(benchmark::State& State) {
    Inverse(State, ZoneGrid);
}

void BM_ExactTransverseMercatorForward(benchmark::State& State) {
    Forward(State, ExactTransverseMercator);
}
void BM_ExactTransverseMercatorInverse(benchmark::State& State) {
    Inverse(State, ExactTransverseMercator);
}
void BM_ExactZoneGridForward(benchmark::State& State) {
    Forward(State, ExactZoneGrid);
}
void BM_ExactZoneGridInverse(benchmark::State& State) {
    Inverse(State, ExactZoneGrid);
}

BENCHMARK(BM_TransverseMercatorForward);
BENCHMARK(BM_TransverseMercatorInverse);
BENCHMARK(BM_ZoneGridForward);
BENCHMARK(BM_ZoneGridInverse);
BENCHMARK(BM_ExactTransverseMercatorForward);
BENCHMARK(BM_ExactTransverseMercatorInverse);
BENCHMARK(BM_ExactZoneGridForward);
BENCHMARK(BM_ExactZoneGridInverse);

} // namespace
} // namespace vortane
