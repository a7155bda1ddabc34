#include "job/list_batch.hpp"

#include "job/output_checks.hpp"
#include "job/photo_list.hpp"

#include <charconv>
#include <cstdio>
#include <fstream>

namespace vortane {

namespace {

constexpr std::string_view LogProcessing = " Processing file: ";
constexpr std::string_view LogFinished = " finished";

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
    if (Lines.size() < 2 || Lines[0] != ReportFirstLine ||
        !ParseShardHeader(Lines[1], Report.Shard, Report.ListEntries)) {
        Error = FileName + " is not the report of a shard (warp --list --shard I/N)";
        return false;
    }
    const std::string Marker = ";Entry ";
    std::int32_t Position = 0;
    for (std::size_t Index = 2; Index < Lines.size(); ++Index) {
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
        if (Report.Shard.Count != First.Shard.Count || Report.ListEntries != First.ListEntries) {
            Error = Names[Index] + " belongs to another run than " + Names.front();
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
    for (std::size_t Index = 0; Index < ShardReports.size(); ++Index) {
        if (IsSameFile(ShardReports[Index], OutputName)) {
            Error = "The merged report would overwrite the shard report " + ShardReports[Index];
            return false;
        }
        if (!ReadShardReport(ShardReports[Index], Reports[Index], Error)) return false;
    }
    if (!CheckShardSet(Reports, ShardReports, Error)) return false;
    std::map<std::int32_t, std::string> Lines;
    for (TShardReport& Report : Reports)
        Lines.merge(Report.Lines);
    // Written beside the target and renamed, so a report that is there is a complete one.
    const std::string Partial = OutputName + ".part";
    bool Written = CreateReport(Partial);
    for (const auto& [Position, Line] : Lines)
        Written = Written && AppendReportLine(Partial, Line);
    if (!Written || std::rename(Partial.c_str(), OutputName.c_str()) != 0) {
        std::remove(Partial.c_str());
        Error = "Cannot write the report " + OutputName;
        return false;
    }
    return true;
}

std::map<std::string, std::string> ReportLinesByOutput(const std::string& ReportName) {
    std::vector<std::string> Lines;
    std::map<std::string, std::string> ByOutput;
    if (!ReadLines(ReportName, Lines)) return ByOutput;
    for (const std::string& Line : Lines)
        if (!Line.empty() && Line[0] != ';') ByOutput[Line.substr(0, Line.find(' '))] = Line;
    return ByOutput;
}

std::set<std::string> FinishedInputs(const std::string& LogName) {
    std::vector<std::string> Lines;
    std::set<std::string> Finished, Stopped;
    if (!ReadLines(LogName, Lines)) return Finished;
    for (const std::string& Line : Lines) {
        const std::size_t At = Line.find(LogProcessing);
        if (At == std::string::npos) continue;
        const std::string_view Rest = std::string_view(Line).substr(At + LogProcessing.size());
        if (EndsWith(Rest, StoppedSuffix)) {
            Stopped.insert(std::string(Rest.substr(0, Rest.size() - std::string_view(StoppedSuffix).size())));
        } else if (EndsWith(Rest, LogFinished)) {
            const std::string Input(Rest.substr(0, Rest.size() - LogFinished.size()));
            if (!Stopped.contains(Input)) Finished.insert(Input);
        } else {
            // A new start (or a failure) of this input: whatever happened before no longer counts.
            const std::string Input(Rest.substr(0, Rest.find(" failed ")));
            Finished.erase(Input);
            Stopped.erase(Input);
        }
    }
    return Finished;
}

} // namespace vortane
