#pragma once
// Opening files with libtiff the way this program wants it: the GeoTIFF tags known (so that they can be
// read and written), libtiff's first error about a file kept as the reason instead of printed, and
// its warnings dropped.

#include "raster/tiff/tiff_tags.hpp"

#include <cstdint>
#include <string>
#include <tiffio.h>
#include <vector>

namespace vortane {

// Makes libtiff know the GeoTIFF tags (pixel scale, tie point, the keys and their values) and GDAL's
// nodata text in every file it opens from now on: arrays with a 32-bit count, the texts as one string.
void RegisterGeoTiffTags();

// Opens Name in Mode; null when libtiff refuses, with its first error in Reason. Reason receives the
// errors as long as the file is open, so it must outlive it. MaxAlloc 0 keeps libtiff's own limit of
// one memory allocation.
TIFF* OpenTiff(const std::string& Name, const char* Mode, std::string& Reason, tmsize_t MaxAlloc = 0);

// A file in memory that libtiff writes as it would one on disk.
struct TMemoryTiff {
    std::vector<unsigned char> Bytes;
    std::uint64_t Position = 0;
};
// Opens File for writing a little-endian TIFF, as OpenTiff does; File must outlive the handle.
TIFF* OpenTiffInMemory(TMemoryTiff& File, std::string& Reason);

} // namespace vortane
