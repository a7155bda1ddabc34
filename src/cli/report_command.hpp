#pragma once
// `vortane-cli report merge`: joins the reports of the shards of one photo list run (warp --list
// --shard I/N) into the report a single run of the whole list writes.

#include "cli/cli_app.hpp"

namespace vortane {

void AddReportCommand(CLI::App& App, TCliContext& Context);

} // namespace vortane
