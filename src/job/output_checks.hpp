#pragma once
// Checks made before an output image is created, because creating it truncates or sizes files at once.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vortane {

class TDataSet2;

// The file of the opened Input (its cell file or its header) that creating OutFile would overwrite,
// or "" when none. Names are compared as files, so links and "./" spellings are seen through.
std::string InputOverwrittenBy(const TDataSet2& Input, const std::string& OutFile);

// The first of Files that creating OutFile would overwrite, or "" when none.
std::string FileOverwrittenBy(const std::string& OutFile, const std::vector<std::string>& Files);

// The first file creating OutFile would write that exists but is neither a regular file nor a folder
// (a pipe, a device): writing it would wait for a reader for ever. "" when none.
std::string SpecialFileAmongOutputs(const std::string& OutFile);

// The image files (with their headers and world files) a run from InName (a photo list when List) to
// OutName would replace, of those that exist now; the log and a list's report are the run's own.
std::vector<std::string> ExistingOutputImages(const std::string& InName, const std::string& OutName,
                                              bool List);

// True when both names exist and are the same file (links and other spellings included).
bool IsSameFile(const std::string& A, const std::string& B);

// Bytes of the cells of a Columns x Rows x Bands grid of CellType; nothing when that overflows.
std::optional<std::uint64_t> GridBytes(std::int64_t Columns, std::int64_t Rows, std::int64_t Bands,
                                       std::uint8_t CellType);

// Creates the folder that is to hold FileName when it is missing (a list entry's subfolder below the
// output folder). 0, or the errno value with the reason in Error.
int CreateFolderOf(const std::string& FileName, std::string& Error);

// Flushes every file creating OutFile wrote, and their folder, to the disk, so that a log line written
// afterwards never outlives the cells after a crash of the machine. 0, or the errno value with the
// reason in Error.
int SyncOutputFiles(const std::string& OutFile, std::string& Error);

// The sizes of the files creating OutFile writes, in their order, "-" for one that is absent
// ("1456 4800 -"): what a resumed run checks a finished output against.
std::string OutputSizesText(const std::string& OutFile);

// Free bytes of the file system that would hold FileName; nothing when that cannot be told.
std::optional<std::uint64_t> FreeBytesFor(const std::string& FileName);

} // namespace vortane
