#include "raster/tiff/tiff_storage.hpp"

#include "text/types.hpp"

#include <algorithm>
#include <charconv>
#include <tiffio.h>

namespace vortane {

namespace {

struct TCodec {
    TCompression Compression;
    std::uint16_t Code;
    const char* Name;
};
constexpr TCodec Codecs[] = {
    {TCompression::None, COMPRESSION_NONE, "none"},
    {TCompression::Deflate, COMPRESSION_ADOBE_DEFLATE, "deflate"},
    {TCompression::Lzw, COMPRESSION_LZW, "LZW"},
    {TCompression::Zstd, COMPRESSION_ZSTD, "ZSTD"},
    {TCompression::Jpeg, COMPRESSION_JPEG, "JPEG"},
};

const TCodec& CodecOf(TCompression Compression) {
    return *std::find_if(std::begin(Codecs), std::end(Codecs),
                         [Compression](const TCodec& Codec) { return Codec.Compression == Compression; });
}

// Rows per strip: about 64 KiB of cells, a multiple of 16 rows (JPEG codes blocks of 8 or 16 rows).
std::uint32_t StripRows(const TTiffGrid& Grid) {
    constexpr std::uint64_t Target = 64 * 1024;
    const std::uint64_t Rows =
        std::max<std::uint64_t>(1, Target / std::max<std::uint64_t>(1, Grid.RowBytes()));
    return static_cast<std::uint32_t>(std::min<std::uint64_t>((Rows + 15) / 16 * 16, 1u << 16));
}

std::uint16_t PredictorFor(TCompression Compression, std::uint8_t CellType) {
    if (Compression == TCompression::None || Compression == TCompression::Jpeg) return PREDICTOR_NONE;
    return CellType == ctFloat32 || CellType == ctFloat64 ? PREDICTOR_FLOATINGPOINT : PREDICTOR_HORIZONTAL;
}

} // namespace

std::uint64_t TTiffGrid::RowBytes() const {
    return std::uint64_t{Columns} * Bands * static_cast<std::uint64_t>(CellBytes(CellType));
}

std::string PlanTiffStorage(const TCreationOptions& Options, const TTiffGrid& Grid, TTiffStorage& Storage) {
    const TCodec& Codec = CodecOf(Options.Compression);
    if (!TIFFIsCODECConfigured(Codec.Code))
        return std::string("This build's libtiff cannot compress with ") + Codec.Name;
    const std::uint32_t ColourBands = Grid.Bands - (Options.Alpha ? 1 : 0);
    if (Options.Alpha && Grid.Bands < 2) return "An alpha band needs a band of cells beside it";
    if (ColourBands != 1 && ColourBands != 3)
        return "Wrong number of bands(must be 1 or 3)" +
               std::string(Options.Alpha ? ", and the alpha band" : "");
    if (Options.Compression == TCompression::Jpeg && Grid.CellType != ctUnsigned8)
        return "JPEG compression takes 8-bit cells only; these cells are " + CellTypeName(Grid.CellType);
    TTiffStorage Planned;
    Planned.Compression = Codec.Code;
    Planned.Predictor = PredictorFor(Options.Compression, Grid.CellType);
    Planned.Quality = Options.Quality;
    Planned.TileSize = static_cast<std::uint32_t>(Options.TileSize);
    if (Planned.TileSize == 0) Planned.RowsPerStrip = StripRows(Grid);
    Planned.Photometric = ColourBands == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    Planned.Alpha = Options.Alpha;
    if (Options.Cog && Planned.TileSize != 0)
        Planned.Overviews = OverviewLevels(Grid.Columns, Grid.Rows, Planned.TileSize);
    Planned.BigTiff = NeedsBigTiff(Grid.RowBytes() * Grid.Rows, !Planned.Overviews.empty());
    Storage = Planned;
    return {};
}

bool NeedsBigTiff(std::uint64_t CellBytes, bool Overviews) {
    constexpr std::uint64_t Limit = std::uint64_t{1} << 32;
    constexpr std::uint64_t Margin = 64u << 20;
    // Overviews halving each side add at most a third; incompressible data grows by well under 1/64.
    const std::uint64_t Estimate = CellBytes + (Overviews ? CellBytes / 3 : 0) + CellBytes / 64 + Margin;
    return Estimate > Limit - Margin;
}

std::vector<TTiffStorage::TLevel> OverviewLevels(std::uint32_t Columns, std::uint32_t Rows,
                                                 std::uint32_t TileSize) {
    std::vector<TTiffStorage::TLevel> Levels;
    while (TileSize != 0 && (Columns > TileSize || Rows > TileSize)) {
        Columns = (Columns + 1) / 2;
        Rows = (Rows + 1) / 2;
        Levels.push_back({Columns, Rows});
    }
    return Levels;
}

std::string NoDataTagText(double Value) {
    char Text[64];
    const auto Result = std::to_chars(Text, Text + sizeof Text, Value, std::chars_format::general, 18);
    return std::string(Text, Result.ptr);
}

} // namespace vortane
