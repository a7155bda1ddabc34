// What vortane-cli says when a run cannot do what was asked: the status stays the last line on stdout,
// the reason (naming the file) goes to stderr, and usage errors exit with 2.
#include "cli_runner.hpp"
#include "warp_fixture.hpp"

#include "cli/warp_command.hpp"
#include "raster/data_set.hpp"
#include "raster/mapped_cell_file.hpp"
#include "support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <pthread.h>
#include <sys/stat.h>
#include <thread>

namespace vortane {
namespace {

namespace fs = std::filesystem;
using test::TCliRun;

TCliRun RunCommands(std::vector<std::string> Args) {
    constexpr TAddCommand Commands[] = {AddInfoCommand, AddTransformCommand, AddCatalogueCommand,
                                        AddWarpCommand};
    return test::RunCliWith(Commands, std::move(Args));
}

// Warps in.ers into Out with the Zone34To35 selection, More appended; OutSystem replaces NUTM35.
class WarpFailure : public WarpCommand {
protected:
    TCliRun Warp(const std::string& In, const std::string& Out, std::vector<std::string> More = {},
                 const std::string& OutSystem = "NUTM35") const {
        std::vector<std::string> Args = Zone34To35(Out);
        Args[1] = In;
        Args.back() = OutSystem;
        Args.insert(Args.begin(), {"warp", "--catalogue", test::ShippedCatalogueFolder, "-q"});
        Args.insert(Args.end(), More.begin(), More.end());
        return RunCommands(Args);
    }
};

TEST_F(WarpFailure, EveryFailureNamesItsFileAndItsReasonOnStderr) {
    fs::create_directory(Path("folder.ers"));
    fs::create_symlink(Path("missing/x.ers"), Path("link.ers"));
    ASSERT_EQ(::mkfifo(Path("pipe.ers").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo(Path("pipe.tif").c_str(), 0644), 0);
    const struct {
        std::string Out, Status, Reason;
    } Cases[] = {
        {Path("folder.ers"), "OpenError 21", "Cannot create " + Path("folder.ers") + ": Is a directory"},
        {Path("missing/x.ers"), "OpenError 2",
         "Cannot create " + Path("missing/x.ers") + ": No such file or directory"},
        {Path("link.ers"), "OpenError 2",
         "Cannot create " + Path("link.ers") + ": No such file or directory"},
        {Path("pipe.ers"), "OpenError 1", "Cannot create " + Path("pipe.ers") + ": Not a regular file"},
        {Path("pipe.tif"), "OpenError 1", "Cannot create " + Path("pipe.tif") + ": Not a regular file"},
        {Path("out.xyz"), "OpenError 0",
         "Cannot create " + Path("out.xyz") + ": No image format writes the extension \".xyz\""},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Out);
        const TCliRun Run = Warp(Path("in.ers"), Case.Out);
        EXPECT_EQ(Run.ExitCode, 1);
        EXPECT_EQ(Run.Out, Case.Status + "\n");
        EXPECT_EQ(Run.Err, Case.Reason + "\n");
    }
    EXPECT_FALSE(fs::exists(Path("folder"))); // nothing was created beside the refused header places
    EXPECT_FALSE(fs::exists(Path("pipe")));

    // An input whose header describes more cells than its file holds stops instead of running on.
    test::WriteText(Path("in"), std::string(1000, '\0'));
    const TCliRun Short = Warp(Path("in.ers"), Path("out.ers"));
    const std::string Mismatch = "cell file holds 1000 bytes, header describes 3600";
    EXPECT_EQ(Short.ExitCode, 1);
    EXPECT_EQ(Short.Out, Mismatch + "\n");
    EXPECT_EQ(Short.Err, Path("in.ers") + ": " + Mismatch + "\n");
    const TCliRun Info = RunCommands({"info", Path("in.ers")});
    EXPECT_EQ(Info.ExitCode, 0);
    EXPECT_EQ(Info.Err, "Warning: " + Path("in.ers") + ": " + Mismatch + "\n");
}

TEST_F(WarpFailure, BadNumbersAndMissingSettingsAreUsageErrors) {
    const std::string Step = "--step must be a positive number\n";
    const std::string MaxError = "--max-error must be a number of input pixels, at least 0\n";
    const std::string Threads = "--threads must be a whole number from 1 to 1024\n";
    const struct {
        std::string Option, Value, Message;
    } Cases[] = {
        {"--step", "abc", Step},
        {"--step", "0", Step},
        {"--step", "-1", Step},
        {"--step", "inf", Step},
        {"--step", "nan", Step},
        {"--step", "1e999", Step},
        {"--max-error", "nan", MaxError},
        {"--max-error", "-1", MaxError},
        {"--max-error", "inf", MaxError},
        {"--max-error", "1e400", MaxError},
        {"--threads", "0", Threads},
        {"--threads", "-3", Threads},
        {"--threads", "nan", Threads},
        {"--threads", "1.5", Threads},
        {"--threads", "99999", Threads},
        {"--background", "nan", "Background colour \"nan\" is not a colour 0xBBGGRR\n"},
        {"--in-units", "2", "Unit indexes are 0 (metre) or 1 (US survey foot)\n"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Option + " " + Case.Value);
        const TCliRun Run = Warp(Path("in.ers"), Path("out.ers"), {Case.Option, Case.Value});
        EXPECT_EQ(Run.ExitCode, 2);
        EXPECT_EQ(Run.Err.rfind(Case.Message, 0), 0u) << Run.Err;
        EXPECT_EQ(Run.Out, "");
    }
    const TCliRun Settings = Warp(Path("in.ers"), Path("out.ers"), {"--settings", Path("none.ini")});
    EXPECT_EQ(Settings.ExitCode, 2);
    EXPECT_EQ(Settings.Err, "Settings file " + Path("none.ini") + " is missing\n");
    EXPECT_FALSE(fs::exists(Path("out.log")));
}

TEST_F(WarpFailure, AGeographicOutputTakesTheInputCellSizeInRadians) {
    const TCliRun Run = Warp(Path("in.ers"), Path("geo.ers"), {}, "Geographic:(decimal degrees)");
    EXPECT_EQ(Run.ExitCode, 0) << Run.Out << Run.Err;
    EXPECT_EQ(Run.Err.rfind("No --step given: cells of 3.91963985", 0), 0u) << Run.Err;
    EXPECT_NE(Run.Err.find(" radians (the input's cell size 25 / the semi-major axis 6378137 of WE)\n"),
              std::string::npos)
        << Run.Err;
    TDataSet2 Out;
    ASSERT_TRUE(Out.Open(Path("geo.ers"), 0, 0, 1, 1, omRead));
    EXPECT_NEAR(Out.GetCellSizeX(), 25 / 6378137.0, 1e-12);
    EXPECT_GT(Out.GetRows(), 1);

    // A step as large as the image computes nothing, and says so.
    const TCliRun Single = Warp(Path("in.ers"), Path("row.ers"), {"--step", "100000"});
    EXPECT_EQ(Single.ExitCode, 1);
    EXPECT_EQ(Single.Out, "Output file with rows=0\n");
    EXPECT_NE(Single.Err.find("No cells computed for " + Path("row.ers")), std::string::npos) << Single.Err;
}

TEST_F(WarpFailure, AListWithFailedEntriesSaysHowManyAndExitsWithOne) {
    test::WriteText(Path("list.txt"), "in.ers 0 0 0 0\nmissing.ers 0 0 0 0\nin.ers 0 0 0 0\n");
    fs::create_directory(Path("out"));
    const TCliRun Run = Warp(Path("list.txt"), Path("out/x.ers"), {"--list"});
    EXPECT_EQ(Run.ExitCode, 1);
    // The last line agrees with the exit status, although the last entry finished.
    EXPECT_EQ(Run.Out, "1 of 3 images failed\n");
}

TEST_F(WarpFailure, SigtermStopsTheRunLikeCtrlC) {
    // The signal is aimed at this thread and kept blocked outside the run, so that a signal arriving
    // late stays pending here (and is taken below) instead of ending the test program.
    sigset_t Term, Previous;
    sigemptyset(&Term);
    sigaddset(&Term, SIGTERM);
    ::pthread_sigmask(SIG_BLOCK, &Term, &Previous);
    // Cells of 1 m give 750 rows, so the run is still going when the signal comes; it stops after a row.
    const pthread_t Runner = ::pthread_self();
    std::jthread Scheduler([&](std::stop_token Stop) {
        while (!Stop.stop_requested() && !fs::exists(Path("slow.log")))
            std::this_thread::yield();
        if (!Stop.stop_requested()) ::pthread_kill(Runner, SIGTERM);
    });
    const TCliRun Run = Warp(Path("in.ers"), Path("slow.ers"), {"--step", "1"});
    Scheduler.request_stop();
    Scheduler.join();
    const timespec NoWait{0, 0};
    while (::sigtimedwait(&Term, nullptr, &NoWait) == SIGTERM) {
    }
    ::pthread_sigmask(SIG_SETMASK, &Previous, nullptr);
    EXPECT_EQ(Run.ExitCode, 1);
    EXPECT_EQ(Run.Out, "User Abort\n");
    EXPECT_NE(test::ReadText(Path("slow.log")).find(" finished\r\n"), std::string::npos);
}

TEST(CliOptions, EveryCommandAnswersVersionAndWarpMarksWhatItNeeds) {
    for (const char* Command : {"info", "transform", "warp", "catalogue"}) {
        SCOPED_TRACE(Command);
        const TCliRun Run = RunCommands({Command, "--version"});
        EXPECT_EQ(Run.ExitCode, 0) << Run.Err;
        EXPECT_EQ(Run.Out, "vortane-cli " VORTANE_VERSION "\n");
    }
    const TCliRun Help = RunCommands({"warp", "--help"});
    EXPECT_NE(Help.Out.find("-q,--quiet"), std::string::npos);
    for (const char* Option : {"--input PATH", "--output PATH", "--in-spheroid CODE", "--out-system NAME"}) {
        const std::size_t Line = Help.Out.find(Option);
        ASSERT_NE(Line, std::string::npos) << Option;
        EXPECT_NE(Help.Out.substr(Line, Help.Out.find('\n', Line) - Line).find("required"), std::string::npos)
            << Option;
    }
}

} // namespace
} // namespace vortane
