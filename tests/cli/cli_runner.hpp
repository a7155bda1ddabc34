#pragma once
// Runs vortane-cli in-process, as main.cpp does, and collects what it printed.

#include "cli/catalogue_command.hpp"
#include "cli/cli_app.hpp"
#include "cli/info_command.hpp"
#include "cli/transform_command.hpp"

#include <span>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace vortane::test {

// The stored catalogue files the build writes next to the programs.
inline const std::string ShippedCatalogueFolder = VORTANE_BINARY_DIR "/bin/";

struct TCliRun {
    int ExitCode;
    std::string Out;
    std::string Err;
};

// Args after the program name; only the given commands are registered.
inline TCliRun RunCliWith(std::span<const TAddCommand> Commands, std::vector<std::string> Args) {
    Args.insert(Args.begin(), "vortane-cli");
    std::vector<const char*> Argv;
    for (const std::string& Arg : Args)
        Argv.push_back(Arg.c_str());
    std::ostringstream Out, Err;
    const int ExitCode = RunCli(static_cast<int>(Argv.size()), Argv.data(), Commands, Out, Err);
    return {ExitCode, Out.str(), Err.str()};
}

// With the catalogue, info and transform commands.
inline TCliRun RunVortaneCli(std::vector<std::string> Args) {
    constexpr TAddCommand Commands[] = {AddCatalogueCommand, AddInfoCommand, AddTransformCommand};
    return RunCliWith(Commands, std::move(Args));
}

} // namespace vortane::test
