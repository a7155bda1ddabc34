#include "raster/nog/nog_map.hpp"

#include "raster/file_start.hpp"
#include "raster/header_text.hpp"
#include "text/strings.hpp"
#include "text/types.hpp"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace vortane {

namespace {

// Offsets of the five texts the program reads and writes inside the record.
constexpr std::size_t CellSizeAt = 187;
constexpr std::size_t NorthingAt = 289;
constexpr std::size_t EastingAt = 340;
constexpr std::size_t RowsAt = 612;
constexpr std::size_t ColumnsAt = 629;

using TRecord = std::array<char, TNogHeader::RecordBytes>;

// The zero-terminated text at Offset; the record's end also ends it.
std::string_view FieldText(const TRecord& Record, std::size_t Offset) {
    const auto Begin = Record.begin() + static_cast<std::ptrdiff_t>(Offset);
    return {Begin, std::find(Begin, Record.end(), '\0')};
}

// Text and its terminating zero at Offset, cut short rather than leave the record.
void PutField(TRecord& Record, std::size_t Offset, const std::string& Text) {
    const std::size_t Room = Record.size() - Offset - 1;
    const std::size_t Length = std::min(Text.size(), Room);
    std::copy_n(Text.begin(), Length, Record.begin() + static_cast<std::ptrdiff_t>(Offset));
    Record[Offset + Length] = '\0';
}

} // namespace

// ---------------------------------------------------------------------------------------------------
// TNogHeader

TNogHeader::TNogHeader() {
    FCellType = ctSigned16;
    FMSBFirst = false;
    FBands = 1;
}

bool TNogHeader::ReadHeader(const std::string& FileName) {
    std::string Read;
    std::uint64_t FileSize = 0;
    if (ReadFileStart(FileName, RecordBytes, Read, FileSize) != 0) return false;
    FRecord.fill('\0');
    std::copy(Read.begin(), Read.end(), FRecord.begin());
    FCellSizeX = FCellSizeY = StrToFloatDef(FieldText(FRecord, CellSizeAt), 0.0);
    FNorthings = StrToFloatDef(FieldText(FRecord, NorthingAt), 0.0);
    FEastings = StrToFloatDef(FieldText(FRecord, EastingAt), 0.0);
    const bool Counts = HeaderInteger(FieldText(FRecord, RowsAt), FRows) &&
                        HeaderInteger(FieldText(FRecord, ColumnsAt), FColumns);
    return Read.size() == RecordBytes && Counts;
}

bool TNogHeader::WriteHeader(const std::string& FileName) {
    if (FileName.empty()) return false;
    PutField(FRecord, CellSizeAt, HeaderNumberText(FCellSizeX));
    PutField(FRecord, NorthingAt, HeaderNumberText(FNorthings));
    PutField(FRecord, EastingAt, HeaderNumberText(FEastings));
    PutField(FRecord, RowsAt, std::to_string(FRows));
    PutField(FRecord, ColumnsAt, std::to_string(FColumns));
    std::ofstream File(FileName, std::ios::binary | std::ios::trunc);
    File.write(FRecord.data(), static_cast<std::streamsize>(FRecord.size()));
    File.close();
    return !File.fail();
}

// ---------------------------------------------------------------------------------------------------
// TNogMap2

TNogMap2::TNogMap2() : THeadMap2(std::make_unique<TNogHeader>()) {}

void TNogMap2::SetFileName(const std::string& FileName) {
    std::filesystem::path Name(FileName);
    FFileName = Name.replace_extension(".002").string();
    FHeader->FFileName = Name.replace_extension(".001").string();
}

bool TNogMap2::OpenMap(const std::string& FileName, std::int32_t Columns, std::int32_t Rows,
                       std::uint8_t CellType, std::int32_t Bands, std::uint8_t Mode) {
    if (Mode == omCreate) {
        CellType = ctSigned16;
        Bands = 1;
    }
    if (!THeadMap2::OpenMap(FileName, Columns, Rows, CellType, Bands, Mode)) return false;
    if (Mode != omCreate && !SizeMismatchText().empty()) {
        const std::string Mismatch = SizeMismatchText();
        CloseFile();
        return OwnError("NOG cell file " + FFileName + ": " + Mismatch);
    }
    return true;
}

// A NOG header has no signature: it is read by its extension.
constinit const TImageFormat NogFormat = ReadWriteFormat<TNogMap2>(
    {.Code = ftNog, .Name = "NOG", .ExtensionKey = "001", .Extensions = {".001"}, .ExtensionOnRead = true});

} // namespace vortane
