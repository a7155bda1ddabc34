// The log of a run from both sides. The first byte puts something at the log's path (nothing, a file,
// a folder, a FIFO without a reader, links to them): claiming the log and adding a line must return
// at once, never wait on a FIFO. The remaining bytes are a log and a shard report as a resumed run and
// report merge read them back: reading must end and accept nothing inconsistent.
#include "job/list_batch.hpp"
#include "job/log.hpp"
#include "temp_input_file.hpp"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// A fresh thing of kind Kind at Path.
void PlaceAt(const std::string& Path, std::uint8_t Kind) {
    std::error_code Ignored;
    fs::remove_all(Path, Ignored);
    fs::remove_all(Path + ".target", Ignored);
    switch (Kind % 6) {
    case 1:
        fuzzing::WriteInputFile(Path, reinterpret_cast<const std::uint8_t*>("x\r\n"), 3);
        break;
    case 2:
        fs::create_directory(Path, Ignored);
        break;
    case 3:
        ::mkfifo(Path.c_str(), 0600);
        break;
    case 4:
        ::mkfifo((Path + ".target").c_str(), 0600);
        fs::create_symlink(Path + ".target", Path, Ignored);
        break;
    case 5:
        fs::create_symlink(Path + ".missing", Path, Ignored); // a dangling link: the log is created there
        break;
    default:
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    if (Size == 0) return 0;
    static const std::string Log = fuzzing::TempInputName("run_log") + ".log";
    PlaceAt(Log, Data[0]);
    {
        vortane::TLogFile File;
        File.SetName(Log);
        std::string Error;
        const bool Claimed = File.Claim(Data[0] & 0x80, Error);
        if (!Claimed && Error.empty()) std::abort(); // a refusal always says why
        File.AddLine("line");
    }
    const std::string Content = fuzzing::TempInputName("run_log") + ".txt";
    if (!fuzzing::WriteInputFile(Content, Data + 1, Size - 1)) return 0;
    // Only a run of this fingerprint can have finished anything.
    const std::string Text(reinterpret_cast<const char*>(Data + 1), Size - 1);
    if (!vortane::FinishedInputs(Content, "0123456789abcdef").empty() &&
        Text.find(" Run fingerprint 0123456789abcdef") == std::string::npos)
        std::abort();
    (void)vortane::ReportLinesByOutput(Content, "0123456789abcdef");
    std::string Error;
    const std::string Merged = fuzzing::TempInputName("run_log") + ".merged";
    if (!vortane::MergeShardReports({Content}, Merged, Error) && Error.empty()) std::abort();
    std::error_code Ignored;
    fs::remove(Merged, Ignored);
    return 0;
}
