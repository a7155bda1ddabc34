#pragma once
// How a created image stores its cells beyond its grid: compression, tiles and overviews (TIFF), the
// value its empty cells hold and an alpha band. The defaults create exactly what a run without any of
// these choices always created.

#include <cstdint>
#include <optional>

namespace vortane {

enum class TCompression : std::uint8_t { None, Deflate, Lzw, Zstd, Jpeg };

struct TCreationOptions {
    TCompression Compression = TCompression::None;
    int Quality = 75;          // JPEG compression, 1 to 100
    std::int32_t TileSize = 0; // 0: strips; otherwise square tiles of 256 or 512
    bool Cog = false;          // a cloud-optimised GeoTIFF: tiled, compressed, internal overviews
    // What output cells no input cell was sampled for hold, declared in the header or tag; none: the
    // background colour or 0 as before, declared nowhere.
    std::optional<double> NoData{};
    bool Alpha = false; // TIFF outputs get one more band: 0 where no input cell was sampled, else 255

    // Whether anything differs from the plain image every run created before these choices existed.
    bool Plain() const {
        return Compression == TCompression::None && TileSize == 0 && !Cog && !NoData && !Alpha;
    }
};

} // namespace vortane
