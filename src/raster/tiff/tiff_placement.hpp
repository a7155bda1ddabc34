#pragma once
// What both TIFF readers share: the cell type of a sample, and where an image lies on the map. A world
// file beside the image (".tifw", else ".tfw") places it, rotation terms included; the GeoTIFF pixel
// scale gives the cell sizes in any case; without a world file the GeoTIFF tie point places the image.
// The GeoTIFF keys, which name the image's system either way, are kept whole for the layer above.

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

// The GeoTIFF tags of an image file directory, as far as they place the image, and its keys as they
// stand in the file: the key directory and the values it refers to.
struct TGeoTiffTags {
    bool HasScale = false;         // a ModelPixelScale tag was present
    std::array<double, 2> Scale{}; // its X and Y sizes; 0 where the tag held none
    bool HasTiePoint = false;
    std::array<double, 6> TiePoint{};        // raster I, J, K and model X, Y, Z
    std::vector<std::uint16_t> KeyDirectory; // GeoKeyDirectory SHORTs
    std::vector<double> KeyDoubles;          // GeoDoubleParams
    std::string KeyAscii;                    // GeoAsciiParams, '|'-terminated texts

    // The keys the directory lists: a header of four SHORTs (version, revision, minor revision, key
    // count), then four SHORTs per key (key, location, count, value). Location 0 keeps the value in the
    // key itself; GeoDoubleParams, GeoAsciiParams and the directory itself hold count values from
    // offset value. Keys beyond the directory given, keys whose values lie outside their tag, and keys
    // of other locations are left out.
    TGeoKeySet Keys() const;
};

// Tags of GeoDoubleParams or GeoAsciiParams longer than this are not read: key offsets are 16-bit,
// so no key can reach beyond it.
constexpr std::uint32_t MaxGeoParams = 65535 + 65535;

// The system texts this reader has always given for the ProjectedCSType codes its own images carried:
// UTM north and south on WGS 84 (326zz, 327zz) and the Gauss-Krueger zones on Pulkovo 1942 (284zz).
// False for any other code. The layer above resolves every key against the catalogue; these texts
// only keep what the image reports about itself as it was.
struct TSystemNames {
    std::string Spheroid, Datum, Projection;
};
bool SystemOfProjectedCS(std::uint32_t Code, TSystemNames& Names);

// The factor that turns the map units of an image into radians when its keys make it a geographic
// model (GTModelType 2) in degrees (GeogAngularUnits 9102 or missing) or grads (9105); 1 otherwise.
// Geographic positions are radians inside the program.
double GeographicUnitToRadians(const TGeoKeySet& Keys);

// The image, its ".tfw" world file and, when present, its ".tifw": what either TIFF reader names.
std::vector<std::string> TiffImageFiles(const std::string& ImageName);
// Whether a ".tifw" world file, which readers prefer to ".tfw", lies beside the image.
bool PreferredWorldFileExists(const std::string& ImageName);

class TTiffPlacement {
public:
    // Reads the world file and the control point file beside the raster's file.
    void LoadSideFiles(TDataSetRoot2& Raster);
    // Cell sizes from the pixel scale; without a world file, the registration from the tie point.
    // The keys go to the raster whichever places the image, and ProjectedCSType names the system
    // texts as SystemOfProjectedCS says. A geographic image in degrees or grads is placed in radians.
    void Apply(TDataSetRoot2& Raster);
    // The world file's affine transformation, rotation terms included.
    void CellToMap(TDataSetRoot2& Raster, double Col, double Row, double& X, double& Y) const;
    void MapToCell(TDataSetRoot2& Raster, double X, double Y, double& Col, double& Row) const;

    TGeoTiffTags Tags;
    bool WorldFileRead = false;
    double RotationY = 0; // world file line 2
    double RotationX = 0; // world file line 3
};

} // namespace vortane
