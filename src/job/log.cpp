#include "job/log.hpp"

#include <cstdio>
#include <ctime>
#include <memory>

namespace vortane {

namespace {

struct TFileCloser {
    void operator()(std::FILE* File) const { std::fclose(File); }
};
using TFileHandle = std::unique_ptr<std::FILE, TFileCloser>;

// Opens the log in Mode; null (and nothing else happens) when the name is empty or the open fails.
TFileHandle OpenLog(const std::string& Name, const char* Mode) {
    if (Name.empty()) return nullptr;
    return TFileHandle(std::fopen(Name.c_str(), Mode));
}

} // namespace

void TLogFile::SetName(const std::string& FileName) {
    if (!FileName.empty()) FName = FileName;
}

void TLogFile::Clear() {
    // Binary mode: the line ends are written exactly as CR LF.
    OpenLog(FName, "wb");
}

void TLogFile::AddLine(const std::string& Line) {
    // Append mode creates a missing file; write errors are deliberately ignored.
    TFileHandle File = OpenLog(FName, "ab");
    if (!File) return;
    std::fwrite(Line.data(), 1, Line.size(), File.get());
    std::fwrite("\r\n", 1, 2, File.get());
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
