#pragma once
// The timing loops of the projection benchmarks: every point of a list converted once per iteration,
// forward or inverse, with the conversions per second reported as items.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace vortane::bench {

// Latitude and longitude in radians, or easting and northing.
struct TPoint {
    double A, B;
};

// Convert (a TPoint to a TPoint) on every point of Points once per iteration; the results are kept
// from the optimiser.
template <class TConvert>
void TimeEachPoint(benchmark::State& State, const std::vector<TPoint>& Points, TConvert Convert) {
    for (auto _ : State) {
        for (const TPoint& P : Points) {
            const TPoint Result = Convert(P);
            benchmark::DoNotOptimize(Result.A);
            benchmark::DoNotOptimize(Result.B);
        }
    }
    State.SetItemsProcessed(static_cast<std::int64_t>(State.iterations() * Points.size()));
}

// The plane point of the geographic point P in System.
template <class TSystem> TPoint ProjectPoint(TSystem& System, const TPoint& P) {
    double X, Y, Z;
    System.GeoToProj(P.A, P.B, 0.0, X, Y, Z);
    return {X, Y};
}

template <class TSystem>
void TimeForward(benchmark::State& State, TSystem& System, const std::vector<TPoint>& Geographic) {
    TimeEachPoint(State, Geographic, [&System](const TPoint& P) { return ProjectPoint(System, P); });
}

template <class TSystem>
void TimeInverse(benchmark::State& State, TSystem& System, const std::vector<TPoint>& Plane) {
    TimeEachPoint(State, Plane, [&System](const TPoint& P) {
        double Lat, Lon, H;
        System.ProjToGeo(P.A, P.B, 0.0, Lat, Lon, H);
        return TPoint{Lat, Lon};
    });
}

// The plane points of Geographic in System, as inputs for TimeInverse.
template <class TSystem>
std::vector<TPoint> PlanePoints(TSystem& System, const std::vector<TPoint>& Geographic) {
    std::vector<TPoint> Plane;
    for (const TPoint& P : Geographic)
        Plane.push_back(ProjectPoint(System, P));
    return Plane;
}

// A copy of System that converts by its exact form, to time against the series of System itself.
template <class TSystem> TSystem Exact(TSystem System) {
    System.ExactForm = true;
    return System;
}

} // namespace vortane::bench
