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
    // comments; other lines hold the image name (relative to the list's folder, or absolute) and four
    // numbers, separated by blanks or tabs. A name with blanks is written in double quotes, a quote
    // inside it doubled. False when the file is missing or cannot be read, or a line is malformed
    // (ErrorText then names the line).
    bool Load(const std::string& FileName);

    std::int32_t Count = 0;
    std::vector<std::string> Names; // in file order
    std::string ErrorText;
};

// What one line of a photo list holds.
enum class EListLine { Comment, Entry, Malformed };
// Reads Line (without its line end); for an entry, Name is its image name, quotes removed.
EListLine ReadListLine(const std::string& Line, std::string& Name);
// Name as a list line writes it: in quotes when it has blanks or would otherwise not read back as
// itself (a leading "-", ";" or quote).
std::string ListName(const std::string& Name);

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

// Where a list entry's image is read and its output written. The input is the entry resolved against
// the list's folder (an absolute entry as it is). The output keeps the entry's relative subfolders below
// the output folder; an absolute entry's output is its file name directly in the output folder. An
// entry that would leave the output folder ("../img/p.ers") has a Problem and no output.
struct TListEntryFiles {
    std::string InFile;
    std::string OutFile;
    std::string OutName; // relative to the output folder: the name the report gives the output
    std::string Problem; // why the entry cannot be processed; "" when it can
};
// The image a list entry names: relative to the list's folder (with its trailing separator), or absolute.
std::string ListInputFile(const std::string& ListFolder, const std::string& Name);
TListEntryFiles ResolveListEntry(const std::string& ListFolder, const std::string& OutFolder,
                                 const std::string& Name, const std::string& OutExt);

// Resolves every entry of a list; an entry whose output another entry (of another input) already
// writes gets a Problem too, so that no output is silently replaced within one run.
std::vector<TListEntryFiles> ResolveListEntries(const std::string& ListFolder, const std::string& OutFolder,
                                                const std::vector<std::string>& Names,
                                                const std::string& OutExt);

// One report line: the output's name (relative to the output folder), then west, north, east and south
// with 6 decimals.
std::string ReportLine(const std::string& OutName, double MinX, double MaxY, double MaxX, double MinY);

// Report file writing; each opens and closes the file so that the report is complete on disk after
// every entry. False, with the system's reason in Error, when the file cannot be created or written.
bool CreateReport(const std::string& FileName, std::string& Error);
bool AppendReportLine(const std::string& FileName, const std::string& Line, std::string& Error);

// The folder of FileName with its trailing separator ("" for a bare name).
std::string FolderOf(const std::string& FileName);
// FileName with its extension replaced by Ext (dot included), or Ext added when it has none.
std::string ChangeFileExt(const std::string& FileName, const std::string& Ext);

} // namespace vortane
