#pragma once
// The vortane-cli application: the common options, the parsing with its exit statuses, and the hook
// through which each command unit adds itself (one unit per command, each with an Add...Command).

#include <CLI/CLI.hpp>

#include <iosfwd>
#include <span>
#include <string>

namespace vortane {

// Exit statuses shared by every command.
constexpr int ExitSuccess = 0;
constexpr int ExitFailure = 1; // the work itself failed (cannot open, rejected input, ...)
constexpr int ExitUsage = 2;   // bad command line: unknown option, missing value, unknown name

// What a command's callback gets: the streams to print to, the common options, and where it leaves
// its exit status.
struct TCliContext {
    std::ostream& Out;
    std::ostream& Err;
    std::string CatalogueDir; // from --catalogue; empty means the program's own folder
    int ExitCode = ExitSuccess;

    // The folder of the catalogue files, ending with "/".
    std::string CatalogueFolder() const;
};

// Adds one command (a subcommand of App) whose callback works on Context.
using TAddCommand = void (*)(CLI::App& App, TCliContext& Context);

// Builds the application with Commands, parses Argv (Argv[0] is the program) and runs the chosen
// command. Returns the exit status: 0 also after --help, 2 for usage errors, else the command's status.
int RunCli(int Argc, const char* const* Argv, std::span<const TAddCommand> Commands, std::ostream& Out,
           std::ostream& Err);

} // namespace vortane
