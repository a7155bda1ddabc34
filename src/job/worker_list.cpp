// The photo list run of the resampling worker.
#include "job/worker.hpp"

#include "job/log.hpp"
#include "job/output_checks.hpp"
#include "job/photo_list.hpp"

namespace vortane {

namespace {

std::string ProgressLabel(std::int32_t Entry, std::int32_t Count) {
    return "Processing file " + std::to_string(Entry) + " of " + std::to_string(Count);
}

} // namespace

void TMyThread::ProcessList() {
    FStartTime = std::chrono::steady_clock::now();
    FSelection.Busy = true;
    FMessage = "Successful Finish";
    FPhotoList = std::make_unique<TdbPhoto>();
    const std::string ReportName = ChangeFileExt(FOutName, ".txt");
    if (!FPhotoList->Load(FInName)) {
        FMessage = "Error loading dbphoto file";
        ReportFailure("Cannot read the photo list " + FInName);
    } else if (IsSameFile(ReportName, FInName)) {
        // A model output named like the list ("photos.ers" beside "photos.txt") would replace the list.
        FMessage = "Report file would overwrite the photo list " + FInName;
        AddLogLine(" " + FMessage);
        ReportFailure(FMessage);
    } else if (!ProcessListEntries(ReportName)) {
        // The report is the run's result: without it the run cannot go on.
        FMessage = "Report file " + ReportName + " write error";
        AddLogLine(" " + FMessage);
        ReportFailure(FMessage);
    }
    // Whichever way the run got here, the display is reset and Busy cleared so a new run can start.
    FCurrent = 0;
    FProgressText.clear();
    ShowProgress();
    FPhotoList.reset();
    FListInputs.clear();
    FSelection.Busy = false;
}

// False when the report cannot be written; the entries done so far keep their lines.
bool TMyThread::ProcessListEntries(const std::string& ReportName) {
    if (!CreateReport(ReportName)) return false;
    const std::int32_t Count = FPhotoList->Count;
    std::int32_t Done = 0;
    const auto ListStart = std::chrono::steady_clock::now();
    FStartTime = ListStart;
    FTotal = Count;
    FCurrent = 0;
    FProgressText = ProgressLabel(Done + 1, Count);
    ShowProgress();
    const std::string OutFolder = FolderOf(FOutName);
    const std::string InFolder = FolderOf(FInName);
    FListInputs.clear();
    for (const std::string& Name : FPhotoList->Names)
        FListInputs.push_back(InFolder + Name);
    FListedFiles = Count;
    for (std::int32_t Index = 0; Index < Count; ++Index) {
        const std::string& Name = FPhotoList->Names[static_cast<std::size_t>(Index)];
        const bool Opened = ProcessFile(InFolder + Name, ListOutputName(OutFolder, Name, FOutExt));
        if (FMessage != "Successful Finish" && FMessage != "User Abort") ++FFailedFiles;
        if (Opened && !AppendReportLine(ReportName, ReportLine(Name, FOutExt, FMinX, FMaxY, FMaxX, FMinY)))
            return false;
        ++Done;
        if (StopRequested()) {
            FMessage = "User Abort";
            break;
        }
        // Each file showed its own rows; between entries the display shows the list again.
        FStartTime = ListStart;
        FTotal = Count;
        FCurrent = Index;
        FProgressText = ProgressLabel(Done + 1, Count);
        ShowProgress();
    }
    return true;
}

} // namespace vortane
