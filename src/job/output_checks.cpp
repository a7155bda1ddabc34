#include "job/output_checks.hpp"

#include "job/photo_list.hpp"
#include "raster/data_set.hpp"
#include "raster/format_registry.hpp"
#include "raster/raster.hpp"
#include "text/mapped_file.hpp"
#include "text/types.hpp"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace vortane {

namespace {

namespace fs = std::filesystem;

// Every file of the opened input: the cell file the raster mapped and its header or world files.
std::vector<std::string> InputFiles(const TDataSet2& Input) {
    const TDataSetRoot2* Raster = Input.Raster();
    return Raster ? Raster->ImageFiles() : std::vector<std::string>{};
}

} // namespace

std::vector<std::string> ExistingOutputImages(const std::string& InName, const std::string& OutName,
                                              bool List) {
    std::vector<std::string> Outputs{OutName};
    if (List) {
        TdbPhoto Photos;
        Outputs.clear();
        const std::string Extension = fs::path(OutName).extension().string();
        if (Photos.Load(InName))
            for (const TListEntryFiles& Entry :
                 ResolveListEntries(FolderOf(InName), FolderOf(OutName), Photos.Names, Extension))
                if (Entry.Problem.empty()) Outputs.push_back(Entry.OutFile);
    }
    std::vector<std::string> Existing;
    std::error_code Ignored; // a file that cannot be looked at is not known to be there
    for (const std::string& Output : Outputs)
        for (const std::string& File : OutputFilesOf(Output))
            if (fs::exists(File, Ignored)) Existing.push_back(File);
    return Existing;
}

bool IsSameFile(const std::string& A, const std::string& B) {
    std::error_code Error; // also set when either does not exist, which cannot be a clash
    return fs::equivalent(A, B, Error) && !Error;
}

std::string FileOverwrittenBy(const std::string& OutFile, const std::vector<std::string>& Files) {
    for (const std::string& Written : OutputFilesOf(OutFile))
        for (const std::string& Read : Files)
            if (IsSameFile(Written, Read)) return Read;
    return {};
}

std::string SpecialFileAmongOutputs(const std::string& OutFile) {
    for (const std::string& Written : OutputFilesOf(OutFile)) {
        std::error_code Error;
        const fs::file_status Status = fs::status(Written, Error);
        if (fs::exists(Status) && !fs::is_regular_file(Status) && !fs::is_directory(Status)) return Written;
    }
    return {};
}

std::string InputOverwrittenBy(const TDataSet2& Input, const std::string& OutFile) {
    return FileOverwrittenBy(OutFile, InputFiles(Input));
}

std::optional<std::uint64_t> GridBytes(std::int64_t Columns, std::int64_t Rows, std::int64_t Bands,
                                       std::uint8_t CellType) {
    const int Width = CellBytes(CellType);
    if (Columns < 0 || Rows < 0 || Bands < 0 || Width < 0) return std::nullopt;
    std::uint64_t Bytes = 0;
    if (__builtin_mul_overflow(static_cast<std::uint64_t>(Columns), static_cast<std::uint64_t>(Rows),
                               &Bytes) ||
        __builtin_mul_overflow(Bytes, static_cast<std::uint64_t>(Bands), &Bytes) ||
        __builtin_mul_overflow(Bytes, static_cast<std::uint64_t>(Width), &Bytes))
        return std::nullopt;
    return Bytes;
}

namespace {

// 0 or the errno value of flushing Path (a file or a folder) to the disk.
int SyncPath(const std::string& Path) {
    TFileDescriptor File;
    if (const int Code = File.Open(Path, O_RDONLY | O_NONBLOCK); Code != 0) return Code;
    return ::fsync(File.Get()) == 0 ? 0 : errno;
}

} // namespace

int CreateFolderOf(const std::string& FileName, std::string& Error) {
    const fs::path Folder = fs::path(FileName).parent_path();
    std::error_code Failure;
    if (Folder.empty() || fs::is_directory(Folder, Failure)) return 0;
    fs::create_directories(Folder, Failure);
    if (!Failure) return 0;
    Error = "Cannot create the folder " + Folder.string() + ": " + Failure.message();
    return Failure.value();
}

int SyncOutputFiles(const std::string& OutFile, std::string& Error) {
    std::vector<std::string> Paths;
    for (const std::string& Written : OutputFilesOf(OutFile))
        if (std::error_code Missing; fs::is_regular_file(Written, Missing)) Paths.push_back(Written);
    // The folder holds the names of files just created.
    const fs::path Folder = fs::path(OutFile).parent_path();
    Paths.push_back(Folder.empty() ? "." : Folder.string());
    for (const std::string& Path : Paths)
        if (const int Code = SyncPath(Path); Code != 0) {
            Error = "Cannot flush " + Path + " to the disk: " + std::strerror(Code);
            return Code;
        }
    return 0;
}

std::string OutputSizesText(const std::string& OutFile) {
    std::string Text;
    for (const std::string& Written : OutputFilesOf(OutFile)) {
        std::error_code Missing;
        const auto Size = fs::file_size(Written, Missing);
        if (!Text.empty()) Text += ' ';
        Text += Missing ? "-" : std::to_string(Size);
    }
    return Text;
}

std::optional<std::uint64_t> FreeBytesFor(const std::string& FileName) {
    fs::path Folder = fs::path(FileName).parent_path();
    if (Folder.empty()) Folder = ".";
    std::error_code Error;
    const fs::space_info Space = fs::space(Folder, Error);
    if (Error) return std::nullopt;
    return Space.available;
}

} // namespace vortane
