#pragma once
// `vortane-cli warp`: the resampling job exactly as the desktop program's worker runs it (same chains,
// extent, sampling, log and list report), started from the command line or from the desktop program's
// settings file. Progress goes to stderr when it is a terminal; Ctrl-C asks for a stop after the
// current row; the job's final status is the last line on stdout.

#include "cli/cli_app.hpp"

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

namespace vortane {

// What the command line says; options left out are taken from the settings file when one is given.
struct TWarpOptions {
    std::string Input, Output;
    std::string InSpheroid, InDatum, InSystem;
    std::string OutSpheroid, OutDatum, OutSystem;
    std::optional<double> Step;            // metres; default: the input's cell size X
    std::optional<std::string> Background; // "0xBBGGRR"
    std::optional<int> InUnits, OutUnits;
    bool OnlyHeaders = false;
    bool List = false;
    bool Quiet = false;
    int Threads = 0;       // 0: one per processor core
    double MaxError = 0.0; // input pixels; 0: exact mapping
    bool ExactProjections = false;
    std::optional<std::string> Resampling; // a method's name; default "auto"
    // How the output stores its cells (TOutputChoices); left out: the settings' or the plain defaults.
    std::optional<std::string> Compression;
    std::optional<long> Quality;
    std::optional<long> TileSize;
    bool Cog = false;
    std::optional<std::string> NoData;
    bool Alpha = false;
    std::string Settings;        // the desktop program's ini file
    std::string Shard;           // "I/N": this run takes list entries I, I+N, ...; empty: all of them
    bool Resume = false;         // skip the list entries an earlier run finished
    std::string InCrs, OutCrs;   // "EPSG:n" instead of the three names of that end
    std::string ErsRegistration; // "corner" or "centre"; empty: corner
    bool DryRun = false;         // print what the run would write, write nothing
};

void AddWarpCommand(CLI::App& App, TCliContext& Context);

// Runs the job Options describe with the catalogue of CatalogueFolder (ending with "/"). Returns
// ExitSuccess for "Successful Finish", ExitFailure for any other final status or an unloadable
// catalogue, ExitUsage when a name is unknown or something the job needs is missing.
int RunWarp(TWarpOptions Options, const std::string& CatalogueFolder, std::ostream& Out, std::ostream& Err);

// A --step text as a finite positive number; nothing when it is not one.
std::optional<double> ParseStep(const std::string& Text);

// "0xBBGGRR" (or a decimal number) as a 24-bit colour; nothing when it is not one.
std::optional<std::int32_t> ParseBackground(const std::string& Text);

} // namespace vortane
