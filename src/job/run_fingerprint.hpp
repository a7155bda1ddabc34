#pragma once
// The fingerprint of a run: everything that decides what its outputs hold (the options that change
// cells or headers, the coordinate systems, the program version, and for a list run the list's
// content). A resumed run keeps only what a run of the same fingerprint finished, and shard reports
// are merged only when their fingerprints agree. Thread count, shard and resume change nothing in
// the outputs and stay out of it.

#include <string>

namespace vortane {

struct TJobOptions;
struct TJobSelection;

// The readable text the fingerprint is taken from, e.g. "vortane 0.1; in WE/WGS84/NUTM34; ...".
std::string RunDescription(const TJobSelection& Selection, const TJobOptions& Options,
                           const std::string& OutExt, const std::string& ListDigest);

// 16 hexadecimal digits (64-bit FNV-1a) of Text.
std::string TextDigest(const std::string& Text);
// The same of a file's bytes; "" when it cannot be read.
std::string FileDigest(const std::string& FileName);

// The log and report line that carries a fingerprint (the report's is a comment, so a report stays a
// photo list).
std::string LogFingerprintLine(const std::string& Fingerprint, const std::string& Description);
std::string ReportFingerprintLine(const std::string& Fingerprint);
// The fingerprint a log message or a report line carries; "" when it carries none.
std::string FingerprintInLogMessage(const std::string& Message);
std::string FingerprintInReportLine(const std::string& Line);

} // namespace vortane
