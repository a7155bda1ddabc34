#include "cli/report_command.hpp"

#include "job/list_batch.hpp"

#include <memory>
#include <ostream>
#include <vector>

namespace vortane {

namespace {

struct TMergeOptions {
    std::vector<std::string> ShardReports;
    std::string Output;
};

} // namespace

void AddReportCommand(CLI::App& App, TCliContext& Context) {
    CLI::App* Report = App.add_subcommand("report", "Work with the reports of photo list runs");
    Report->require_subcommand(1);
    CLI::App* Merge = Report->add_subcommand(
        "merge", "Join the reports of every shard of a list run into the list's report, in list order");
    auto Options = std::make_shared<TMergeOptions>();
    Merge->add_option("SHARD_REPORTS", Options->ShardReports, "The shards' reports (OUTPUT.shard-I-of-N.txt)")
        ->required()
        ->type_name("FILE");
    Merge->add_option("--output", Options->Output, "The merged report")->required()->type_name("REPORT");
    Merge->footer("Example, after three shards of a list run with --output out/result.ers:\n"
                  "  vortane-cli report merge out/result.shard-*-of-3.txt --output out/result.txt");
    Merge->callback([Options, &Context] {
        std::string Error;
        if (MergeShardReports(Options->ShardReports, Options->Output, Error)) {
            Context.ExitCode = ExitSuccess;
        } else {
            Context.Err << Error << '\n';
            Context.ExitCode = ExitFailure;
        }
    });
}

} // namespace vortane
