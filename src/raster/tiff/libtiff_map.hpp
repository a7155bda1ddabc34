#pragma once
// TIFF images the mapped reader cannot address in place (compressed, tiled, BigTIFF, with alpha
// samples or samples of 1 to 15 bits), read through libtiff. The first image of the file (full resolution,
// not its overviews) is decoded strip by strip or tile by tile into a cell file of its own in the system's
// temporary folder, which is then mapped like any other cell file and removed with the raster, so memory
// stays bounded whatever the image size. Placement as tiff_placement.hpp says. Alpha samples are left out of
// the bands; the image is only read.

#include "raster/raster.hpp"
#include "raster/tiff/libtiff_open.hpp"
#include "raster/tiff/temp_file.hpp"
#include "raster/tiff/tiff_placement.hpp"

#include <cstdint>
#include <string>
#include <vector>

namespace vortane {

class TTiffDecoder;

class TLibTiffMap2 final : public TDataSetRoot2 {
public:
    TLibTiffMap2();
    ~TLibTiffMap2() override;

    // Reading only: decodes the image into its temporary cell file and maps that.
    bool OpenMap(const std::string& FileName, std::int32_t Columns, std::int32_t Rows, std::uint8_t CellType,
                 std::int32_t Bands, std::uint8_t Mode) override;
    // Reads the description (geometry, georeferencing) without decoding any cell.
    bool OpenMapRead(const std::string& FileName) override;
    // The decoded grid, and the byte order of the image file.
    TGridShape Shape() const override;
    // Changes the georeferencing of this raster only: the image file is never written.
    void SetGeoreference(const std::string& Spheroid, const std::string& Datum, const std::string& Projection,
                         double CellSizeX, double CellSizeY, double RegCellX, double RegCellY, double Easting,
                         double Northing) override;
    bool HasGeoreference() const override { return FPlacement.Placed(); }
    // The image and its world files, as the mapped reader names them.
    std::vector<std::string> ImageFiles() const override;
    // The decoded cells are a plain band-interleaved-by-line grid in the temporary cell file.
    bool PlainRowLayout(TRowLayout& Layout) const override { return TMMapFile2::PlainRowLayout(Layout); }

    // The temporary cell file while the raster holds one; empty otherwise.
    const std::string& CellFileName() const { return FCells.Name(); }

private:
    bool Open(const std::string& FileName, bool Decode);
    bool DecodeCells(TTiffDecoder& Decoder);
    bool Fail(const std::string& Reason);

    std::string FImageName;
    TTiffPlacement FPlacement;
    TTempFile FCells;
    bool FFileMSBFirst = false;
};

} // namespace vortane
