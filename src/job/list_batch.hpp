#pragma once
// Spreading one photo list over several runs: shards (run I of N takes entries I, I+N, I+2N, ... and
// writes its own report and log), joining shard reports back into the list's report, and resuming a
// stopped or crashed run without redoing the entries it finished.

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace vortane {

// Shard I of N of a list run (1-based); 1 of 1 is the whole list.
struct TShard {
    std::int32_t Index = 1;
    std::int32_t Count = 1;

    bool Whole() const { return Count == 1; }
    // Whether the list entry at the 0-based position Entry belongs to this shard.
    bool Takes(std::int32_t Entry) const { return Entry % Count == Index - 1; }
};

// "I/N" with 1 <= I <= N; false when Text is not such a pair.
bool ParseShard(const std::string& Text, TShard& Shard);

// The name of a run's report or log: OutName with its extension replaced by Ext, and for a shard
// ".shard-I-of-N" + Ext, so that shards running side by side never share a file.
std::string RunFileName(const std::string& OutName, const TShard& Shard, const std::string& Ext);

// Lines of a shard's report after the first line and the fingerprint: which shard of how long a list
// it is, which list, and the list position (1-based) of the report line that follows. All are comments,
// so a shard report is still a photo list of its outputs.
std::string ShardHeaderLine(const TShard& Shard, std::int32_t ListEntries);
std::string ShardListLine(const std::string& ListName);
std::string EntryMarkerLine(std::int32_t Position);

// Joins the reports of every shard of one list run into the list's report at OutputName, in list
// order. False, with the reason in Error, when a report cannot be read, is no shard report, belongs to
// another run than the others (another fingerprint or list), when a shard is missing or given twice, or
// when OutputName is one of the shard reports, their photo list or another file that is no report, or
// cannot be written (nothing is then passed off as the merged report).
bool MergeShardReports(const std::vector<std::string>& ShardReports, const std::string& OutputName,
                       std::string& Error);

// The report lines of an earlier run of this Fingerprint by output name (the first field): the lines a
// resumed run keeps for the entries it skips. Empty when there is no such report.
std::map<std::string, std::string> ReportLinesByOutput(const std::string& ReportName,
                                                       const std::string& Fingerprint);

// What the log says a finished entry wrote: the output and its files' sizes.
struct TFinishedOutput {
    std::string OutFile;
    std::string Sizes;
};
// The log message that records it, written after the output is on disk and before the finished line.
std::string OutputWrittenMessage(const std::string& OutFile, const std::string& Sizes);

// The inputs whose last processing in the log at LogName ran to the end under Fingerprint, with what
// they wrote: a written record and a " finished" line not preceded by a stop line for the same input.
// An entry stopped by the user, a failed one, one a crash cut short (no finished line) and one of a run
// with other options are not among them.
std::map<std::string, TFinishedOutput> FinishedInputs(const std::string& LogName,
                                                      const std::string& Fingerprint);

// The log line suffix of a file whose run was stopped before its last row.
inline constexpr const char* StoppedSuffix = " stopped before its last row";

} // namespace vortane
