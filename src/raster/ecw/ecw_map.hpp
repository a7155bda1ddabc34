#pragma once
// ECW images of one or three 8-bit bands, coded by the project's own lossless wavelet codec
// (raster/codecs/wavelet_codec.hpp). The whole image lives in memory (TBufferedMap2): opening
// decompresses it line by line, a created image is compressed when it is finished or released. The
// file carries size, bands, cell increments and origin; the coordinate system texts stay "RAW".
// ECW images cannot be updated.

#include "raster/buffered_map.hpp"
#include "raster/image_format.hpp"

#include <cstdint>
#include <string>

namespace vortane {

namespace wavelet {
struct TCompressClient;
}

class TECWMap2 final : public TBufferedMap2 {
public:
    TECWMap2();
    ~TECWMap2() override;

    bool OpenMap(const std::string& FileName, std::int32_t Columns, std::int32_t Rows, std::uint8_t CellType,
                 std::int32_t Bands, std::uint8_t Mode) override;
    // The description only; no cell is decoded.
    bool OpenMapRead(const std::string& FileName) override;
    // Cell sizes and origin only; they reach the file when it is compressed.
    void SetGeoreference(const std::string& Spheroid, const std::string& Datum, const std::string& Projection,
                         double CellSizeX, double CellSizeY, double RegCellX, double RegCellY, double Easting,
                         double Northing) override;

    bool ReadEcw(const std::string& FileName);
    bool WriteEcw(const std::string& FileName, std::int32_t Ratio);
    // The compressor's line callback: the raster is the client's ClientData.
    static bool CompressReadLine(wavelet::TCompressClient* Client, std::uint32_t LineNumber, float** Lines);
    // The client WriteEcw filled for the last compression, as it was handed to the codec.
    static void FillClient(TECWMap2& Raster, wavelet::TCompressClient& Client, const std::string& FileName,
                           std::int32_t Ratio);

protected:
    bool WritesBack() const override;
    bool Encode() override;

private:
    void TakeFileInfo(const void* Info);
    bool ReadLines(void* View);

    std::int32_t FTargetRatio = 1;
};

extern const TImageFormat EcwFormat;

} // namespace vortane
