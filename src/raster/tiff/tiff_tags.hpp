#pragma once
// The numbers of the TIFF tags this program reads and writes itself: the TIFF 6.0 baseline and its
// extensions (tiles, predictor, JPEG tables), GeoTIFF's placement tags and GDAL's nodata text. The
// GeoTIFF key tags are in geokeys.hpp.

#include <cstdint>

namespace vortane {

enum : std::uint16_t {
    tagNewSubfileType = 254,
    tagImageWidth = 256,
    tagImageLength = 257,
    tagBitsPerSample = 258,
    tagCompression = 259,
    tagPhotometric = 262,
    tagStripOffsets = 273,
    tagSamplesPerPixel = 277,
    tagRowsPerStrip = 278,
    tagStripByteCounts = 279,
    tagXResolution = 282,
    tagYResolution = 283,
    tagPlanarConfig = 284,
    tagResolutionUnit = 296,
    tagPredictor = 317,
    tagTileWidth = 322,
    tagTileLength = 323,
    tagTileOffsets = 324,
    tagTileByteCounts = 325,
    tagExtraSamples = 338,
    tagSampleFormat = 339,
    tagJpegTables = 347,
    tagModelPixelScale = 33550,
    tagModelTiePoint = 33922,
    tagGdalNoData = 42113,
};

} // namespace vortane
