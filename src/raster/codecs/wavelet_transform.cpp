#include "raster/codecs/wavelet_transform.hpp"

namespace vortane::wavelet {

namespace {

// One level on Count values spaced Stride apart: predict each odd value from its even neighbours
// (d = x odd - floor((left + right) / 2)), then update each even value from the neighbouring details
// (s = x even + floor((d left + d right + 2) / 4)). The edges mirror the signal (x[-1] = x[1],
// x[n] = x[n - 2]), which makes d[-1] = d[0] and d[nh] = d[nh - 1]. >> on negative numbers is floor.
void Forward1D(TCoefficient* X, std::size_t Count, std::size_t Stride, std::vector<TCoefficient>& Scratch) {
    if (Count < 2) return;
    const std::size_t HighCount = Count / 2;
    const std::size_t LowCount = Count - HighCount;
    Scratch.resize(Count);
    TCoefficient* Low = Scratch.data();
    TCoefficient* High = Scratch.data() + LowCount;
    const auto At = [&](std::size_t I) { return X[I * Stride]; };
    for (std::size_t I = 0; I < HighCount; ++I) {
        const TCoefficient Right = 2 * I + 2 < Count ? At(2 * I + 2) : At(2 * I);
        High[I] = At(2 * I + 1) - ((At(2 * I) + Right) >> 1);
    }
    for (std::size_t I = 0; I < LowCount; ++I) {
        const TCoefficient Left = High[I > 0 ? I - 1 : 0];
        const TCoefficient Right = High[I < HighCount ? I : HighCount - 1];
        Low[I] = At(2 * I) + ((Left + Right + 2) >> 2);
    }
    for (std::size_t I = 0; I < Count; ++I)
        X[I * Stride] = Scratch[I];
}

// Undoes Forward1D: the even values first (they need only the details), then the odd ones.
void Inverse1D(TCoefficient* X, std::size_t Count, std::size_t Stride, std::vector<TCoefficient>& Scratch) {
    if (Count < 2) return;
    const std::size_t HighCount = Count / 2;
    const std::size_t LowCount = Count - HighCount;
    Scratch.resize(Count);
    for (std::size_t I = 0; I < Count; ++I)
        Scratch[I] = X[I * Stride];
    const TCoefficient* Low = Scratch.data();
    const TCoefficient* High = Scratch.data() + LowCount;
    for (std::size_t I = 0; I < LowCount; ++I) {
        const TCoefficient Left = High[I > 0 ? I - 1 : 0];
        const TCoefficient Right = High[I < HighCount ? I : HighCount - 1];
        X[2 * I * Stride] = Low[I] - ((Left + Right + 2) >> 2);
    }
    for (std::size_t I = 0; I < HighCount; ++I) {
        const TCoefficient Even = X[2 * I * Stride];
        const TCoefficient Right = 2 * I + 2 < Count ? X[(2 * I + 2) * Stride] : Even;
        X[(2 * I + 1) * Stride] = High[I] + ((Even + Right) >> 1);
    }
}

struct TRegion {
    std::size_t Width, Height;
};

// The low-pass region each level works on, first level first.
std::vector<TRegion> LevelRegions(std::size_t Width, std::size_t Height, int Levels) {
    std::vector<TRegion> Regions;
    for (int Level = 0; Level < Levels && (Width > 1 || Height > 1); ++Level) {
        Regions.push_back({Width, Height});
        Width = (Width + 1) / 2;
        Height = (Height + 1) / 2;
    }
    return Regions;
}

} // namespace

void ForwardBlock(TCoefficient* Block, std::size_t Width, std::size_t Height, int Levels) {
    std::vector<TCoefficient> Scratch;
    for (const TRegion& Region : LevelRegions(Width, Height, Levels)) {
        for (std::size_t Row = 0; Row < Region.Height; ++Row)
            Forward1D(Block + Row * Width, Region.Width, 1, Scratch);
        for (std::size_t Col = 0; Col < Region.Width; ++Col)
            Forward1D(Block + Col, Region.Height, Width, Scratch);
    }
}

void InverseBlock(TCoefficient* Block, std::size_t Width, std::size_t Height, int Levels) {
    std::vector<TCoefficient> Scratch;
    const std::vector<TRegion> Regions = LevelRegions(Width, Height, Levels);
    for (auto Region = Regions.rbegin(); Region != Regions.rend(); ++Region) {
        for (std::size_t Col = 0; Col < Region->Width; ++Col)
            Inverse1D(Block + Col, Region->Height, Width, Scratch);
        for (std::size_t Row = 0; Row < Region->Height; ++Row)
            Inverse1D(Block + Row * Width, Region->Width, 1, Scratch);
    }
}

} // namespace vortane::wavelet
