#pragma once
// What both TIFF readers share: the cell type of a sample, and where an image lies on the map. A world
// file beside the image (".tifw", else ".tfw") places it; the GeoTIFF pixel
// scale gives the cell sizes in any case; without a world file the GeoTIFF tie point places the image.
// The GeoTIFF keys, which name the image's system either way, are kept whole for the layer above.

#include "raster/raster.hpp"
#include "raster/tiff/tiff_tags.hpp"

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
// The SampleFormat a created image records for a cell type; 0 for types it cannot hold.
std::uint16_t SampleFormatOf(std::uint8_t CellType);

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
    std::string NoData;                      // GDAL_NODATA: the empty cells' value as text

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
// Writes the ".tfw" world file, and rewrites a ".tifw" beside the image (which readers prefer); the
// reason when either failed, else empty.
std::string WriteTiffWorldFiles(const std::string& ImageName, const TWorldFile& World);
// WriteTiffWorldFiles of a created image, placed as its georeferencing stands.
std::string WriteTiffWorldFilesOf(TDataSetRoot2& Raster);

class TTiffPlacement {
public:
    // Reads the world file and the control point file beside the raster's file; false, with the reason
    // in Problem, when the world file is refused.
    bool LoadSideFiles(TDataSetRoot2& Raster, std::string& Problem);
    // Cell sizes from the pixel scale; without a world file, the registration from the tie point; the
    // nodata value of the tag (a text that is no number declares none).
    // The keys go to the raster whichever places the image, and ProjectedCSType names the system
    // texts as SystemOfProjectedCS says. A geographic image in degrees or grads is placed in radians.
    void Apply(TDataSetRoot2& Raster);
    // A world file or a GeoTIFF tie point placed the image.
    bool Placed() const { return WorldFileRead || Tags.HasTiePoint; }

    TGeoTiffTags Tags;
    bool WorldFileRead = false;
};

} // namespace vortane
