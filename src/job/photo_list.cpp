#include "job/photo_list.hpp"

#include "job/text_output.hpp"
#include "raster/file_start.hpp"
#include "raster/format_registry.hpp"
#include "text/strings.hpp"
#include "text/tokenizer.hpp"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>

namespace vortane {

namespace {

namespace fs = std::filesystem;

// Report coordinates: fixed-point with exactly this many decimals.
constexpr int ReportDecimals = 6;
constexpr std::string_view Separators = " \t";
constexpr char Quote = '"';

bool IsComment(const std::string& Line) {
    return Line.empty() || Line[0] == ' ' || Line[0] == '-' || Line[0] == ';';
}

// A quoted name starting at Line[Start] (the opening quote); a doubled quote stands for one. Next is
// the position after the closing quote. False when the quote is never closed.
bool ReadQuotedName(const std::string& Line, std::size_t Start, std::string& Name, std::size_t& Next) {
    Name.clear();
    for (std::size_t Index = Start + 1; Index < Line.size(); ++Index) {
        if (Line[Index] != Quote) {
            Name += Line[Index];
        } else if (Index + 1 < Line.size() && Line[Index + 1] == Quote) {
            Name += Quote;
            ++Index;
        } else {
            Next = Index + 1;
            return true;
        }
    }
    return false;
}

// The name of an entry line (quotes removed) and the rest of the line after it.
EListLine SplitListLine(const std::string& Line, std::string& Name, std::string& Rest) {
    if (IsComment(Line)) return EListLine::Comment;
    const std::size_t Start = Line.find_first_not_of(Separators);
    if (Start == std::string::npos) return EListLine::Comment; // a line of tabs names nothing
    if (Line[Start] == Quote) {
        std::size_t Next = 0;
        if (!ReadQuotedName(Line, Start, Name, Next) || Name.empty()) return EListLine::Malformed;
        // The name ends at its quote: "a"b would be neither one name nor two.
        if (Next < Line.size() && Separators.find(Line[Next]) == std::string_view::npos)
            return EListLine::Malformed;
        Rest = Line.substr(Next);
    } else {
        const std::size_t End = std::min(Line.find_first_of(Separators, Start), Line.size());
        Name = Line.substr(Start, End - Start);
        Rest = Line.substr(End);
    }
    return EListLine::Entry;
}

// Enough of a file to tell text from binary data and to see its first entry.
constexpr std::size_t TextProbeBytes = 4096;

// Text holds no control characters but tabs and line ends.
bool IsText(std::string_view Bytes) {
    return std::none_of(Bytes.begin(), Bytes.end(), [](char C) {
        const auto Byte = static_cast<unsigned char>(C);
        return Byte < 0x20 && C != '\t' && C != '\r' && C != '\n';
    });
}

bool IsNumber(const std::string& Field) {
    return !std::isnan(StrToFloatDef(Field, std::nan("")));
}

// A report's first line, or a first entry with its name and four numbers. Header formats are text too,
// and a name may begin with an image format's first bytes ("data1.ers", "bm_07.bmp"), so the shape of
// the line decides, not its first bytes.
bool StartsLikePhotoList(std::string_view Head) {
    std::size_t Start = 0;
    while (Start < Head.size()) {
        const std::size_t End = std::min(Head.find('\n', Start), Head.size());
        std::string Line(Head.substr(Start, End - Start));
        Start = End + 1;
        if (!Line.empty() && Line.back() == '\r') Line.pop_back();
        if (Line == ReportFirstLine) return true;
        std::string Name, Rest;
        const EListLine Kind = SplitListLine(Line, Name, Rest);
        if (Kind == EListLine::Comment) continue;
        if (Kind == EListLine::Malformed) return false;
        SetParseText(Rest);
        for (int Field = 0; Field < 4; ++Field)
            if (!IsNumber(NextToken(Separators))) return false;
        return true;
    }
    return false;
}

} // namespace

EListLine ReadListLine(const std::string& Line, std::string& Name) {
    std::string Rest;
    const EListLine Kind = SplitListLine(Line, Name, Rest);
    if (Kind != EListLine::Entry) return Kind;
    // The footprint is read for completeness; the run itself needs only the name.
    SetParseText(Rest);
    for (int Field = 0; Field < 4; ++Field)
        (void)StrToFloatDef(NextToken(Separators), 0.0);
    return EListLine::Entry;
}

std::string ListName(const std::string& Name) {
    const bool Plain =
        !Name.empty() && Name.find_first_of(" \t\"") == std::string::npos && Name[0] != '-' && Name[0] != ';';
    if (Plain) return Name;
    std::string Quoted(1, Quote);
    for (const char Char : Name) {
        Quoted += Char;
        if (Char == Quote) Quoted += Quote;
    }
    return Quoted + Quote;
}

TInputKind InputKindByContent(const std::string& FileName) {
    std::string Head;
    std::uint64_t Size = 0;
    if (ReadFileStart(FileName, TextProbeBytes, Head, Size) != 0 || Head.empty()) return TInputKind::Unknown;
    if (IsText(Head) && StartsLikePhotoList(Head)) return TInputKind::PhotoList;
    return FindFormat(FileTypeByContent(FileName)) ? TInputKind::Image : TInputKind::Unknown;
}

std::vector<std::string> ImagesOf(const std::string& InName, bool List) {
    if (!List) return {InName};
    TdbPhoto Photos;
    std::vector<std::string> Images;
    if (Photos.Load(InName))
        for (const std::string& Name : Photos.Names)
            Images.push_back(ListInputFile(FolderOf(InName), Name));
    return Images;
}

bool TdbPhoto::Load(const std::string& FileName) {
    std::error_code Error;
    ErrorText.clear();
    if (!fs::is_regular_file(FileName, Error)) {
        ErrorText = "Cannot read the photo list " + FileName;
        return false;
    }
    std::ifstream File(FileName, std::ios::binary);
    if (!File) {
        ErrorText = "Cannot read the photo list " + FileName;
        return false;
    }
    Count = 0;
    Names.clear();
    std::string Line, Name;
    for (int Number = 1; std::getline(File, Line); ++Number) {
        if (!Line.empty() && Line.back() == '\r') Line.pop_back();
        const EListLine Kind = ReadListLine(Line, Name);
        if (Kind == EListLine::Malformed) {
            // Guessing where a broken name ends could process (and write) the wrong image.
            ErrorText = FileName + " line " + std::to_string(Number) +
                        ": a quoted name that is empty, not closed or not followed by a blank";
            return false;
        }
        if (Kind == EListLine::Comment) continue;
        Names.push_back(Name);
        ++Count;
    }
    if (File.bad()) ErrorText = "Cannot read the photo list " + FileName;
    return !File.bad();
}

std::string FolderOf(const std::string& FileName) {
    const std::size_t Slash = FileName.find_last_of('/');
    return Slash == std::string::npos ? std::string() : FileName.substr(0, Slash + 1);
}

std::string ChangeFileExt(const std::string& FileName, const std::string& Ext) {
    fs::path Path(FileName);
    return Path.replace_extension(Ext).string();
}

std::string ListInputFile(const std::string& ListFolder, const std::string& Name) {
    return fs::path(Name).is_absolute() ? Name : ListFolder + Name;
}

TListEntryFiles ResolveListEntry(const std::string& ListFolder, const std::string& OutFolder,
                                 const std::string& Name, const std::string& OutExt) {
    TListEntryFiles Files;
    const fs::path Entry(Name);
    Files.InFile = ListInputFile(ListFolder, Name);
    // An absolute entry's folder belongs to the input side only; its output lands in the output folder.
    const fs::path Relative = Entry.is_absolute() ? Entry.filename() : Entry.lexically_normal();
    const auto First = Relative.begin();
    if (Relative.empty() || !Relative.has_filename() || Relative.filename() == ".." ||
        Relative.filename() == "." || *First == "..") {
        Files.Problem = "its output would leave the output folder";
        return Files;
    }
    Files.OutName = ChangeFileExt(Relative.string(), OutExt);
    Files.OutFile = OutFolder + Files.OutName;
    return Files;
}

std::vector<TListEntryFiles> ResolveListEntries(const std::string& ListFolder, const std::string& OutFolder,
                                                const std::vector<std::string>& Names,
                                                const std::string& OutExt) {
    std::vector<TListEntryFiles> Entries;
    std::map<std::string, std::size_t> Writers; // output name -> the entry that writes it
    for (const std::string& Name : Names) {
        TListEntryFiles Files = ResolveListEntry(ListFolder, OutFolder, Name, OutExt);
        if (Files.Problem.empty()) {
            const auto [Earlier, First] = Writers.emplace(Files.OutName, Entries.size());
            // The same image listed twice writes the same output twice, which loses nothing.
            if (!First && Entries[Earlier->second].InFile != Files.InFile)
                Files.Problem = "its output " + Files.OutName + " is also the output of " +
                                Entries[Earlier->second].InFile;
        }
        Entries.push_back(std::move(Files));
    }
    return Entries;
}

std::string ReportLine(const std::string& OutName, double MinX, double MaxY, double MaxX, double MinY) {
    std::string Line = ListName(OutName);
    for (const double Value : {MinX, MaxY, MaxX, MinY}) {
        Line += ' ';
        Line += FixedDecimals(Value, ReportDecimals);
    }
    return Line;
}

bool CreateReport(const std::string& FileName, std::string& Error) {
    return WriteTextLine(FileName, ETextOpen::Truncate, ReportFirstLine, Error);
}

bool AppendReportLine(const std::string& FileName, const std::string& Line, std::string& Error) {
    return WriteTextLine(FileName, ETextOpen::Append, Line, Error);
}

} // namespace vortane
