#include "job/log.hpp"

#include "job/text_output.hpp"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <sys/file.h>
#include <unistd.h>

namespace vortane {

void TLogFile::SetName(const std::string& FileName) {
    if (!FileName.empty()) FName = FileName;
}

void TLogFile::Clear() {
    TFileDescriptor File;
    std::string Ignored;
    if (!FName.empty()) OpenTextOutput(FName, ETextOpen::Truncate, File, Ignored);
}

void TLogFile::AddLine(const std::string& Line) {
    // Write errors are deliberately ignored: the log must never stop a run.
    std::string Ignored;
    if (!FName.empty()) WriteTextLine(FName, ETextOpen::Append, Line, Ignored);
}

bool TLogFile::Claim(bool KeepLines, std::string& Error) {
    TFileDescriptor File;
    // A log that cannot be created (an output folder that cannot be written) only loses its lines, as
    // any line may be lost; a folder or pipe in its place is refused, since nothing could be logged.
    if (!OpenTextOutput(FName, ETextOpen::Keep, File, Error)) return NotARegularFile(FName).empty();
    int Locked;
    do {
        Locked = ::flock(File.Get(), LOCK_EX | LOCK_NB);
    } while (Locked != 0 && errno == EINTR);
    if (Locked != 0) {
        Error = errno == EWOULDBLOCK ? "Another run is writing to " + FName +
                                           " (a run on the same output); this run did not start"
                                     : "Cannot lock " + FName + ": " + std::strerror(errno);
        return false;
    }
    if (!KeepLines && ::ftruncate(File.Get(), 0) != 0) {
        Error = "Cannot write " + FName + ": " + std::strerror(errno);
        return false;
    }
    FClaim = std::move(File);
    return true;
}

std::string LongTimeText(std::chrono::system_clock::time_point Time) {
    const std::time_t Seconds = std::chrono::system_clock::to_time_t(Time);
    std::tm Local{};
    if (localtime_r(&Seconds, &Local) == nullptr) return "00:00:00";
    char Buffer[16];
    std::strftime(Buffer, sizeof Buffer, "%H:%M:%S", &Local);
    return Buffer;
}

std::string LongTimeText() {
    return LongTimeText(std::chrono::system_clock::now());
}

} // namespace vortane
