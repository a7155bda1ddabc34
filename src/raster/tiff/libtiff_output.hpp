#pragma once
// One image written through libtiff a block at a time (a row of tiles, or one strip): the storage
// tags are set when the file is opened, the cells of each block are encoded as soon as it is complete,
// and the directory is written when the image is closed.

#include "raster/tiff/geokey_writer.hpp"
#include "raster/tiff/libtiff_open.hpp"
#include "raster/tiff/tiff_storage.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vortane {

// What the full-resolution image says about itself beyond its storage.
struct TTiffImageTags {
    TGeoTiffPlacementTags Placement;
    std::optional<double> NoData;
};

// Sets the tags of Storage for an image of Grid; false when libtiff refused one.
bool SetStorageTags(TIFF* Tiff, const TTiffGrid& Grid, const TTiffStorage& Storage);

class TTiffImageOut {
public:
    TTiffImageOut() = default;
    ~TTiffImageOut();
    TTiffImageOut(const TTiffImageOut&) = delete;
    TTiffImageOut& operator=(const TTiffImageOut&) = delete;

    // Creates (or truncates) Name for an image of Grid stored as Storage says.
    bool Open(const std::string& Name, const TTiffGrid& Grid, const TTiffStorage& Storage);
    // Encodes the block whose first row is First: Count rows of Grid.RowBytes() bytes each, the bands
    // of a cell side by side. Rows a tile holds below the image stay 0.
    bool WriteBlock(std::uint32_t First, const unsigned char* Rows, std::uint32_t Count);
    // Sets the placement and nodata tags; before Close.
    void SetImageTags(const TTiffImageTags& Tags);
    // Writes the directory and closes the file; false when any step of the image failed.
    bool Close();

    // Why the image failed: libtiff's first error, or the step that failed.
    const std::string& Failure() const { return FFailure; }
    const TTiffGrid& Grid() const { return FGrid; }

private:
    bool Fail(const std::string& Step);
    bool WriteTiles(std::uint32_t First, const unsigned char* Rows, std::uint32_t Count);

    TIFF* FTiff = nullptr;
    std::string FLibTiffError; // libtiff's first error about this file
    std::string FFailure;
    TTiffGrid FGrid;
    TTiffStorage FStorage;
    std::vector<unsigned char> FScratch; // a copy of a strip the codec may change in place
};

} // namespace vortane
