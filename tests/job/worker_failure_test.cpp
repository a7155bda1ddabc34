// Runs that cannot or must not complete: each ends with a clear status, a log line, Busy cleared and
// exactly one end event, and never touches the input.
#include "job_test_support.hpp"

#include "job/log.hpp"
#include "job/photo_list.hpp"
#include "support/small_disk.hpp"

#include <fstream>
#include <sys/stat.h>

namespace vortane::test {
namespace {

// The extent checks each of its four corners by converting it back from the output system.
constexpr int ExtentChecks = 4;

class JobFailure : public JobTest {
protected:
    void SetUp() override {
        JobTest::SetUp();
        In = WriteImage("in.ers", 4, 3, 1, ctFloat32, 1000, 2000, 10,
                        [](int C, int R, int) { return float(C + R); });
    }
    std::string In;
};

TEST_F(JobFailure, ARunWithoutItsSelectionOrWithBadOptionsDoesNotStart) {
    const struct {
        std::function<void(TJobSelection&, TJobOptions&)> Break;
        std::string Message;
    } Cases[] = {
        {[](TJobSelection& S, TJobOptions&) { S.InSpheroid = nullptr; }, "No input spheroid selected"},
        {[](TJobSelection& S, TJobOptions&) { S.InDatum = nullptr; }, "No input datum selected"},
        {[](TJobSelection& S, TJobOptions&) { S.InProjection = nullptr; },
         "No input coordinate system selected"},
        {[](TJobSelection& S, TJobOptions&) { S.OutSpheroid = nullptr; }, "No output spheroid selected"},
        {[](TJobSelection& S, TJobOptions&) { S.OutDatum = nullptr; }, "No output datum selected"},
        {[](TJobSelection& S, TJobOptions&) { S.OutProjection = nullptr; },
         "No output coordinate system selected"},
        {[](TJobSelection& S, TJobOptions&) { S.HubSpheroid = nullptr; }, "Hub spheroid WE not found"},
        {[](TJobSelection&, TJobOptions& O) { O.InUnits = 2; }, "Unknown input unit index 2"},
        {[](TJobSelection&, TJobOptions& O) { O.OutUnits = -1; }, "Unknown output unit index -1"},
        {[](TJobSelection&, TJobOptions& O) { O.Step = 0; }, "Output step must be a positive number"},
        {[](TJobSelection&, TJobOptions& O) { O.Step = std::nan(""); },
         "Output step must be a positive number"},
        {[](TJobSelection& S, TJobOptions& O) { O.List = true, S.InSpheroid = nullptr; },
         "No input spheroid selected"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Message);
        UseSystems(&InFlat, &InFlat);
        TJobOptions Opts = Options(10);
        Case.Break(Selection, Opts);
        Selection.Busy = true; // left over from anything: the run clears it
        Observer.EndEvents = 0;
        EXPECT_EQ(RunJob(In, Path("out.ers"), Opts), Case.Message);
        EXPECT_FALSE(std::filesystem::exists(Path("out.ers")));
        EXPECT_EQ(LogMessages(Path("out.log")).back(), " Job not started: " + Case.Message);
    }
}

TEST_F(JobFailure, AnOutputThatResolvesToAnInputFileIsRefused) {
    const std::string HeaderBefore = ReadText(In), CellsBefore = ReadText(Path("in"));
    const struct {
        std::string Out;
        std::string Clash;
    } Cases[] = {
        {In, Path("in")},                           // the input's own name: its cells come first
        {Dir().string() + "/./in.ers", Path("in")}, // another spelling of it
        {Path("in.osd"), Path("in")},               // a header format whose cell file is the input's
        {Path("in.ers.ers"), In},                   // whose cell file would be the input's header
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Out);
        Observer.EndEvents = 0;
        const std::string Message = RunJob(In, Case.Out, Options(10));
        EXPECT_EQ(Message.rfind("Output would overwrite the input file ", 0), 0u) << Message;
        EXPECT_TRUE(std::filesystem::equivalent(Message.substr(Message.find(Dir().string())), Case.Clash));
        EXPECT_EQ(ReadText(In), HeaderBefore);
        EXPECT_EQ(ReadText(Path("in")), CellsBefore);
    }
    EXPECT_EQ(LogMessages(Path("in.ers.log")).back(), " Output file " + Path("in.ers.ers") + " open error " +
                                                          "Output would overwrite the input file " + In);
}

TEST_F(JobFailure, AListIsNeverReplacedByTheReportOrTheLogOfItsRun) {
    const struct {
        std::string List, Model, Message;
    } Cases[] = {
        {"photos.txt", "photos.ers", "Report file would overwrite the photo list " + Path("photos.txt")},
        {"photos.log", "photos.ers", "Log file would overwrite the input " + Path("photos.log")},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.List);
        WriteText(Path(Case.List), "in.ers 0 0 0 0\n");
        const std::string Before = ReadText(Path(Case.List));
        TJobOptions List = Options(10);
        List.List = true;
        Observer.EndEvents = 0;
        EXPECT_EQ(RunJob(Path(Case.List), Path(Case.Model), List), Case.Message);
        EXPECT_EQ(ReadText(Path(Case.List)), Before);
        EXPECT_FALSE(std::filesystem::exists(Path("photos")));
    }
}

TEST_F(JobFailure, AGridTooLargeToCreateFailsWithAClearStatus) {
    const struct {
        double Step;
        std::string MessageStart;
    } Cases[] = {
        {1e-9, "Output grid too large: more than 2147483647 rows or columns"}, // 4e10 columns
        {1e-5, "Not enough disk space for the output: "}, // 4e6 x 3e6 cells: counts fit, bytes do not
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Step);
        Observer.EndEvents = 0;
        const std::string Message = RunJob(In, Path("huge.ers"), Options(Case.Step));
        EXPECT_EQ(Message.rfind(Case.MessageStart, 0), 0u) << Message;
        EXPECT_FALSE(std::filesystem::exists(Path("huge")));
        EXPECT_EQ(LogMessages(Path("huge.log")).back(),
                  " Output file " + Path("huge.ers") + " open error " + Message);
    }
}

TEST_F(JobFailure, AFaultInsideTheCellLoopsEndsTheFileWithAStatusAndALogLine) {
    // The extent's four checks of its corners and three cells (row 0) convert, then the output system
    // throws; in a thread as well as in place.
    for (bool Threaded : {false, true}) {
        SCOPED_TRACE(Threaded);
        TFaultySystem Faulty(TFaultySystem::TFault::Throw, ExtentChecks + 3);
        UseSystems(&InFlat, &Faulty);
        TRecordingObserver Events;
        std::string Message;
        {
            TMyThread Worker(In, Path("faulty.ers"), Options(10), Selection, Events);
            Threaded ? Worker.Start() : Worker.Run();
            Events.WaitForEnd();
            Message = Worker.Message();
        }
        EXPECT_EQ(Message, "Processing error: conversion fault");
        EXPECT_EQ(Events.Failures, std::vector<std::string>{In + ": " + Message});
        EXPECT_EQ(Events.EndEvents, 1);
        EXPECT_EQ(Events.EndMessage, Message);
        EXPECT_FALSE(Selection.Busy);
        EXPECT_EQ(LogMessages(Path("faulty.log")).back(),
                  " Processing file: " + In + " failed Processing error: conversion fault");
    }
}

TEST_F(JobFailure, NonFinitePositionsFailTheExtentButOnlyBlankCellsInTheLoops) {
    // An input system with no position for the corners: no extent, so no output.
    TFaultySystem NoCorners(TFaultySystem::TFault::NaN, 0);
    UseSystems(&NoCorners, &InFlat);
    const std::string Message = RunJob(In, Path("nan.ers"), Options(10));
    EXPECT_EQ(Message,
              "Output extent cannot be computed: an input corner has no valid position in the input or the "
              "output system");
    EXPECT_FALSE(std::filesystem::exists(Path("nan.ers")));

    // An output system with no position for the cells (after the extent's checks of its corners): every
    // cell reads as outside the input.
    TFaultySystem NoCells(TFaultySystem::TFault::NaN, ExtentChecks);
    UseSystems(&InFlat, &NoCells);
    Observer.EndEvents = 0;
    EXPECT_EQ(RunJob(In, Path("blank.ers"), Options(10)), "Successful Finish");
    const TImage Out = ReadImage(Path("blank.ers"));
    EXPECT_EQ(Out.Columns * Out.Rows, 20);
    for (float Cell : Out.Cells)
        EXPECT_EQ(Cell, 0.0f);
}

// The log is checked before anything is written: a folder or pipe in its place, or another run holding
// it, stops the run at once with the reason, and the other run's log stays as it was.
TEST_F(JobFailure, ARunRefusesALogThatIsNoFileOrThatAnotherRunHolds) {
    TLogFile OtherRun;
    OtherRun.SetName(Path("held.log"));
    std::string Error;
    ASSERT_TRUE(OtherRun.Claim(false, Error)) << Error;
    OtherRun.AddLine("the other run's line");
    std::filesystem::create_directory(Path("folder.log"));
    ASSERT_EQ(::mkfifo(Path("pipe.log").c_str(), 0600), 0);
    const struct {
        std::string Out, Message;
    } Cases[] = {
        {Path("folder.ers"), "Cannot write " + Path("folder.log") + ": it is a folder"},
        {Path("pipe.ers"), "Cannot write " + Path("pipe.log") + ": it is not a regular file"},
        {Path("held.ers"), "Another run is writing to " + Path("held.log") +
                               " (a run on the same output); this run did not start"},
    };
    for (const bool Resume : {false, true})
        for (const auto& Case : Cases) {
            SCOPED_TRACE(Case.Out);
            Observer.EndEvents = 0;
            Observer.Failures.clear();
            TJobOptions Run = Options(10);
            Run.Resume = Run.List = Resume;
            EXPECT_EQ(RunJob(Resume ? Path("list.txt") : In, Case.Out, Run), Case.Message);
            EXPECT_EQ(Observer.Failures, std::vector<std::string>{Case.Message});
            EXPECT_FALSE(std::filesystem::exists(Case.Out));
            EXPECT_FALSE(std::filesystem::exists(ChangeFileExt(Case.Out, ".txt")));
        }
    EXPECT_EQ(ReadText(Path("held.log")), "the other run's line\r\n");
}

TEST_F(JobFailure, AReportThatCannotBeWrittenEndsTheListRunCleanly) {
    WriteText(Path("list.txt"), "in.ers 0 0 0 0\n");
    TJobOptions List = Options(10);
    List.List = true;
    const std::string Model = Path("missing_folder/out.ers");
    // The log cannot be written either (same folder): the status is all there is.
    EXPECT_EQ(RunJob(Path("list.txt"), Model, List),
              "Report file " + Path("missing_folder/out.txt") + " write error");
    EXPECT_FALSE(std::filesystem::exists(Path("missing_folder")));
}

// Failures the user must hear of: the status names the kind, the observer the file and the reason.
TEST_F(JobFailure, AnOutputThatCannotBeCompletedFailsTheFileWithItsReason) {
    // Taken from the header's place while the cells are computed: the header cannot be written.
    Observer.OnProgress = [this] { std::filesystem::create_directory(Path("late.ers")); };
    EXPECT_EQ(RunJob(In, Path("late.ers"), Options(10)), "WriteError 21");
    const std::string Reason = "Cannot write " + Path("late.ers") + ": Is a directory";
    EXPECT_EQ(Observer.Failures, std::vector<std::string>{Reason});
    EXPECT_EQ(LogMessages(Path("late.log")).back(),
              " Output file " + Path("late.ers") + " write error WriteError 21: " + Reason);

    // Its cell file cut short beneath the mapping: the cells are lost, the process lives on.
    Observer.OnProgress = [this] { std::filesystem::resize_file(Path("cut"), 0); };
    Observer.EndEvents = 0;
    EXPECT_EQ(RunJob(In, Path("cut.ers"), Options(10)), "WriteError 5");
    EXPECT_EQ(Observer.Failures.back(), Path("cut") + ": cells were lost: the disk had no room for a page, "
                                                      "or the cell file was cut short during the run");
    EXPECT_FALSE(std::filesystem::exists(Path("cut.ers")));

    Observer.OnProgress = nullptr;
    const struct {
        std::string Out, Message, Reason;
    } AtCreation[] = {
        {Path("missing/out.ers"), "OpenError 2",
         "Cannot create " + Path("missing/out.ers") + ": No such file or directory"},
        {Path("out.xyz"), "OpenError 0",
         "Cannot create " + Path("out.xyz") + ": No image format writes the extension \".xyz\""},
    };
    for (const auto& Case : AtCreation) {
        SCOPED_TRACE(Case.Out);
        Observer.Failures.clear();
        Observer.EndEvents = 0;
        EXPECT_EQ(RunJob(In, Case.Out, Options(10)), Case.Message);
        EXPECT_EQ(Observer.Failures, std::vector<std::string>{Case.Reason});
    }
}

TEST_F(JobFailure, ADiskThatFillsUpDuringTheRunFailsItWithoutASignal) {
    const test::TSmallDisk Disk(Path("small"), "256k");
    if (!Disk.Mounted()) GTEST_SKIP() << Disk.Reason();
    const std::string Big = WriteImage("big.ers", 200, 100, 1, ctFloat32, 1000, 2000, 1,
                                       [](int C, int R, int) { return float(C * R); }); // 80 000 bytes
    // Another program takes the rest of the disk while the cells are computed.
    Observer.OnProgress = [this] {
        std::ofstream Filler(Path("small/filler"), std::ios::binary | std::ios::app);
        const std::string Block(4096, 'x');
        while (Filler.write(Block.data(), Block.size()) && Filler.flush()) {
        }
        Observer.OnProgress = nullptr;
    };
    EXPECT_EQ(RunJob(Big, Path("small/out.ers"), Options(1)), "WriteError 28");
    EXPECT_EQ(Observer.Failures, std::vector<std::string>{"Cannot write " + Path("small/out.ers") +
                                                          ": No space left on device"});
    EXPECT_FALSE(std::filesystem::exists(Path("small/out.ers"))); // no header cut short
}

TEST_F(JobFailure, AnInputWhoseCellFileIsShortStopsWithTheSizes) {
    test::WriteText(Path("in"), std::string(20, '\0')); // 5 of the 12 float cells the header describes
    const std::string Mismatch = "cell file holds 20 bytes, header describes 48";
    EXPECT_EQ(RunJob(In, Path("out.ers"), Options(10)), Mismatch);
    EXPECT_EQ(Observer.Failures, std::vector<std::string>{In + ": " + Mismatch});
    EXPECT_EQ(LogMessages(Path("out.log")).back(), " Input file " + In + " open error " + Mismatch);
    EXPECT_FALSE(std::filesystem::exists(Path("out.ers")));
}

TEST_F(JobFailure, AListCountsItsFailedEntriesAndAGridOfOneRowSaysNothingWasComputed) {
    WriteText(Path("list.txt"), "in.ers 0 0 0 0\nmissing.ers 0 0 0 0\nin.ers 0 0 0 0\n");
    TJobOptions List = Options(10);
    List.List = true;
    std::filesystem::create_directory(Path("outputs"));
    TMyThread Worker(Path("list.txt"), Path("outputs/out.ers"), List, Selection, Observer);
    Worker.Run();
    EXPECT_EQ(Worker.Message(), "Successful Finish"); // the last entry's
    EXPECT_EQ(Worker.ListedFiles(), 3);
    EXPECT_EQ(Worker.FailedFiles(), 1);

    Observer.EndEvents = 0;
    EXPECT_EQ(RunJob(In, Path("row.ers"), Options(1000)), "Output file with rows=0");
    EXPECT_EQ(Observer.Failures.back(), "No cells computed for " + Path("row.ers") +
                                            ": at this step the output has a single row; its header was "
                                            "written, no other file was changed");
}

} // namespace
} // namespace vortane::test
