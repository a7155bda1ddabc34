#include "raster/veg/veg_file.hpp"

#include "raster/byte_order.hpp"
#include "raster/file_start.hpp"
#include "raster/header_text.hpp"
#include "raster/side_files.hpp"
#include "text/map.hpp"
#include "text/strings.hpp"
#include "text/types.hpp"

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <system_error>

namespace vortane {

namespace {

constexpr int HeaderDecimals = 6;
constexpr std::int64_t DirectoryAt = 4;
constexpr std::int64_t EntryBytes = 8;
constexpr std::int64_t TileRowBytes = TVegFile::TileSide * TVegFile::CellRecordBytes;
// The first cell record of a tile's stored rows is the grid's southernmost row of the tile.
constexpr std::int64_t LastTileRowAt = static_cast<std::int64_t>(TVegFile::TileBytes) - TileRowBytes;
constexpr std::size_t ValueInRecord = 2; // the float follows the 16-bit field
constexpr std::int16_t NoDataField = -9999;
// Tile counts whose cells still fit 32-bit rows and columns.
constexpr std::int32_t MaxTileLast = std::numeric_limits<std::int32_t>::max() / TVegFile::TileSide - 1;

bool TakeTileCount(const std::string& Line, std::int32_t& Count) {
    if (HeaderInteger(Line, Count) && Count >= 0 && Count <= MaxTileLast) return true;
    Count = 0;
    return false;
}

} // namespace

// ---------------------------------------------------------------------------------------------------
// TVegHeader

bool TVegHeader::ReadHeader(const std::string& FileName) {
    std::array<std::string, 5> Lines;
    try {
        TReadLine Reader(FileName);
        for (std::string& Line : Lines) {
            Reader.ReadLine(Line);
            if (IsEndMarker(Line)) Line.clear();
        }
    } catch (const EReadLineError&) {
        return false;
    }
    FSouthNorthing = StrToFloatDef(Lines[0], 0.0);
    FEastings = StrToFloatDef(Lines[1], 0.0);
    FCellSizeX = FCellSizeY = StrToFloatDef(Lines[2], 0.0);
    const bool RowsRead = TakeTileCount(Lines[3], FTileRowsLast);
    const bool ColumnsRead = TakeTileCount(Lines[4], FTileColsLast);
    FRows = (FTileRowsLast + 1) * TVegFile::TileSide;
    FColumns = (FTileColsLast + 1) * TVegFile::TileSide;
    FBands = 1;
    FCellType = ctFloat32;
    FNorthings = (FRows - 1) * FCellSizeY + FSouthNorthing;
    return RowsRead && ColumnsRead;
}

bool TVegHeader::WriteHeader(const std::string& FileName) {
    FSouthNorthing = FNorthings - (std::int64_t{FTileRowsLast} * TVegFile::TileSide + 249) * FCellSizeY;
    std::string Text;
    for (double Value : {FSouthNorthing, FEastings, FCellSizeX})
        AppendLine(Text, ExactDecimalsText(Value, HeaderDecimals));
    AppendLine(Text, std::to_string(FTileRowsLast));
    AppendLine(Text, std::to_string(FTileColsLast));
    return WriteHeaderFile(FileName, Text);
}

// ---------------------------------------------------------------------------------------------------
// TVegFile

TVegFile::TVegFile() : TFloatGridMap2(std::make_unique<TVegHeader>()) {}

TVegFile::~TVegFile() {
    Finish();
}

TVegHeader& TVegFile::VegHeader() const {
    return static_cast<TVegHeader&>(*FHeader);
}

void TVegFile::SetFileName(const std::string& FileName) {
    std::filesystem::path Name(FileName);
    FFileName = Name.replace_extension(".veg").string();
    FHeader->FFileName = Name.replace_extension(".dat").string();
}

bool TVegFile::OpenMap(const std::string& FileName, std::int32_t Columns, std::int32_t Rows,
                       std::uint8_t /*CellType*/, std::int32_t Bands, std::uint8_t Mode) {
    SetFileName(FileName);
    FMode = Mode;
    switch (Mode) {
    case omRead:
        if (!VegHeader().ReadHeader(FHeader->FFileName)) return OwnError("Error loading header");
        if (!UseGeometry(GetColumns(), GetRows()) || !OpenFile(FFileName, omRead, 0) || !OpenTileFile())
            return false;
        FDecoded.Reset(
            FRows, TileSide, std::uint64_t{FColumns} * sizeof(float),
            [this](std::uint32_t TileRow, unsigned char* Cells) { return DecodeTileRow(TileRow, Cells); });
        return true;
    case omCreate:
    case omUpdate:
        return SingleBandOnly("VEG", Bands) && CreateTiles(Columns, Rows);
    default:
        return false;
    }
}

// Reads the directory; every entry and every present tile must lie inside the file.
bool TVegFile::OpenTileFile() {
    const TVegHeader& Header = VegHeader();
    const std::int64_t Tiles =
        (std::int64_t{Header.FTileRowsLast} + 1) * (std::int64_t{Header.FTileColsLast} + 1);
    std::uint64_t DirectoryEnd = 0;
    if (!SpanBytes(DirectoryAt, Tiles, EntryBytes, DirectoryEnd) || DirectoryEnd > FFileSize) {
        CloseFile();
        return OwnError("VEG file " + FFileName + " holds " + std::to_string(FFileSize) +
                        " bytes, too few for the directory of its " + std::to_string(Tiles) + " tiles");
    }
    FTiles.assign(static_cast<std::size_t>(Tiles), {});
    FMinBytes = static_cast<std::uint32_t>(EntryBytes);
    for (std::int64_t Index = 0; Index < Tiles; ++Index) {
        FPosition = static_cast<std::uint64_t>(DirectoryAt + EntryBytes * Index);
        if (!MapPosition()) {
            CloseFile();
            return false;
        }
        const auto Offset = LoadBits<std::uint32_t>(FData, true);
        if (Offset != 0 && std::uint64_t{Offset} + TileBytes > FFileSize) {
            CloseFile();
            return OwnError("VEG file " + FFileName + ": tile " + std::to_string(Index) + " at offset " +
                            std::to_string(Offset) + " lies past the end of the file (" +
                            std::to_string(FFileSize) + " bytes)");
        }
        FTiles[static_cast<std::size_t>(Index)].Offset = Offset;
    }
    return true;
}

bool TVegFile::CreateTiles(std::int32_t Columns, std::int32_t Rows) {
    TVegHeader& Header = VegHeader();
    StartRecord(Columns, Rows, 1, ctFloat32);
    if (!UseGeometry(Columns, Rows)) return false;
    // One tile row and column more than the cells need, as the format has always been written.
    Header.FTileRowsLast = Rows / TileSide + 1;
    Header.FTileColsLast = Columns / TileSide + 1;
    FTiles.assign((std::size_t(Header.FTileRowsLast) + 1) * (std::size_t(Header.FTileColsLast) + 1), {});
    if (FMode != omCreate) return true;
    // The tile file is written only when the image is complete: find out now whether it can be.
    std::ofstream Probe(FFileName, std::ios::binary | std::ios::trunc);
    if (!Probe) return SystemError(errno != 0 ? errno : EIO);
    return true;
}

TVegFile::TTile* TVegFile::TileOf(std::int64_t Col, std::int64_t Row, std::size_t& CellAt) {
    if (Col < 0 || Row < 0 || Col >= GetColumns() || Row >= GetRows() || FTiles.empty()) return nullptr;
    const TVegHeader& Header = VegHeader();
    const std::int64_t Index =
        Col / TileSide + (Header.FTileRowsLast - Row / TileSide) * (Header.FTileColsLast + 1);
    if (Index < 0 || Index >= static_cast<std::int64_t>(FTiles.size())) return nullptr;
    CellAt = static_cast<std::size_t>(LastTileRowAt - (Row % TileSide) * TileRowBytes +
                                      (Col % TileSide) * static_cast<std::int64_t>(CellRecordBytes));
    return &FTiles[static_cast<std::size_t>(Index)];
}

bool TVegFile::ReadCell(std::int64_t Col, std::int64_t Row, std::uint32_t /*Band*/, float& Value) {
    Value = NoData;
    std::size_t CellAt = 0;
    const TTile* Tile = TileOf(Col, Row, CellAt);
    if (Tile == nullptr) return false;
    if (FMode != omRead) {
        if (Tile->Block.empty()) return false;
        Value = LoadFloatLE(Tile->Block.data() + CellAt + ValueInRecord);
        return true;
    }
    if (Tile->Offset == 0) return false;
    FPosition = std::uint64_t{Tile->Offset} + CellAt + ValueInRecord;
    FMinBytes = sizeof(float);
    if (!MapPosition()) return false;
    Value = LoadFloatLE(FData);
    return Value != NoData;
}

bool TVegFile::PlainRowLayout(TRowLayout& Layout) const {
    if (FMode != omRead || !FDecoded) return false;
    Layout = {.Columns = FColumns,
              .Rows = FRows,
              .Bands = 1,
              .CellType = ctFloat32,
              .LSBFirst = true,
              .FirstBand = 0,
              .ColumnStride = sizeof(float),
              .BandStride = 0,
              .HasUnreadable = true,
              .Unreadable = NoData};
    return true;
}

bool TVegFile::MapRows(std::int64_t First, std::int64_t Last, unsigned char*& FirstRow,
                       unsigned char*& LastRow) {
    return FMode == omRead && FDecoded.MapRows(First, Last, FirstRow, LastRow);
}

std::unique_ptr<TMMapFile2> TVegFile::OpenReadView() const {
    return OpenedAgain<TVegFile>(*this);
}

bool TVegFile::DecodeTileRow(std::uint32_t TileRow, unsigned char* Rows) {
    const TVegHeader& Header = VegHeader();
    const std::uint64_t RowBytes = std::uint64_t{FColumns} * sizeof(float);
    const std::size_t Across = static_cast<std::size_t>(Header.FTileColsLast) + 1;
    const std::size_t FirstTile = (static_cast<std::size_t>(Header.FTileRowsLast) - TileRow) * Across;
    unsigned char NoDataBytes[sizeof(float)];
    StoreFloatLE(NoDataBytes, NoData);
    for (std::size_t TileX = 0; TileX < Across; ++TileX) {
        const TTile& Tile = FTiles[FirstTile + TileX];
        const unsigned char* Stored = nullptr;
        if (Tile.Offset != 0) {
            FPosition = Tile.Offset;
            FMinBytes = static_cast<std::uint32_t>(TileBytes);
            if (!MapPosition()) return false;
            Stored = FData;
        }
        for (std::int64_t Line = 0; Line < TileSide; ++Line) {
            unsigned char* To =
                Rows + static_cast<std::uint64_t>(Line) * RowBytes + TileX * TileSide * sizeof(float);
            // The tile keeps its rows from the south.
            const unsigned char* Record =
                Stored == nullptr ? nullptr : Stored + LastTileRowAt - Line * TileRowBytes + ValueInRecord;
            for (std::int32_t Col = 0; Col < TileSide; ++Col, To += sizeof(float))
                std::memcpy(To, Record != nullptr ? Record + Col * CellRecordBytes : NoDataBytes,
                            sizeof(float));
        }
    }
    return true;
}

bool TVegFile::WriteCell(std::int64_t Col, std::int64_t Row, std::uint32_t /*Band*/, float Value) {
    std::size_t CellAt = 0;
    TTile* Tile = FMode == omRead ? nullptr : TileOf(Col, Row, CellAt);
    if (Tile == nullptr) return false;
    if (Tile->Block.empty()) {
        if (Value == NoData) return true;
        Tile->Block.resize(TileBytes);
        for (std::size_t Record = 0; Record < TileBytes; Record += CellRecordBytes) {
            StoreBits(Tile->Block.data() + Record, static_cast<std::uint16_t>(NoDataField), true);
            StoreFloatLE(Tile->Block.data() + Record + ValueInRecord, NoData);
        }
    }
    StoreFloatLE(Tile->Block.data() + CellAt + ValueInRecord, Value);
    return true;
}

bool TVegFile::Finish() {
    if (FMode != omCreate || FSaved) return true;
    FSaved = true;
    const bool Written = WriteTileFile();
    FTiles.clear();
    return Written;
}

bool TVegFile::WriteTileFile() {
    std::ofstream File(FFileName, std::ios::binary | std::ios::trunc);
    if (!File) return SystemError(errno != 0 ? errno : EIO);
    if (!FHeader->WriteHeader(FHeader->FFileName)) return OwnError("Cannot write " + FHeader->FFileName);
    const auto Tiles = static_cast<std::uint64_t>(FTiles.size());
    std::uint64_t NextTile = 0;
    if (!SpanBytes(DirectoryAt, static_cast<std::int64_t>(Tiles), EntryBytes, NextTile))
        return OwnError("VEG file too large");
    std::vector<unsigned char> Head(static_cast<std::size_t>(NextTile), 0);
    for (std::size_t Index = 0; Index < FTiles.size(); ++Index) {
        if (FTiles[Index].Block.empty()) continue;
        // Offsets are 32-bit: a file that would reach past 4 GiB cannot be described.
        if (NextTile + TileBytes > std::numeric_limits<std::uint32_t>::max())
            return OwnError("VEG file " + FFileName + " would exceed the 4 GiB its directory can address");
        StoreBits(Head.data() + DirectoryAt + EntryBytes * static_cast<std::int64_t>(Index),
                  static_cast<std::uint32_t>(NextTile), true);
        NextTile += TileBytes;
    }
    File.write(reinterpret_cast<const char*>(Head.data()), static_cast<std::streamsize>(Head.size()));
    for (const TTile& Tile : FTiles)
        if (!Tile.Block.empty())
            File.write(reinterpret_cast<const char*>(Tile.Block.data()),
                       static_cast<std::streamsize>(TileBytes));
    File.close();
    if (File.fail()) return OwnError("Cannot write " + FFileName);
    return true;
}

// A VEG tile file has no signature: it is read by its extension.
constinit const TImageFormat VegFormat = ReadWriteFormat<TVegFile>(
    {.Code = ftVeg, .Name = "VEG", .ExtensionKey = "VEG", .Extensions = {".veg"}, .ExtensionOnRead = true});

} // namespace vortane
