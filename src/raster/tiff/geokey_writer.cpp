#include "raster/tiff/geokey_writer.hpp"

#include "raster/raster.hpp"

#include <algorithm>

namespace vortane {

namespace {

constexpr std::uint16_t KeyDirectoryVersion = 1, KeyRevision = 1, KeyMinorRevision = 0;

} // namespace

TEncodedGeoKeys CreatedImageKeys(const TDataSetRoot2& Raster) {
    TGeoKeySet Keys = Raster.SystemDescription().GeoKeys;
    Keys.Keys.push_back(TGeoKey{gkRasterType, {gvRasterPixelIsArea}, {}, {}});
    return EncodeGeoKeys(std::move(Keys));
}

TGeoTiffPlacementTags CreatedImagePlacement(TDataSetRoot2& Raster) {
    TGeoTiffPlacementTags Tags;
    Tags.Scale = {Raster.GetCellSizeX(), Raster.GetCellSizeY(), 0};
    // The tie point in the very system the keys declare (a zone grid's declared false easting carries
    // its zone, as the world file does).
    Tags.TiePoint = {0,
                     0,
                     0,
                     Raster.GetRegEasting() - Raster.GetCellSizeX() / 2,
                     Raster.GetRegNorthing() + Raster.GetCellSizeY() / 2,
                     0};
    Tags.Keys = CreatedImageKeys(Raster);
    return Tags;
}

TEncodedGeoKeys EncodeGeoKeys(TGeoKeySet Keys) {
    std::stable_sort(Keys.Keys.begin(), Keys.Keys.end(),
                     [](const TGeoKey& A, const TGeoKey& B) { return A.Id < B.Id; });
    TEncodedGeoKeys Tags;
    const auto KeyCount = static_cast<std::uint16_t>(Keys.Keys.size());
    Tags.Directory = {KeyDirectoryVersion, KeyRevision, KeyMinorRevision, KeyCount};
    std::vector<std::uint16_t> ShortArrays;
    const auto Offset = [](std::size_t Size) { return static_cast<std::uint16_t>(Size); };
    for (const TGeoKey& Key : Keys.Keys) {
        std::uint16_t Location = 0, Count = 1, Value = 0;
        if (!Key.Text.empty()) {
            Location = tagGeoAsciiParamsId;
            Count = Offset(Key.Text.size() + 1);
            Value = Offset(Tags.Ascii.size());
            Tags.Ascii += Key.Text + '|';
        } else if (!Key.Doubles.empty()) {
            Location = tagGeoDoubleParamsId;
            Count = Offset(Key.Doubles.size());
            Value = Offset(Tags.Doubles.size());
            Tags.Doubles.insert(Tags.Doubles.end(), Key.Doubles.begin(), Key.Doubles.end());
        } else if (Key.Shorts.size() == 1) {
            Value = Key.Shorts[0];
        } else {
            Location = tagGeoKeyDirectoryId;
            Count = Offset(Key.Shorts.size());
            Value = Offset(4 + 4 * std::size_t{KeyCount} + ShortArrays.size());
            ShortArrays.insert(ShortArrays.end(), Key.Shorts.begin(), Key.Shorts.end());
        }
        Tags.Directory.insert(Tags.Directory.end(), {Key.Id, Location, Count, Value});
    }
    Tags.Directory.insert(Tags.Directory.end(), ShortArrays.begin(), ShortArrays.end());
    if (!Tags.Ascii.empty()) Tags.Ascii += '\0';
    return Tags;
}

} // namespace vortane
