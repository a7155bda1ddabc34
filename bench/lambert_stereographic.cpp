// Conversions per second of the Lambert (one and two standard parallels, variant Eren) and
// stereographic projections, forward and inverse, over points spread across a zone; the series
// projections also by their exact closed forms.

#include "crs/angles.hpp"
#include "projections/lambert1.hpp"
#include "projections/lambert2.hpp"
#include "projections/lambert_eren.hpp"
#include "projections/stereographic.hpp"

#include "bench_points.hpp"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace vortane {
namespace {

constexpr double Degree = Pi / 180.0;
constexpr int PointCount = 1024;

std::string Radians(double Degrees) {
    return std::to_string(Degrees * Degree);
}

// Entries around 46.5° north, 3° east on the default spheroid.
TLambert1 MakeLambert1() {
    return TLambert1("WE,Lambert1,2200000,600000,0.99987742," + Radians(3.0) + "," + Radians(46.5));
}
TLambert2 MakeLambert2() {
    return TLambert2("WE,Lambert2,6600000,700000,0,0,1," + Radians(3.0) + "," + Radians(44.0) + "," +
                     Radians(49.0) + "," + Radians(46.5));
}
TLambEren MakeEren() {
    return TLambEren("WE,Eren,0,0,r,r,1," + Radians(3.0) + "," + Radians(44.0) + "," + Radians(49.0) + "," +
                     Radians(46.5));
}
TStereoProj MakeStereo() {
    return TStereoProj("WE,Stereo,500000,500000,0.9999," + Radians(3.0) + "," + Radians(46.5));
}

TLambert1 MakeExactLambert1() {
    return bench::Exact(MakeLambert1());
}

TStereoProj MakeExactStereo() {
    return bench::Exact(MakeStereo());
}

using bench::TPoint;

// A 32 × 32 grid within 1° of 46.5° N, 3° E.
std::vector<TPoint> ZonePoints() {
    std::vector<TPoint> Points;
    for (int I = 0; I < PointCount; ++I)
        Points.push_back({(45.5 + (I / 32) * (2.0 / 31)) * Degree, (2.0 + (I % 32) * (2.0 / 31)) * Degree});
    return Points;
}

template <class TMake> void Forward(benchmark::State& State, TMake Make) {
    auto System = Make();
    bench::TimeForward(State, System, ZonePoints());
}

template <class TMake> void Inverse(benchmark::State& State, TMake Make) {
    auto System = Make();
    bench::TimeInverse(State, System, bench::PlanePoints(System, ZonePoints()));
}

BENCHMARK_CAPTURE(Forward, Lambert1, MakeLambert1);
BENCHMARK_CAPTURE(Inverse, Lambert1, MakeLambert1);
BENCHMARK_CAPTURE(Forward, Lambert2, MakeLambert2);
BENCHMARK_CAPTURE(Inverse, Lambert2, MakeLambert2);
BENCHMARK_CAPTURE(Forward, LambEren, MakeEren);
BENCHMARK_CAPTURE(Inverse, LambEren, MakeEren);
BENCHMARK_CAPTURE(Forward, Stereographic, MakeStereo);
BENCHMARK_CAPTURE(Inverse, Stereographic, MakeStereo);
BENCHMARK_CAPTURE(Forward, ExactLambert1, MakeExactLambert1);
BENCHMARK_CAPTURE(Inverse, ExactLambert1, MakeExactLambert1);
BENCHMARK_CAPTURE(Forward, ExactStereographic, MakeExactStereo);
BENCHMARK_CAPTURE(Inverse, ExactStereographic, MakeExactStereo);

} // namespace
} // namespace vortane
