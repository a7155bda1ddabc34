#pragma once
// The processing log written beside a job's output. The file is opened and closed around every line,
// so what has been logged is on disk even while the run goes on, and no file error ever reaches the
// caller: a line that cannot be written is lost, and the next line tries again from scratch. A pipe
// or folder named like the log is never opened in a way that could block.

#include "text/mapped_file.hpp"

#include <chrono>
#include <string>

namespace vortane {

class TLogFile {
public:
    // Takes FileName as the log's name unless it is empty. No file is touched.
    void SetName(const std::string& FileName);
    // Creates the log empty, replacing an earlier run's log.
    void Clear();
    // Appends Line and CR LF, creating the file when it does not exist.
    void AddLine(const std::string& Line);

    // Takes the log for one run: it must be a regular file or absent, and no other run may hold it (a
    // lock held until this object ends), so two runs on one output never mix their logs and reports.
    // Empties it unless KeepLines (a resumed run reads what the earlier one finished). False with the
    // reason in Error, and nothing written, when the log is something else or another run holds it;
    // true when the log merely cannot be created (its lines are then lost).
    bool Claim(bool KeepLines, std::string& Error);

    const std::string& GetName() const { return FName; }

private:
    std::string FName;
    TFileDescriptor FClaim; // open while the run holds the log
};

// Time of day in the long time format ("HH:MM:SS", 24 hours, local time): the start of every log line.
std::string LongTimeText(std::chrono::system_clock::time_point Time);
std::string LongTimeText();

} // namespace vortane
