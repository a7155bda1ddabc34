#include "raster/rsw/rsw_map.hpp"

#include "raster/file_start.hpp"
#include "raster/side_files.hpp"
#include "text/types.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>

namespace vortane {

namespace {

constexpr std::string_view TooLargeText = "Image too large for an RSW file: its length must fit in 32 bits";
constexpr std::string_view BadSizeText = "An RSW image needs at least one column and one row";
constexpr double ThousandUnits = 1000.0;

std::uint32_t CeilDiv(std::uint32_t Value, std::uint32_t Divisor) {
    return Value / Divisor + (Value % Divisor != 0);
}

} // namespace

TRswMap2::TRswMap2() {
    SetControlPoints(std::make_unique<TGCPList>());
}

TRswMap2::~TRswMap2() = default;

std::uint32_t TRswMap2::Field(std::size_t Offset) const {
    std::uint32_t Value = 0;
    std::memcpy(&Value, FRswHeader.data() + Offset, sizeof Value);
    return Value;
}

void TRswMap2::SetField(std::size_t Offset, std::uint32_t Value) {
    std::memcpy(FRswHeader.data() + Offset, &Value, sizeof Value);
}

double TRswMap2::Real(std::size_t Offset) const {
    double Value = 0;
    std::memcpy(&Value, FRswHeader.data() + Offset, sizeof Value);
    return Value;
}

void TRswMap2::SetReal(std::size_t Offset, double Value) {
    std::memcpy(FRswHeader.data() + Offset, &Value, sizeof Value);
}

bool TRswMap2::GoToRow(std::int64_t /*Row*/, std::uint32_t /*Band*/) {
    return false;
}
TGridShape TRswMap2::Shape() const {
    // Three byte bands, as the palette gives them, whatever the header says.
    return {.FColumns = static_cast<std::int32_t>(Field(HWidth)),
            .FRows = static_cast<std::int32_t>(Field(HHeight)),
            .FBands = 3,
            .FCellType = ctUnsigned8,
            .FMSBFirst = false};
}

void TRswMap2::LoadControlPoints(const std::string& FileName) {
    const std::string GcpName = std::filesystem::path(FileName).replace_extension(".gcp").string();
    if (PathExists(GcpName)) GetControlPoints()->Load(GcpName);
}

bool TRswMap2::OpenMap(const std::string& FileName, std::int32_t Columns, std::int32_t Rows,
                       std::uint8_t CellType, std::int32_t Bands, std::uint8_t Mode) {
    FFileName = FileName;
    FBands = static_cast<std::uint32_t>(std::max(Bands, 0));
    FCellType = CellType;
    FMode = Mode;
    SetMSBFirst(false);
    switch (Mode) {
    case omRead:
    case omUpdate:
        return OpenExisting(Mode);
    case omCreate:
        return CreateFile(Columns, Rows, CellType, Bands);
    default:
        return false;
    }
}

bool TRswMap2::OpenExisting(std::uint8_t Mode) {
    LoadControlPoints(FFileName);
    const int Code = Mode == omRead ? 1 : 2;
    const std::string Prefix = Mode == omRead ? "Open read error " : "Open update error ";
    if (!OpenFile(FFileName, Mode, 0)) {
        FErrorCode = Code;
        FErrorText = Prefix + std::to_string(Code);
        return false;
    }
    if (!ReadStructure()) {
        const std::string Reason = FErrorText;
        CloseFile();
        FErrorCode = Code;
        FErrorText = Prefix + std::to_string(Code) + ": " + Reason;
        return false;
    }
    FCellType = ctUnsigned8;
    FColumns = Field(HWidth);
    FRows = Field(HHeight);
    FBands = Field(HBitsPerCell) / 8;
    FLineSize = std::uint64_t{FColumns} * FBands;
    FFirstRow = 0;
    FEndRow = -1;
    SetCellSizeX(Real(HCellSize));
    SetCellSizeY(Real(HCellSize));
    SetRegEasting(Real(HLeftEasting));
    SetRegNorthing(Real(HLowerNorthing) + FRows * Real(HCellSize));
    FDecoded.Clear();
    if (Mode == omRead)
        FDecoded.Reset(
            FRows, Field(HTileHeight), 3 * std::uint64_t{FColumns},
            [this](std::uint32_t TileY, unsigned char* Cells) { return DecodeTileRow(TileY, Cells); });
    return true;
}

// Copies header, palette and tile table out of the file, each checked against the file's size first
// (a mapped byte beyond the end of the file would be a fault, not an error).
bool TRswMap2::ReadStructure() {
    if (FFileSize < HeaderSize) return OwnError("the file is shorter than an RSW header");
    FPosition = 0;
    FMinBytes = HeaderSize;
    if (!MapPosition()) return false;
    std::memcpy(FRswHeader.data(), FData, HeaderSize);
    if (const std::string Fault = StructureFault(); !Fault.empty()) return OwnError(Fault);
    FPosition = Field(HPaletteOffset);
    FMinBytes = PaletteSize;
    if (!MapPosition()) return false;
    std::memcpy(FPalette.data(), FData, PaletteSize);
    FTileTable.resize(Field(HTableLength) / sizeof(TTile));
    FPosition = Field(HTableOffset);
    FMinBytes = Field(HTableLength);
    if (!MapPosition()) return false;
    for (std::size_t I = 0; I < FTileTable.size(); ++I) {
        std::memcpy(&FTileTable[I].Offset, FData + 8 * I, 4);
        std::memcpy(&FTileTable[I].Size, FData + 8 * I + 4, 4);
    }
    // Every tile must lie in the file and hold all of its cells.
    const std::uint32_t Across = Field(HTilesAcross);
    const std::uint64_t Bytes = Field(HBitsPerCell) / 8;
    for (std::size_t I = 0; I < FTileTable.size(); ++I) {
        const bool LastColumn = I % Across == Across - 1;
        const bool LastRow = I / Across == Field(HTilesDown) - 1;
        const std::uint64_t Cells = std::uint64_t{LastColumn ? Field(HLastColumnWidth) : Field(HTileWidth)} *
                                    (LastRow ? Field(HLastRowHeight) : Field(HTileHeight));
        const TTile& Tile = FTileTable[I];
        if (std::uint64_t{Tile.Offset} + Tile.Size > FFileSize || Tile.Size < Cells * Bytes)
            return OwnError("tile " + std::to_string(I) +
                            " lies outside the file or is too short for its cells");
    }
    return true;
}

// Why the header cannot describe a readable image; empty when it can.
std::string TRswMap2::StructureFault() const {
    const std::uint32_t Bits = Field(HBitsPerCell);
    if (Bits != 8 && Bits != 24) return std::to_string(Bits) + " bits per cell; only 8 and 24 are read";
    const std::uint32_t Width = Field(HWidth), Height = Field(HHeight);
    const std::uint32_t TileWidth = Field(HTileWidth), TileHeight = Field(HTileHeight);
    const std::uint32_t Across = Field(HTilesAcross), Down = Field(HTilesDown);
    const bool Geometry = Width > 0 && Height > 0 && Width <= INT32_MAX && Height <= INT32_MAX &&
                          TileWidth > 0 && TileHeight > 0 && Across == CeilDiv(Width, TileWidth) &&
                          Down == CeilDiv(Height, TileHeight) &&
                          Field(HLastColumnWidth) == Width - (Across - 1) * TileWidth &&
                          Field(HLastRowHeight) == Height - (Down - 1) * TileHeight;
    if (!Geometry) return "the header's image and tile sizes do not agree";
    const std::uint64_t Tiles = std::uint64_t{Across} * Down;
    if (Field(HTableLength) != 8 * Tiles) return "the tile table length does not match the tile count";
    const auto Inside = [&](std::uint64_t Offset, std::uint64_t Length) {
        return Offset + Length <= FFileSize && Length <= TMapByte::MaxViewBytes;
    };
    if (Field(HPaletteOffset) + std::uint64_t{PaletteSize} > FFileSize)
        return "the palette lies outside the file";
    if (!Inside(Field(HTableOffset), Field(HTableLength))) return "the tile table lies outside the file";
    return {};
}

bool TRswMap2::CreateFile(std::int32_t Columns, std::int32_t Rows, std::uint8_t CellType,
                          std::int32_t Bands) {
    if (Bands != 3) {
        FErrorCode = 3;
        FErrorText = "Error bands<>3";
        return false;
    }
    if (CellType != ctUnsigned8) {
        FErrorCode = 4;
        FErrorText = "Error not byte cell";
        return false;
    }
    if (Columns <= 0 || Rows <= 0) return OwnError(std::string(BadSizeText));
    const auto Width = static_cast<std::uint32_t>(Columns), Height = static_cast<std::uint32_t>(Rows);
    FRswHeader.fill(0);
    std::memcpy(FRswHeader.data(), RswMagic.data(), RswMagic.size());
    FRswHeader[HFormat] = 2;
    SetField(HWidth, Width);
    SetField(HHeight, Height);
    SetField(HBitsPerCell, 24);
    FColumns = Width;
    FRows = Height;
    FBands = 3;
    FCellType = ctUnsigned8;
    FFirstRow = 0;
    FEndRow = -1;
    SetField(HPaletteOffset, PaletteOffset);
    SetField(HPaletteLength, PaletteSize);
    SetField(HTableOffset, TileTableOffset);
    SetReal(HConstant, ThousandUnits);
    FPalette.fill(0);

    const std::uint32_t TileWidth = Width >= MaxTileSide ? MaxTileSide : Width;
    const std::uint32_t TileHeight = Height >= MaxTileSide ? MaxTileSide : Height;
    const std::uint32_t Across = CeilDiv(Width, TileWidth), Down = CeilDiv(Height, TileHeight);
    SetField(HTileWidth, TileWidth);
    SetField(HTileHeight, TileHeight);
    SetField(HTilesAcross, Across);
    SetField(HTilesDown, Down);
    SetField(HLastColumnWidth, Width - (Across - 1) * TileWidth);
    SetField(HLastRowHeight, Height - (Down - 1) * TileHeight);
    const std::uint64_t TableLength = 8 * std::uint64_t{Across} * Down;
    const std::uint64_t FileLength = TileTableOffset + TableLength + 3 * std::uint64_t{Width} * Height;
    // The header holds the length and every tile offset in 32 bits; a larger file could not describe itself.
    if (FileLength > std::numeric_limits<std::uint32_t>::max()) return OwnError(std::string(TooLargeText));
    SetField(HTableLength, static_cast<std::uint32_t>(TableLength));
    FTileTable.assign(static_cast<std::size_t>(Across) * Down, {});
    BuildTileTable();
    FLineSize = 3 * std::uint64_t{Width};
    SetField(HFileLength, static_cast<std::uint32_t>(FileLength));
    SetField(HFileLength2, static_cast<std::uint32_t>(FileLength));
    if (!OpenFile(FFileName, omCreate, FileLength)) return false;
    return WriteRswHeader();
}

void TRswMap2::BuildTileTable() {
    const std::uint32_t Across = Field(HTilesAcross), Down = Field(HTilesDown);
    std::uint32_t Offset = TileTableOffset + Field(HTableLength);
    for (std::uint32_t TileY = 0; TileY < Down; ++TileY)
        for (std::uint32_t TileX = 0; TileX < Across; ++TileX) {
            const std::uint32_t Width = TileX == Across - 1 ? Field(HLastColumnWidth) : Field(HTileWidth);
            const std::uint32_t Height = TileY == Down - 1 ? Field(HLastRowHeight) : Field(HTileHeight);
            const std::uint32_t Size = 3 * Width * Height;
            FTileTable[TileX + std::size_t{TileY} * Across] = {Offset, Size};
            Offset += Size;
        }
}

bool TRswMap2::WriteRswHeader() {
    if (FMode == omRead) return false; // the view is read-only
    FForceRemap = true;
    FPosition = 0;
    FMinBytes = static_cast<std::uint32_t>(TileTableOffset + 8 * FTileTable.size());
    if (!MapPosition()) return false;
    std::memcpy(FData, FRswHeader.data(), HeaderSize);
    std::memcpy(FData + Field(HPaletteOffset), FPalette.data(), PaletteSize);
    unsigned char* Table = FData + Field(HTableOffset);
    for (std::size_t I = 0; I < FTileTable.size(); ++I) {
        std::memcpy(Table + 8 * I, &FTileTable[I].Offset, 4);
        std::memcpy(Table + 8 * I + 4, &FTileTable[I].Size, 4);
    }
    return true;
}

unsigned char* TRswMap2::CellStart(std::int64_t Col, std::int64_t Row, std::uint32_t& Band) {
    Band = std::min<std::uint32_t>(Band, static_cast<std::uint32_t>(GetBands() - 1));
    if (!IsFileOpen() || static_cast<std::uint64_t>(Col) >= Field(HWidth) ||
        static_cast<std::uint64_t>(Row) >= Field(HHeight))
        return nullptr;
    const auto Column = static_cast<std::uint32_t>(Col), Line = static_cast<std::uint32_t>(Row);
    const std::uint32_t TileWidth = Field(HTileWidth), TileHeight = Field(HTileHeight);
    const std::uint32_t TileX = Column / TileWidth, TileY = Line / TileHeight;
    const TTile& Tile = FTileTable[TileX + std::size_t{TileY} * Field(HTilesAcross)];
    FPosition = Tile.Offset;
    FMinBytes = Tile.Size;
    if (!MapPosition()) return nullptr;
    const std::uint32_t Width = TileX == Field(HTilesAcross) - 1 ? Field(HLastColumnWidth) : TileWidth;
    return FData + FBands * (std::size_t{Column % TileWidth} + std::size_t{Width} * (Line % TileHeight));
}

std::unique_ptr<TMMapFile2> TRswMap2::OpenReadView() const {
    return OpenedAgain<TRswMap2>(*this);
}

bool TRswMap2::PlainRowLayout(TRowLayout& Layout) const {
    if (FMode != omRead || !FDecoded) return false;
    Layout = {.Columns = FColumns,
              .Rows = FRows,
              .Bands = 3,
              .CellType = ctUnsigned8,
              .LSBFirst = true,
              .FirstBand = 0,
              .ColumnStride = 3,
              .BandStride = 1};
    return true;
}

bool TRswMap2::MapRows(std::int64_t First, std::int64_t Last, unsigned char*& FirstRow,
                       unsigned char*& LastRow) {
    return FMode == omRead && FDecoded.MapRows(First, Last, FirstRow, LastRow);
}

bool TRswMap2::DecodeTileRow(std::uint32_t TileY, unsigned char* Rows) {
    const std::uint32_t Across = Field(HTilesAcross), TileWidth = Field(HTileWidth);
    const std::uint32_t Lines = TileY == Field(HTilesDown) - 1 ? Field(HLastRowHeight) : Field(HTileHeight);
    const std::uint64_t RowBytes = 3 * std::uint64_t{FColumns};
    for (std::uint32_t TileX = 0; TileX < Across; ++TileX) {
        const TTile& Tile = FTileTable[TileX + std::size_t{TileY} * Across];
        FPosition = Tile.Offset;
        FMinBytes = Tile.Size;
        if (!MapPosition()) return false;
        const std::uint32_t Width = TileX == Across - 1 ? Field(HLastColumnWidth) : TileWidth;
        for (std::uint32_t Line = 0; Line < Lines; ++Line) {
            const unsigned char* Cell = FData + std::size_t{FBands} * Width * Line;
            unsigned char* To = Rows + Line * RowBytes + 3 * std::uint64_t{TileX} * TileWidth;
            // 24-bit cells are stored blue first; colour-mapped ones name a palette entry.
            if (FBands == 3)
                for (std::uint32_t Col = 0; Col < Width; ++Col, Cell += 3, To += 3)
                    To[0] = Cell[2], To[1] = Cell[1], To[2] = Cell[0];
            else
                for (std::uint32_t Col = 0; Col < Width; ++Col, ++Cell, To += 3)
                    std::memcpy(To, FPalette.data() + std::size_t{*Cell} * 4, 3);
        }
    }
    return true;
}

bool TRswMap2::ReadCell(std::int64_t Col, std::int64_t Row, std::uint32_t Band, float& Value) {
    Value = 0;
    const unsigned char* Cell = CellStart(Col, Row, Band);
    if (Cell == nullptr) return false;
    Value = FBands == 3 ? Cell[2 - Band] : FPalette[std::size_t{Cell[0]} * 4 + Band];
    return true;
}

// Only 24-bit cells are written; a colour-mapped image's cells are palette indexes, and a read-only
// view cannot be written at all.
bool TRswMap2::WriteCell(std::int64_t Col, std::int64_t Row, std::uint32_t Band, float Value) {
    if (FMode == omRead || FBands != 3) return false;
    unsigned char* Cell = CellStart(Col, Row, Band);
    return Cell != nullptr && StoreByteCell(Cell + (2 - Band), Value);
}

void TRswMap2::SetGeoreference(const std::string& /*Spheroid*/, const std::string& /*Datum*/,
                               const std::string& /*Projection*/, double CellSizeX, double CellSizeY,
                               double RegCellX, double RegCellY, double Easting, double Northing) {
    SetField(HGeoreferenced, 1);
    SetReal(HConstant, ThousandUnits);
    SetReal(HCellsPerThousand, ThousandUnits / CellSizeX);
    SetReal(HCellSize, CellSizeX);
    SetReal(HLeftEasting, Easting - RegCellX * CellSizeX);
    SetReal(HLowerNorthing, Northing + RegCellY * CellSizeY - GetRows() * CellSizeY);
    WriteRswHeader();
}

bool TRswMap2::OpenMapRead(const std::string& FileName) {
    if (!PathExists(FileName)) {
        FErrorText = FileMissingText;
        return false;
    }
    return OpenMap(FileName, 0, 0, ctUnsigned8, 3, omRead);
}

constinit const TImageFormat RswFormat = ReadWriteFormat<TRswMap2>({.Code = ftRsw,
                                                                    .Name = "RSW",
                                                                    .ExtensionKey = "RSW",
                                                                    .Extensions = {".rsw"},
                                                                    .Signatures = {Letters(RswMagic)}});

} // namespace vortane
