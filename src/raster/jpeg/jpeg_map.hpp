#pragma once
// JPEG images of one (grey) or three (colour) 8-bit bands. JPEG cannot be reached cell by cell, so the
// whole image lives in memory (TBufferedMap2): opening decodes the file, a created or updated image is
// encoded at quality 100 (colour as YCbCr) when it is finished or released. Georeferencing comes from a
// world file beside the image, ".jpgw" before ".jgw"; SetGeoreference writes ".jgw".

#include "raster/buffered_map.hpp"
#include "raster/image_format.hpp"

#include <cstdint>
#include <string>

namespace vortane {

namespace jpeg {
struct TProperties;
class TSession;
} // namespace jpeg

class TJpgMap2 final : public TBufferedMap2 {
public:
    // JPEG's largest width and height.
    static constexpr std::int32_t MaxSide = 65500;

    TJpgMap2();
    ~TJpgMap2() override;

    bool OpenMap(const std::string& FileName, std::int32_t Columns, std::int32_t Rows, std::uint8_t CellType,
                 std::int32_t Bands, std::uint8_t Mode) override;
    // The description and world file only; no cell is decoded.
    bool OpenMapRead(const std::string& FileName) override;
    // Stores the georeferencing (no rotation) and writes the ".jgw" world file at once.
    void SetGeoreference(const std::string& Spheroid, const std::string& Datum, const std::string& Projection,
                         double CellSizeX, double CellSizeY, double RegCellX, double RegCellY, double Easting,
                         double Northing) override;
    // Through the world file's affine terms, rotation included.
    void CellToMap(double Col, double Row, double& X, double& Y) override;
    void MapToCell(double X, double Y, double& Col, double& Row) override;
    std::vector<std::string> ImageFiles() const override; // the image and its ".jgw"

    bool ReadJpeg(const std::string& FileName);
    bool WriteJpeg(const std::string& FileName, std::int32_t Quality);
    bool ReadWorldFile(const std::string& FileName);

    double RotationY() const { return FRotationY; }
    double RotationX() const { return FRotationX; }

protected:
    bool WritesBack() const override;
    bool Encode() override;

private:
    // Width, height and channel count of the file into the geometry; false with the reason.
    bool ReadParameters(jpeg::TProperties& Props, const std::string& FileName);
    // The file's existence, the codec's record and the file's parameters, with their messages.
    bool ReadDescription(jpeg::TSession& Codec, const std::string& FileName);
    void ReadWorldFileBeside(const std::string& FileName);

    double FRotationY = 0; // world file line 2
    double FRotationX = 0; // world file line 3
    std::int32_t FQuality = 100;
    std::string FCodecMessage; // the codec's own words for the last failure
};

extern const TImageFormat JpegFormat;

} // namespace vortane
