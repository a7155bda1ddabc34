#pragma once
// The processing log written beside a job's output. The file is opened and closed around every line,
// so what has been logged is on disk even while the run goes on, and no file error ever reaches the
// caller: a line that cannot be written is lost, and the next line tries again from scratch.

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

    const std::string& GetName() const { return FName; }

private:
    std::string FName;
};

// Time of day in the long time format ("HH:MM:SS", 24 hours, local time): the start of every log line.
std::string LongTimeText(std::chrono::system_clock::time_point Time);
std::string LongTimeText();

} // namespace vortane
