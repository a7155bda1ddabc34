#pragma once
// The one door through which images are opened: the raster class is chosen from the file's first bytes
// when reading and from the name's extension when creating. The data set owns its raster; releasing
// the data set releases the raster, which is when a created header-format image gets its header.

#include "raster/creation_options.hpp"
#include "raster/format_registry.hpp" // the file type codes
#include "raster/system_description.hpp"

#include <cstdint>
#include <memory>
#include <string>

namespace vortane {

class TDataSetRoot2;

class TDataSet2 {
public:
    TDataSet2();
    ~TDataSet2();
    TDataSet2(const TDataSet2&) = delete;
    TDataSet2& operator=(const TDataSet2&) = delete;

    // Opens (omRead, omUpdate) or creates (omCreate) an image. Reading passes Columns 0, Rows 0,
    // CellType 1, Bands 1; creating passes the new grid. On failure the error text says why: the data
    // set's own text when no raster could be chosen, otherwise the raster's. Opening again releases the
    // raster of the earlier Open first.
    bool Open(const std::string& FileName, std::int32_t Columns, std::int32_t Rows, std::uint8_t CellType,
              std::int32_t Bands, std::uint8_t Mode);
    // The coordinate system the images this data set creates declare to other programs: in their
    // header (GeoTIFF keys), or in an auxiliary file "<name>.aux.xml" written with the image. Creating
    // an image removes an auxiliary file left beside it, so none describes an image it replaced.
    void SetOutputSystem(const TSystemDescription& System) { FOutputSystem = System; }
    // How the images this data set creates store their cells (compression, tiles, nodata, alpha).
    void SetCreationOptions(const TCreationOptions& Options) { FCreation = Options; }

    // Opens an image for its description (geometry, georeferencing) only: as Open for reading, except
    // that an image its format's own reader refuses and a decoding reader takes over (a compressed
    // TIFF) is described without decoding its cells, which then cannot be read.
    bool OpenDescription(const std::string& FileName);

    // Without a raster these give 0 bands, columns and rows, cell type 1, cell sizes 1.0, origin (0, 0).
    std::int32_t GetBands() const;
    std::int32_t GetColumns() const;
    std::int32_t GetRows() const;
    std::uint8_t GetCellType() const;
    // Cell sizes in map units; a stored size of exactly 0 reads 1.0.
    double GetCellSizeX() const;
    double GetCellSizeY() const;
    // Map position of cell coordinate (0, 0), the top-left corner of the top-left cell.
    double GetOriginX() const;
    double GetOriginY() const;
    // The coordinate system texts; Text is left unchanged without a raster.
    void GetSpheroid(std::string& Text) const;
    void GetDatum(std::string& Text) const;
    void GetProjection(std::string& Text) const;
    void SetGeoreference(const std::string& Spheroid, const std::string& Datum, const std::string& Projection,
                         double CellSizeX, double CellSizeY, double RegCellX, double RegCellY, double Easting,
                         double Northing);
    // Completes a created image (its header, for header formats); false, with the reason in the error
    // text, when it is incomplete. True without a raster.
    bool Finish();
    // The raster's error code (0 none, 1 own error, otherwise errno); 0 without a raster.
    int GetErrorCode() const;
    std::string GetErrorText() const;
    void SetErrorText(const std::string& Text);

    // The value of Band at map position (X, Y): bilinear when Interpolate, else the nearest cell (halves
    // to even). False, Value untouched, for positions left of or above the image or not finite.
    bool ReadValue(std::uint32_t Band, float& Value, double X, double Y, bool Interpolate);

    // The raster, for direct cell access; null until Open has chosen a class.
    TDataSetRoot2* Raster() const { return FRaster.get(); }
    // The file type code Open decided on; ftUnknown before.
    int GetFileType() const { return FFileType; }

private:
    bool Fail(const std::string& Text);
    bool OpenRaster(const std::string& FileName, std::int32_t Columns, std::int32_t Rows,
                    std::uint8_t CellType, std::int32_t Bands, std::uint8_t Mode, bool DescriptionOnly);

    std::string FErrorText; // kept while there is no raster
    TSystemDescription FOutputSystem;
    TCreationOptions FCreation;
    std::unique_ptr<TDataSetRoot2> FRaster;
    int FFileType = ftUnknown;
};

} // namespace vortane
