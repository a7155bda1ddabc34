// vortane-demo: a few positions carried through real datum changes with the catalogue files next to the
// program, the same way `vortane-cli transform` carries them, printed as a small table.

#include "cli/transform_command.hpp"
#include "text/strings.hpp"

#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

using namespace vortane;

namespace {

struct TPlace {
    const char* Name;
    const char* Coordinates; // in the route's input system
};

struct TRoute {
    const char* Title;
    TTransformOptions Ends;
    std::vector<TPlace> Places;
};

// Places on two routes, in decimal degrees: longitude, latitude.
const TPlace Warsaw{"Warsaw", "21.0122 52.2297"};
const TPlace Athens{"Athens", "23.7275 37.9838"};

const std::vector<TRoute> Routes = {
    {"OSGB36 British National Grid -> WGS 84 degrees, minutes, seconds (seven-parameter shift)",
     {"AA", "OSGB36", "BNG", "WE", "WGS84", "Geographic:(deg)", 0, 0},
     {{"Caister water tower", "651409.903 313177.270"},
      {"London, Trafalgar Square", "530034 180381"},
      {"Edinburgh Castle", "325160 673490"},
      {"Land's End", "134300 25200"}}},
    {"ED50 decimal degrees -> WGS 84 / UTM zone 34 north (three-parameter shift)",
     {"IN", "ED50", "Geographic:(decimal degrees)", "WE", "WGS84", "NUTM34", 0, 0},
     {Warsaw, Athens, {"Tromso", "18.9553 69.6492"}, {"Belgrade", "20.4489 44.7866"}}},
    {"WGS 84 decimal degrees -> WGS 84 / UTM zone 34 north (no datum change)",
     {"WE", "WGS84", "Geographic:(decimal degrees)", "WE", "WGS84", "NUTM34", 0, 0},
     {Warsaw, Athens}},
};

// Carries the route's places through the transform command and prints one table row per place.
bool ShowRoute(const TRoute& Route, const std::string& CatalogueFolder) {
    std::ostringstream Input;
    for (const TPlace& Place : Route.Places)
        Input << Place.Coordinates << '\n';
    std::istringstream In(Input.str());
    std::ostringstream Out, Err;
    const int ExitCode = RunTransform(Route.Ends, CatalogueFolder, In, Out, Err);
    std::cerr << Err.str();

    std::printf("\n%s\n  %-26s %-34s %s\n", Route.Title, "place", Route.Ends.InSystem.c_str(),
                Route.Ends.OutSystem.c_str());
    std::istringstream Results(Out.str());
    std::string Result;
    for (const TPlace& Place : Route.Places) {
        std::getline(Results, Result);
        std::printf("  %-26s %-34s %s\n", Place.Name, Place.Coordinates, Result.c_str());
    }
    return ExitCode == 0;
}

} // namespace

int main() {
    const std::string Folder = ProgramDir();
    std::printf("Positions carried with the catalogue in %s\n", Folder.c_str());
    bool AllShown = true;
    for (const TRoute& Route : Routes)
        AllShown = ShowRoute(Route, Folder) && AllShown;
    return AllShown ? 0 : 1;
}
