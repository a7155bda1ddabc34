#pragma once
// TIFF images written with libtiff itself, in the shapes other programs write (compressed, tiled,
// BigTIFF, alpha, planes), with GeoTIFF tags placing them in UTM zone 33 north: cells of 2 x 3 m whose
// top-left corner lies at (500000, 6000000). Written row by row or tile by tile, so large images
// need little memory.

#include "raster/tiff/libtiff_map.hpp"

#include <tiffio.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace vortane::test {

// Points the system's temporary folder (TMPDIR) at Folder while it lives.
class TTempFolderOverride {
public:
    explicit TTempFolderOverride(const std::string& Folder) {
        if (const char* Old = std::getenv("TMPDIR")) FOld = Old;
        ::setenv("TMPDIR", Folder.c_str(), 1);
    }
    ~TTempFolderOverride() {
        if (FOld.empty())
            ::unsetenv("TMPDIR");
        else
            ::setenv("TMPDIR", FOld.c_str(), 1);
    }
    TTempFolderOverride(const TTempFolderOverride&) = delete;
    TTempFolderOverride& operator=(const TTempFolderOverride&) = delete;

private:
    std::string FOld;
};

struct TTiffShape {
    std::uint32_t Width = 37;
    std::uint32_t Height = 23;
    std::uint16_t Compression = COMPRESSION_NONE;
    std::uint16_t Predictor = PREDICTOR_NONE;
    std::uint32_t Tile = 0; // tile edge in cells; 0 for strips
    std::uint32_t RowsPerStrip = 5;
    bool BigTiff = false;
    std::uint16_t Bits = 8; // 1 to 16 for unsigned samples
    std::uint16_t Format = SAMPLEFORMAT_UINT;
    std::uint16_t Samples = 1;
    bool Alpha = false; // the last sample is unassociated alpha
    std::uint16_t Planar = PLANARCONFIG_CONTIG;
    std::uint16_t Photometric = PHOTOMETRIC_MINISBLACK;
    bool Grain = false; // adds noise to the samples, so that they compress like a photograph
    std::uint16_t FillOrder = FILLORDER_MSB2LSB;
    std::string NoData{}; // the GDAL_NODATA tag's text; empty: no tag
};

// A sample of the test images: every column, row and sample differs; floats are negative and
// fractional too.
inline double SampleValue(std::uint32_t Col, std::uint32_t Row, std::uint32_t Sample,
                          const TTiffShape& Shape) {
    std::uint64_t Step = 3 * std::uint64_t{Col} + 11 * std::uint64_t{Row} + 50 * std::uint64_t{Sample};
    if (Shape.Grain) Step += ((std::uint64_t{Col} * 73856093u ^ std::uint64_t{Row} * 19349663u) >> 5) % 24;
    if (Shape.Format == SAMPLEFORMAT_IEEEFP) return 0.25 * static_cast<double>(Step % 4096) - 40.0;
    const std::uint64_t Values = std::uint64_t{1} << std::min<int>(Shape.Bits, 16);
    return static_cast<double>(Shape.Bits <= 8 ? Step % Values : (Step * 97) % Values);
}

// Samples that are not whole bytes are packed, the first in the highest bits.
inline void PutPackedSample(unsigned char* Row, std::size_t Index, double Value, std::uint16_t Bits) {
    const auto Integer = static_cast<std::uint32_t>(Value);
    for (std::uint16_t Bit = 0; Bit < Bits; ++Bit) {
        const std::size_t At = Index * Bits + Bit;
        if ((Integer >> (Bits - 1 - Bit)) & 1u) Row[At / 8] |= static_cast<unsigned char>(0x80u >> (At % 8));
    }
}

inline void PutSample(unsigned char* To, double Value, const TTiffShape& Shape) {
    if (Shape.Format == SAMPLEFORMAT_IEEEFP) {
        const auto Real = static_cast<float>(Value);
        std::memcpy(To, &Real, 4);
    } else if (Shape.Bits == 16) {
        const auto Integer = static_cast<std::uint16_t>(Value);
        std::memcpy(To, &Integer, 2);
    } else {
        *To = static_cast<unsigned char>(Value);
    }
}

// The keys of the test images, as GDAL writes a system given by its code: a SHORT, a text and DOUBLEs.
// clang-format off
inline const std::vector<std::uint16_t> GeoKeyDirectory = {
    1,    1,                    0, 4,     // version 1.1.0, four keys
    1025, 0,                    1, 1,     // RasterType PixelIsArea
    2049, tagGeoAsciiParamsId,  7, 0,     // GeogCitation "WGS 84|"
    2057, tagGeoDoubleParamsId, 1, 0,     // GeogSemiMajorAxis
    3072, 0,                    1, 32633, // ProjectedCSType WGS 84 / UTM zone 33N
};
// clang-format on
inline const std::vector<double> GeoDoubles = {6378137.0};
inline constexpr const char* GeoAscii = "WGS 84|";

// Writes the image; false when libtiff refused a step.
inline bool WriteTiff(const std::string& Name, const TTiffShape& Shape) {
    RegisterGeoTiffTags();
    TIFF* Tiff = TIFFOpen(Name.c_str(), Shape.BigTiff ? "w8" : "w");
    if (!Tiff) return false;
    const bool Separate = Shape.Planar == PLANARCONFIG_SEPARATE;
    const std::uint16_t InBlock = Separate ? 1 : Shape.Samples;
    const bool Packed = Shape.Bits % 8 != 0;
    TIFFSetField(Tiff, TIFFTAG_IMAGEWIDTH, Shape.Width);
    TIFFSetField(Tiff, TIFFTAG_IMAGELENGTH, Shape.Height);
    TIFFSetField(Tiff, TIFFTAG_BITSPERSAMPLE, Shape.Bits);
    TIFFSetField(Tiff, TIFFTAG_SAMPLEFORMAT, Shape.Format);
    TIFFSetField(Tiff, TIFFTAG_SAMPLESPERPIXEL, Shape.Samples);
    TIFFSetField(Tiff, TIFFTAG_PHOTOMETRIC, Shape.Photometric);
    TIFFSetField(Tiff, TIFFTAG_PLANARCONFIG, Shape.Planar);
    TIFFSetField(Tiff, TIFFTAG_COMPRESSION, Shape.Compression);
    TIFFSetField(Tiff, TIFFTAG_FILLORDER, Shape.FillOrder);
    if (Shape.Predictor != PREDICTOR_NONE) TIFFSetField(Tiff, TIFFTAG_PREDICTOR, Shape.Predictor);
    if (Shape.Alpha) {
        const std::uint16_t Alpha = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(Tiff, TIFFTAG_EXTRASAMPLES, 1, &Alpha);
    }
    const double Scale[3] = {2, 3, 0};
    const double TiePoint[6] = {0, 0, 0, 500000, 6000000, 0};
    TIFFSetField(Tiff, 33550, std::uint32_t{3}, Scale);
    TIFFSetField(Tiff, 33922, std::uint32_t{6}, TiePoint);
    TIFFSetField(Tiff, tagGeoKeyDirectoryId, std::uint32_t(GeoKeyDirectory.size()), GeoKeyDirectory.data());
    TIFFSetField(Tiff, tagGeoDoubleParamsId, std::uint32_t(GeoDoubles.size()), GeoDoubles.data());
    TIFFSetField(Tiff, tagGeoAsciiParamsId, GeoAscii);
    if (!Shape.NoData.empty()) TIFFSetField(Tiff, tagGdalNoData, Shape.NoData.c_str());

    bool Written = true;
    // A block of Width x Height cells at (Left, Top) of the plane holding sample First.
    const auto Block = [&](std::uint32_t Left, std::uint32_t Top, std::uint32_t Width, std::uint32_t Height,
                           std::uint16_t First) {
        const std::size_t RowBytes = (std::size_t{Width} * InBlock * Shape.Bits + 7) / 8;
        std::vector<unsigned char> Bytes(RowBytes * Height, 0);
        for (std::uint32_t Row = 0; Row < Height && Top + Row < Shape.Height; ++Row)
            for (std::uint32_t Col = 0; Col < Width && Left + Col < Shape.Width; ++Col)
                for (std::uint16_t Sample = 0; Sample < InBlock; ++Sample) {
                    const std::size_t Index = std::size_t{Col} * InBlock + Sample;
                    const double Value = SampleValue(Left + Col, Top + Row, First + Sample, Shape);
                    if (Packed)
                        PutPackedSample(Bytes.data() + Row * RowBytes, Index, Value, Shape.Bits);
                    else
                        PutSample(Bytes.data() + Row * RowBytes + Index * (Shape.Bits / 8u), Value, Shape);
                }
        return Bytes;
    };
    const std::uint16_t Planes = Separate ? Shape.Samples : 1;
    if (Shape.Tile > 0) {
        TIFFSetField(Tiff, TIFFTAG_TILEWIDTH, Shape.Tile);
        TIFFSetField(Tiff, TIFFTAG_TILELENGTH, Shape.Tile);
        for (std::uint16_t Plane = 0; Plane < Planes; ++Plane)
            for (std::uint32_t Top = 0; Top < Shape.Height; Top += Shape.Tile)
                for (std::uint32_t Left = 0; Left < Shape.Width; Left += Shape.Tile) {
                    std::vector<unsigned char> Bytes = Block(Left, Top, Shape.Tile, Shape.Tile, Plane);
                    Written = Written && TIFFWriteTile(Tiff, Bytes.data(), Left, Top, 0, Plane) >= 0;
                }
    } else {
        TIFFSetField(Tiff, TIFFTAG_ROWSPERSTRIP, Shape.RowsPerStrip);
        for (std::uint16_t Plane = 0; Plane < Planes; ++Plane)
            for (std::uint32_t Row = 0; Row < Shape.Height; ++Row) {
                std::vector<unsigned char> Bytes = Block(0, Row, Shape.Width, 1, Plane);
                Written = Written && TIFFWriteScanline(Tiff, Bytes.data(), Row, Plane) == 1;
            }
    }
    TIFFClose(Tiff);
    return Written;
}

} // namespace vortane::test
