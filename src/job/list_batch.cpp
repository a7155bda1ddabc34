#include "job/list_batch.hpp"

#include "job/output_checks.hpp"
#include "job/photo_list.hpp"
#include "job/run_fingerprint.hpp"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

namespace vortane {

namespace {

constexpr std::string_view LogProcessing = " Processing file: ";
constexpr std::string_view LogFinished = " finished";
constexpr std::string_view LogCreated = " Log file created by Vortane program ";
constexpr std::string_view LogWritten = " Output written: ";
constexpr std::string_view LogWrittenSizes = ", bytes ";
constexpr std::string_view ListMarker = ";Photo list ";
constexpr std::size_t FingerprintLine = 1; // in every list report
constexpr std::size_t ShardHeaderAt = 2;   // in a shard's report
constexpr std::size_t ShardListAt = 3;
constexpr std::size_t ShardEntriesFrom = 4;

// A whole decimal number filling Text.
bool ParseCount(std::string_view Text, std::int32_t& Value) {
    const char* End = Text.data() + Text.size();
    const auto [Stop, Error] = std::from_chars(Text.data(), End, Value);
    return !Text.empty() && Error == std::errc() && Stop == End;
}

bool EndsWith(std::string_view Text, std::string_view Suffix) {
    return Text.size() >= Suffix.size() && Text.substr(Text.size() - Suffix.size()) == Suffix;
}

// Every line of FileName without its line end; false when it cannot be read.
bool ReadLines(const std::string& FileName, std::vector<std::string>& Lines) {
    std::ifstream File(FileName, std::ios::binary);
    if (!File) return false;
    for (std::string Line; std::getline(File, Line);) {
        if (!Line.empty() && Line.back() == '\r') Line.pop_back();
        Lines.push_back(std::move(Line));
    }
    return !File.bad();
}

// One shard's report as read back.
struct TShardReport {
    TShard Shard;
    std::int32_t ListEntries = 0;
    std::string Fingerprint;
    std::string ListName;
    std::map<std::int32_t, std::string> Lines; // by list position
};

bool ParseShardHeader(const std::string& Line, TShard& Shard, std::int32_t& ListEntries) {
    char Tail = 0;
    long I = 0, N = 0, M = 0;
    if (std::sscanf(Line.c_str(), ";Shard %ld of %ld of a photo list of %ld entries%c", &I, &N, &M, &Tail) !=
        3)
        return false;
    Shard = {static_cast<std::int32_t>(I), static_cast<std::int32_t>(N)};
    ListEntries = static_cast<std::int32_t>(M);
    return ShardHeaderLine(Shard, ListEntries) == Line && I >= 1 && I <= N && M >= 0;
}

bool ReadShardReport(const std::string& FileName, TShardReport& Report, std::string& Error) {
    std::vector<std::string> Lines;
    if (!ReadLines(FileName, Lines)) {
        Error = "Cannot read the shard report " + FileName;
        return false;
    }
    if (Lines.size() < ShardEntriesFrom || Lines[0] != ReportFirstLine ||
        (Report.Fingerprint = FingerprintInReportLine(Lines[FingerprintLine])).empty() ||
        !ParseShardHeader(Lines[ShardHeaderAt], Report.Shard, Report.ListEntries) ||
        !Lines[ShardListAt].starts_with(ListMarker)) {
        Error = FileName + " is not the report of a shard (warp --list --shard I/N)";
        return false;
    }
    Report.ListName = Lines[ShardListAt].substr(ListMarker.size());
    const std::string Marker = ";Entry ";
    std::int32_t Position = 0;
    for (std::size_t Index = ShardEntriesFrom; Index < Lines.size(); ++Index) {
        const std::string& Line = Lines[Index];
        if (Line.starts_with(Marker)) {
            if (!ParseCount(std::string_view(Line).substr(Marker.size()), Position) || Position < 1 ||
                Position > Report.ListEntries || !Report.Shard.Takes(Position - 1)) {
                Error = FileName + " line " + std::to_string(Index + 1) + ": not an entry of this shard";
                return false;
            }
        } else if (!Line.empty() && Line[0] != ';') {
            // Only lines the marker placed count; a marker whose line a crash cut off names nothing.
            if (Position == 0) {
                Error = FileName + " line " + std::to_string(Index + 1) + ": report line without its entry";
                return false;
            }
            Report.Lines[Position] = Line;
            Position = 0;
        }
    }
    return true;
}

// All shards 1..N of one list, each once.
bool CheckShardSet(const std::vector<TShardReport>& Reports, const std::vector<std::string>& Names,
                   std::string& Error) {
    const TShardReport& First = Reports.front();
    std::vector<bool> Seen(static_cast<std::size_t>(First.Shard.Count), false);
    for (std::size_t Index = 0; Index < Reports.size(); ++Index) {
        const TShardReport& Report = Reports[Index];
        if (Report.Fingerprint != First.Fingerprint || Report.Shard.Count != First.Shard.Count ||
            Report.ListEntries != First.ListEntries || Report.ListName != First.ListName) {
            Error = Names[Index] + " belongs to another run than " + Names.front() + " (fingerprint " +
                    Report.Fingerprint + ", not " + First.Fingerprint + ")";
            return false;
        }
        const auto Slot = static_cast<std::size_t>(Report.Shard.Index - 1);
        if (Seen[Slot]) {
            Error = Names[Index] + ": shard " + std::to_string(Report.Shard.Index) + " is given twice";
            return false;
        }
        Seen[Slot] = true;
    }
    for (std::size_t Index = 0; Index < Seen.size(); ++Index)
        if (!Seen[Index]) {
            Error = "Shard " + std::to_string(Index + 1) + " of " + std::to_string(First.Shard.Count) +
                    " is missing";
            return false;
        }
    return true;
}

// Why the merged report must not be written at OutputName: it is one of the shard reports, their photo
// list, or a file that is no report (an image, a log). "" when it may be.
std::string MergeTargetProblem(const std::vector<std::string>& ShardReports, const std::string& ListName,
                               const std::string& OutputName) {
    for (const std::string& Shard : ShardReports)
        if (IsSameFile(Shard, OutputName))
            return "The merged report would overwrite the shard report " + Shard;
    if (IsSameFile(ListName, OutputName))
        return "The merged report would overwrite the photo list " + ListName;
    std::error_code Missing;
    if (!std::filesystem::exists(OutputName, Missing)) return {};
    std::vector<std::string> Lines;
    if (!ReadLines(OutputName, Lines) || Lines.empty() || Lines[0] != ReportFirstLine)
        return "The merged report would overwrite " + OutputName + ", which is no report";
    return {};
}

} // namespace

bool ParseShard(const std::string& Text, TShard& Shard) {
    const std::size_t Slash = Text.find('/');
    if (Slash == std::string::npos) return false;
    TShard Parsed;
    const std::string_view View(Text);
    if (!ParseCount(View.substr(0, Slash), Parsed.Index) ||
        !ParseCount(View.substr(Slash + 1), Parsed.Count) || Parsed.Index < 1 || Parsed.Index > Parsed.Count)
        return false;
    Shard = Parsed;
    return true;
}

std::string RunFileName(const std::string& OutName, const TShard& Shard, const std::string& Ext) {
    if (Shard.Whole()) return ChangeFileExt(OutName, Ext);
    return ChangeFileExt(OutName, ".shard-" + std::to_string(Shard.Index) + "-of-" +
                                      std::to_string(Shard.Count) + Ext);
}

std::string ShardHeaderLine(const TShard& Shard, std::int32_t ListEntries) {
    return ";Shard " + std::to_string(Shard.Index) + " of " + std::to_string(Shard.Count) +
           " of a photo list of " + std::to_string(ListEntries) + " entries";
}

std::string ShardListLine(const std::string& ListName) {
    return std::string(ListMarker) + ListName;
}

std::string EntryMarkerLine(std::int32_t Position) {
    return ";Entry " + std::to_string(Position);
}

bool MergeShardReports(const std::vector<std::string>& ShardReports, const std::string& OutputName,
                       std::string& Error) {
    if (ShardReports.empty()) {
        Error = "No shard reports given";
        return false;
    }
    std::vector<TShardReport> Reports(ShardReports.size());
    for (std::size_t Index = 0; Index < ShardReports.size(); ++Index)
        if (!ReadShardReport(ShardReports[Index], Reports[Index], Error)) return false;
    if (!CheckShardSet(Reports, ShardReports, Error)) return false;
    Error = MergeTargetProblem(ShardReports, Reports.front().ListName, OutputName);
    if (!Error.empty()) return false;
    std::map<std::int32_t, std::string> Lines;
    for (TShardReport& Report : Reports)
        Lines.merge(Report.Lines);
    // Written beside the target and renamed, so a report that is there is a complete one.
    const std::string Partial = OutputName + ".part";
    std::string WriteError;
    bool Written = CreateReport(Partial, WriteError) &&
                   AppendReportLine(Partial, ReportFingerprintLine(Reports.front().Fingerprint), WriteError);
    for (const auto& [Position, Line] : Lines)
        Written = Written && AppendReportLine(Partial, Line, WriteError);
    if (Written && std::rename(Partial.c_str(), OutputName.c_str()) != 0)
        WriteError = "Cannot write the report " + OutputName + ": " + std::strerror(errno);
    if (!WriteError.empty()) {
        std::remove(Partial.c_str());
        Error = WriteError;
        return false;
    }
    return true;
}

std::map<std::string, std::string> ReportLinesByOutput(const std::string& ReportName,
                                                       const std::string& Fingerprint) {
    std::vector<std::string> Lines;
    std::map<std::string, std::string> ByOutput;
    if (!ReadLines(ReportName, Lines) || Lines.size() <= FingerprintLine ||
        FingerprintInReportLine(Lines[FingerprintLine]) != Fingerprint)
        return ByOutput;
    std::string Name;
    for (const std::string& Line : Lines)
        if (ReadListLine(Line, Name) == EListLine::Entry) ByOutput[Name] = Line;
    return ByOutput;
}

std::string OutputWrittenMessage(const std::string& OutFile, const std::string& Sizes) {
    return std::string(LogWritten) + OutFile + std::string(LogWrittenSizes) + Sizes;
}

std::map<std::string, TFinishedOutput> FinishedInputs(const std::string& LogName,
                                                      const std::string& Fingerprint) {
    std::vector<std::string> Lines;
    std::map<std::string, TFinishedOutput> Finished;
    if (!ReadLines(LogName, Lines)) return Finished;
    std::set<std::string> Stopped;
    std::string RunFingerprint;
    std::optional<TFinishedOutput> Written; // the record the next finished line confirms
    for (const std::string& Line : Lines) {
        // Every line starts with the time, which holds no blank.
        const std::string Message = Line.substr(std::min(Line.find(' '), Line.size()));
        if (Message == LogCreated) {
            RunFingerprint.clear();
        } else if (const std::string Found = FingerprintInLogMessage(Message); !Found.empty()) {
            RunFingerprint = Found;
        } else if (Message.starts_with(LogWritten)) {
            const std::size_t Sizes = Message.rfind(LogWrittenSizes);
            if (Sizes != std::string::npos && Sizes >= LogWritten.size())
                Written = TFinishedOutput{Message.substr(LogWritten.size(), Sizes - LogWritten.size()),
                                          Message.substr(Sizes + LogWrittenSizes.size())};
        } else if (Message.starts_with(LogProcessing)) {
            const std::string_view Rest = std::string_view(Message).substr(LogProcessing.size());
            if (EndsWith(Rest, StoppedSuffix)) {
                Stopped.insert(
                    std::string(Rest.substr(0, Rest.size() - std::string_view(StoppedSuffix).size())));
            } else if (EndsWith(Rest, LogFinished)) {
                const std::string Input(Rest.substr(0, Rest.size() - LogFinished.size()));
                if (!Stopped.contains(Input) && Written && RunFingerprint == Fingerprint)
                    Finished[Input] = *Written;
                else
                    Finished.erase(Input);
            } else {
                // A new start (or a failure) of this input: whatever happened before no longer counts.
                const std::string Input(Rest.substr(0, Rest.find(" failed ")));
                Finished.erase(Input);
                Stopped.erase(Input);
            }
            Written.reset();
        }
    }
    return Finished;
}

} // namespace vortane
