#include "raster/raster.hpp"

#include "raster/cell_codec.hpp"
#include "raster/file_start.hpp"
#include "text/map.hpp"
#include "text/strings.hpp"
#include "text/types.hpp"

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace vortane {

namespace {

constexpr std::string_view WriteErrorPrefix = "Open map write error=";
constexpr std::string_view ReadErrorPrefix = "Open Map Read Error=";
constexpr std::string_view SameFileText = "The header is its own cell file";
constexpr std::string_view BadSizeText = "Raster size out of range";
constexpr std::string_view LostCellsText =
    "cells were lost: the disk had no room for a page, or the cell file was cut short during the run";

// Counts a header may hold: never negative, and no more bands than any image has (a header that
// claims billions of bands is corrupt, and writing its band list would exhaust memory).
bool SizesInRange(std::int32_t Columns, std::int32_t Rows, std::int32_t Bands) {
    return Columns >= 0 && Rows >= 0 && Bands >= 0 && Bands <= THeadMap2::MaxBands;
}
constexpr int ShortHeaderNameLength = 20;

std::string HeaderReadingErrorText(const std::string& HeaderName) {
    return "Header " + ShortenPath(HeaderName, ShortHeaderNameLength) + " reading error ";
}

// One world file line as a number; NaN when it holds none.
double WorldLineNumber(const std::string& Line, TWorldNumbers Numbers) {
    const double NoNumber = std::numeric_limits<double>::quiet_NaN();
    if (Numbers == TWorldNumbers::PointOnly && Line.find(',') != std::string::npos) return NoNumber;
    return StrToFloatDef(Line, NoNumber);
}

// What each line of a world file holds, for the texts that refuse one.
constexpr std::array<std::string_view, 6> WorldLineNames = {"cell size X", "rotation term", "rotation term",
                                                            "cell size Y", "easting",       "northing"};

constexpr std::size_t MaxQuoted = 40; // characters of a refused line quoted in its message
constexpr int WorldDecimals = 14;
constexpr std::size_t WorldWidth = 18;

} // namespace

// ---------------------------------------------------------------------------------------------------
// World files

std::string WorldNumberText(double Value) {
    std::string Text = FixedDecimals(Value, WorldDecimals);
    if (Text.size() < WorldWidth) Text.insert(0, WorldWidth - Text.size(), ' ');
    return Text;
}

bool ReadWorldFile(const std::string& FileName, TWorldNumbers Numbers, TWorldFile& World,
                   std::string& Problem) {
    std::array<double, WorldLineNames.size()> Values{};
    const auto Refuse = [&](const std::string& Why) {
        Problem = FileName + ": " + Why;
        return false;
    };
    // An empty file cannot be mapped; it is as damaged as a cut one.
    if (std::error_code Error; std::filesystem::file_size(FileName, Error) == 0 && !Error)
        return Refuse("the world file is empty");
    try {
        TReadLine Reader(FileName);
        std::string Line;
        for (std::size_t Index = 0; Index < Values.size(); ++Index) {
            const std::string Field =
                "line " + std::to_string(Index + 1) + " (" + std::string(WorldLineNames[Index]) + ")";
            Reader.ReadLine(Line);
            if (IsEndMarker(Line))
                return Refuse(Index == 0 ? "the world file is empty" : Field + " is missing");
            Values[Index] = WorldLineNumber(Line, Numbers);
            if (std::isnan(Values[Index]))
                return Refuse(Field + " holds no finite number: \"" + Line.substr(0, MaxQuoted) + "\"");
        }
    } catch (const EReadLineError& Error) {
        return Refuse(Error.what());
    }
    if (Values[1] != 0 || Values[2] != 0)
        return Refuse("rotated images are not supported (lines 2 and 3 must be 0)");
    if (Values[0] == 0 || Values[3] == 0) return Refuse("a cell size of 0 (line 1 or 4)");
    World.CellSizeX = Values[0];
    World.RotationY = Values[1];
    World.RotationX = Values[2];
    World.CellSizeY = std::fabs(Values[3]);
    World.OriginX = Values[4];
    World.OriginY = Values[5];
    return true;
}

bool WriteWorldFile(const std::string& FileName, const TWorldFile& World) {
    std::ofstream File(FileName, std::ios::binary | std::ios::trunc);
    for (double Value :
         {World.CellSizeX, World.RotationY, World.RotationX, -World.CellSizeY, World.OriginX, World.OriginY})
        File << WorldNumberText(Value) << "\r\n";
    File.close();
    return !File.fail();
}

// ---------------------------------------------------------------------------------------------------
// TDataSetRoot2

TDataSetRoot2::TDataSetRoot2() = default;
TDataSetRoot2::~TDataSetRoot2() = default;

void TDataSetRoot2::SetFileName(const std::string& FileName) {
    FFileName = FileName;
}

std::optional<double> NoDataFromText(std::string_view Text) {
    constexpr std::string_view Blanks(" \t\r\n\0", 5); // a TIFF text ends in its NUL
    const std::size_t First = Text.find_first_not_of(Blanks);
    if (First == std::string_view::npos) return std::nullopt;
    Text = Text.substr(First, Text.find_last_not_of(Blanks) - First + 1);
    if (Text.starts_with('+')) Text.remove_prefix(1);
    double Value = 0;
    const auto [Stop, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
    if (Error != std::errc() || Stop != Text.data() + Text.size()) return std::nullopt;
    return Value;
}

std::string NoDataText(double Value) {
    char Buffer[32];
    const auto Result = std::to_chars(Buffer, Buffer + sizeof Buffer, Value);
    return std::string(Buffer, Result.ptr);
}

TRasterRecord TDataSetRoot2::OwnRecord() {
    TRasterRecord Record;
    Record.FCoordType = coRAW;
    Record.FProjection = Record.FDatum = Record.FSpheroid = "RAW";
    return Record;
}
TRasterRecord& TDataSetRoot2::Record() {
    THeader* Kept = RecordHeader();
    return Kept ? *Kept : FRecord;
}
const TRasterRecord& TDataSetRoot2::Record() const {
    const THeader* Kept = RecordHeader();
    return Kept ? *Kept : FRecord;
}

TGridShape TDataSetRoot2::Shape() const {
    return Record();
}

TGridShape TDataSetRoot2::MappedShape(bool MSBFirst) const {
    return {.FColumns = static_cast<std::int32_t>(FColumns),
            .FRows = static_cast<std::int32_t>(FRows),
            .FBands = static_cast<std::int32_t>(FBands),
            .FCellType = FCellType,
            .FMSBFirst = MSBFirst};
}

std::int32_t TDataSetRoot2::GetBands() {
    return Shape().FBands;
}
std::int32_t TDataSetRoot2::GetRows() {
    return Shape().FRows;
}
std::int32_t TDataSetRoot2::GetColumns() {
    return Shape().FColumns;
}
std::uint8_t TDataSetRoot2::GetCellType() {
    return Shape().FCellType;
}
bool TDataSetRoot2::GetMSBFirst() {
    return Shape().FMSBFirst;
}
double TDataSetRoot2::GetRegCellX() {
    return Record().FRegCellX;
}
void TDataSetRoot2::SetRegCellX(double Value) {
    Record().FRegCellX = Value;
}
double TDataSetRoot2::GetRegCellY() {
    return Record().FRegCellY;
}
void TDataSetRoot2::SetRegCellY(double Value) {
    Record().FRegCellY = Value;
}
double TDataSetRoot2::GetRegEasting() {
    return Record().FEastings;
}
void TDataSetRoot2::SetRegEasting(double Value) {
    Record().FEastings = Value;
}
double TDataSetRoot2::GetRegNorthing() {
    return Record().FNorthings;
}
void TDataSetRoot2::SetRegNorthing(double Value) {
    Record().FNorthings = Value;
}
double TDataSetRoot2::GetCellSizeX() {
    const double Size = Record().FCellSizeX;
    return Size == 0 && !RecordHeader() ? 1.0 : Size;
}
void TDataSetRoot2::SetCellSizeX(double Value) {
    Record().FCellSizeX = Value;
}
double TDataSetRoot2::GetCellSizeY() {
    const double Size = Record().FCellSizeY;
    return Size == 0 && !RecordHeader() ? 1.0 : Size;
}
void TDataSetRoot2::SetCellSizeY(double Value) {
    Record().FCellSizeY = Value;
}
double TDataSetRoot2::GetOriginX() {
    return Record().FEastings - GetCellSizeX() * Record().FRegCellX;
}
double TDataSetRoot2::GetOriginY() {
    return GetCellSizeY() * Record().FRegCellY + Record().FNorthings;
}
std::uint8_t TDataSetRoot2::GetCoordType() {
    return RecordHeader() ? Record().FCoordType : std::uint8_t(coRAW);
}
void TDataSetRoot2::SetCoordType(std::uint8_t Value) {
    if (RecordHeader()) Record().FCoordType = Value;
}
std::string TDataSetRoot2::GetSpheroid() {
    return Record().FSpheroid;
}
void TDataSetRoot2::SetSpheroid(const std::string& Text) {
    Record().FSpheroid = Text;
}
std::string TDataSetRoot2::GetDatum() {
    return Record().FDatum;
}
void TDataSetRoot2::SetDatum(const std::string& Text) {
    Record().FDatum = Text;
}
std::string TDataSetRoot2::GetProjection() {
    return Record().FProjection;
}
void TDataSetRoot2::SetProjection(const std::string& Text) {
    Record().FProjection = Text;
}

bool TDataSetRoot2::CheckGeoreference() {
    if (!HasGeoreference()) return true;
    const TGeoreference& Place = Record();
    const std::string& Source = RecordHeader() ? RecordHeader()->FFileName : FFileName;
    const auto Usable = [&](std::string_view Name, double Value, bool IsSize) {
        return (std::isfinite(Value) && !(IsSize && Value == 0)) ||
               OwnError(Source + ": the " + std::string(Name) + " is " + GeneralText(Value));
    };
    return Usable("cell size X", Place.FCellSizeX, true) && Usable("cell size Y", Place.FCellSizeY, true) &&
           Usable("registration cell X", Place.FRegCellX, false) &&
           Usable("registration cell Y", Place.FRegCellY, false) &&
           Usable("registration easting", Place.FEastings, false) &&
           Usable("registration northing", Place.FNorthings, false);
}

bool TDataSetRoot2::SingleBandOnly(std::string_view FormatName, std::int32_t Bands) {
    if (Bands <= 1) return true;
    return OwnError(std::string(FormatName) + " images hold a single band; this image has " +
                    std::to_string(Bands) + " bands");
}

void TDataSetRoot2::StoreGeoreference(const std::string& Spheroid, const std::string& Datum,
                                      const std::string& Projection, double CellSizeX, double CellSizeY,
                                      double RegCellX, double RegCellY, double Easting, double Northing) {
    TGeoreference& Georeference = Record();
    Georeference.FSpheroid = Spheroid;
    Georeference.FDatum = Datum;
    Georeference.FProjection = Projection;
    Georeference.FCellSizeX = CellSizeX;
    Georeference.FCellSizeY = CellSizeY;
    Georeference.FRegCellX = RegCellX;
    Georeference.FRegCellY = RegCellY;
    Georeference.FEastings = Easting;
    Georeference.FNorthings = Northing;
}

void TDataSetRoot2::CellToMap(double Col, double Row, double& X, double& Y) {
    X = GetCellSizeX() * Col + GetOriginX();
    Y = GetOriginY() - GetCellSizeY() * Row;
}

void TDataSetRoot2::MapToCell(double X, double Y, double& Col, double& Row) {
    Col = (X - GetOriginX()) / GetCellSizeX();
    Row = (GetOriginY() - Y) / GetCellSizeY();
}

bool TDataSetRoot2::Finish() {
    if (FMode != omCreate) return true;
    if (MappingFaulted()) {
        FErrorCode = EIO;
        FErrorText = FFileName + ": " + std::string(LostCellsText);
        return false;
    }
    if (FSideFileError.empty()) return true;
    FErrorCode = EIO;
    FErrorText = FSideFileError;
    return false;
}

bool TDataSetRoot2::CreateSystemSideFile(const std::string& ImageName, bool SystemInHeader) {
    RemoveSystemSideFile(ImageName);
    if (SystemInHeader || FSystem.Wkt.empty()) return true;
    // The reason names the side file, not the image: it is the program's own error.
    const std::string Reason = WriteSystemSideFile(ImageName, FSystem);
    return Reason.empty() || OwnError(Reason);
}

TGCPList* TDataSetRoot2::GetControlPoints() {
    return Record().FControlPoints.get();
}
void TDataSetRoot2::SetControlPoints(std::unique_ptr<TGCPList> List) {
    Record().FControlPoints = std::move(List);
}
std::vector<std::string> TDataSetRoot2::ImageFiles() const {
    return {FFileName};
}

// ---------------------------------------------------------------------------------------------------
// THeader

THeader::THeader() {
    FControlPoints = std::make_unique<TGCPList>();
}
THeader::~THeader() = default;

void THeader::ParseLine(const std::string& /*Line*/) {}

void THeader::SetParams(std::int32_t Rows, std::int32_t Columns, std::int32_t Bands, std::uint8_t CellType,
                        const std::string& Projection, const std::string& Datum, const std::string& Spheroid,
                        double CellSizeX, double CellSizeY, double RegCellX, double RegCellY, double Eastings,
                        double Northings) {
    FRows = Rows;
    FColumns = Columns;
    FBands = Bands;
    FCellType = CellType;
    FProjection = Projection;
    FDatum = Datum;
    FSpheroid = Spheroid;
    FCellSizeX = CellSizeX;
    FCellSizeY = CellSizeY;
    FRegCellX = RegCellX;
    FRegCellY = RegCellY;
    FEastings = Eastings;
    FNorthings = Northings;
}

bool THeader::SetParamsAndWrite(std::int32_t Rows, std::int32_t Columns, std::int32_t Bands,
                                std::uint8_t CellType, const std::string& Projection,
                                const std::string& Datum, const std::string& Spheroid, double CellSizeX,
                                double CellSizeY, double RegCellX, double RegCellY, double Eastings,
                                double Northings) {
    SetParams(Rows, Columns, Bands, CellType, Projection, Datum, Spheroid, CellSizeX, CellSizeY, RegCellX,
              RegCellY, Eastings, Northings);
    return WriteHeader(FFileName);
}

bool THeader::ReadHeaderLines(const std::string& FileName, std::string_view FirstWord) {
    try {
        TReadLine Reader(FileName);
        std::string Line;
        Reader.ReadLine(Line);
        if (UpperCase(Line.substr(0, FirstWord.size())) != FirstWord) return false;
        Reader.Reset();
        for (Reader.ReadLine(Line); !IsEndMarker(Line); Reader.ReadLine(Line))
            ParseLine(UpperCase(Line));
    } catch (const EReadLineError&) {
        return false;
    }
    return !FMalformedNumber && FRefusal.empty();
}

void THeader::Refuse(std::string Problem) {
    if (FRefusal.empty()) FRefusal = std::move(Problem);
}

// ---------------------------------------------------------------------------------------------------
// THeadMap2

THeadMap2::THeadMap2(std::unique_ptr<THeader> Header) : FHeader(std::move(Header)) {}

// A created image is complete only now (unless Finish came first): its header describes the last
// georeferencing set.
THeadMap2::~THeadMap2() {
    if (!FFinished) THeadMap2::Finish();
}

bool THeadMap2::Finish() {
    if (FFinished || FMode != omCreate || !FHeader || !IsFileOpen()) return true;
    FFinished = true;
    if (!TDataSetRoot2::Finish()) return false;
    errno = 0;
    if (FHeader->WriteHeader(FHeader->FFileName)) return true;
    FErrorCode = errno != 0 ? errno : EIO;
    FErrorText = "Cannot write " + FHeader->FFileName + ": " + std::generic_category().message(FErrorCode);
    // A header cut short still reads as one (its end line is optional): what was written must go.
    std::error_code Ignored;
    if (std::filesystem::is_regular_file(std::filesystem::symlink_status(FHeader->FFileName, Ignored)))
        std::filesystem::remove(FHeader->FFileName, Ignored);
    return false;
}

void THeadMap2::SetCellAndHeaderNames(const std::string& FileName, const std::string& HeaderExtension) {
    std::filesystem::path Cells(FileName);
    std::filesystem::path HeaderName(FileName);
    // On a case-sensitive file system "IMAGE.ERS" must stay the header's name, not become "IMAGE.ers".
    const bool HasHeaderExtension = UpperCase(HeaderName.extension().string()) == UpperCase(HeaderExtension);
    FFileName = Cells.replace_extension().string();
    if (FHeader)
        FHeader->FFileName =
            HasHeaderExtension ? FileName : HeaderName.replace_extension(HeaderExtension).string();
}

bool THeadMap2::OpenMap(const std::string& FileName, std::int32_t Columns, std::int32_t Rows,
                        std::uint8_t CellType, std::int32_t Bands, std::uint8_t Mode) {
    SetFileName(FileName);
    if (!FHeader) return false;
    switch (Mode) {
    case omCreate:
        return CreateCells(Columns, Rows, CellType, Bands);
    case omRead:
    case omUpdate:
        return OpenExistingCells(Mode);
    default:
        return true;
    }
}

void THeadMap2::StartRecord(std::int32_t Columns, std::int32_t Rows, std::int32_t Bands,
                            std::uint8_t CellType) {
    FHeader->SetParams(Rows, Columns, Bands, CellType, "", "", "", 1.0, 1.0, 0, 0, 0, 0);
    FHeader->FMSBFirst = false;
    FHeader->FNoData = CreationOptions().NoData;
}

bool THeadMap2::CreateCells(std::int32_t Columns, std::int32_t Rows, std::uint8_t CellType,
                            std::int32_t Bands) {
    StartRecord(Columns, Rows, Bands, CellType);
    if (!SizesInRange(Columns, Rows, Bands))
        OwnError(std::string(BadSizeText));
    else if (HeaderIsCellFile())
        OwnError(std::string(SameFileText));
    else if (HeaderPlaceWritable() && OpenRecordGrid(omCreate))
        return true;
    return PrefixErrorText(WriteErrorPrefix);
}

bool THeadMap2::OpenExistingCells(std::uint8_t Mode) {
    const THeader& Header = *FHeader;
    if (!FHeader->ReadHeader(Header.FFileName))
        return OwnError(Header.FRefusal.empty() ? HeaderReadingErrorText(Header.FFileName)
                                                : Header.FFileName + ": " + Header.FRefusal);
    if (!SizesInRange(Header.FColumns, Header.FRows, Header.FBands))
        return OwnError(HeaderReadingErrorText(Header.FFileName));
    // Without a cell type the grid can interpret (a header without one) every cell would read as 0.
    if (!ForCellType(Header.FCellType, [](auto) {}))
        return OwnError(Header.FFileName + ": cells of type " + CellTypeName(Header.FCellType) +
                        " cannot be read");
    if (const std::string Named = Header.CellFileName(); !Named.empty()) FFileName = Named;
    if (HeaderIsCellFile())
        OwnError(std::string(SameFileText));
    else if (OpenRecordGrid(Mode))
        return true;
    return PrefixErrorText(ReadErrorPrefix);
}

// The cell file holds the grid the header describes; SizesInRange has ruled out negative counts.
bool THeadMap2::OpenRecordGrid(std::uint8_t Mode) {
    const TGridShape& Grid = Record();
    return OpenGrid(FFileName, static_cast<std::uint32_t>(Grid.FColumns),
                    static_cast<std::uint32_t>(Grid.FRows), Grid.FCellType,
                    static_cast<std::uint32_t>(Grid.FBands), Mode, Grid.FMSBFirst, FHeader->CellsStart());
}

// Opening the header as cells, or creating cells over the header, would destroy or misread it.
bool THeadMap2::HeaderIsCellFile() const {
    namespace fs = std::filesystem;
    std::error_code CellsError;
    std::error_code HeaderError;
    const fs::path Cells = fs::weakly_canonical(FFileName, CellsError);
    const fs::path HeaderName = fs::weakly_canonical(FHeader->FFileName, HeaderError);
    if (!CellsError && !HeaderError && Cells == HeaderName) return true;
    std::error_code LinkError; // also set when either file does not exist
    return fs::equivalent(FFileName, FHeader->FFileName, LinkError) && !LinkError;
}

// The header is written only when the image is complete; a place it cannot be written to (a folder, a
// pipe, a link into a missing folder) is refused before any cell is created or computed.
bool THeadMap2::HeaderPlaceWritable() {
    namespace fs = std::filesystem;
    fs::path Name(FHeader->FFileName);
    std::error_code Error;
    for (int Links = 0; Links < 40 && fs::is_symlink(Name, Error); ++Links) {
        const fs::path Target = fs::read_symlink(Name, Error);
        Name = Target.is_absolute() ? Target : Name.parent_path() / Target;
    }
    struct stat Status {};
    if (::stat(Name.c_str(), &Status) == 0) {
        if (S_ISDIR(Status.st_mode)) return SystemError(EISDIR);
        if (!S_ISREG(Status.st_mode)) return OwnError("Not a regular file");
        return ::access(Name.c_str(), W_OK) == 0 || SystemError(errno);
    }
    if (errno != ENOENT) return SystemError(errno);
    const fs::path Folder = Name.has_parent_path() ? Name.parent_path() : fs::path(".");
    return ::access(Folder.c_str(), W_OK) == 0 || SystemError(errno);
}

// "<Prefix><code> <text>": the failing step's code with its system or own text.
bool THeadMap2::PrefixErrorText(std::string_view Prefix) {
    FErrorText = std::string(Prefix) + std::to_string(FErrorCode) + " " + FErrorText;
    return false;
}

bool THeadMap2::OpenMapRead(const std::string& FileName) {
    if (!PathExists(FileName)) return OwnError(std::string(FileMissingText));
    return OpenMap(FileName, 0, 0, ctUnsigned8, 1, omRead);
}

void THeadMap2::SetGeoreference(const std::string& Spheroid, const std::string& Datum,
                                const std::string& Projection, double CellSizeX, double CellSizeY,
                                double RegCellX, double RegCellY, double Easting, double Northing) {
    StoreGeoreference(Spheroid, Datum, Projection, CellSizeX, CellSizeY, RegCellX, RegCellY, Easting,
                      Northing);
}

std::vector<std::string> THeadMap2::ImageFiles() const {
    std::vector<std::string> Files{FFileName};
    if (FHeader && FHeader->FFileName != FFileName) Files.push_back(FHeader->FFileName);
    return Files;
}

} // namespace vortane
