// Geodetic <-> geocentric conversion, the inner step of every seven-parameter datum shift.

#include "crs/angles.hpp"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr double WgsA = 6378137.0;
constexpr double WgsF = 1.0 / 298.2572235637;
constexpr double WgsE2 = (2.0 - WgsF) * WgsF;

struct TPoint {
    double A, B, C;
};

// A spread of positions: latitudes -80..80, longitudes -170..170, heights 0..900 m.
std::vector<TPoint> Positions() {
    std::vector<TPoint> Points;
    for (int I = 0; I < 1024; ++I)
        Points.push_back({(-80.0 + 160.0 * (I % 32) / 31.0) * vortane::Pi / 180.0,
                          (-170.0 + 340.0 * (I / 32) / 31.0) * vortane::Pi / 180.0, 900.0 * (I % 7) / 6.0});
    return Points;
}

// One conversion per iteration, cycling through Points; Convert returns the sum of its three results,
// which the optimiser must keep.
template <class TConvert>
void TimeEachPosition(benchmark::State& State, const std::vector<TPoint>& Points, TConvert Convert) {
    std::size_t I = 0;
    for (auto _ : State)
        benchmark::DoNotOptimize(Convert(Points[I++ % Points.size()]));
}

void BM_GeoToXYZ(benchmark::State& State) {
    TimeEachPosition(State, Positions(), [](const TPoint& P) {
        double X, Y, Z;
        vortane::GeoToXYZ(P.A, P.B, P.C, WgsA, WgsE2, X, Y, Z);
        return X + Y + Z;
    });
}
BENCHMARK(BM_GeoToXYZ);

void BM_XYZToGeo(benchmark::State& State) {
    std::vector<TPoint> Points = Positions();
    for (TPoint& P : Points)
        vortane::GeoToXYZ(P.A, P.B, P.C, WgsA, WgsE2, P.A, P.B, P.C);
    TimeEachPosition(State, Points, [](const TPoint& P) {
        double Lat, Lon, H;
        vortane::XYZToGeo(P.A, P.B, P.C, WgsA, WgsE2, Lat, Lon, H);
        return Lat + Lon + H;
    });
}
BENCHMARK(BM_XYZToGeo);

} // namespace
