#pragma once
// What both TIFF readers share: the cell type of a sample, and where an image lies on the map. A world
// file beside the image (".tifw", else ".tfw") places it, rotation terms included; the GeoTIFF pixel
// scale gives the cell sizes in any case; without a world file the GeoTIFF tie point places the image
// and a UTM or Gauss-Krueger ProjectedCSType names its system.

#include "raster/raster.hpp"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vortane {

constexpr std::uint16_t BigTiffVersion = 43; // the version number of a BigTIFF header

// ExtraSamples values 1 and 2: associated and unassociated alpha.
constexpr bool IsAlphaSample(std::uint16_t Meaning) {
    return Meaning == 1 || Meaning == 2;
}

// SampleFormat values; 1 is also the meaning of a missing tag.
enum : std::uint16_t { sfUnsigned = 1, sfSigned = 2, sfFloat = 3 };

// Cell type of a sample of Bits bits in SampleFormat Format; ctUnknown for what the grid cannot read.
std::uint8_t CellTypeOfSample(std::uint16_t Bits, std::uint16_t Format);

// The GeoTIFF tags of an image file directory, as far as they place the image.
struct TGeoTiffTags {
    bool HasScale = false;         // a ModelPixelScale tag was present
    std::array<double, 2> Scale{}; // its X and Y sizes; 0 where the tag held none
    bool HasTiePoint = false;
    std::array<double, 6> TiePoint{}; // raster I, J, K and model X, Y, Z
    std::uint16_t RasterType = 1;     // 1 PixelIsArea, 2 PixelIsPoint
    std::uint32_t ProjectedCS = 0;

    // Takes the keys of a GeoKeyDirectory: a header of four SHORTs (version, revision, minor revision,
    // key count), then four SHORTs per key (key, location, count, value); location 0 keeps the value in
    // the key itself. Keys beyond the values given are ignored.
    void TakeKeys(std::span<const std::uint16_t> Directory);
};

// The catalogue's names of an EPSG projected coordinate system code: UTM north and south on WGS 84
// (326zz, 327zz) and the Gauss-Krueger zones on Pulkovo 1942 (284zz). False for any other code.
struct TSystemNames {
    std::string Spheroid, Datum, Projection;
};
bool SystemOfProjectedCS(std::uint32_t Code, TSystemNames& Names);

// The image, its ".tfw" world file and, when present, its ".tifw": what either TIFF reader names.
std::vector<std::string> TiffImageFiles(const std::string& ImageName);
// Whether a ".tifw" world file, which readers prefer to ".tfw", lies beside the image.
bool PreferredWorldFileExists(const std::string& ImageName);

class TTiffPlacement {
public:
    // Reads the world file and the control point file beside the raster's file.
    void LoadSideFiles(TDataSetRoot2& Raster);
    // Cell sizes from the pixel scale; without a world file, the registration from the tie point
    // and the system from ProjectedCSType.
    void Apply(TDataSetRoot2& Raster) const;
    // The world file's affine transformation, rotation terms included.
    void CellToMap(TDataSetRoot2& Raster, double Col, double Row, double& X, double& Y) const;
    void MapToCell(TDataSetRoot2& Raster, double X, double Y, double& Col, double& Row) const;

    TGeoTiffTags Tags;
    bool WorldFileRead = false;
    double RotationY = 0; // world file line 2
    double RotationX = 0; // world file line 3
};

} // namespace vortane
