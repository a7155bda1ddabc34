#include "job/output_checks.hpp"

#include "job/photo_list.hpp"
#include "raster/data_set.hpp"
#include "raster/format_registry.hpp"
#include "raster/raster.hpp"
#include "text/types.hpp"

#include <filesystem>
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
            for (const std::string& Name : Photos.Names)
                Outputs.push_back(ListOutputName(FolderOf(OutName), Name, Extension));
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

std::optional<std::uint64_t> FreeBytesFor(const std::string& FileName) {
    fs::path Folder = fs::path(FileName).parent_path();
    if (Folder.empty()) Folder = ".";
    std::error_code Error;
    const fs::space_info Space = fs::space(Folder, Error);
    if (Error) return std::nullopt;
    return Space.available;
}

} // namespace vortane
