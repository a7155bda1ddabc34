#include "raster/tiff/libtiff_output.hpp"

#include "raster/tiff/tiff_placement.hpp"
#include "raster/tiff/tile_encoder.hpp"
#include "text/types.hpp"

#include <algorithm>
#include <cstring>

namespace vortane {

bool SetStorageTags(TIFF* Tiff, const TTiffGrid& Grid, const TTiffStorage& Storage) {
    const auto Bits = static_cast<std::uint16_t>(8 * CellBytes(Grid.CellType));
    bool Set = TIFFSetField(Tiff, TIFFTAG_IMAGEWIDTH, Grid.Columns) &&
               TIFFSetField(Tiff, TIFFTAG_IMAGELENGTH, Grid.Rows) &&
               TIFFSetField(Tiff, TIFFTAG_BITSPERSAMPLE, Bits) &&
               TIFFSetField(Tiff, TIFFTAG_SAMPLESPERPIXEL, static_cast<std::uint16_t>(Grid.Bands)) &&
               TIFFSetField(Tiff, TIFFTAG_SAMPLEFORMAT, SampleFormatOf(Grid.CellType)) &&
               TIFFSetField(Tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
               TIFFSetField(Tiff, TIFFTAG_PHOTOMETRIC, Storage.Photometric) &&
               TIFFSetField(Tiff, TIFFTAG_COMPRESSION, Storage.Compression);
    if (Set && Storage.Compression == COMPRESSION_JPEG)
        Set = TIFFSetField(Tiff, TIFFTAG_JPEGQUALITY, Storage.Quality);
    if (Set && Storage.Predictor != PREDICTOR_NONE)
        Set = TIFFSetField(Tiff, TIFFTAG_PREDICTOR, Storage.Predictor);
    if (Set && Storage.Alpha) {
        const std::uint16_t Unassociated = EXTRASAMPLE_UNASSALPHA;
        Set = TIFFSetField(Tiff, TIFFTAG_EXTRASAMPLES, 1, &Unassociated);
    }
    if (Set && Storage.TileSize != 0)
        Set = TIFFSetField(Tiff, TIFFTAG_TILEWIDTH, Storage.TileSize) &&
              TIFFSetField(Tiff, TIFFTAG_TILELENGTH, Storage.TileSize);
    else if (Set)
        Set = TIFFSetField(Tiff, TIFFTAG_ROWSPERSTRIP, Storage.RowsPerStrip);
    return Set;
}

TTiffImageOut::~TTiffImageOut() {
    if (FTiff) TIFFClose(FTiff);
}

bool TTiffImageOut::Fail(const std::string& Step) {
    if (FFailure.empty()) FFailure = FLibTiffError.empty() ? Step : Step + ": " + FLibTiffError;
    return false;
}

bool TTiffImageOut::Open(const std::string& Name, const TTiffGrid& Grid, const TTiffStorage& Storage) {
    FGrid = Grid;
    FStorage = Storage;
    // "l": little-endian like the plain images; "8": BigTIFF.
    FTiff = OpenTiff(Name, Storage.BigTiff ? "w8l" : "wl", FLibTiffError);
    if (!FTiff) return Fail("libtiff cannot create " + Name);
    return SetStorageTags(FTiff, Grid, Storage) || Fail("libtiff refused the storage tags of " + Name);
}

void TTiffImageOut::SetImageTags(const TTiffImageTags& Tags) {
    if (!FTiff) return;
    const TGeoTiffPlacementTags& P = Tags.Placement;
    const auto Count = [](const auto& Values) { return static_cast<std::uint32_t>(Values.size()); };
    TIFFSetField(FTiff, tagModelPixelScale, Count(P.Scale), P.Scale.data());
    TIFFSetField(FTiff, tagModelTiePoint, Count(P.TiePoint), P.TiePoint.data());
    if (!P.Keys.Directory.empty())
        TIFFSetField(FTiff, tagGeoKeyDirectoryId, Count(P.Keys.Directory), P.Keys.Directory.data());
    if (!P.Keys.Doubles.empty())
        TIFFSetField(FTiff, tagGeoDoubleParamsId, Count(P.Keys.Doubles), P.Keys.Doubles.data());
    // The tag's text ends with the NUL libtiff adds itself.
    if (!P.Keys.Ascii.empty()) TIFFSetField(FTiff, tagGeoAsciiParamsId, P.Keys.Ascii.c_str());
    if (Tags.NoData) TIFFSetField(FTiff, tagGdalNoData, NoDataTagText(*Tags.NoData).c_str());
}

bool TTiffImageOut::WriteBlock(std::uint32_t First, const unsigned char* Rows, std::uint32_t Count) {
    if (!FTiff || !FFailure.empty()) return false;
    if (FStorage.TileSize != 0) return WriteTiles(First, Rows, Count);
    const std::uint64_t Bytes = FGrid.RowBytes() * Count;
    FScratch.assign(Rows, Rows + Bytes);
    const std::uint32_t Strip = First / FStorage.RowsPerStrip;
    return TIFFWriteEncodedStrip(FTiff, Strip, FScratch.data(), static_cast<tmsize_t>(Bytes)) >= 0 ||
           Fail("Cannot write strip " + std::to_string(Strip));
}

bool TTiffImageOut::WriteTiles(std::uint32_t First, const unsigned char* Rows, std::uint32_t Count) {
    const std::uint64_t CellBytes = FGrid.RowBytes() / FGrid.Columns;
    const std::uint32_t Tile = FStorage.TileSize;
    const std::uint64_t TileRowBytes = Tile * CellBytes;
    std::vector<std::vector<unsigned char>> Tiles;
    for (std::uint32_t Left = 0; Left < FGrid.Columns; Left += Tile) {
        std::vector<unsigned char>& Cells = Tiles.emplace_back(TileRowBytes * Tile, 0);
        const std::uint64_t Width = std::min(Tile, FGrid.Columns - Left) * CellBytes;
        for (std::uint32_t Row = 0; Row < Count; ++Row)
            std::memcpy(Cells.data() + Row * TileRowBytes, Rows + Row * FGrid.RowBytes() + Left * CellBytes,
                        Width);
    }
    // Encoded side by side on every core where the codec allows, then stored in order.
    const bool Apart = Tiles.size() > 1 && EncodesApart(FStorage);
    if (std::string Reason; Apart && !EncodeTilesApart(FGrid, FStorage, Tiles, Reason)) return Fail(Reason);
    for (std::uint32_t Column = 0; Column < Tiles.size(); ++Column) {
        const std::uint32_t Index = TIFFComputeTile(FTiff, Column * Tile, First, 0, 0);
        const auto Size = static_cast<tmsize_t>(Tiles[Column].size());
        const tmsize_t Stored = Apart ? TIFFWriteRawTile(FTiff, Index, Tiles[Column].data(), Size)
                                      : TIFFWriteEncodedTile(FTiff, Index, Tiles[Column].data(), Size);
        if (Stored < 0) return Fail("Cannot write tile " + std::to_string(Index));
    }
    return true;
}

bool TTiffImageOut::Close() {
    if (!FTiff) return false;
    const bool Written = FFailure.empty() && TIFFWriteDirectory(FTiff);
    TIFF* Tiff = FTiff;
    FTiff = nullptr;
    TIFFClose(Tiff);
    return (Written && FLibTiffError.empty()) || Fail("Cannot write the image directory");
}

} // namespace vortane
