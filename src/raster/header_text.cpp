#include "raster/header_text.hpp"

#include "text/strings.hpp"
#include "text/types.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <utility>

namespace vortane {

namespace {

bool IsBlank(char Char) {
    return Char == ' ' || Char == '\t';
}

std::string_view TrimmedView(std::string_view Text) {
    while (!Text.empty() && IsBlank(Text.front()))
        Text.remove_prefix(1);
    while (!Text.empty() && IsBlank(Text.back()))
        Text.remove_suffix(1);
    return Text;
}

// Room for any double in fixed notation: 309 integer digits, or 1074 decimals for the smallest.
constexpr std::size_t FixedBufferSize = 1100;

std::string ShortestFixedText(double Value) {
    std::array<char, FixedBufferSize> Buffer{};
    const auto Result =
        std::to_chars(Buffer.data(), Buffer.data() + Buffer.size(), Value, std::chars_format::fixed);
    return std::string(Buffer.data(), Result.ptr);
}

bool ReadsBackAs(const std::string& Text, double Value) {
    double Read = 0;
    const auto Result = std::from_chars(Text.data(), Text.data() + Text.size(), Read);
    return Result.ec == std::errc() && Read == Value;
}

constexpr std::array<const char*, 7> WeekDays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<const char*, 12> Months = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

} // namespace

std::string HeaderValue(std::string_view Line) {
    const std::size_t Equals = Line.find('=');
    return std::string(TrimmedView(Equals == std::string_view::npos ? Line : Line.substr(Equals + 1)));
}

bool HeaderKeyHas(std::string_view Line, std::string_view Key) {
    return Line.substr(0, Line.find('=')).find(Key) != std::string_view::npos;
}

bool HeaderInteger(std::string_view Text, std::int32_t& Value) {
    Text = TrimmedView(Text);
    if (!Text.empty() && Text.front() == '+') Text.remove_prefix(1);
    std::int32_t Parsed = 0;
    const auto Result = std::from_chars(Text.data(), Text.data() + Text.size(), Parsed);
    if (Text.empty() || Result.ec != std::errc() || Result.ptr != Text.data() + Text.size()) return false;
    Value = Parsed;
    return true;
}

std::string HeaderNumberText(double Value) {
    constexpr int UsualDecimals = 3;
    return ExactDecimalsText(Value, UsualDecimals);
}

std::string ExactDecimalsText(double Value, int Decimals) {
    std::string Text = FixedDecimals(Value, Decimals);
    if (!std::isfinite(Value) || ReadsBackAs(Text, Value)) return Text;
    return ShortestFixedText(Value);
}

std::string HeaderNumberText(double Value, std::size_t Width) {
    std::string Text = HeaderNumberText(Value);
    if (Text.size() < Width) Text.insert(0, Width - Text.size(), ' ');
    return Text;
}

std::string LastUpdatedText(const std::tm& Time) {
    const auto Index = [](int Value, std::size_t Count) {
        return static_cast<std::size_t>(Value >= 0 ? Value : 0) % Count;
    };
    char Buffer[64];
    std::snprintf(Buffer, sizeof Buffer, "%s %s %02d %02d:%02d:%02d GMT %04d",
                  WeekDays[Index(Time.tm_wday, 7)], Months[Index(Time.tm_mon, 12)], Time.tm_mday,
                  Time.tm_hour, Time.tm_min, Time.tm_sec, Time.tm_year + 1900);
    return Buffer;
}

std::tm LocalTimeNow() {
    const std::time_t Now = std::time(nullptr);
    std::tm Local{};
    localtime_r(&Now, &Local);
    return Local;
}

void AppendLine(std::string& Text, std::string_view Line) {
    Text += Line;
    Text += "\r\n";
}

bool WriteHeaderFile(const std::string& FileName, const std::string& Text) {
    std::ofstream File(FileName, std::ios::binary | std::ios::trunc);
    File.write(Text.data(), static_cast<std::streamsize>(Text.size()));
    File.close();
    return !File.fail();
}

// ---------------------------------------------------------------------------------------------------
// TTextHeader

bool TTextHeader::WriteHeader(const std::string& FileName) {
    return WriteHeaderFile(FileName, HeaderText(LocalTimeNow()));
}

bool TTextHeader::BothRaw(const std::string& Datum, const std::string& Projection) {
    return Datum.find("RAW") != std::string::npos && Projection.find("RAW") != std::string::npos;
}

bool TTextHeader::TakeControlPointLine(const std::string& Line,
                                       void (TGCPList::*AddPoint)(std::string_view)) {
    if (FInControlPoints) {
        if (Line.find('}') != std::string::npos)
            FInControlPoints = false;
        else
            (FControlPoints.get()->*AddPoint)(Line);
        return true;
    }
    FInControlPoints = HeaderKeyHas(Line, "CONTROLPOINTS");
    return FInControlPoints;
}

void TTextHeader::TakeFirstOrWarp(const std::string& Line, bool& Seen, std::string& First,
                                  std::string& Warp) {
    (std::exchange(Seen, true) ? Warp : First) = HeaderValue(Line);
}

void TTextHeader::TakeCoordinateSpaceKeys(const std::string& Line) {
    if (HeaderKeyHas(Line, "PROJECTION"))
        TakeFirstOrWarp(Line, FProjectionSeen, FProjection, FWarpProjection);
    if (HeaderKeyHas(Line, "DATUM")) TakeFirstOrWarp(Line, FDatumSeen, FDatum, FWarpDatum);
    if (HeaderKeyHas(Line, "COORDINATETYPE"))
        (std::exchange(FCoordTypeSeen, true) ? FWarpCoordType : FCoordType) =
            CoordTypeByName(HeaderValue(Line));
}

void TTextHeader::TakeGeometryKeys(const std::string& Line) {
    if (HeaderKeyHas(Line, "BYTEORDER")) FMSBFirst = HeaderValue(Line) == "MSBFIRST";
    if (HeaderKeyHas(Line, "CELLTYPE")) {
        FCellType = CellTypeFromHeader(HeaderValue(Line));
        if (FCellType == ctUnknown)
            Refuse("CellType " + HeaderValue(Line) + " is not a cell type this program reads");
    }
    if (HeaderKeyHas(Line, "XDIMENSION")) TakeNumber(Line, "Xdimension", FCellSizeX);
    if (HeaderKeyHas(Line, "YDIMENSION")) TakeNumber(Line, "Ydimension", FCellSizeY);
    if (HeaderKeyHas(Line, "NROFBANDS")) TakeCount(Line, FBands);
    if (HeaderKeyHas(Line, "NROFLINES")) TakeCount(Line, FRows);
    if (HeaderKeyHas(Line, "NROFCELLSPERLINE")) TakeCount(Line, FColumns);
    if (HeaderKeyHas(Line, "REGISTRATIONCELLX")) TakeNumber(Line, "RegistrationCellX", FRegCellX);
    if (HeaderKeyHas(Line, "REGISTRATIONCELLY")) TakeNumber(Line, "RegistrationCellY", FRegCellY);
    if (HeaderKeyHas(Line, "EASTINGS")) TakeNumber(Line, "Eastings", FEastings);
    if (HeaderKeyHas(Line, "NORTHINGS")) TakeNumber(Line, "Northings", FNorthings);
}

void TTextHeader::TakeNumber(const std::string& Line, std::string_view Key, double& Number) {
    const std::string Value = HeaderValue(Line);
    const double Read = StrToFloatDef(Value, std::numeric_limits<double>::quiet_NaN());
    if (std::isnan(Read))
        Refuse(std::string(Key) + " = " + Value + " is not a finite number");
    else
        Number = Read;
}

void TTextHeader::TakeBlockLine(const std::string& Line, std::string_view Open, std::string_view Close) {
    if (Line.find('=') != std::string::npos) return;
    const std::string_view Text = TrimmedView(Line);
    const auto EndsWith = [&](std::string_view Word) {
        return Text.size() >= Word.size() && Text.substr(Text.size() - Word.size()) == Word;
    };
    if (EndsWith(Open))
        FOpenBlocks.emplace_back(TrimmedView(Text.substr(0, Text.size() - Open.size())));
    else if (EndsWith(Close) && !FOpenBlocks.empty())
        FOpenBlocks.pop_back();
}

bool TTextHeader::BlocksClosed() {
    // A header that only lacks its last line (the end of the outermost block) has lost nothing.
    if (FOpenBlocks.size() <= 1) return true;
    Refuse("the header ends inside its " + FOpenBlocks.back() + " block: the file was cut short");
    return false;
}

void TTextHeader::TakeCount(const std::string& Line, std::int32_t& Count) {
    if (!HeaderInteger(HeaderValue(Line), Count)) FMalformedNumber = true;
}

} // namespace vortane
