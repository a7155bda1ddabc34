#pragma once
// The output storage choices as options and settings give them (names and numbers), checked and
// turned into the record a created image is made with.

#include "raster/creation_options.hpp"

#include <optional>
#include <string>
#include <string_view>

namespace vortane {

// The name options and settings give a compression by ("none", "deflate", "lzw", "zstd", "jpeg").
std::string_view CompressionName(TCompression Compression);
// The compression of a name (exactly as CompressionName gives it); nothing for any other text.
std::optional<TCompression> CompressionByName(std::string_view Name);
// Every compression's name, joined by Separator.
std::string CompressionNames(std::string_view Separator);

// The choices as texts and numbers, before they are checked.
struct TOutputChoices {
    std::string Compression = "none";
    long Quality = 75;
    long TileSize = 0; // 0: strips
    bool Cog = false;
    std::string NoData{}; // empty: none
    bool Alpha = false;
};

// Checks Choices and fills Options; returns "" or what is wrong, naming the option. A cloud-optimised
// output without a compression is deflated, and without a tile size has tiles of 512.
std::string ResolveOutputChoices(const TOutputChoices& Choices, TCreationOptions& Options);

// "" when an output of that kind can honour Options; otherwise why not: compression, tiles, COG and
// alpha exist for TIFF outputs only (a nodata value every format declares in its own way).
std::string StorageRefusal(const TCreationOptions& Options, bool TiffOutput);
// How the output stores its cells, for the log ("deflate, tiles 512, COG"); "" for plain outputs.
std::string StorageLogText(const TCreationOptions& Options);

} // namespace vortane
