#pragma once
// The tiles of one row of tiles encoded side by side on every core: each into a TIFF of its own in
// memory, holding that one tile with the image's storage, whose encoded bytes are then the bytes the
// image's file stores for it (libtiff encodes one file on one thread only). Not for JPEG, whose tables
// the image's own encoder sets up.

#include "raster/tiff/tiff_storage.hpp"

#include <cstdint>
#include <string>
#include <vector>

namespace vortane {

// Whether tiles of this storage can be encoded apart from their file.
bool EncodesApart(const TTiffStorage& Storage);

// Encodes each of Tiles (TileSize x TileSize cells of Grid's cell type and bands, interleaved) in
// place into its encoded bytes; false with the first tile's reason when any could not be encoded.
bool EncodeTilesApart(const TTiffGrid& Grid, const TTiffStorage& Storage,
                      std::vector<std::vector<unsigned char>>& Tiles, std::string& Reason);

} // namespace vortane
