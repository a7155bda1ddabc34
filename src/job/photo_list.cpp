#include "job/photo_list.hpp"

#include "raster/file_start.hpp"
#include "raster/format_registry.hpp"
#include "text/strings.hpp"
#include "text/tokenizer.hpp"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

namespace vortane {

namespace {

// Report coordinates: fixed-point with exactly this many decimals.
constexpr int ReportDecimals = 6;

bool IsComment(const std::string& Line) {
    return Line.empty() || Line[0] == ' ' || Line[0] == '-' || Line[0] == ';';
}

// Appends Text and CR LF to FileName (created when missing, emptied first when Truncate).
bool WriteReportText(const std::string& FileName, const std::string& Text, bool Truncate) {
    std::ofstream File(FileName, std::ios::binary | (Truncate ? std::ios::trunc : std::ios::app));
    if (!File) return false;
    File << Text << "\r\n";
    File.close();
    return !File.fail();
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
        if (IsComment(Line)) continue;
        SetParseText(Line);
        constexpr std::string_view Separators = " \t";
        if (NextToken(Separators).empty()) continue;
        for (int Field = 0; Field < 4; ++Field)
            if (!IsNumber(NextToken(Separators))) return false;
        return true;
    }
    return false;
}

} // namespace

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
            Images.push_back(FolderOf(InName) + Name);
    return Images;
}

bool TdbPhoto::Load(const std::string& FileName) {
    std::error_code Error;
    if (!std::filesystem::is_regular_file(FileName, Error)) return false;
    std::ifstream File(FileName, std::ios::binary);
    if (!File) return false;
    Count = 0;
    Names.clear();
    constexpr std::string_view Separators = " \t";
    std::string Line;
    while (std::getline(File, Line)) {
        if (!Line.empty() && Line.back() == '\r') Line.pop_back();
        if (IsComment(Line)) continue;
        SetParseText(Line);
        const std::string Name = NextToken(Separators);
        if (Name.empty()) continue; // a line of tabs only names nothing
        // The footprint is read for completeness; the run itself needs only the name.
        for (int Field = 0; Field < 4; ++Field)
            (void)StrToFloatDef(NextToken(Separators), 0.0);
        Names.push_back(Name);
        ++Count;
    }
    return !File.bad();
}

std::string FolderOf(const std::string& FileName) {
    const std::size_t Slash = FileName.find_last_of('/');
    return Slash == std::string::npos ? std::string() : FileName.substr(0, Slash + 1);
}

std::string ChangeFileExt(const std::string& FileName, const std::string& Ext) {
    std::filesystem::path Path(FileName);
    return Path.replace_extension(Ext).string();
}

std::string ListOutputName(const std::string& OutFolder, const std::string& Name, const std::string& OutExt) {
    return OutFolder + ChangeFileExt(Name, OutExt);
}

std::string ReportLine(const std::string& Name, const std::string& OutExt, double MinX, double MaxY,
                       double MaxX, double MinY) {
    std::string Line = ChangeFileExt(Name, OutExt);
    for (const double Value : {MinX, MaxY, MaxX, MinY}) {
        Line += ' ';
        Line += FixedDecimals(Value, ReportDecimals);
    }
    return Line;
}

bool CreateReport(const std::string& FileName) {
    return WriteReportText(FileName, ReportFirstLine, true);
}

bool AppendReportLine(const std::string& FileName, const std::string& Line) {
    return WriteReportText(FileName, Line, false);
}

} // namespace vortane
