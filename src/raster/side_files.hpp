#pragma once
// The files beside an image without a header: its world file (six numbers placing the image on the
// map) and its control point file (".gcp"). TIFF, BMP and JPEG images keep their georeferencing there.

#include "raster/raster.hpp"

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vortane {

// The image's name with its extension replaced: "a/image.tif" with ".tfw" gives "a/image.tfw".
std::string SideFileName(const std::string& ImageName, std::string_view Extension);

// Reads the first world file that exists of the extensions given, in order, into the raster: cell
// sizes, and the map position of cell coordinate (0, 0) as its registration point (registration cell
// (0, 0)); the three system texts become "UNKNOWN". False when none exists, and also, with the reason
// in Problem, when the one found is refused (ReadWorldFile); the raster is then unchanged.
bool LoadWorldFile(TDataSetRoot2& Raster, std::initializer_list<std::string_view> Extensions,
                   TWorldNumbers Numbers, std::string& Problem);

// Stores georeferencing given as a registration cell and its map position the way a world file
// keeps it: cell sizes and the map position of cell coordinate (0, 0) as the registration point.
void SetOriginGeoreference(TDataSetRoot2& Raster, double CellSizeX, double CellSizeY, double RegCellX,
                           double RegCellY, double Easting, double Northing);
// SetOriginGeoreference and the three system texts.
void SetWorldGeoreference(TDataSetRoot2& Raster, const std::string& Spheroid, const std::string& Datum,
                          const std::string& Projection, double CellSizeX, double CellSizeY, double RegCellX,
                          double RegCellY, double Easting, double Northing);

// Writes a world file; the reason ("Cannot write <name>: <system text>") when it failed, else empty.
std::string WriteWorldFileReason(const std::string& Name, const TWorldFile& World);
// Writes the world file with the Standard extension, and rewrites one with the Preferred extension
// already beside the image: readers take that one first, so left as it was it would place the new
// image where the old one lay. The first failure's reason, else empty.
std::string WriteWorldFiles(const std::string& ImageName, std::string_view Standard,
                            std::string_view Preferred, const TWorldFile& World);
// The image, its Standard world file and, when one lies beside it, its Preferred world file.
std::vector<std::string> ImageAndWorldFiles(const std::string& ImageName, std::string_view Standard,
                                            std::string_view Preferred);

// Loads the image's ".gcp" file into the raster's control point list when it exists.
void LoadControlPointFile(TDataSetRoot2& Raster, const std::string& ImageName);

// The image Raster reads, opened again by a raster of its own class: strips and rows are addressed
// by the format, so a plain grid view over the file would read its headers as cells. Null unless
// Raster is open for reading.
template <typename TRaster> std::unique_ptr<TMMapFile2> OpenedAgain(const TRaster& Raster) {
    if (Raster.Mode() != omRead || !Raster.IsFileOpen()) return nullptr;
    auto View = std::make_unique<TRaster>();
    if (!View->OpenMap(Raster.FileName(), 0, 0, ctUnsigned8, 1, omRead)) return nullptr;
    return View;
}

// "Open read error <code> <text>" of an image that cannot be opened for reading.
std::string OpenReadErrorText(int Code, const std::string& Text);

} // namespace vortane
