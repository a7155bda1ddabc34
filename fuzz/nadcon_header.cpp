// Feeds arbitrary bytes as both NADCON grid files (".las" and ".los"), and, where the pair opens,
// shifts positions across and around the grid in both directions.
#include "crs/angles.hpp"
#include "crs/nadcon.hpp"

#include "temp_input_file.hpp"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    static const std::string Base = fuzzing::TempInputName("nadcon");
    // The latitude grid gets a shorter copy too, so that the two sizes disagree now and then.
    const std::size_t LasSize = Size > 0 && Data[0] % 2 ? Size / 2 : Size;
    if (!fuzzing::WriteInputFile(Base + ".los", Data, Size) ||
        !fuzzing::WriteInputFile(Base + ".las", Data, LasSize))
        return 0;
    vortane::TNadCon Grid;
    if (!Grid.OpenGrids(Base)) return 0;
    const double Fractions[] = {-0.01, 0.0, 1e-12, 0.3, 0.5, 1.0 - 1e-12, 1.0, 1.01};
    constexpr double Deg = vortane::Pi / 180.0;
    for (double Across : Fractions)
        for (double Up : Fractions) {
            const double Lon = Grid.XMin + Across * (Grid.XMax - Grid.XMin);
            const double Lat = Grid.YMin + Up * (Grid.YMax - Grid.YMin);
            double Lat2 = 0, Lon2 = 0, ShiftLon = 0, ShiftLat = 0, H = 0;
            Grid.GridShift(Lat, Lon, Lat2, Lon2, ShiftLon, ShiftLat);
            Grid.InverseGridShift(Lat, Lon, Lat2, Lon2);
            Grid.ShiftToHub(Lat * Deg, Lon * Deg, 0.0, Lat2, Lon2, H);
            Grid.ShiftFromHub(Lat * Deg, Lon * Deg, 0.0, Lat2, Lon2, H);
        }
    return 0;
}
