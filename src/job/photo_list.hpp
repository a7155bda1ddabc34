#pragma once
// Photo lists: text files naming many images, one per line, with the footprint of each. A list run
// processes every entry into one output folder and writes a report that is itself a photo list of the
// outputs.

#include <cstdint>
#include <string>
#include <vector>

namespace vortane {

class TdbPhoto {
public:
    // Reads the entries of FileName. Lines that are empty or begin with a blank, "-" or ";" are
    // comments; other lines hold the image name (relative to the list's folder) and four numbers,
    // separated by blanks or tabs. False when the file is missing or cannot be read.
    bool Load(const std::string& FileName);

    std::int32_t Count = 0;
    std::vector<std::string> Names; // in file order
};

// What a file's content says it is, for an input picked without saying: a photo list (text beginning
// with a report's first line or with an entry of a name and four numbers), an image (its first bytes
// select a format), or neither (missing, empty, unreadable, or of no known format).
enum class TInputKind { Image, PhotoList, Unknown };
TInputKind InputKindByContent(const std::string& FileName);

// The images a run reads: the input itself, or every entry of a photo list resolved against the
// list's folder (none when the list cannot be read).
std::vector<std::string> ImagesOf(const std::string& InName, bool List);

// The first line of every report.
inline constexpr const char* ReportFirstLine = ";File created by Vortane program";

// The output image of a list entry: OutFolder (with its trailing separator) + Name with its
// extension replaced by OutExt (added when Name has none).
std::string ListOutputName(const std::string& OutFolder, const std::string& Name, const std::string& OutExt);

// One report line: the entry's output name, then west, north, east and south with 6 decimals.
std::string ReportLine(const std::string& Name, const std::string& OutExt, double MinX, double MaxY,
                       double MaxX, double MinY);

// Report file writing; each opens and closes the file so that the report is complete on disk after
// every entry. False when the file cannot be created or written.
bool CreateReport(const std::string& FileName);
bool AppendReportLine(const std::string& FileName, const std::string& Line);

// The folder of FileName with its trailing separator ("" for a bare name).
std::string FolderOf(const std::string& FileName);
// FileName with its extension replaced by Ext (dot included), or Ext added when it has none.
std::string ChangeFileExt(const std::string& FileName, const std::string& Ext);

} // namespace vortane
