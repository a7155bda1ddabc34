#include "raster/tiff/tiff_placement.hpp"

#include "raster/side_files.hpp"
#include "text/types.hpp"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace vortane {

namespace {

// GeoKeys (GeoTIFF 1.0, section 6.2) and values this reader looks at.
enum : std::uint16_t { keyRasterType = 1025, keyProjectedCSType = 3072 };
constexpr std::uint16_t PixelIsPoint = 2;

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

bool PreferredWorldFileExists(const std::string& ImageName) {
    std::error_code Error;
    return std::filesystem::is_regular_file(SideFileName(ImageName, PreferredWorldExtension), Error);
}

std::vector<std::string> TiffImageFiles(const std::string& ImageName) {
    std::vector<std::string> Files{ImageName, SideFileName(ImageName, ".tfw")};
    if (PreferredWorldFileExists(ImageName))
        Files.push_back(SideFileName(ImageName, PreferredWorldExtension));
    return Files;
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

void TGeoTiffTags::TakeKeys(std::span<const std::uint16_t> Directory) {
    if (Directory.size() < 4) return;
    const std::size_t Listed = std::min<std::size_t>(Directory[3], (Directory.size() - 4) / 4);
    for (std::size_t Index = 0; Index < Listed; ++Index) {
        const std::span<const std::uint16_t> Key = Directory.subspan(4 + 4 * Index, 4);
        if (Key[1] != 0) continue;
        if (Key[0] == keyRasterType) RasterType = Key[3];
        if (Key[0] == keyProjectedCSType) ProjectedCS = Key[3];
    }
}

void TTiffPlacement::LoadSideFiles(TDataSetRoot2& Raster) {
    TWorldFile World;
    WorldFileRead = LoadWorldFile(Raster, {".tifw", ".tfw"}, TWorldNumbers::PointOrComma, World);
    RotationY = World.RotationY;
    RotationX = World.RotationX;
    LoadControlPointFile(Raster, Raster.FileName());
}

// The tie point ties raster point (I, J) to map (X, Y). For pixel-is-area images that raster point is
// a cell corner, while this program's registration point is the centre of the top-left cell, so half
// a cell lies between them; for pixel-is-point images the tie point is that centre.
void TTiffPlacement::Apply(TDataSetRoot2& Raster) const {
    if (Tags.HasScale) {
        Raster.SetCellSizeX(Tags.Scale[0]);
        Raster.SetCellSizeY(Tags.Scale[1]);
    }
    if (WorldFileRead) return;
    if (Tags.HasTiePoint) {
        const double Half = Tags.RasterType == PixelIsPoint ? 0.0 : 0.5;
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
    if (TSystemNames Names; SystemOfProjectedCS(Tags.ProjectedCS, Names)) {
        Raster.SetSpheroid(Names.Spheroid);
        Raster.SetDatum(Names.Datum);
        Raster.SetProjection(Names.Projection);
    }
}

void TTiffPlacement::CellToMap(TDataSetRoot2& Raster, double Col, double Row, double& X, double& Y) const {
    WorldCellToMap(Raster, RotationY, RotationX, Col, Row, X, Y);
}

void TTiffPlacement::MapToCell(TDataSetRoot2& Raster, double X, double Y, double& Col, double& Row) const {
    WorldMapToCell(Raster, RotationY, RotationX, X, Y, Col, Row);
}

} // namespace vortane
