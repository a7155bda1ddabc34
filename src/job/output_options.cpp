#include "job/output_options.hpp"

#include "raster/raster.hpp"
#include "text/name_table.hpp"
#include "text/strings.hpp"
#include "text/types.hpp"

#include <cmath>
#include <limits>
#include <utility>

namespace vortane {

namespace {

constexpr TNamed<TCompression> CompressionNamesTable[] = {
    {TCompression::None, "none"}, {TCompression::Deflate, "deflate"}, {TCompression::Lzw, "lzw"},
    {TCompression::Zstd, "zstd"}, {TCompression::Jpeg, "jpeg"},
};

// The values cells of an integer type hold; none for the other types.
std::optional<std::pair<double, double>> IntegerRange(std::uint8_t CellType) {
    switch (CellType) {
    case ctUnsigned8:
        return std::pair{0.0, 255.0};
    case ctSigned8:
        return std::pair{-128.0, 127.0};
    case ctSigned16:
        return std::pair{-32768.0, 32767.0};
    case ctUnsigned16:
        return std::pair{0.0, 65535.0};
    case ctSigned32:
        return std::pair{-2147483648.0, 2147483647.0};
    case ctUnsigned32:
        return std::pair{0.0, 4294967295.0};
    default:
        return std::nullopt;
    }
}

// Cells are computed as 32-bit floats, so no type holds more than they do.
bool CellsHold(double Value, std::uint8_t CellType) {
    if (const auto Range = IntegerRange(CellType))
        return Value == std::floor(Value) && Value >= Range->first && Value <= Range->second;
    return std::isnan(Value) || std::fabs(Value) <= std::numeric_limits<float>::max();
}

std::string NoDataName(const std::optional<double>& Value) {
    return Value ? NoDataText(*Value) : "none";
}

} // namespace

std::string_view CompressionName(TCompression Compression) {
    return NameIn(CompressionNamesTable, Compression);
}

std::optional<TCompression> CompressionByName(std::string_view Name) {
    return ValueIn(CompressionNamesTable, Name);
}

std::string CompressionNames(std::string_view Separator) {
    return NamesIn(CompressionNamesTable, Separator);
}

std::string ResolveOutputChoices(const TOutputChoices& Choices, TCreationOptions& Options) {
    const std::optional<TCompression> Compression = CompressionByName(Choices.Compression);
    if (!Compression)
        return "Compression \"" + Choices.Compression + "\" is not one of " + CompressionNames(", ");
    if (Choices.Quality < 1 || Choices.Quality > 100)
        return "JPEG quality " + std::to_string(Choices.Quality) + " is not between 1 and 100";
    if (Choices.TileSize != 0 && Choices.TileSize != 256 && Choices.TileSize != 512)
        return "Tile size " + std::to_string(Choices.TileSize) + " is not 256 or 512";
    std::optional<double> NoData;
    if (!Choices.NoData.empty()) {
        NoData = ParseFinite(Choices.NoData);
        if (!NoData) return "Nodata value \"" + Choices.NoData + "\" is not a finite number";
    }
    TCreationOptions Resolved;
    Resolved.Compression = *Compression;
    Resolved.Quality = static_cast<int>(Choices.Quality);
    Resolved.TileSize = static_cast<std::int32_t>(Choices.TileSize);
    Resolved.Cog = Choices.Cog;
    Resolved.NoData = NoData;
    Resolved.Alpha = Choices.Alpha;
    if (Resolved.Cog && Resolved.Compression == TCompression::None)
        Resolved.Compression = TCompression::Deflate;
    if (Resolved.Cog && Resolved.TileSize == 0) Resolved.TileSize = 512;
    Options = Resolved;
    return {};
}

TNoDataChoice ChooseNoData(std::optional<double> Input, const TCreationOptions& Creation,
                           std::uint8_t CellType) {
    TNoDataChoice Choice{.Input = Input, .Output = std::nullopt, .Problem = {}};
    if (Creation.NoData) {
        if (!CellsHold(*Creation.NoData, CellType)) {
            const auto Range = IntegerRange(CellType);
            Choice.Problem = "Nodata value " + NoDataText(*Creation.NoData) +
                             " cannot be held by the image's " + CellTypeName(CellType) + " cells" +
                             (Range ? " (whole numbers " + NoDataText(Range->first) + " to " +
                                          NoDataText(Range->second) + ")"
                                    : std::string());
            return Choice;
        }
        Choice.Output = Creation.NoData;
    } else if (Input && !Creation.Alpha && CellsHold(*Input, CellType)) {
        Choice.Output = Input;
    }
    return Choice;
}

std::string NoDataLogLine(const TNoDataChoice& Choice) {
    if (!Choice.Input && !Choice.Output) return {};
    return " Nodata: input " + NoDataName(Choice.Input) + ", output " + NoDataName(Choice.Output);
}

float OpaqueAlpha(std::uint8_t CellType) {
    if (CellType == ctSigned8) return 127.0f; // 255 would not fit
    if (CellType == ctSigned16) return 32767.0f;
    if (CellType == ctUnsigned16) return 65535.0f;
    return 255.0f;
}

std::string StorageRefusal(const TCreationOptions& Options, bool TiffOutput) {
    std::string Chosen;
    const auto Name = [&Chosen](bool Given, std::string_view Option) {
        if (Given) Chosen += (Chosen.empty() ? "" : ", ") + std::string(Option);
    };
    Name(Options.Compression != TCompression::None, "compression");
    Name(Options.TileSize != 0, "tiles");
    Name(Options.Cog, "COG");
    Name(Options.Alpha, "alpha band");
    if (TiffOutput || Chosen.empty()) return {};
    return "Only TIFF outputs take these storage choices: " + Chosen;
}

std::string StorageLogText(const TCreationOptions& Options) {
    if (Options.Plain()) return {};
    std::string Text(CompressionName(Options.Compression));
    if (Options.Compression == TCompression::Jpeg) Text += " quality " + std::to_string(Options.Quality);
    Text += Options.TileSize != 0 ? ", tiles " + std::to_string(Options.TileSize) : ", strips";
    if (Options.Cog) Text += ", COG";
    if (Options.NoData) Text += ", nodata " + GeneralText(*Options.NoData);
    if (Options.Alpha) Text += ", alpha";
    return Text;
}

} // namespace vortane
