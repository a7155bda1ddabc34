#pragma once
// VEG tiled height grids: a five-line text header "<name>.dat" and a little-endian tile file
// "<name>.veg". The grid is cut into tiles of 250 x 250 cells and only tiles holding data are stored;
// each cell is a 6-byte record (a 16-bit field, -9999 when written here, then the 32-bit float value,
// -9999 meaning no data).
//
// Tile file: a 32-bit 0, then one 8-byte directory entry per tile (the tile's 32-bit file offset, 0
// for an absent tile, and a 32-bit 0), tile rows from the south and tiles from west to east, then the
// present tiles in directory order. Inside a tile the rows are stored from south to north.
//
// Reading maps single cells of the file, or decodes a row of tiles at a time into plain rows of
// floats (absent tiles as -9999); creating keeps the tiles in memory and writes both files when the
// image is complete.

#include "raster/decoded_rows.hpp"
#include "raster/float_grid_map.hpp"
#include "raster/image_format.hpp"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vortane {

class TVegHeader final : public THeader {
public:
    // Header lines: the southernmost row's northing, the easting, the cell size (X and Y), the number
    // of tile rows minus one and of tile columns minus one. False when the file cannot be read or a
    // tile count is not an integer that gives a grid of at most 2^31 - 1 rows and columns (a line
    // that is not an integer reads as 0).
    bool ReadHeader(const std::string& FileName) override;
    // Writes the five lines with CR LF ends; false after an input/output error.
    bool WriteHeader(const std::string& FileName) override;

    std::int32_t FTileRowsLast = 0; // tile rows minus one
    std::int32_t FTileColsLast = 0; // tile columns minus one
    double FSouthNorthing = 0;      // northing of the last (southernmost) row
};

class TVegFile final : public TFloatGridMap2 {
public:
    static constexpr std::int32_t TileSide = 250;
    static constexpr std::size_t CellRecordBytes = 6;
    static constexpr std::size_t TileBytes = std::size_t{TileSide} * TileSide * CellRecordBytes;
    static constexpr float NoData = -9999.0f;

    TVegFile();
    ~TVegFile() override;

    // Always one band of floats: CellType and Bands are not used. Reading refuses a tile file whose
    // directory or tiles lie past its end; creating checks that the tile file can be written and
    // keeps everything else in memory.
    bool OpenMap(const std::string& FileName, std::int32_t Columns, std::int32_t Rows, std::uint8_t CellType,
                 std::int32_t Bands, std::uint8_t Mode) override;
    // "grid.veg" (or "grid") gives the tile file "grid.veg" and the header "grid.dat".
    void SetFileName(const std::string& FileName) override;
    // False, Value -9999, for cells outside the grid or in absent tiles; a read file's cells holding
    // -9999 also give false.
    bool ReadCell(std::int64_t Col, std::int64_t Row, std::uint32_t Band, float& Value) override;
    // Only into a created grid; -9999 into an absent tile creates nothing.
    bool WriteCell(std::int64_t Col, std::int64_t Row, std::uint32_t Band, float Value) override;
    // Writes the header and the tile file of a created grid, once.
    bool Finish() override;
    // A read grid's rows as decoded from its tiles; -9999 marks the cells ReadCell cannot read.
    bool PlainRowLayout(TRowLayout& Layout) const override;
    bool MapRows(std::int64_t First, std::int64_t Last, unsigned char*& FirstRow,
                 unsigned char*& LastRow) override;
    // The same grid opened again for reading.
    std::unique_ptr<TMMapFile2> OpenReadView() const override;

private:
    struct TTile {
        std::uint32_t Offset = 0;         // read mode: file offset, 0 when absent
        std::vector<unsigned char> Block; // create modes: the tile's bytes, empty when absent
    };

    TVegHeader& VegHeader() const;
    bool OpenTileFile();
    bool CreateTiles(std::int32_t Columns, std::int32_t Rows);
    // The tile of a cell inside the grid and the cell's byte offset inside its tile; null outside.
    TTile* TileOf(std::int64_t Col, std::int64_t Row, std::size_t& CellAt);
    bool WriteTileFile();
    // The cells of tile row TileRow (counted from the north) as plain rows into Rows.
    bool DecodeTileRow(std::uint32_t TileRow, unsigned char* Rows);

    std::vector<TTile> FTiles;
    bool FSaved = false;
    TDecodedRows FDecoded; // read grids only
};

extern const TImageFormat VegFormat;

} // namespace vortane
