// The photo list run of the resampling worker.
#include "job/worker.hpp"

#include "job/log.hpp"
#include "job/output_checks.hpp"
#include "job/photo_list.hpp"
#include "job/run_fingerprint.hpp"

#include <filesystem>
#include <map>

namespace vortane {

namespace {

std::string ProgressLabel(std::int32_t Entry, std::int32_t Count) {
    return "Processing file " + std::to_string(Entry) + " of " + std::to_string(Count);
}

// An entry's report line; in a shard's report after the line naming its list position.
bool AppendEntry(const std::string& ReportName, const TShard& Shard, std::int32_t Position,
                 const std::string& Line, std::string& Error) {
    if (!Shard.Whole() && !AppendReportLine(ReportName, EntryMarkerLine(Position + 1), Error)) return false;
    return AppendReportLine(ReportName, Line, Error);
}

// The report's first lines: the fingerprint, and for a shard which part of which list it holds.
bool StartReport(const std::string& ReportName, const std::string& Fingerprint, const TShard& Shard,
                 std::int32_t ListEntries, const std::string& ListName, std::string& Error) {
    if (!CreateReport(ReportName, Error) ||
        !AppendReportLine(ReportName, ReportFingerprintLine(Fingerprint), Error))
        return false;
    if (Shard.Whole()) return true;
    return AppendReportLine(ReportName, ShardHeaderLine(Shard, ListEntries), Error) &&
           AppendReportLine(ReportName, ShardListLine(std::filesystem::absolute(ListName).string()), Error);
}

// An entry an earlier run of the same fingerprint finished: its output is still what that run wrote
// (same files, same sizes) and its report line is there to keep.
bool FinishedBefore(const TListEntryFiles& Entry, const std::map<std::string, TFinishedOutput>& Finished,
                    const std::map<std::string, std::string>& EarlierLines, std::string& Line) {
    const auto Done = Finished.find(Entry.InFile);
    const auto Earlier = EarlierLines.find(Entry.OutName);
    if (Done == Finished.end() || Earlier == EarlierLines.end() || Done->second.OutFile != Entry.OutFile ||
        Done->second.Sizes != OutputSizesText(Entry.OutFile))
        return false;
    Line = Earlier->second;
    return true;
}

} // namespace

void TMyThread::ProcessList() {
    FProgress.Start = std::chrono::steady_clock::now();
    FSelection.Busy = true;
    FStatus = TJobStatus::Success();
    FPhotoList = std::make_unique<TdbPhoto>();
    const std::string ReportName = RunFileName(FOutName, FOptions.Shard, ".txt");
    std::string ReportError;
    if (!FPhotoList->Load(FInName)) {
        FStatus = TJobStatus::Failure("Error loading dbphoto file");
        AddLogLine(" " + FPhotoList->ErrorText);
        ReportFailure(FPhotoList->ErrorText);
    } else if (IsSameFile(ReportName, FInName)) {
        // A model output named like the list ("photos.ers" beside "photos.txt") would replace the list.
        FStatus = TJobStatus::Failure("Report file would overwrite the photo list " + FInName);
        AddLogLine(" " + FStatus.Text());
        ReportFailure(FStatus.Text());
    } else if (!ProcessListEntries(ReportName, ReportError)) {
        // The report is the run's result: without it the run cannot go on.
        FStatus = TJobStatus::Failure("Report file " + ReportName + " write error");
        AddLogLine(" " + FStatus.Text() + ": " + ReportError);
        ReportFailure(ReportError);
    }
    // Whichever way the run got here, the display is reset and Busy cleared so a new run can start.
    FProgress.Current = 0;
    FProgress.Text.clear();
    FListProgress = {};
    ShowProgress();
    FPhotoList.reset();
    FListInputs.clear();
    FSelection.Busy = false;
}

void TMyThread::RefuseEntry(const std::string& InFile, const std::string& Problem) {
    FStatus = TJobStatus::Failure("Entry refused: " + Problem);
    AddLogLine(" Processing file: " + InFile + " failed " + FStatus.Text());
    ReportFailure(InFile + ": " + Problem);
    ++FFailedFiles;
}

// False when the report cannot be written (the reason in Error); the entries done so far keep their
// lines.
bool TMyThread::ProcessListEntries(const std::string& ReportName, std::string& Error) {
    const TShard& Shard = FOptions.Shard;
    // What an earlier run of this fingerprint finished, read before this run replaces its report.
    std::map<std::string, std::string> EarlierLines;
    std::map<std::string, TFinishedOutput> Finished;
    if (FOptions.Resume) {
        EarlierLines = ReportLinesByOutput(ReportName, FFingerprint);
        Finished = FinishedInputs(FLog->GetName(), FFingerprint);
    }
    if (!StartReport(ReportName, FFingerprint, Shard, FPhotoList->Count, FInName, Error)) return false;
    std::vector<std::int32_t> Entries; // list positions this run takes
    for (std::int32_t Position = 0; Position < FPhotoList->Count; ++Position)
        if (Shard.Takes(Position)) Entries.push_back(Position);
    const auto Count = static_cast<std::int32_t>(Entries.size());
    std::int32_t Done = 0;
    const auto ListStart = std::chrono::steady_clock::now();
    FProgress = {ListStart, Count, 0, ProgressLabel(Done + 1, Count)};
    FListProgress = {ListStart, 0, Count, false};
    ShowProgress();
    const std::vector<TListEntryFiles> Files =
        ResolveListEntries(FolderOf(FInName), FolderOf(FOutName), FPhotoList->Names, FOutExt);
    FListInputs.clear();
    for (const TListEntryFiles& Entry : Files)
        FListInputs.push_back(Entry.InFile);
    FListedFiles = Count;
    for (const std::int32_t Position : Entries) {
        const TListEntryFiles& Entry = Files[static_cast<std::size_t>(Position)];
        std::string Line;
        if (!Entry.Problem.empty()) {
            RefuseEntry(Entry.InFile, Entry.Problem);
        } else if (FinishedBefore(Entry, Finished, EarlierLines, Line)) {
            AddLogLine(" Skipped, finished before: " + Entry.InFile);
        } else {
            FListProgress.InFile = true;
            const bool Opened = ProcessFile(Entry.InFile, Entry.OutFile);
            FListProgress.InFile = false;
            if (FStatus.Failed()) ++FFailedFiles;
            if (Opened)
                Line = ReportLine(Entry.OutName, FExtent.MinX, FExtent.MaxY, FExtent.MaxX, FExtent.MinY);
        }
        if (!Line.empty() && !AppendEntry(ReportName, Shard, Position, Line, Error)) return false;
        ++Done;
        FListProgress.Done = Done;
        if (StopRequested()) {
            FStatus = TJobStatus::UserAbort();
            break;
        }
        // Each file showed its own rows; between entries the display shows the list again.
        FProgress = {ListStart, Count, Done - 1, ProgressLabel(Done + 1, Count)};
        ShowProgress();
    }
    return true;
}

} // namespace vortane
