// Feeds arbitrary bytes as a French grid text file, then interpolates across and around the grid.
#include "crs/angles.hpp"
#include "crs/french_grid.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

// One temporary file per fuzzing process, rewritten for every input.
const std::string& TempFileName() {
    static const std::string Name = "/tmp/fuzz_french_grid_" + std::to_string(::getpid()) + ".mnt";
    return Name;
}

bool WriteFile(const std::string& Name, const std::uint8_t* Data, std::size_t Size) {
    std::FILE* File = std::fopen(Name.c_str(), "wb");
    if (File == nullptr)
        return false;
    const bool Written = std::fwrite(Data, 1, Size, File) == Size;
    return std::fclose(File) == 0 && Written;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    if (!WriteFile(TempFileName(), Data, Size))
        return 0;
    vortane::TFrenchGrid Grid;
    if (!Grid.LoadGrid(TempFileName()))
        return 0;
    // Fractions of the grid's extent from just outside to just beyond it, edges included.
    const double Fractions[] = {-0.01, 0.0, 0.3, 0.5, 0.999999999, 1.0, 1.01};
    constexpr double Deg = vortane::Pi / 180.0;
    for (double Across : Fractions)
        for (double Up : Fractions) {
            const double Lon = Grid.LonMin + Across * (Grid.LonMax - Grid.LonMin);
            const double Lat = Grid.LatMin + Up * (Grid.LatMax - Grid.LatMin);
            double Lat0 = 0, Lon0 = 0, TX = 0, TY = 0, TZ = 0, H = 0;
            vortane::TGridCell Cell;
            Grid.FindCell(Lat, Lon, Lat0, Lon0, Cell);
            Grid.Interpolate(Lat * Deg, Lon * Deg, TX, TY, TZ);
            Grid.ShiftToHub(Lat * Deg, Lon * Deg, 0.0, Lat0, Lon0, H);
            Grid.ShiftFromHub(Lat * Deg, Lon * Deg, 0.0, Lat0, Lon0, H);
        }
    return 0;
}
