// The photo list run of the resampling worker.
#include "job/worker.hpp"

#include "job/log.hpp"
#include "job/output_checks.hpp"
#include "job/photo_list.hpp"

#include <filesystem>
#include <map>
#include <set>

namespace vortane {

namespace {

std::string ProgressLabel(std::int32_t Entry, std::int32_t Count) {
    return "Processing file " + std::to_string(Entry) + " of " + std::to_string(Count);
}

// An entry's report line; in a shard's report after the line naming its list position.
bool AppendEntry(const std::string& ReportName, const TShard& Shard, std::int32_t Position,
                 const std::string& Line) {
    if (!Shard.Whole() && !AppendReportLine(ReportName, EntryMarkerLine(Position + 1))) return false;
    return AppendReportLine(ReportName, Line);
}

} // namespace

void TMyThread::ProcessList() {
    FProgress.Start = std::chrono::steady_clock::now();
    FSelection.Busy = true;
    FStatus = TJobStatus::Success();
    FPhotoList = std::make_unique<TdbPhoto>();
    const std::string ReportName = RunFileName(FOutName, FOptions.Shard, ".txt");
    if (!FPhotoList->Load(FInName)) {
        FStatus = TJobStatus::Failure("Error loading dbphoto file");
        ReportFailure("Cannot read the photo list " + FInName);
    } else if (IsSameFile(ReportName, FInName)) {
        // A model output named like the list ("photos.ers" beside "photos.txt") would replace the list.
        FStatus = TJobStatus::Failure("Report file would overwrite the photo list " + FInName);
        AddLogLine(" " + FStatus.Text());
        ReportFailure(FStatus.Text());
    } else if (!ProcessListEntries(ReportName)) {
        // The report is the run's result: without it the run cannot go on.
        FStatus = TJobStatus::Failure("Report file " + ReportName + " write error");
        AddLogLine(" " + FStatus.Text());
        ReportFailure(FStatus.Text());
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

// False when the report cannot be written; the entries done so far keep their lines.
bool TMyThread::ProcessListEntries(const std::string& ReportName) {
    const TShard& Shard = FOptions.Shard;
    // What an earlier run finished, read before this run replaces its report.
    std::map<std::string, std::string> EarlierLines;
    std::set<std::string> Finished;
    if (FOptions.Resume) {
        EarlierLines = ReportLinesByOutput(ReportName);
        Finished = FinishedInputs(FLog->GetName());
    }
    if (!CreateReport(ReportName)) return false;
    if (!Shard.Whole() && !AppendReportLine(ReportName, ShardHeaderLine(Shard, FPhotoList->Count)))
        return false;
    std::vector<std::int32_t> Entries; // list positions this run takes
    for (std::int32_t Position = 0; Position < FPhotoList->Count; ++Position)
        if (Shard.Takes(Position)) Entries.push_back(Position);
    const auto Count = static_cast<std::int32_t>(Entries.size());
    std::int32_t Done = 0;
    const auto ListStart = std::chrono::steady_clock::now();
    FProgress = {ListStart, Count, 0, ProgressLabel(Done + 1, Count)};
    FListProgress = {ListStart, 0, Count, false};
    ShowProgress();
    const std::string OutFolder = FolderOf(FOutName);
    const std::string InFolder = FolderOf(FInName);
    FListInputs.clear();
    for (const std::string& Name : FPhotoList->Names)
        FListInputs.push_back(InFolder + Name);
    FListedFiles = Count;
    for (const std::int32_t Position : Entries) {
        const std::string& Name = FPhotoList->Names[static_cast<std::size_t>(Position)];
        const std::string InFile = InFolder + Name;
        const std::string OutFile = ListOutputName(OutFolder, Name, FOutExt);
        // Finished before: logged as finished (not stopped), its output there and its report line kept.
        const auto Earlier = EarlierLines.find(ChangeFileExt(Name, FOutExt));
        std::string Line;
        if (Finished.contains(InFile) && Earlier != EarlierLines.end() && std::filesystem::exists(OutFile)) {
            AddLogLine(" Skipped, finished before: " + InFile);
            Line = Earlier->second;
        } else {
            FListProgress.InFile = true;
            const bool Opened = ProcessFile(InFile, OutFile);
            FListProgress.InFile = false;
            if (FStatus.Failed()) ++FFailedFiles;
            if (Opened)
                Line = ReportLine(Name, FOutExt, FExtent.MinX, FExtent.MaxY, FExtent.MaxX, FExtent.MinY);
        }
        if (!Line.empty() && !AppendEntry(ReportName, Shard, Position, Line)) return false;
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
