#include "cli/cli_app.hpp"

#include "text/strings.hpp"

#include <exception>
#include <ostream>
#include <vector>

namespace vortane {

std::string TCliContext::CatalogueFolder() const {
    if (CatalogueDir.empty()) return DefaultCatalogueFolder();
    return CatalogueDir.back() == '/' ? CatalogueDir : CatalogueDir + "/";
}

namespace {

void AddCommonOptions(CLI::App& App, TCliContext& Context) {
    // Common options reach every command, so "vortane-cli warp --version" answers too.
    App.set_version_flag("--version", "vortane-cli " VORTANE_VERSION);
    App.add_option("--catalogue", Context.CatalogueDir,
                   "Folder of the catalogue files (Spher.dat, Datums.dat, ...) and gr3df97a.mnt; "
                   "default: the program's own folder, then ../share/vortane beside it")
        ->type_name("DIR");
}

bool IsHelpRequest(const CLI::Error& Error) {
    return Error.get_name() == "CallForHelp" || Error.get_name() == "CallForAllHelp" ||
           Error.get_name() == "CallForVersion";
}

// The parser checks for a missing command before it looks at words it did not understand, so
// "vortane-cli --bogus" would only say that a command is required; name the stray word instead.
void ReportUsageError(const CLI::App& App, const CLI::ParseError& Error, std::ostream& Out,
                      std::ostream& Err) {
    const std::vector<std::string> Stray = App.remaining();
    if (Error.get_name() == "RequiredError" && !Stray.empty())
        Err << "Unknown command or option: " << Stray.front() << "\nRun with --help for more information.\n";
    else
        App.exit(Error, Out, Err);
}

} // namespace

int RunCli(int Argc, const char* const* Argv, std::span<const TAddCommand> Commands, std::ostream& Out,
           std::ostream& Err) {
    TCliContext Context{Out, Err, {}, ExitSuccess};
    CLI::App App{"Carries georeferenced raster images from one coordinate system into another.",
                 "vortane-cli"};
    // Common options may also stand after the command's name.
    App.fallthrough();
    App.require_subcommand(1);
    App.footer("Run 'vortane-cli COMMAND --help' for the options of a command and an example.");
    AddCommonOptions(App, Context);
    for (TAddCommand AddCommand : Commands)
        AddCommand(App, Context);

    try {
        App.parse(Argc, Argv);
    } catch (const CLI::ParseError& Error) {
        if (IsHelpRequest(Error)) return App.exit(Error, Out, Err);
        ReportUsageError(App, Error, Out, Err);
        return ExitUsage;
    } catch (const std::exception& Error) {
        Err << "Error: " << Error.what() << '\n';
        return ExitFailure;
    }
    return Context.ExitCode;
}

} // namespace vortane
