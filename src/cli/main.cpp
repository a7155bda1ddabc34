// vortane-cli: every command lives in its own unit and adds itself here.
#include "cli/catalogue_command.hpp"
#include "cli/cli_app.hpp"
#include "cli/info_command.hpp"
#include "cli/report_command.hpp"
#include "cli/transform_command.hpp"
#include "cli/warp_command.hpp"

#include <iostream>

int main(int Argc, char** Argv) {
    using namespace vortane;
    constexpr TAddCommand Commands[] = {AddCatalogueCommand, AddInfoCommand, AddReportCommand,
                                        AddTransformCommand, AddWarpCommand};
    return RunCli(Argc, Argv, Commands, std::cout, std::cerr);
}
