#pragma once
// Uncompressed Windows bitmaps of 8 or 24 bits per pixel, read in place through the mapped file; new
// images are 8-bit greyscale (with a grey ramp palette) or 24-bit colour. Rows are padded to 4 bytes
// and stored bottom-up (top-down when the height is negative); 24-bit pixels are blue, green, red. An
// 8-bit image with the grey ramp palette has one band, any other palette gives three colour bands.
// Georeferencing comes from the ".bmpw" world file, control points from the ".gcp" file.

#include "raster/image_format.hpp"
#include "raster/raster.hpp"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vortane {

class TBMPMap2 final : public TDataSetRoot2 {
public:
    static constexpr std::uint32_t FileHeaderSize = 14;
    static constexpr std::uint32_t InfoHeaderSize = 40;
    static constexpr std::uint32_t GreyPaletteBytes = 256 * 4;

    TBMPMap2();
    ~TBMPMap2() override;

    bool GoToRow(std::int64_t Row, std::uint32_t Band) override;
    // Band 0 is red, 1 green, 2 blue; 8-bit images with a colour palette give the palette's colour.
    bool ReadCell(std::int64_t Col, std::int64_t Row, std::uint32_t Band, float& Value) override;
    // Only for created images.
    bool WriteCell(std::int64_t Col, std::int64_t Row, std::uint32_t Band, float Value) override;
    // 24-bit pixels and 8-bit ones without a colour palette are plain rows (blue, green, red).
    bool PlainRowLayout(TRowLayout& Layout) const override;
    bool MapRows(std::int64_t First, std::int64_t Last, unsigned char*& FirstRow,
                 unsigned char*& LastRow) override;
    // Another reader of the same bitmap, for a second sampling thread; null unless opened for reading.
    std::unique_ptr<TMMapFile2> OpenReadView() const override;
    bool OpenMap(const std::string& FileName, std::int32_t Columns, std::int32_t Rows, std::uint8_t CellType,
                 std::int32_t Bands, std::uint8_t Mode) override;
    bool OpenMapRead(const std::string& FileName) override;
    // Width and height of the headers, the bands the palette gives, always bytes.
    TGridShape Shape() const override;
    // Stores the georeferencing and writes the ".bmpw" world file.
    void SetGeoreference(const std::string& Spheroid, const std::string& Datum, const std::string& Projection,
                         double CellSizeX, double CellSizeY, double RegCellX, double RegCellY, double Easting,
                         double Northing) override;
    std::vector<std::string> ImageFiles() const override; // the bitmap and its ".bmpw"

private:
    bool OpenExisting();
    bool ReadHeaders();
    bool ReadPalette(std::uint32_t PaletteAt, std::uint32_t Entries);
    bool CreateImage(std::int32_t Columns, std::int32_t Rows, std::uint8_t CellType, std::int32_t Bands);
    bool Unsupported(const std::string& TypeText);
    unsigned char* PixelRow(std::int64_t Col, std::int64_t Row, std::uint32_t& Band);
    std::uint64_t RowPosition(std::int64_t Row) const; // file position of a row inside the image

    std::string FTypeText; // the unsupported kind of bitmap, for the message
    std::array<unsigned char, FileHeaderSize> FFileHeader{};
    std::vector<unsigned char> FInfoHeader;             // info header and colour table as in the file
    std::vector<std::array<unsigned char, 3>> FPalette; // red, green, blue
    bool FGreyPalette = false;
    std::uint32_t FWidth = 0;
    std::uint16_t FBitCount = 0;
    std::uint16_t FColorsUsed = 0;
    std::uint32_t FPaletteBytes = 0; // colour table bytes of a created image
    std::uint16_t FReportedBands = 1;
    std::uint32_t FPixelOffset = 0; // bfOffBits
    std::uint64_t FStride = 0;      // bytes from one stored row to the next
    std::uint64_t FPixelBytes = 0;  // bytes of pixels in one row, without padding
    bool FTopDown = false;          // the first stored row is the top row
};

// The first bytes of every bitmap file.
inline constexpr std::string_view BmpMagic = "BM";

extern const TImageFormat BmpFormat;

} // namespace vortane
