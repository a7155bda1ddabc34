#pragma once
// How a created TIFF stores its cells when it is not the plain single strip: the TIFF codes of its
// compression and predictor, its blocks (tiles or strips of several rows), its overview levels, and
// whether its offsets need the BigTIFF form. Decided once, from the creation options and the grid,
// before any cell is written, so that a choice the image cannot take is refused before a row is
// computed.

#include "raster/creation_options.hpp"

#include <cstdint>
#include <string>
#include <vector>

namespace vortane {

struct TTiffGrid {
    std::uint32_t Columns = 0, Rows = 0, Bands = 0;
    std::uint8_t CellType = 0;
    // Bytes of one row of all bands, interleaved.
    std::uint64_t RowBytes() const;
};

struct TTiffStorage {
    std::uint16_t Compression = 1; // the TIFF Compression code
    std::uint16_t Predictor = 1;   // 1 none, 2 horizontal differences, 3 floating point
    int Quality = 75;              // JPEG only
    std::uint32_t TileSize = 0;    // 0: strips of RowsPerStrip rows
    std::uint32_t RowsPerStrip = 0;
    std::uint16_t Photometric = 1; // 1 grey, 2 RGB
    bool Alpha = false;            // the last band is unassociated alpha
    bool BigTiff = false;
    // The sizes of the overview levels, each half the one before (rounded up), largest first; empty
    // without overviews.
    struct TLevel {
        std::uint32_t Columns = 0, Rows = 0;
    };
    std::vector<TLevel> Overviews;

    // Rows encoded together: one row of tiles, or one strip.
    std::uint32_t BlockRows() const { return TileSize != 0 ? TileSize : RowsPerStrip; }
};

// The storage of Grid under Options, or why the image cannot be stored so (a codec missing from
// libtiff, JPEG for cells other than 8-bit, a band count neither grey nor colour).
std::string PlanTiffStorage(const TCreationOptions& Options, const TTiffGrid& Grid, TTiffStorage& Storage);

// Whether an image of CellBytes uncompressed bytes (with its overviews when it has them) could pass the
// 4 GiB that 32-bit offsets reach: compression can expand data that does not compress, and the
// directories and block tables take room too, so the rule keeps a margin on both sides.
bool NeedsBigTiff(std::uint64_t CellBytes, bool Overviews);

// Overview levels of an image tiled by TileSize: each half the one before, until one fits in one tile.
std::vector<TTiffStorage::TLevel> OverviewLevels(std::uint32_t Columns, std::uint32_t Rows,
                                                 std::uint32_t TileSize);

// The text of a nodata value as the GDAL_NODATA tag holds it (shortest form keeping 18 digits).
std::string NoDataTagText(double Value);

} // namespace vortane
