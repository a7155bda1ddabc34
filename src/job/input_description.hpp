#pragma once
// What a run's input is, looked at before the run: the image (or a photo list's first image that
// opens) with its grid, cell type, extent and the coordinate system names its file gives, or why it
// cannot be opened, in the words the run itself would use.

#include "raster/tiff/geokeys.hpp"

#include <cstdint>
#include <string>

namespace vortane {

class TDataSet2;

struct TInputDescription {
    std::string Image;            // the image described
    std::int32_t ListEntries = 0; // of a photo list
    std::int32_t Columns = 0, Rows = 0, Bands = 0;
    std::uint8_t CellType = 0;
    double CellSizeX = 0;
    double West = 0, North = 0, East = 0, South = 0; // outer edges of the outer cells, in map units
    std::string Spheroid, Datum, Projection;         // as its file names them, without double quotes
    TGeoKeySet GeoKeys;                              // the GeoTIFF keys of its file; empty for others
    std::string Warning; // the image is not what its header says: it cannot be run as it is
};

// Describes the image Input has opened under the name Image.
TInputDescription DescribeImage(const std::string& Image, const TDataSet2& Input);

// Describes InName (a photo list when List). False, with Reason naming the file, when no image opens.
bool DescribeInput(const std::string& InName, bool List, TInputDescription& Description, std::string& Reason);

// Why FileName did not open, from the raster's error text, naming the file once.
std::string OpenFailureReason(const std::string& FileName, const std::string& ErrorText);

} // namespace vortane
