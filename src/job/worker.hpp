#pragma once
// The resampling worker: one run carries one image (or every image of a photo list) into the output
// coordinate system. It computes the output grid from the input's four corners, creates the output
// with the input's band count and cell type, and fills it row by row, each output cell carried back
// into the input through output system -> geographic -> hub datum -> input datum -> input system.
//
// The worker knows nothing of windows. It reports through a TJobObserver: a synchronous progress
// hand-over after every output row (and photo list entry) and an end event as its very last act.
// It runs either in its own thread (Create, Start) or in the calling thread (Run); either way the
// rows of an image are computed by as many threads as the options ask for (TResampler).

#include "job/job_options.hpp"
#include "job/job_status.hpp"
#include "job/output_options.hpp"
#include "job/resampler.hpp"

#include <chrono>
#include <cstdint>
#include <memory>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

namespace vortane {

class TDataSet2;
class TLogFile;
class TdbPhoto;

// What the progress display shows after a row or a list entry.
struct TProgressView {
    int Position = 0; // gauge, 0 to 100
    double ElapsedDays = 0;
    double RemainingDays = 0;
    std::string ElapsedText;    // "Elapsed Time 0:0:5"
    std::string RemainingText;  // "Remaining Time 1:2:5"
    std::string ProcessingText; // "Processing file 2 of 5" in list runs, else empty
    // A photo list run as a whole, the current file's rows counted in: gauge (0 to 100) and
    // "All files: Remaining Time 0:3:10"; -1 and empty outside list runs.
    int ListPosition = -1;
    std::string ListRemainingText;
};

class TJobObserver {
public:
    virtual ~TJobObserver() = default;
    // The synchronous hand-over: returns only once the display has taken View. A window runs it in its
    // own thread while the worker waits; the command line runs it in place.
    virtual void ShowProgress(const TProgressView& View) = 0;
    // The end event, raised exactly once as the run's very last act; Message is its final status.
    virtual void JobFinished(const std::string& Message) = 0;
    // Why a file failed (or computed nothing), naming the file: the text a user can act on. Once per
    // such file, in the worker's thread, before the end event.
    virtual void ReportFailure(const std::string& /*Reason*/) {}
    // Something the user should know about a file that was still processed (an input without
    // georeferencing, values an output could not hold), naming the file; in the worker's thread.
    virtual void ReportWarning(const std::string& /*Text*/) {}
};

class TMyThread {
public:
    // Stores the names and a copy of the options; does not start. Selection and Observer must outlive
    // the worker.
    TMyThread(std::string InName, std::string OutName, const TJobOptions& Options, TJobSelection& Selection,
              TJobObserver& Observer);
    // Asks the run to stop and waits for the thread.
    ~TMyThread();
    TMyThread(const TMyThread&) = delete;
    TMyThread& operator=(const TMyThread&) = delete;

    // A worker already running in its own thread. The observer is attached before the thread starts,
    // so the end event cannot be missed however quickly the run ends.
    static std::unique_ptr<TMyThread> Create(std::string InName, std::string OutName,
                                             const TJobOptions& Options, TJobSelection& Selection,
                                             TJobObserver& Observer);
    void Start(); // runs the job in a new thread; only once, and never after Run
    void Run();   // runs the job in the calling thread and returns after the end event

    // Cooperative stop: seen after the current output row or photo list entry.
    void RequestStop() { FStop.request_stop(); }
    bool StopRequested() const { return FStop.stop_requested(); }

    // The run's final status and its text; read them after the end event.
    const TJobStatus& Status() const { return FStatus; }
    const std::string& Message() const { return FStatus.Text(); }
    // Of a list run: its entries, and those that did not finish successfully (a stop aside).
    std::int32_t ListedFiles() const { return FListedFiles; }
    std::int32_t FailedFiles() const { return FFailedFiles; }

private:
    void Execute();
    void JobBody();
    bool ProcessFile(const std::string& InFile, const std::string& OutFile);
    bool ProcessFileSteps(const std::string& InFile, const std::string& OutFile);
    void ProcessList();
    bool ProcessListEntries(const std::string& ReportName, std::string& Error);
    bool OpenInput(const std::string& FileName);
    bool OpenOutput(const std::string& FileName, std::int32_t Columns, std::int32_t Rows);
    void LogEmptyCells(const std::string& FileName);
    bool ComputeExtent();
    void Resample();
    bool RowFinished(std::int32_t Row);
    void ShowProgress();
    void AddLogLine(const std::string& Text);
    bool FinishFiles(const std::string& InFile);
    bool RecordOutput(const std::string& OutFile);
    void RefuseEntry(const std::string& InFile, const std::string& Problem);
    void ReportFailure(const std::string& Reason);
    // Into the log and to the observer.
    void Warn(const std::string& Text);
    void ReleaseFiles();

    std::string FInName;
    std::string FOutName;
    TJobOptions FOptions;
    std::string FOutExt;
    std::string FFingerprint; // what decides the outputs' content (run_fingerprint.hpp)
    std::unique_ptr<TdbPhoto> FPhotoList;
    // Every image of the running photo list: no entry's output may replace another entry's input.
    std::vector<std::string> FListInputs;
    std::unique_ptr<TDataSet2> FInput;
    std::unique_ptr<TDataSet2> FOutput;
    std::unique_ptr<TLogFile> FLog;
    // The run's coordinate chains, on the worker's own copies of the two systems.
    std::unique_ptr<TCoordinateMapper> FMapper;
    // The resampling threads' own views of the input met a page its file could not back.
    bool FInputViewsFaulted = false;
    TMapExtent FExtent; // of the current output, in the output system
    TOutputGrid FGrid;  // the output's cells on that extent
    // The input's geometry, read once per file before the cell loops.
    TInputGeometry FInGeometry;
    TNoDataChoice FNoData; // of the current file: the input's nodata value and the output's
    // What the next progress view shows: row (or list entry) Current of Total since Start.
    struct TProgressState {
        std::chrono::steady_clock::time_point Start;
        std::int32_t Total = 0;
        std::int32_t Current = -1;
        std::string Text; // "Processing file 2 of 5" in list runs
    };
    TProgressState FProgress;
    // A photo list run's whole: when it began, the entries done and taken (0 outside list runs), and
    // whether FProgress counts the rows of an entry rather than the list.
    struct TListProgress {
        std::chrono::steady_clock::time_point Start;
        std::int32_t Done = 0, Count = 0;
        bool InFile = false;
    };
    TListProgress FListProgress;
    TJobStatus FStatus = TJobStatus::Failure(""); // none until the run sets it
    std::string FReason;                          // what went wrong, with the file's name, for the observer
    std::int32_t FListedFiles = 0;
    std::int32_t FFailedFiles = 0;

    TJobSelection& FSelection;
    TJobObserver& FObserver;
    std::stop_source FStop;
    std::jthread FThread; // last: destroyed (joined) before everything it uses
};

} // namespace vortane
