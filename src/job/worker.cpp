#include "job/worker.hpp"

#include "crs/coordinate_mapper.hpp"
#include "crs/units.hpp"
#include "job/crs_description.hpp"
#include "job/input_description.hpp"
#include "job/list_batch.hpp"
#include "job/log.hpp"
#include "job/output_checks.hpp"
#include "job/output_options.hpp"
#include "job/photo_list.hpp"
#include "job/run_fingerprint.hpp"
#include "raster/data_set.hpp"
#include "raster/format_registry.hpp"
#include "raster/raster.hpp"
#include "text/strings.hpp"

#include <cerrno>
#include <cmath>
#include <exception>
#include <filesystem>
#include <system_error>

namespace vortane {

namespace {

double DaysSince(std::chrono::steady_clock::time_point Start) {
    return std::chrono::duration<double, std::ratio<86400>>(std::chrono::steady_clock::now() - Start).count();
}

// "Cannot create out/x.ers: No such file or directory": the raster's own text without the code that
// header formats put before it ("Open map write error=2 "). The code alone cannot be told: formats
// number their own refusals from 2 as well.
std::string CreateFailureText(const std::string& FileName, const TDataSet2& Output) {
    std::string Text = Output.GetErrorText();
    if (const std::size_t Equals = Text.find('='); Output.Raster() && Equals != std::string::npos)
        Text.erase(0, Text.find(' ', Equals) + 1);
    return "Cannot create " + FileName + ": " + Text;
}

std::string ExceptionText(const std::exception_ptr& Error) {
    try {
        std::rethrow_exception(Error);
    } catch (const std::exception& Caught) {
        return Caught.what();
    } catch (...) {
        return "unknown error";
    }
}

} // namespace

TMyThread::TMyThread(std::string InName, std::string OutName, const TJobOptions& Options,
                     TJobSelection& Selection, TJobObserver& Observer)
    : FInName(std::move(InName)), FOutName(std::move(OutName)), FOptions(Options),
      FOutExt(std::filesystem::path(FOutName).extension().string()), FSelection(Selection),
      FObserver(Observer) {}

TMyThread::~TMyThread() {
    RequestStop();
}

std::unique_ptr<TMyThread> TMyThread::Create(std::string InName, std::string OutName,
                                             const TJobOptions& Options, TJobSelection& Selection,
                                             TJobObserver& Observer) {
    auto Worker =
        std::make_unique<TMyThread>(std::move(InName), std::move(OutName), Options, Selection, Observer);
    Worker->Start();
    return Worker;
}

void TMyThread::Start() {
    FThread = std::jthread([this] { Execute(); });
}

void TMyThread::Run() {
    Execute();
}

// Nothing may escape: an exception leaving a thread body ends the process. The end event comes last,
// after every field the observer may read has its final value.
void TMyThread::Execute() {
    try {
        JobBody();
    } catch (...) {
        FStatus = TJobStatus::Failure("Processing error: " + ExceptionText(std::current_exception()));
        FSelection.Busy = false;
    }
    FObserver.JobFinished(FStatus.Text());
}

void TMyThread::AddLogLine(const std::string& Text) {
    if (FLog) FLog->AddLine(LongTimeText() + Text);
}

void TMyThread::JobBody() {
    const std::string LogName = RunFileName(FOutName, FOptions.Shard, ".log");
    if (IsSameFile(LogName, FInName)) {
        // Emptying the log would destroy the input; there is nowhere to log that, so only say it.
        FStatus = TJobStatus::Failure("Log file would overwrite the input " + FInName);
        ReportFailure(FStatus.Text());
        FSelection.Busy = false;
        return;
    }
    auto Log = std::make_unique<TLogFile>();
    Log->SetName(LogName);
    // Before anything is written: the log must be a file (a pipe would hang the run), and no other run
    // on this output may be going on. A resumed run learns from the log what was finished, and keeps
    // that record for the next resume.
    if (std::string Refusal; !Log->Claim(FOptions.Resume, Refusal)) {
        FStatus = TJobStatus::Failure(std::move(Refusal));
        ReportFailure(FStatus.Text());
        FSelection.Busy = false;
        return;
    }
    FLog = std::move(Log);
    AddLogLine(" Log file created by Vortane program ");
    for (const std::string& Note : FOptions.Notes)
        AddLogLine(" " + Note);

    // A run without its coordinate systems would have nothing to compute with; say so at once.
    if (std::string Problem = SelectionProblem(FSelection, FOptions); !Problem.empty()) {
        FStatus = TJobStatus::Failure(std::move(Problem));
        AddLogLine(" Job not started: " + FStatus.Text());
        ReportFailure(FStatus.Text());
        FSelection.Busy = false;
    } else {
        const std::string Description =
            RunDescription(FSelection, FOptions, FOutExt, FOptions.List ? FileDigest(FInName) : "");
        FFingerprint = TextDigest(Description);
        AddLogLine(LogFingerprintLine(FFingerprint, Description));
        if (FOptions.List)
            ProcessList();
        else
            ProcessFile(FInName, FOutName);
    }
    FLog.reset();
}

// A failure in the middle of a file (memory, a fault in a conversion) ends that file only: the files
// are released, the log says why and the run reports it like an open error.
bool TMyThread::ProcessFile(const std::string& InFile, const std::string& OutFile) {
    try {
        return ProcessFileSteps(InFile, OutFile);
    } catch (...) {
        FStatus = TJobStatus::Failure("Processing error: " + ExceptionText(std::current_exception()));
    }
    ReleaseFiles();
    AddLogLine(" Processing file: " + InFile + " failed " + FStatus.Text());
    ReportFailure(InFile + ": " + FStatus.Text());
    if (!FOptions.List) FSelection.Busy = false;
    return false;
}

bool TMyThread::ProcessFileSteps(const std::string& InFile, const std::string& OutFile) {
    AddLogLine(" Processing file: " + InFile);
    FProgress.Start = std::chrono::steady_clock::now();
    FSelection.Busy = true;
    FStatus = TJobStatus::Success();
    // Inside a list run the list holds Busy until it is done.
    const auto EndFile = [this](bool Result) {
        ReleaseFiles();
        if (!FOptions.List) FSelection.Busy = false;
        return Result;
    };

    FReason.clear();
    FInputViewsFaulted = false;
    if (!OpenInput(InFile)) {
        // The raster's own reason ("No file: ...", a header that cannot be read) follows the status.
        const std::string Detail = FInput->GetErrorText();
        AddLogLine(" Input file " + InFile + " open error " + FStatus.Text() +
                   (Detail.empty() ? "" : ": " + Detail));
        if (!FReason.empty()) ReportFailure(FReason);
        return EndFile(false);
    }
    if (!FInput->Raster()->HasGeoreference())
        Warn(InFile + ": nothing places it on the map (no world file beside it, say); its top-left corner " +
             "is taken to lie at 0, 0 and its cells to measure 1 x 1");
    FGrid.StepX = FOptions.Step;
    FGrid.StepY = FOptions.Step;
    if (!ComputeExtent() || !OpenOutput(OutFile, FGrid.Columns, FGrid.Rows)) {
        AddLogLine(" Output file " + OutFile + " open error " + FStatus.Text());
        ReportFailure(FReason.empty() ? OutFile + ": " + FStatus.Text() : FReason);
        return EndFile(false);
    }
    FOutput->SetGeoreference(FSelection.OutSpheroidName, FSelection.OutDatumName,
                             FSelection.OutProjectionName, FGrid.StepX, FGrid.StepY, 0, 0, FGrid.MinX,
                             FGrid.MaxY);

    if (!FSelection.OnlyHeaders) {
        FInGeometry = {FInput->GetOriginX(), FInput->GetOriginY(), FInput->GetCellSizeX(),
                       FInput->GetCellSizeY()};
        FProgress.Total = FGrid.Rows - 1;
        if (FProgress.Total == 0) {
            FStatus = TJobStatus::Failure("Output file with rows=0");
            ReportFailure("No cells computed for " + OutFile +
                          ": at this step the output has a single row; " +
                          "its header was written, no other file was changed");
        } else {
            Resample();
        }
        // The finished line follows for a stopped file too; a resumed list must still redo it.
        if (FStatus.Aborted()) AddLogLine(" Processing file: " + InFile + StoppedSuffix);
    }
    // Completing the output: header formats write their header now.
    const bool Complete = FinishFiles(InFile);
    const std::uint64_t Clamped = FOutput->Raster()->ClampedCells();
    ReleaseFiles();
    if (!Complete || !RecordOutput(OutFile)) {
        AddLogLine(" Output file " + OutFile + " write error " + FStatus.Text() + ": " + FReason);
        ReportFailure(FReason);
        return EndFile(false);
    }
    if (Clamped > 0)
        Warn(OutFile + ": " + std::to_string(Clamped) +
             " cells held values its cells cannot store; each was stored as the nearest value they hold");
    AddLogLine(" Processing file: " + InFile + " finished");
    return EndFile(true);
}

// The output is flushed to the disk before the log calls it finished, and the log records the sizes
// of its files: a resumed run keeps it only while they are still the same.
bool TMyThread::RecordOutput(const std::string& OutFile) {
    if (const int Code = SyncOutputFiles(OutFile, FReason); Code != 0) {
        FStatus = TJobStatus::Failure("WriteError " + std::to_string(Code));
        return false;
    }
    AddLogLine(OutputWrittenMessage(OutFile, OutputSizesText(OutFile)));
    return true;
}

// False when the output is incomplete: its header could not be written, or cells of either file met a
// page the disk could not back.
bool TMyThread::FinishFiles(const std::string& InFile) {
    TDataSetRoot2& Out = *FOutput->Raster();
    if (!Out.Finish()) {
        FStatus = TJobStatus::Failure("WriteError " + std::to_string(Out.ErrorCode()));
        FReason = Out.ErrorText();
        return false;
    }
    if (FInput->Raster()->MappingFaulted() || FInputViewsFaulted) {
        FStatus = TJobStatus::Failure("ReadError " + std::to_string(EIO));
        FReason = InFile + ": its cell file was cut short during the run; the cells read there were lost";
        return false;
    }
    return true;
}

void TMyThread::ReportFailure(const std::string& Reason) {
    FObserver.ReportFailure(Reason);
}

void TMyThread::Warn(const std::string& Text) {
    AddLogLine(" Warning: " + Text);
    FObserver.ReportWarning(Text);
}

void TMyThread::ReleaseFiles() {
    FOutput.reset();
    FInput.reset();
}

bool TMyThread::OpenInput(const std::string& FileName) {
    FInput = std::make_unique<TDataSet2>();
    if (!FInput->Open(FileName, 0, 0, 1, 1, omRead)) {
        FStatus = TJobStatus::OpenError(FInput->GetErrorCode());
        FReason = OpenFailureReason(FileName, FInput->GetErrorText());
        return false;
    }
    // Read as one row, the image would come out almost empty (or take ages writing background).
    if (const std::string& Mismatch = FInput->Raster()->SizeMismatchText(); !Mismatch.empty()) {
        FStatus = TJobStatus::Failure(Mismatch);
        FReason = FileName + ": " + Mismatch;
        return false;
    }
    if (FInput->GetCellSizeX() == 0) {
        FStatus = TJobStatus::Failure("X Step = 0");
        return false;
    }
    if (FInput->GetCellSizeY() == 0) {
        FStatus = TJobStatus::Failure("Y Step = 0");
        return false;
    }
    return true;
}

bool TMyThread::OpenOutput(const std::string& FileName, std::int32_t Columns, std::int32_t Rows) {
    if (FileName.empty()) {
        FStatus = TJobStatus::Failure("No output file name");
        return false;
    }
    if (std::string Refusal = StorageRefusal(FOptions.Creation, FileTypeByExt(FileName) == ftTif);
        !Refusal.empty()) {
        FStatus = TJobStatus::Failure(std::move(Refusal));
        return false;
    }
    // Creating the output truncates its files at once; never let that hit the input.
    std::string Clash = InputOverwrittenBy(*FInput, FileName);
    if (Clash.empty()) Clash = FileOverwrittenBy(FileName, FListInputs);
    if (!Clash.empty()) {
        FStatus = TJobStatus::Failure("Output would overwrite the input file " + Clash);
        return false;
    }
    const bool Alpha = FOptions.Creation.Alpha; // refused above for outputs other than TIFF
    FNoData = ChooseNoData(FInput->Raster()->NoDataValue(), FOptions.Creation, FInput->GetCellType());
    if (!FNoData.Problem.empty()) {
        FStatus = TJobStatus::Failure(FNoData.Problem);
        return false;
    }
    const std::int32_t Bands = FInput->GetBands() + (Alpha ? 1 : 0);
    // Cells are written through a mapping of a file sized in advance; a full disk would only show
    // as a crash in the middle of the run.
    const auto Bytes = GridBytes(Columns, Rows, Bands, FInput->GetCellType());
    const auto Free = FreeBytesFor(FileName);
    if (!Bytes || (Free && *Bytes > *Free)) {
        FStatus = TJobStatus::Failure(
            "Not enough disk space for the output: " +
            (Bytes ? std::to_string(*Bytes) + " bytes needed, " + std::to_string(*Free) + " free"
                   : std::string("grid too large")));
        return false;
    }
    // A list entry keeps its subfolder below the output folder.
    if (const int Code = FOptions.List ? CreateFolderOf(FileName, FReason) : 0; Code != 0) {
        FStatus = TJobStatus::OpenError(Code);
        return false;
    }
    // Whatever the format, every file the output writes (its world files, the log) must be possible
    // before a row is computed.
    std::vector<std::string> Written{FileName}; // named first: the one the user gave
    for (const std::string& File : OutputFilesOf(FileName))
        Written.push_back(File);
    if (FLog) Written.push_back(FLog->GetName());
    int Error = 0;
    if (std::string Problem = UncreatableAmongOutputs(Written, Error); !Problem.empty()) {
        FStatus = TJobStatus::OpenError(Error);
        FReason = std::move(Problem);
        return false;
    }
    FOutput = std::make_unique<TDataSet2>();
    FOutput->SetOutputSystem(
        DescribeSystem(FSelection.EpsgCodes, {.Spheroid = FSelection.OutSpheroid,
                                              .Datum = FSelection.OutDatum,
                                              .System = FSelection.OutProjection,
                                              .UnitFactor = UnitFactors[FOptions.OutUnits],
                                              .Easting = FGrid.MinX}));
    TCreationOptions Creation = FOptions.Creation;
    Creation.NoData = FNoData.Output;
    FOutput->SetCreationOptions(Creation);
    if (!FOutput->Open(FileName, Columns, Rows, FInput->GetCellType(), Bands, omCreate)) {
        FStatus = TJobStatus::OpenError(FOutput->GetErrorCode());
        FReason = CreateFailureText(FileName, *FOutput);
        return false;
    }
    if (const std::string Storage = StorageLogText(FOptions.Creation); !Storage.empty())
        AddLogLine(" Output storage: " + Storage);
    LogEmptyCells(FileName);
    return true;
}

// Only runs that read, declare or mark empty cells say so, so the logs of default runs stay as they were.
void TMyThread::LogEmptyCells(const std::string& FileName) {
    if (const std::string Line = NoDataLogLine(FNoData); !Line.empty()) AddLogLine(Line);
    if (FOptions.Creation.Alpha) AddLogLine(" Alpha band");
    const TImageFormat* Format = FindFormat(FOutput->GetFileType());
    if (FNoData.Output && !(Format && Format->NoDataInHeader))
        Warn(FileName + ": its empty cells hold " + NoDataText(*FNoData.Output) +
             ", but its format has no place to declare that value to other programs");
}

// After each row: a stop request ends the loop; otherwise the display gets the row.
bool TMyThread::RowFinished(std::int32_t Row) {
    if (FStop.stop_requested()) {
        FStatus = TJobStatus::UserAbort();
        return false;
    }
    // Cells already lost cannot be won back: the rest of the run would only waste time.
    if (FOutput->Raster()->CellsLost()) return false;
    FProgress.Current = Row;
    ShowProgress();
    return true;
}

void TMyThread::ShowProgress() {
    const TProgressState& P = FProgress;
    if (P.Total == 0 || P.Current == -1) return;
    TProgressView View;
    View.Position = static_cast<int>(std::nearbyint(double(P.Current) / P.Total * 100));
    View.ElapsedDays = DaysSince(P.Start);
    View.RemainingDays = double(P.Total - P.Current) * View.ElapsedDays / (P.Current + 1);
    View.ElapsedText = "Elapsed Time " + DaysToHMS(View.ElapsedDays);
    View.RemainingText = "Remaining Time " + DaysToHMS(View.RemainingDays);
    View.ProcessingText = P.Text;
    if (const TListProgress& L = FListProgress; L.Count > 0) {
        const double FileShare = L.InFile ? double(P.Current) / P.Total : 0.0;
        const double Share = std::min(1.0, (L.Done + FileShare) / L.Count);
        const double Elapsed = DaysSince(L.Start);
        View.ListPosition = static_cast<int>(std::nearbyint(Share * 100));
        View.ListRemainingText =
            "All files: Remaining Time " + DaysToHMS(Share > 0 ? Elapsed * (1 - Share) / Share : 0.0);
    }
    FObserver.ShowProgress(View);
}

} // namespace vortane
