// vortane-cli: every command lives in its own unit and adds itself here.
#include "cli/catalogue_command.hpp"
#include "cli/cli_app.hpp"
#include "cli/info_command.hpp"
#include "cli/report_command.hpp"
#include "cli/transform_command.hpp"
#include "cli/warp_command.hpp"

#include <csignal>
#include <iostream>

int main(int Argc, char** Argv) {
    using namespace vortane;
    // Over a file size limit (ulimit -f) a write must fail with EFBIG, which the run reports with its
    // file, instead of the signal ending the process without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    constexpr TAddCommand Commands[] = {AddCatalogueCommand, AddInfoCommand, AddReportCommand,
                                        AddTransformCommand, AddWarpCommand};
    return RunCli(Argc, Argv, Commands, std::cout, std::cerr);
}
