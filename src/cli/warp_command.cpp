#include "cli/warp_command.hpp"

#include "catalogue/catalogue.hpp"
#include "cli/catalogue_command.hpp"
#include "cli/ers_registration_option.hpp"
#include "cli/selection_options.hpp"
#include "job/file_crs.hpp"
#include "job/input_description.hpp"
#include "job/output_options.hpp"
#include "job/output_plan.hpp"
#include "job/settings.hpp"
#include "job/step_units.hpp"
#include "job/worker.hpp"
#include "text/strings.hpp"

#include <atomic>
#include <charconv>
#include <cmath>
#include <csignal>
#include <ctime>
#include <filesystem>
#include <optional>
#include <ostream>
#include <pthread.h>
#include <tuple>
#include <unistd.h>

namespace vortane {

namespace {

constexpr int MaxThreads = 1024;

// ---- Settings file: the desktop program's stored selection, files and options

// Texts the command line left empty are taken from the settings; so are the options it did not give.
// False, said on Err, when there is no such file.
bool TakeSettings(TWarpOptions& Options, std::ostream& Err) {
    std::error_code Error;
    if (!std::filesystem::is_regular_file(Options.Settings, Error)) {
        Err << "Settings file " << Options.Settings << " is missing\n";
        return false;
    }
    const TSettings Stored = ReadSettings(Options.Settings);
    const auto Take = [](std::string& Value, const std::string& StoredValue) {
        if (Value.empty()) Value = StoredValue;
    };
    Take(Options.InSpheroid, Stored.InSpheroid);
    Take(Options.InDatum, Stored.InDatum);
    Take(Options.InSystem, Stored.InProjection);
    Take(Options.OutSpheroid, Stored.OutSpheroid);
    Take(Options.OutDatum, Stored.OutDatum);
    Take(Options.OutSystem, Stored.OutProjection);
    Take(Options.Input, Stored.InName);
    Take(Options.Output, Stored.OutName);
    Take(Options.ErsRegistration, Stored.ErsRegistration);
    Options.List = Options.List || Stored.List;
    Options.ExactProjections = Options.ExactProjections || Stored.ExactProjections;
    if (!Options.Background) Options.Background = std::to_string(Stored.BackGround);
    if (!Options.InUnits) Options.InUnits = static_cast<int>(Stored.InUnits);
    if (!Options.OutUnits) Options.OutUnits = static_cast<int>(Stored.OutUnits);
    if (!Options.Resampling) Options.Resampling = Stored.Resampling;
    if (!Options.Compression) Options.Compression = Stored.Compression;
    if (!Options.Quality) Options.Quality = Stored.Quality;
    if (!Options.TileSize) Options.TileSize = Stored.TileSize;
    Options.Cog = Options.Cog || Stored.Cog;
    if (!Options.NoData) Options.NoData = Stored.NoData;
    Options.Alpha = Options.Alpha || Stored.Alpha;
    return true;
}

// No input system at all, by name or code: the input file's own is taken.
bool NoInputSelection(const TWarpOptions& Options) {
    return Options.InSpheroid.empty() && Options.InDatum.empty() && Options.InSystem.empty() &&
           Options.InCrs.empty();
}

// Names every required value that neither the command line nor the settings gave. An end given by
// its EPSG code needs none of its three names, nor does an input end given not at all.
bool ReportMissing(const TWarpOptions& Options, std::ostream& Err) {
    const bool InNames = Options.InCrs.empty() && !NoInputSelection(Options),
               OutNames = Options.OutCrs.empty();
    const std::tuple<const std::string*, const char*, bool> Required[] = {
        {&Options.Input, "--input", true},
        {&Options.Output, "--output", true},
        {&Options.InSpheroid, "--in-spheroid", InNames},
        {&Options.InDatum, "--in-datum", InNames},
        {&Options.InSystem, "--in-system", InNames},
        {&Options.OutSpheroid, "--out-spheroid", OutNames},
        {&Options.OutDatum, "--out-datum", OutNames},
        {&Options.OutSystem, "--out-system", OutNames},
    };
    bool Missing = false;
    for (const auto& [Value, Option, Needed] : Required)
        if (Needed && Value->empty()) {
            Err << "Missing " << Option
                << (Options.Settings.empty() ? "" : " (not in the settings file either)") << '\n';
            Missing = true;
        }
    return Missing;
}

// ---- The input file's own system

// The input as the run will open it (a photo list's first image that opens), looked at once.
struct TInputLook {
    bool Opened = false;
    TInputDescription Description;
    std::string Reason; // why it did not open
};

TInputLook LookAtInput(const TWarpOptions& Options) {
    TInputLook Look;
    Look.Opened = DescribeInput(Options.Input, Options.List, Look.Description, Look.Reason);
    return Look;
}

std::string FileSystemText(const TCSList& Catalogue, const TFileCrs& File) {
    return SelectionText(Catalogue, File.Selection) + ", by its " + File.Source;
}

// With no input system given, the run takes the file's, said on Err and in the log. False, after
// saying why, when the file names none the catalogue holds.
bool TakeFileSystem(const TCSList& Catalogue, const TInputLook& Input, TWarpOptions& Options,
                    TJobOptions& Job, std::ostream& Err) {
    const std::string Advice = "; give --in-crs EPSG:n, or --in-spheroid, --in-datum and --in-system\n";
    if (!Input.Opened) {
        Err << "No input system given, and the input's own cannot be read: " << Input.Reason << Advice;
        return false;
    }
    const TFileCrs File = ResolveFileCrs(Catalogue, Input.Description);
    if (!File.Found()) {
        Err << "No input system given, and " << Input.Description.Image
            << " names none the catalogue holds: " << File.Problem << Advice;
        return false;
    }
    Options.InSpheroid = File.Selection.Spheroid->Name;
    Options.InDatum = File.Selection.Datum->Name;
    Options.InSystem = File.Selection.System->Name;
    const std::string Note = "Input system taken from " + Input.Description.Image + ": " +
                             FileSystemText(Catalogue, File) +
                             (Options.List ? " (for every image of the list)" : "");
    Err << Note << '\n';
    Job.Notes.push_back(Note);
    return true;
}

// A given input system that places the file's positions elsewhere than its own system: the run goes
// on as told, with a warning on Err and in the log.
void WarnOfContradiction(const TCSList& Catalogue, const TInputLook& Input, const TCSSelection& Given,
                         TJobOptions& Job, std::ostream& Err) {
    if (!Input.Opened) return; // the run itself says why
    const TFileCrs File = ResolveFileCrs(Catalogue, Input.Description);
    if (!ContradictsFile(Given, File)) return;
    const std::string Warning = "Warning: the input system given (" + SelectionText(Catalogue, Given) +
                                ") contradicts " + Input.Description.Image + "'s own (" +
                                FileSystemText(Catalogue, File) + "); the run uses the one given";
    Err << Warning << '\n';
    Job.Notes.push_back(Warning);
}

// ---- Names to catalogue objects

bool Resolve(const TCSList& Catalogue, const TWarpOptions& Options, TJobSelection& Selection,
             TCSSelection& In, std::ostream& Err) {
    TCSSelection Out;
    if (!ResolveSelection(
            Catalogue, {"in", Options.InSpheroid, Options.InDatum, Options.InSystem, Options.InCrs},
            {"out", Options.OutSpheroid, Options.OutDatum, Options.OutSystem, Options.OutCrs}, In, Out, Err))
        return false;
    Selection.InSpheroid = In.Spheroid;
    Selection.InDatum = In.Datum;
    Selection.InProjection = In.System;
    Selection.OutSpheroid = Out.Spheroid;
    Selection.OutDatum = Out.Datum;
    Selection.OutProjection = Out.System;
    // The names written into the output's georeferencing are the catalogue's own.
    Selection.OutSpheroidName = Selection.OutSpheroid->Name;
    Selection.OutDatumName = Selection.OutDatum->Name;
    Selection.OutProjectionName = Selection.OutProjection->Name;
    Selection.HubSpheroid = Catalogue.FindSpheroid(HubSpheroidCode);
    Selection.EpsgCodes = &Catalogue.EpsgCodes;
    return true;
}

// The cell size X of an image, as the desktop program takes it when the image is chosen; for a photo
// list that of its first image that opens. 1.0 (the window's start value) when none opens.
double DefaultStep(const TInputLook& Input) {
    return Input.Opened ? Input.Description.CellSizeX : 1.0;
}

// The input's cell size as a step in the output system's units. Geographic systems count in radians:
// taken unchanged, 25 metres would become cells of 25 radians on the way in (and 4e-6 radians cells
// of 4e-6 metres on the way out). The conversion is said on Err.
double StepForOutput(double CellSize, const TJobSelection& Selection, std::ostream& Err) {
    const bool InGeographic = IsGeographic(Selection.InProjection);
    const bool OutGeographic = IsGeographic(Selection.OutProjection);
    if (InGeographic == OutGeographic) return CellSize;
    const TSpheroid& Out = *Selection.OutSpheroid;
    const double Step = CarryStep(CellSize, InGeographic, OutGeographic, Out);
    Err << "No --step given: cells of " << GeneralText(Step) << (OutGeographic ? " radians" : " metres")
        << " (the input's cell size " << GeneralText(CellSize) << (OutGeographic ? " / " : " x ")
        << "the semi-major axis " << GeneralText(Out.A) << " of " << Out.Name << ")\n";
    return Step;
}

// ---- Running the job

// Progress bar on stderr, and the end event as a signal to the waiting thread.
class TCliObserver final : public TJobObserver {
public:
    TCliObserver(std::ostream& Err, bool ShowBar) : FErr(Err), FShowBar(ShowBar) {}

    void ShowProgress(const TProgressView& View) override {
        if (!FShowBar) return;
        constexpr int Width = 30;
        const int Filled = View.Position * Width / 100;
        FErr << '\r' << (View.ProcessingText.empty() ? "" : View.ProcessingText + "  ") << '['
             << std::string(static_cast<std::size_t>(Filled), '#')
             << std::string(static_cast<std::size_t>(Width - Filled), '.') << "] " << View.Position << "%  "
             << View.ElapsedText << "  " << View.RemainingText << "   " << std::flush;
        FBarShown = true;
    }
    // Wakes the waiting thread at once, with exactly one signal: it takes no more once woken.
    void JobFinished(const std::string&) override {
        if (!FEnded.exchange(true) && FWaiter) pthread_kill(*FWaiter, EndSignal());
    }
    void ReportFailure(const std::string& Reason) override { PrintLine(Reason); }
    void ReportWarning(const std::string& Text) override { PrintLine("Warning: " + Text); }

    // Waiter (blocking EndSignal) is sent EndSignal when the job ends.
    void WakeOnEnd(pthread_t Waiter) { FWaiter = Waiter; }
    static int EndSignal() { return SIGRTMIN; }
    void EndBar() {
        if (FBarShown) FErr << '\n';
    }

private:
    // A line of its own, below the progress bar.
    void PrintLine(const std::string& Text) {
        if (FBarShown) FErr << '\n';
        FBarShown = false;
        FErr << Text << '\n' << std::flush;
    }

    std::ostream& FErr;
    bool FShowBar;
    bool FBarShown = false;
    std::atomic<bool> FEnded{false};
    std::optional<pthread_t> FWaiter;
};

// Runs the worker in its own thread while this thread waits for Ctrl-C or a scheduler's SIGTERM, which
// become a stop request: the worker finishes its current row first and the log is completed. Both
// signals are blocked meanwhile (the worker inherits the mask), so they are only ever taken here; so is
// the observer's signal for the job's end, which ends the wait without a poll's delay.
void RunWorker(TMyThread& Worker, TCliObserver& Observer) {
    sigset_t Stop, Previous;
    sigemptyset(&Stop);
    sigaddset(&Stop, SIGINT);
    sigaddset(&Stop, SIGTERM);
    sigaddset(&Stop, TCliObserver::EndSignal());
    pthread_sigmask(SIG_BLOCK, &Stop, &Previous);
    Observer.WakeOnEnd(pthread_self());
    Worker.Start();
    for (int Signal = 0; Signal != TCliObserver::EndSignal();) {
        Signal = sigwaitinfo(&Stop, nullptr);
        if (Signal == SIGINT || Signal == SIGTERM) Worker.RequestStop();
    }
    const timespec NoWait{0, 0};
    while (sigtimedwait(&Stop, nullptr, &NoWait) > 0) {
    } // a late stop signal must not end the process once the job is done
    pthread_sigmask(SIG_SETMASK, &Previous, nullptr);
}

// The last stdout line, which scripts read as the run's outcome. A list's own status is that of its last
// entry, so a list with failed entries says how many instead; a stop still says it was stopped (the
// count then goes to Err).
std::string FinalLine(const TJobStatus& Status, std::int32_t Failed, std::int32_t Listed, std::ostream& Err) {
    if (Failed == 0) return Status.Text();
    const std::string Count = std::to_string(Failed) + " of " + std::to_string(Listed) + " images failed";
    if (!Status.Aborted()) return Count;
    Err << Count << '\n';
    return Status.Text();
}

// --shard and --resume: parts of a photo list run, meaningless for a single image.
bool TakeBatchOptions(const TWarpOptions& Options, TJobOptions& Job, std::ostream& Err) {
    if ((!Options.Shard.empty() || Options.Resume) && !Options.List) {
        Err << (Options.Resume ? "--resume" : "--shard") << " needs --list\n";
        return false;
    }
    if (!Options.Shard.empty() && !ParseShard(Options.Shard, Job.Shard)) {
        Err << "--shard \"" << Options.Shard << "\" is not I/N with 1 <= I <= N\n";
        return false;
    }
    Job.Resume = Options.Resume;
    return true;
}

void AddOutputStorageOptions(CLI::App& Command, TWarpOptions& Options) {
    Command
        .add_option("--compress", Options.Compression,
                    "How a TIFF output's cells are compressed (default none); deflate, lzw and zstd are "
                    "lossless, jpeg (8-bit cells only) loses detail by --quality")
        ->type_name(CompressionNames("|"));
    Command
        .add_option("--quality", Options.Quality, "JPEG quality of --compress jpeg, 1 to 100 (default 75)")
        ->type_name("1-100");
    Command
        .add_option("--tiled", Options.TileSize,
                    "Store a TIFF output in square tiles of 256 (the default size) or 512 cells instead of "
                    "strips")
        ->expected(0, 1)
        ->default_str("256")
        ->type_name("[256|512]");
    Command.add_flag("--cog", Options.Cog,
                     "Write a cloud-optimised GeoTIFF: tiled (512 unless --tiled says otherwise), compressed "
                     "(deflate unless --compress says otherwise), with internal overviews by averaging");
    Command
        .add_option("--nodata", Options.NoData,
                    "The value output cells no input cell was sampled for hold, declared in the output's "
                    "header or tag so other programs leave them out")
        ->type_name("VALUE");
    Command.add_flag("--alpha", Options.Alpha,
                     "Give a TIFF output one more band: 0 where no input cell was sampled, 255 elsewhere, so "
                     "other programs show the background as transparent");
}

} // namespace

std::optional<std::int32_t> ParseBackground(const std::string& Text) {
    if (Text.empty() || Text.front() == '-') return std::nullopt;
    std::size_t Used = 0;
    unsigned long Value = 0;
    try {
        Value = std::stoul(Text, &Used, 0);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (Used != Text.size() || Value > 0xFFFFFF) return std::nullopt;
    return static_cast<std::int32_t>(Value);
}

// --dry-run: the extents, the output's size and the time the cells would take, as the desktop
// program's preview shows them; nothing is written.
int PrintPlan(const TWarpOptions& Options, const TJobOptions& Job, const TJobSelection& Selection,
              std::ostream& Out, std::ostream& Err) {
    TInputDescription Input;
    TOutputPlan Plan;
    std::string Reason;
    if (!DescribeInput(Options.Input, Options.List, Input, Reason) ||
        !PlanOutput(Input, Job, Selection, Plan, Reason)) {
        Err << Reason << '\n';
        return ExitFailure;
    }
    const auto Extent = [](const TMapExtent& E) {
        return "west " + GeneralText(E.MinX) + ", south " + GeneralText(E.MinY) + ", east " +
               GeneralText(E.MaxX) + ", north " + GeneralText(E.MaxY);
    };
    if (Input.ListEntries > 0)
        Out << "photo list: " << Input.ListEntries << " images, the first: " << Input.Image << '\n';
    Out << "input extent: " << Extent(Plan.Input) << '\n'
        << "output extent: " << Extent(Plan.Output) << '\n'
        << "output step: " << GeneralText(Plan.Grid.StepX) << '\n'
        << "output size: " << PlanSizeText(Plan) << " (" << Plan.Bytes << " bytes)\n"
        << "estimated time: " << PlanTimeText(Plan) << '\n';
    return ExitSuccess;
}

std::optional<double> ParseStep(const std::string& Text) {
    const std::optional<double> Value = ParseFinite(Text);
    return Value && *Value > 0 ? Value : std::nullopt;
}

int RunWarp(TWarpOptions Options, const std::string& CatalogueFolder, std::ostream& Out, std::ostream& Err) {
    if (!Options.Settings.empty() && !TakeSettings(Options, Err)) return ExitUsage;
    if (ReportMissing(Options, Err)) return ExitUsage;
    if (!ApplyErsRegistration(Options.ErsRegistration, Err)) return ExitUsage;
    TJobOptions Job;
    const std::optional<std::int32_t> Background = ParseBackground(Options.Background.value_or("0"));
    if (!Background) {
        Err << "Background colour \"" << *Options.Background << "\" is not a colour 0xBBGGRR\n";
        return ExitUsage;
    }
    Job.BackGround = *Background;
    const std::optional<TResampling> Resampling = ResamplingByName(Options.Resampling.value_or("auto"));
    if (!Resampling) {
        Err << "Resampling \"" << *Options.Resampling << "\" is not one of " << ResamplingNames(", ") << '\n';
        return ExitUsage;
    }
    Job.Resampling = *Resampling;
    const TOutputChoices Defaults;
    const TOutputChoices Choices{.Compression = Options.Compression.value_or(Defaults.Compression),
                                 .Quality = Options.Quality.value_or(Defaults.Quality),
                                 .TileSize = Options.TileSize.value_or(Defaults.TileSize),
                                 .Cog = Options.Cog,
                                 .NoData = Options.NoData.value_or(Defaults.NoData),
                                 .Alpha = Options.Alpha};
    if (const std::string Problem = ResolveOutputChoices(Choices, Job.Creation); !Problem.empty()) {
        Err << Problem << '\n';
        return ExitUsage;
    }
    Job.InUnits = Options.InUnits.value_or(0);
    Job.OutUnits = Options.OutUnits.value_or(0);
    if (!CheckUnitIndexes(Job.InUnits, Job.OutUnits, Err)) return ExitUsage;
    Job.List = Options.List;
    Job.OnlyHeaders = Options.OnlyHeaders;
    Job.Threads = Options.Threads;
    Job.MaxError = Options.MaxError;
    Job.ExactProjections = Options.ExactProjections;
    if (!TakeBatchOptions(Options, Job, Err)) return ExitUsage;

    TCSList Catalogue;
    if (!LoadCatalogueReporting(Catalogue, CatalogueFolder, Err)) return ExitFailure;
    const TInputLook Input = LookAtInput(Options);
    const bool InFromFile = NoInputSelection(Options);
    if (InFromFile && !TakeFileSystem(Catalogue, Input, Options, Job, Err)) return ExitUsage;
    TJobSelection Selection;
    TCSSelection In;
    if (!Resolve(Catalogue, Options, Selection, In, Err)) return ExitUsage;
    if (!InFromFile) WarnOfContradiction(Catalogue, Input, In, Job, Err);
    Selection.OnlyHeaders = Options.OnlyHeaders;
    Job.Step = Options.Step ? *Options.Step : StepForOutput(DefaultStep(Input), Selection, Err);

    if (Options.DryRun) return PrintPlan(Options, Job, Selection, Out, Err);

    TCliObserver Observer(Err, !Options.Quiet && ::isatty(STDERR_FILENO));
    TMyThread Worker(Options.Input, Options.Output, Job, Selection, Observer);
    RunWorker(Worker, Observer);
    Observer.EndBar();
    Out << FinalLine(Worker.Status(), Worker.FailedFiles(), Worker.ListedFiles(), Err) << '\n' << std::flush;
    return Worker.Status().Succeeded() && Worker.FailedFiles() == 0 ? ExitSuccess : ExitFailure;
}

void AddWarpCommand(CLI::App& App, TCliContext& Context) {
    CLI::App* Command =
        App.add_subcommand("warp", "Resample a georeferenced image (or every image of a photo list) into "
                                   "another coordinate system");
    auto Options = std::make_shared<TWarpOptions>();
    Command
        ->add_option("--input", Options->Input,
                     "Input image, or photo list with --list (entries relative to the list's folder, names "
                     "with blanks in double quotes)")
        ->type_name("PATH");
    Command
        ->add_option("--output", Options->Output,
                     "Output image; its extension chooses the format (with --list: the folder and "
                     "extension of every output, which keeps its entry's subfolders, and the name of the "
                     "report)")
        ->type_name("PATH");
    // Not required here: a settings file may give them.
    AddSelectionOptions(*Command,
                        {&Options->InSpheroid, &Options->InDatum, &Options->InSystem, &Options->InCrs},
                        {&Options->OutSpheroid, &Options->OutDatum, &Options->OutSystem, &Options->OutCrs});
    Command
        ->add_option_function<std::string>(
            "--step",
            [Options](const std::string& Text) {
                Options->Step = ParseStep(Text);
                if (!Options->Step) throw CLI::ValidationError("--step must be a positive number");
            },
            "Output cell size in metres, in radians for geographic output systems (default: the input's "
            "cell size X, turned into radians on the output spheroid for a geographic output)")
        ->type_name("METRES");
    Command
        ->add_option("--background", Options->Background,
                     "Background colour of 3-band images, 0xBBGGRR (default 0x000000)")
        ->type_name("0xBBGGRR");
    const std::string UnitHelp = "0 metre (default), 1 US survey foot";
    Command->add_option("--in-units", Options->InUnits, "Unit of the input coordinates: " + UnitHelp)
        ->type_name("0|1");
    Command->add_option("--out-units", Options->OutUnits, "Unit of the output coordinates: " + UnitHelp)
        ->type_name("0|1");
    Command->add_flag("--only-headers", Options->OnlyHeaders,
                      "Write the output's header only, compute no cells");
    Command->add_flag("--list", Options->List, "The input is a photo list: process every image it names");
    Command->add_flag("-q,--quiet", Options->Quiet, "No progress bar");
    Command->add_flag("--dry-run", Options->DryRun,
                      "Print the input and output extents, the output's size and an estimate of the time, "
                      "and write nothing (for a photo list: of its first image)");
    Command
        ->add_option_function<std::string>(
            "--threads",
            [Options](const std::string& Text) {
                const std::optional<double> Count = ParseFinite(Text);
                if (!Count || *Count != std::floor(*Count) || *Count < 1 || *Count > MaxThreads)
                    throw CLI::ValidationError("--threads must be a whole number from 1 to " +
                                               std::to_string(MaxThreads));
                Options->Threads = static_cast<int>(*Count);
            },
            "Threads computing output rows (default: one per processor core); the output is the "
            "same for every count")
        ->type_name("N");
    Command
        ->add_option_function<std::string>(
            "--max-error",
            [Options](const std::string& Text) {
                const std::optional<double> Pixels = ParseFinite(Text);
                if (!Pixels || *Pixels < 0)
                    throw CLI::ValidationError("--max-error must be a number of input pixels, at least 0");
                Options->MaxError = *Pixels;
            },
            "Map cells exactly only at the ends of row segments and interpolate between them, "
            "within this many input pixels (default: every cell exactly); the log records the "
            "largest error measured")
        ->type_name("PIXELS");
    Command
        ->add_option(
            "--resampling", Options->Resampling,
            "How the input is sampled for each output cell: auto (default: 3-band images at the "
            "nearest cell, with colours close to the background written as the background; others "
            "bilinearly), nearest, bilinear, cubic (cubic convolution, a = -0.5, 4 x 4 cells), lanczos "
            "(radius 3, 6 x 6 cells), average (of the input cells the output cell covers, partly "
            "covered ones weighted by their part) or mode (their most frequent value); cells whose "
            "kernel or area leaves the input are 0")
        ->type_name(ResamplingNames("|"));
    AddOutputStorageOptions(*Command, *Options);
    AddExactProjectionsFlag(*Command, Options->ExactProjections);
    AddErsRegistrationOption(*Command, Options->ErsRegistration);
    Command
        ->add_option("--shard", Options->Shard,
                     "With --list: process entries I, I+N, I+2N, ... only, with the report and log named "
                     "OUTPUT.shard-I-of-N.txt and .log ('report merge' joins the reports)")
        ->type_name("I/N");
    Command->add_flag("--resume", Options->Resume,
                      "With --list: skip the entries an earlier run with the same options and list finished "
                      "(its log says so and the output files still have the sizes logged then); stopped, "
                      "cut-short or damaged entries are done again");
    Command
        ->add_option("--settings", Options->Settings,
                     "Take the run from the desktop program's settings file; options given here override it")
        ->type_name("FILE.ini");
    // Required unless the settings file gives them (or an EPSG code the names of its end), so the parser
    // cannot enforce them itself.
    const auto Require = [Command](const char* Name, const char* Alternative) {
        CLI::Option* Option = Command->get_option(Name);
        Option->description(Option->get_description() + " (required unless --settings gives it" +
                            Alternative + ")");
    };
    for (const char* Name : {"--input", "--output"})
        Require(Name, "");
    for (const char* Name : {"--in-spheroid", "--in-datum", "--in-system"})
        Require(Name, " or --in-crs is given; with no input system at all the input file's own is taken");
    for (const char* Name : {"--out-spheroid", "--out-datum", "--out-system"})
        Require(Name, " or --out-crs is given");
    Command->footer(
        "The last line on stdout is the job's final status: \"Successful Finish\" (exit 0) or what\n"
        "stopped it (exit 1), e.g. \"User Abort\" after Ctrl-C or \"OpenError 2\"; a photo list with\n"
        "failed entries ends with \"N of M images failed\" (exit 1). The log is written beside the\n"
        "output (its name with .log); a second run on the same output while one runs is refused.\n"
        "Unknown names or EPSG codes, missing options and bad numbers exit with 2. Either end may be\n"
        "given by its EPSG code instead (--in-crs EPSG:32634). Without any input system the input\n"
        "file's own is taken (its GeoTIFF keys or header names), and said on stderr; one given that\n"
        "contradicts the file's is warned of on stderr and in the log.\n"
        "Example (UTM zone 34 north into geographic coordinates, cells of 3e-6 radians, about 19 m):\n"
        "  vortane-cli warp --input sample.ers --output geo.ers --in-spheroid WE --in-datum WGS84 \\\n"
        "      --in-system NUTM34 --out-spheroid WE --out-datum WGS84 \\\n"
        "      --out-system 'Geographic:(decimal degrees)' --step 0.000003");
    Command->callback([Options, &Context] {
        Context.ExitCode = RunWarp(*Options, Context.CatalogueFolder(), Context.Out, Context.Err);
    });
}

} // namespace vortane
