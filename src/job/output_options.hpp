#pragma once
// The output storage choices as options and settings give them (names and numbers), checked and
// turned into the record a created image is made with.

#include "raster/creation_options.hpp"

#include <cstdint>
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

// The nodata values of a run on one input: the input's (its empty cells take no part) and the value
// the output's empty cells hold and declare.
struct TNoDataChoice {
    std::optional<double> Input, Output;
    std::string Problem; // why the run cannot go ahead; empty when it can
};

// The output holds the value chosen (Creation.NoData), which its cells of CellType must hold exactly
// (a Problem otherwise: rounded or clamped, the declared value would name no cell). Without a choice it
// takes the input's value as other warpers do, unless an alpha band marks the empty cells instead or
// its cells cannot hold it.
TNoDataChoice ChooseNoData(std::optional<double> Input, const TCreationOptions& Creation,
                           std::uint8_t CellType);
// " Nodata: input -9999, output none": the run log's line; empty when neither end has a value.
std::string NoDataLogLine(const TNoDataChoice& Choice);
// The value an alpha band gives the cells an input cell was sampled for, as other warpers give it: the
// largest 16-bit value for 16-bit cells, 255 for every other type (127 for signed 8-bit cells).
float OpaqueAlpha(std::uint8_t CellType);
// "" when an output of that kind can honour Options; otherwise why not: compression, tiles, COG and
// alpha exist for TIFF outputs only (a nodata value every format declares in its own way).
std::string StorageRefusal(const TCreationOptions& Options, bool TiffOutput);
// How the output stores its cells, for the log ("deflate, tiles 512, COG"); "" for plain outputs.
std::string StorageLogText(const TCreationOptions& Options);

} // namespace vortane
