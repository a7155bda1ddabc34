#pragma once
// The TIFF format's record: uncompressed strip images are read in place by TTifMap2, and the files it
// refuses for their compression, tiles, BigTIFF form, alpha samples or sample size are decoded by
// TLibTiffMap2. Plain images are created by TTifMap2; images with any storage choice by TEncodedTifMap2.

#include "raster/image_format.hpp"

namespace vortane {

extern const TImageFormat TiffFormat;

} // namespace vortane
