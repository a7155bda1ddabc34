#pragma once
// RSW images: a tiled raster file with a 248-byte header of fixed fields, a 256-entry palette, a table
// of tiles and the cells stored tile by tile. 8-bit colour-mapped and 24-bit files are read, always as
// three bands of bytes (red, green, blue); 24-bit files are written. Cells are reached in the mapped
// file one tile at a time. Georeferencing lives in the header (one cell size, the lower-left corner);
// control points may come from a ".gcp" file beside the image. A read image also offers its cells as
// plain rows (red, green, blue bytes of each cell), decoded a row of tiles at a time.
//
// File layout (little-endian): header at 0, 72 zero bytes, palette at 320 (entry i at 320 + 4i, byte b
// the value of band b), tile table at 1344 (offset and length of each tile, 32 bits each), tile data
// in table order. Tiles are numbered row-major; a tile holds its rows top to bottom, each cell's bytes
// in reverse band order (blue, green, red).

#include "raster/decoded_rows.hpp"
#include "raster/image_format.hpp"
#include "raster/raster.hpp"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vortane {

class TRswMap2 final : public TDataSetRoot2 {
public:
    // The header says georeferencing was written into it.
    bool HasGeoreference() const override { return Field(HGeoreferenced) == 1; }

    // Header fields: offsets within the header.
    static constexpr std::size_t HeaderSize = 248;
    static constexpr std::size_t PaletteSize = 1024;
    static constexpr std::uint32_t PaletteOffset = 320;
    static constexpr std::uint32_t TileTableOffset = PaletteOffset + PaletteSize; // 1344
    static constexpr std::size_t HFormat = 5, HFileLength = 8, HBitsPerCell = 52, HHeight = 56, HWidth = 60,
                                 HTilesAcross = 64, HTilesDown = 68, HTileWidth = 72, HTileHeight = 76,
                                 HLastRowHeight = 80, HLastColumnWidth = 84, HPaletteOffset = 96,
                                 HPaletteLength = 100, HTableOffset = 104, HTableLength = 108,
                                 HConstant = 136, HCellsPerThousand = 144, HCellSize = 152,
                                 HLowerNorthing = 160, HLeftEasting = 168, HFileLength2 = 220,
                                 HGeoreferenced = 244;
    static constexpr std::uint32_t MaxTileSide = 64;

    struct TTile {
        std::uint32_t Offset = 0;
        std::uint32_t Size = 0; // bytes
    };

    TRswMap2();
    ~TRswMap2() override;

    bool GoToRow(std::int64_t Row, std::uint32_t Band) override; // always false: cells are reached by tile
    // The same image opened again for reading.
    std::unique_ptr<TMMapFile2> OpenReadView() const override;
    // A read image's rows as decoded from its tiles: three bytes per cell, red first.
    bool PlainRowLayout(TRowLayout& Layout) const override;
    bool MapRows(std::int64_t First, std::int64_t Last, unsigned char*& FirstRow,
                 unsigned char*& LastRow) override;
    bool ReadCell(std::int64_t Col, std::int64_t Row, std::uint32_t Band, float& Value) override;
    bool WriteCell(std::int64_t Col, std::int64_t Row, std::uint32_t Band, float Value) override;
    bool OpenMap(const std::string& FileName, std::int32_t Columns, std::int32_t Rows, std::uint8_t CellType,
                 std::int32_t Bands, std::uint8_t Mode) override;
    bool OpenMapRead(const std::string& FileName) override;
    // The header's width and height; three byte bands.
    TGridShape Shape() const override;
    // Writes cell size, left easting and lower northing into the header; the texts are not kept.
    void SetGeoreference(const std::string& Spheroid, const std::string& Datum, const std::string& Projection,
                         double CellSizeX, double CellSizeY, double RegCellX, double RegCellY, double Easting,
                         double Northing) override;

    // Lays out the tiles of a new image from the header's tile geometry.
    void BuildTileTable();
    // Writes header, palette and tile table into the mapped file.
    bool WriteRswHeader();

    const std::array<unsigned char, HeaderSize>& Header() const { return FRswHeader; }
    const std::vector<TTile>& TileTable() const { return FTileTable; }

private:
    bool OpenExisting(std::uint8_t Mode);
    bool CreateFile(std::int32_t Columns, std::int32_t Rows, std::uint8_t CellType, std::int32_t Bands);
    bool ReadStructure();
    std::string StructureFault() const;
    void LoadControlPoints(const std::string& FileName);
    // The first byte of a cell in its mapped tile; null outside the image or when the tile cannot be mapped.
    unsigned char* CellStart(std::int64_t Col, std::int64_t Row, std::uint32_t& Band);
    // The cells of the tile row TileY as plain rows into Rows.
    bool DecodeTileRow(std::uint32_t TileY, unsigned char* Rows);

    std::uint32_t Field(std::size_t Offset) const;
    void SetField(std::size_t Offset, std::uint32_t Value);
    double Real(std::size_t Offset) const;
    void SetReal(std::size_t Offset, double Value);

    std::vector<TTile> FTileTable;
    std::array<unsigned char, PaletteSize> FPalette{};
    std::array<unsigned char, HeaderSize> FRswHeader{};
    TDecodedRows FDecoded; // read images only
};

// The first bytes of every RSW file.
inline constexpr std::string_view RswMagic = "RSW";

extern const TImageFormat RswFormat;

} // namespace vortane
