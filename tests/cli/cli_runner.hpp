#pragma once
// Runs vortane-cli in-process with every command, as main.cpp does, and collects what it printed.

#include "cli/catalogue_command.hpp"
#include "cli/cli_app.hpp"
#include "cli/info_command.hpp"
#include "cli/transform_command.hpp"

#include <sstream>
#include <string>
#include <vector>

namespace vortane::testing {

// The stored catalogue files the build writes next to the programs.
inline const std::string ShippedCatalogueFolder = VORTANE_BINARY_DIR "/bin/";

struct TCliRun {
    int ExitCode;
    std::string Out;
    std::string Err;
};

inline TCliRun RunVortaneCli(std::vector<std::string> Args) {
    Args.insert(Args.begin(), "vortane-cli");
    std::vector<const char*> Argv;
    for (const std::string& Arg : Args)
        Argv.push_back(Arg.c_str());
    constexpr TAddCommand Commands[] = {AddCatalogueCommand, AddInfoCommand, AddTransformCommand};
    std::ostringstream Out, Err;
    const int ExitCode = RunCli(static_cast<int>(Argv.size()), Argv.data(), Commands, Out, Err);
    return {ExitCode, Out.str(), Err.str()};
}

} // namespace vortane::testing
