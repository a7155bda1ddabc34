#include "raster/tiff/tiff_placement.hpp"

#include "raster/side_files.hpp"
#include "text/types.hpp"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <system_error>

namespace vortane {

namespace {

constexpr std::uint16_t AngularGrad = 9105; // EPSG unit of measure code

constexpr std::string_view TiffWorldExtension = ".tfw";
constexpr std::string_view PreferredWorldExtension = ".tifw";

} // namespace

// ---------------------------------------------------------------------------------------------------
// EPSG codes

bool SystemOfProjectedCS(std::uint32_t Code, TSystemNames& Names) {
    const auto ZoneName = [](std::string_view Prefix, std::uint32_t Zone) {
        return std::string(Prefix) + (Zone < 10 ? "0" : "") + std::to_string(Zone);
    };
    const std::uint32_t Zone = Code % 100;
    if ((Code / 100 == 326 || Code / 100 == 327) && Zone >= 1 && Zone <= 60) {
        Names = {"WE", "WGS84", ZoneName(Code / 100 == 326 ? "NUTM" : "SUTM", Zone)};
        return true;
    }
    // The catalogue's Gauss-Krueger 6-degree zones on Pulkovo 1942 run from 2 to 32.
    if (Code / 100 == 284 && Zone >= 2 && Zone <= 32) {
        Names = {"KA", "Pulkovo1942", ZoneName("TMGKN", Zone)};
        return true;
    }
    return false;
}

std::vector<std::string> TiffImageFiles(const std::string& ImageName) {
    return ImageAndWorldFiles(ImageName, TiffWorldExtension, PreferredWorldExtension);
}

std::string WriteTiffWorldFiles(const std::string& ImageName, const TWorldFile& World) {
    return WriteWorldFiles(ImageName, TiffWorldExtension, PreferredWorldExtension, World);
}

std::string WriteTiffWorldFilesOf(TDataSetRoot2& Raster) {
    return WriteTiffWorldFiles(Raster.FileName(), {Raster.GetCellSizeX(), 0, 0, Raster.GetCellSizeY(),
                                                   Raster.GetOriginX(), Raster.GetOriginY()});
}

std::uint8_t CellTypeOfSample(std::uint16_t Bits, std::uint16_t Format) {
    switch (Bits) {
    case 1:
        return ctOneBit;
    case 8:
        return Format == sfSigned ? ctSigned8 : (Format == sfFloat ? ctUnknown : ctUnsigned8);
    case 16:
        return Format == sfSigned ? ctSigned16 : (Format == sfFloat ? ctUnknown : ctUnsigned16);
    case 32:
        return Format == sfSigned ? ctSigned32 : (Format == sfFloat ? ctFloat32 : ctUnsigned32);
    case 64:
        return Format == sfFloat ? ctFloat64 : ctUnknown;
    default:
        return ctUnknown;
    }
}

std::uint16_t SampleFormatOf(std::uint8_t CellType) {
    switch (CellType) {
    case ctUnsigned8:
    case ctUnsigned16:
    case ctUnsigned32:
        return sfUnsigned;
    case ctSigned8:
    case ctSigned16:
    case ctSigned32:
        return sfSigned;
    case ctFloat32:
    case ctFloat64:
        return sfFloat;
    default:
        return 0;
    }
}

TGeoKeySet TGeoTiffTags::Keys() const {
    TGeoKeySet Set;
    const std::span<const std::uint16_t> Directory(KeyDirectory);
    if (Directory.size() < 4) return Set;
    const std::size_t Listed = std::min<std::size_t>(Directory[3], (Directory.size() - 4) / 4);
    // Count values from Offset of a tag holding Size values; false when they reach beyond it.
    const auto Within = [](std::size_t Offset, std::size_t Count, std::size_t Size) {
        return Offset <= Size && Count <= Size - Offset;
    };
    for (std::size_t Index = 0; Index < Listed; ++Index) {
        const std::span<const std::uint16_t> Entry = Directory.subspan(4 + 4 * Index, 4);
        const std::uint16_t Location = Entry[1], Count = Entry[2], Offset = Entry[3];
        TGeoKey Key;
        Key.Id = Entry[0];
        if (Location == 0) {
            Key.Shorts = {Offset};
        } else if (Location == tagGeoKeyDirectoryId && Within(Offset, Count, Directory.size())) {
            const auto Values = Directory.subspan(Offset, Count);
            Key.Shorts.assign(Values.begin(), Values.end());
        } else if (Location == tagGeoDoubleParamsId && Within(Offset, Count, KeyDoubles.size())) {
            Key.Doubles.assign(KeyDoubles.begin() + Offset, KeyDoubles.begin() + Offset + Count);
        } else if (Location == tagGeoAsciiParamsId && Within(Offset, Count, KeyAscii.size())) {
            Key.Text = KeyAscii.substr(Offset, Count);
            // The count takes in the text's '|' terminator; a NUL ends it where a writer put one.
            Key.Text = Key.Text.substr(0, std::min(Key.Text.find('|'), Key.Text.find('\0')));
        } else {
            continue;
        }
        Set.Keys.push_back(std::move(Key));
    }
    return Set;
}

double GeographicUnitToRadians(const TGeoKeySet& Keys) {
    if (Keys.Short(gkModelType) != gvModelGeographic) return 1.0;
    switch (Keys.Short(gkGeogAngularUnits).value_or(gvAngularDegree)) {
    case gvAngularDegree:
        return std::numbers::pi / 180.0;
    case AngularGrad:
        return std::numbers::pi / 200.0;
    default:
        return 1.0;
    }
}

bool TTiffPlacement::LoadSideFiles(TDataSetRoot2& Raster, std::string& Problem) {
    WorldFileRead = LoadWorldFile(Raster, {PreferredWorldExtension, TiffWorldExtension},
                                  TWorldNumbers::PointOrComma, Problem);
    if (!Problem.empty()) return false;
    LoadControlPointFile(Raster, Raster.FileName());
    return true;
}

// The tie point ties raster point (I, J) to map (X, Y). For pixel-is-area images that raster point is
// a cell corner, while this program's registration point is the centre of the top-left cell, so half
// a cell lies between them; for pixel-is-point images the tie point is that centre.
void TTiffPlacement::Apply(TDataSetRoot2& Raster) {
    const TGeoKeySet Keys = Tags.Keys();
    if (Tags.HasScale) {
        Raster.SetCellSizeX(Tags.Scale[0]);
        Raster.SetCellSizeY(Tags.Scale[1]);
    }
    if (Tags.HasTiePoint && !WorldFileRead) {
        const bool PixelIsPoint = Keys.Short(gkRasterType) == gvRasterPixelIsPoint;
        const double Half = PixelIsPoint ? 0.0 : 0.5;
        const double SizeX = Raster.GetCellSizeX();
        const double SizeY = Raster.GetCellSizeY();
        Raster.SetRegCellX(0);
        Raster.SetRegCellY(0);
        Raster.SetRegEasting(Tags.TiePoint[3] + (Half - Tags.TiePoint[0]) * SizeX);
        Raster.SetRegNorthing(Tags.TiePoint[4] - (Half - Tags.TiePoint[1]) * SizeY);
        Raster.SetSpheroid("UNKNOWN");
        Raster.SetDatum("UNKNOWN");
        Raster.SetProjection("UNKNOWN");
    }
    if (TSystemNames Names; SystemOfProjectedCS(Keys.Short(gkProjectedCSType).value_or(0), Names)) {
        Raster.SetSpheroid(Names.Spheroid);
        Raster.SetDatum(Names.Datum);
        Raster.SetProjection(Names.Projection);
    }
    // Whichever of tie point and world file placed it, the image is in the keys' angular unit.
    if (const double Factor = GeographicUnitToRadians(Keys); Factor != 1.0) {
        Raster.SetCellSizeX(Raster.GetCellSizeX() * Factor);
        Raster.SetCellSizeY(Raster.GetCellSizeY() * Factor);
        Raster.SetRegEasting(Raster.GetRegEasting() * Factor);
        Raster.SetRegNorthing(Raster.GetRegNorthing() * Factor);
    }
    Raster.Record().FGeoKeys = Keys;
    Raster.Record().FNoData = NoDataFromText(Tags.NoData);
}

} // namespace vortane
