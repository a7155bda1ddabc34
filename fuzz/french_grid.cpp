// Feeds arbitrary bytes as a French grid text file, then interpolates across and around the grid.
#include "crs/french_grid.hpp"
#include "crs/angles.hpp"

#include "temp_input_file.hpp"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    static const std::string Name = fuzzing::TempInputName("french_grid") + ".mnt";
    if (!fuzzing::WriteInputFile(Name, Data, Size)) return 0;
    vortane::TFrenchGrid Grid;
    if (!Grid.LoadGrid(Name)) return 0;
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
