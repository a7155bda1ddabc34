#include "raster/ers/ers_map.hpp"

#include "raster/header_text.hpp"
#include "text/map.hpp"
#include "text/strings.hpp"
#include "text/types.hpp"

#include <array>
#include <atomic>
#include <charconv>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <limits>

namespace vortane {

namespace {

constexpr std::string_view Units = "\"METERS\"";
constexpr std::array<std::string_view, 3> BandNames = {"Red Layer", "Green Layer", "Blue Layer"};

std::atomic<TErsRegistration> Registration{TErsRegistration::Corner};

std::string_view Trimmed(std::string_view Text) {
    const std::size_t First = Text.find_first_not_of(" \t\r");
    if (First == std::string_view::npos) return {};
    return Text.substr(First, Text.find_last_not_of(" \t\r") - First + 1);
}

// A line's text before its comment: "#" begins one outside double quotes (inside them \" is a quote
// character, not the quote's end).
std::string_view WithoutComment(std::string_view Line) {
    bool Quoted = false;
    for (std::size_t At = 0; At < Line.size(); ++At) {
        if (Quoted && Line[At] == '\\')
            ++At;
        else if (Line[At] == '"')
            Quoted = !Quoted;
        else if (!Quoted && Line[At] == '#')
            return Line.substr(0, At);
    }
    return Line;
}

bool OpensHeader(std::string_view Line) {
    return UpperCase(Line.substr(0, ErsFirstWord.size())) == ErsFirstWord;
}

// "45:30:15.5" (degrees, minutes, seconds; a leading minus applies to all three), "45:30" or plain
// degrees; nothing when Text is none of these.
std::optional<double> DmsDegrees(std::string_view Text) {
    Text = Trimmed(Text);
    const bool Negative = !Text.empty() && Text.front() == '-';
    if (!Text.empty() && (Negative || Text.front() == '+')) Text.remove_prefix(1);
    double Degrees = 0;
    double Unit = 1;
    constexpr int Fields = 3;
    for (int Field = 0; Field < Fields; ++Field, Unit *= 60) {
        const std::string_view Part = Text.substr(0, Text.find(':'));
        double Value = 0;
        const auto Result = std::from_chars(Part.data(), Part.data() + Part.size(), Value);
        if (Part.empty() || Result.ec != std::errc() || Result.ptr != Part.data() + Part.size() ||
            !std::isfinite(Value) || Value < 0)
            return std::nullopt;
        Degrees += Value / Unit;
        if (Part.size() == Text.size()) return Negative ? -Degrees : Degrees;
        Text.remove_prefix(Part.size() + 1);
    }
    return std::nullopt; // a fourth field
}

// HeaderOffset: a byte count.
std::optional<std::uint64_t> ByteCount(std::string_view Text) {
    Text = Trimmed(Text);
    std::uint64_t Value = 0;
    const auto Result = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
    if (Text.empty() || Result.ec != std::errc() || Result.ptr != Text.data() + Text.size())
        return std::nullopt;
    return Value;
}

std::string Unquoted(std::string_view Text) {
    if (Text.size() >= 2 && Text.front() == '"' && Text.back() == '"') Text = Text.substr(1, Text.size() - 2);
    return std::string(Text);
}

} // namespace

void SetErsRegistration(TErsRegistration Convention) {
    Registration = Convention;
}

TErsRegistration ErsRegistration() {
    return Registration;
}

std::optional<TErsRegistration> ErsRegistrationByName(std::string_view Name) {
    const std::string Upper = UpperCase(Name);
    if (Upper == "CORNER") return TErsRegistration::Corner;
    if (Upper == "CENTRE" || Upper == "CENTER") return TErsRegistration::Centre;
    return std::nullopt;
}

bool StartsErsHeader(std::string_view Text) {
    while (!Text.empty()) {
        const std::size_t End = Text.find('\n');
        const std::string_view Line = Trimmed(WithoutComment(Text.substr(0, End)));
        if (!Line.empty()) return OpensHeader(Line);
        Text.remove_prefix(End == std::string_view::npos ? Text.size() : End + 1);
    }
    return false;
}

// ---------------------------------------------------------------------------------------------------
// Reading

bool TErsHeader::ReadHeader(const std::string& FileName) {
    try {
        TReadLine Reader(FileName);
        bool Opened = false;
        std::string Line;
        for (Reader.ReadLine(Line); !IsEndMarker(Line); Reader.ReadLine(Line)) {
            const std::string_view Text = Trimmed(WithoutComment(Line));
            if (!Opened && Text.empty()) continue;
            if (!Opened && !OpensHeader(Text)) return false;
            Opened = true;
            TakeLine(Text);
        }
        if (!Opened) return false;
    } catch (const EReadLineError&) {
        return false;
    }
    if (FMalformedNumber || !FRefusal.empty() || !ResolveDataFile(FileName) || !BlocksClosed()) return false;
    // Inside, the registration point is the centre of its cell.
    if (FRegistrationSeen) {
        FEastings += CornerShift(FCellSizeX);
        FNorthings -= CornerShift(FCellSizeY);
    }
    return true;
}

void TErsHeader::TakeLine(std::string_view Line) {
    const std::string Upper = UpperCase(Line);
    if (HeaderKeyHas(Upper, "DATAFILE")) FDataFile = Unquoted(HeaderValue(Line));
    ParseLine(Upper);
}

void TErsHeader::ParseLine(const std::string& Line) {
    if (TakeControlPointLine(Line, &TGCPList::AddFromErsLine)) return;
    TakeBlockLine(Line, "BEGIN", "END");
    TakeCoordinateSpaceKeys(Line);
    TakeGeometryKeys(Line);
    TakeRegistrationKeys(Line);
    if (HeaderKeyHas(Line, "HEADEROFFSET")) {
        const std::optional<std::uint64_t> Offset = ByteCount(HeaderValue(Line));
        if (!Offset) FRefusal = "HeaderOffset " + HeaderValue(Line) + " is not a byte count";
        FHeaderOffset = Offset.value_or(0);
    }
    if (HeaderKeyHas(Line, "NULLCELLVALUE")) {
        // Taking an unreadable value for none would let the empty cells pass for data.
        FNoData = NoDataFromText(HeaderValue(Line));
        if (!FNoData) Refuse("NullCellValue " + HeaderValue(Line) + " is not a number");
        // 0 is the line this program and its forerunner have written into every header, whatever the
        // cells held: it declares nothing, and taking it would drop every 0 cell of their images.
        if (FNoData == 0.0) FNoData.reset();
    }
}

// Eastings and Northings are taken like every header's; ER Mapper gives geographic registrations as
// Latitude and Longitude in degrees:minutes:seconds, raw ones as MetersX and MetersY.
void TErsHeader::TakeRegistrationKeys(const std::string& Line) {
    if (HeaderKeyHas(Line, "REGISTRATIONCOORD")) {
        FInRegistrationCoord = Line.find("BEGIN") != std::string::npos;
        FRegistrationSeen = FRegistrationSeen || FInRegistrationCoord;
    }
    if (!FInRegistrationCoord) return;
    const struct {
        const char* Key;
        const char* Name;
        double* Field;
    } Angles[] = {{"LONGITUDE", "Longitude", &FEastings}, {"LATITUDE", "Latitude", &FNorthings}};
    for (const auto& Angle : Angles)
        if (HeaderKeyHas(Line, Angle.Key)) {
            const std::optional<double> Degrees = DmsDegrees(HeaderValue(Line));
            if (!Degrees)
                FRefusal =
                    std::string(Angle.Name) + " " + HeaderValue(Line) + " is not degrees:minutes:seconds";
            *Angle.Field = Degrees.value_or(0.0);
        }
    if (HeaderKeyHas(Line, "METERSX")) FEastings = StrToFloatDef(HeaderValue(Line), 0.0);
    if (HeaderKeyHas(Line, "METERSY")) FNorthings = StrToFloatDef(HeaderValue(Line), 0.0);
}

// The cells' file is named relative to the header, and never lies outside the header's folder: a
// header must not make the program read (or, when updating, write) any file it can name.
bool TErsHeader::ResolveDataFile(const std::string& HeaderName) {
    namespace fs = std::filesystem;
    if (FDataFile.empty()) return true;
    const fs::path Named = fs::path(FDataFile).lexically_normal();
    if (Named.is_absolute() || Named.empty() || *Named.begin() == "..") {
        FRefusal = "DataFile \"" + FDataFile + "\" lies outside the header's folder";
        return false;
    }
    FCellFile = (fs::path(HeaderName).parent_path() / Named).string();
    return true;
}

double TErsHeader::CornerShift(double CellSize) const {
    return FRegistration == TErsRegistration::Corner ? CellSize / 2 : 0.0;
}

// ---------------------------------------------------------------------------------------------------
// Writing

std::string TErsHeader::HeaderText(const std::tm& LastUpdated) {
    std::string Text;
    AppendLine(Text, "DatasetHeader Begin");
    AppendLine(Text, "  Version   = \"1.0\"");
    AppendLine(Text, "  LastUpdated = " + LastUpdatedText(LastUpdated));
    AppendLine(Text, "  DataSetType = ERStorage");
    AppendLine(Text, "  DataType = Raster");
    AppendLine(Text, std::string("  ByteOrder = ") + (FMSBFirst ? "MSBFirst" : "LSBFirst"));
    AppendCoordinateSpace(Text);
    AppendRasterInfo(Text);
    AppendLine(Text, "DatasetHeader End");
    return Text;
}

void TErsHeader::ApplyRawRule() {
    if (BothRaw(FDatum, FProjection)) FCoordType = coRAW;
}

void TErsHeader::AppendCoordinateSpace(std::string& Text) {
    AppendLine(Text, "  CoordinateSpace Begin");
    AppendLine(Text, "    Datum      = " + QuoteStr(FDatum));
    AppendLine(Text, "    Projection = " + QuoteStr(FProjection));
    ApplyRawRule();
    AppendLine(Text, "    CoordinateType  = " + CoordTypeName(FCoordType));
    if (FCoordType != coRAW) AppendLine(Text, "    Units   = " + std::string(Units));
    AppendLine(Text, "    Rotation = 0:0:0.0");
    AppendLine(Text, "  CoordinateSpace End");
}

void TErsHeader::AppendRasterInfo(std::string& Text) {
    AppendLine(Text, "  RasterInfo Begin");
    AppendLine(Text, "    CellType = " + CellTypeHeaderName(FCellType));
    // Images that declare no empty cells have always said 0 here.
    AppendLine(Text, "    NullCellValue = " + (FNoData ? NoDataText(*FNoData) : std::string("0")));
    if (FCellSizeX != 0 && FCellSizeY != 0) {
        AppendLine(Text, "    CellInfo Begin");
        AppendLine(Text, "      Xdimension = " + HeaderNumberText(FCellSizeX));
        AppendLine(Text, "      Ydimension = " + HeaderNumberText(FCellSizeY));
        AppendLine(Text, "    CellInfo End");
    }
    AppendLine(Text, "    NrOfLines = " + std::to_string(FRows));
    AppendLine(Text, "    NrOfCellsPerLine = " + std::to_string(FColumns));
    if (FCoordType != coRAW) {
        AppendLine(Text, "    RegistrationCoord Begin");
        AppendLine(Text, "      Eastings = " + HeaderNumberText(FEastings - CornerShift(FCellSizeX)));
        AppendLine(Text, "      Northings = " + HeaderNumberText(FNorthings + CornerShift(FCellSizeY)));
        AppendLine(Text, "    RegistrationCoord End");
        AppendLine(Text, "    RegistrationCellX = " + HeaderNumberText(FRegCellX));
        AppendLine(Text, "    RegistrationCellY = " + HeaderNumberText(FRegCellY));
    }
    AppendLine(Text, "    NrOfBands = " + std::to_string(FBands));
    for (std::int32_t Band = 0; Band < FBands; ++Band) {
        AppendLine(Text, "    BandId Begin");
        AppendLine(Text,
                   "      Value=\"" + std::string(BandNames[static_cast<std::size_t>(Band) % 3]) + "\"");
        AppendLine(Text, "    BandId End");
    }
    if (FControlPoints && FControlPoints->Count() > 0) AppendWarpControl(Text);
    AppendLine(Text, "  RasterInfo End");
}

void TErsHeader::AppendWarpControl(std::string& Text) {
    constexpr std::size_t CoordinateWidth = 10;
    AppendLine(Text, "    WarpControl Begin");
    AppendLine(Text, "      WarpType\t= Polynomial");
    AppendLine(Text, "      WarpSampling\t= Nearest");
    AppendLine(Text, "      CoordinateSpace Begin");
    AppendLine(Text, "        Datum      = " + QuoteStr(FWarpDatum));
    AppendLine(Text, "        Projection = " + QuoteStr(FWarpProjection));
    ApplyRawRule();
    AppendLine(Text, "        CoordinateType  = " + CoordTypeName(FWarpCoordType));
    if (FCoordType != coRAW) AppendLine(Text, "        Units      = " + std::string(Units));
    AppendLine(Text, "        Rotation\t= 0:0:0.0");
    AppendLine(Text, "      CoordinateSpace End");
    AppendLine(Text, "      ControlPoints\t= {");
    const auto YesNo = [](bool Flag) { return Flag ? "\tYes" : "\tNo"; };
    for (int Index = 0; Index < FControlPoints->Count(); ++Index) {
        const TGCPoint& Point = *FControlPoints->Items(Index);
        std::string Line =
            "\t\t\t" + Point.GetName() + YesNo(Point.GetActive()) + YesNo(Point.GetSecondFlag());
        for (double Coordinate : {Point.GetCellX(), Point.GetCellY(), Point.GetMapX(), Point.GetMapY()}) {
            Line += '\t';
            Line += HeaderNumberText(Coordinate, CoordinateWidth);
        }
        AppendLine(Text, Line);
    }
    AppendLine(Text, "      }");
    AppendLine(Text, "    WarpControl End");
}

// ---------------------------------------------------------------------------------------------------
// TErsMap2

TErsMap2::TErsMap2() : THeadMap2(std::make_unique<TErsHeader>()) {}

void TErsMap2::SetFileName(const std::string& FileName) {
    SetCellAndHeaderNames(FileName, ".ers");
}

constinit const TImageFormat ErsFormat = ReadWriteFormat<TErsMap2>({.Code = ftErs,
                                                                    .Name = "ER Mapper",
                                                                    .ExtensionKey = "ERS",
                                                                    .Extensions = {".ers"},
                                                                    .Signatures = {Letters(ErsFirstWord)},
                                                                    .StartMatches = StartsErsHeader,
                                                                    .NoDataInHeader = true});

} // namespace vortane
