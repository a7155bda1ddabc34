#pragma once
// TIFF images written with libtiff itself, in the shapes other programs write (compressed, tiled,
// BigTIFF, alpha, planes), with GeoTIFF tags placing them in UTM zone 33 north: cells of 2 x 3 m whose
// top-left corner lies at (500000, 6000000). Written row by row or tile by tile, so large images
// need little memory.

#include "raster/tiff/libtiff_map.hpp"

#include <tiffio.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace vortane::test {

struct TTiffShape {
    std::uint32_t Width = 37;
    std::uint32_t Height = 23;
    std::uint16_t Compression = COMPRESSION_NONE;
    std::uint16_t Predictor = PREDICTOR_NONE;
    std::uint32_t Tile = 0; // tile edge in cells; 0 for strips
    std::uint32_t RowsPerStrip = 5;
    bool BigTiff = false;
    std::uint16_t Bits = 8;
    std::uint16_t Format = SAMPLEFORMAT_UINT;
    std::uint16_t Samples = 1;
    bool Alpha = false; // the last sample is unassociated alpha
    std::uint16_t Planar = PLANARCONFIG_CONTIG;
    std::uint16_t Photometric = PHOTOMETRIC_MINISBLACK;
    bool Grain = false; // adds noise to the samples, so that they compress like a photograph
};

// A sample of the test images: every column, row and sample differs; floats are negative and
// fractional too.
inline double SampleValue(std::uint32_t Col, std::uint32_t Row, std::uint32_t Sample,
                          const TTiffShape& Shape) {
    std::uint64_t Step = 3 * std::uint64_t{Col} + 11 * std::uint64_t{Row} + 50 * std::uint64_t{Sample};
    if (Shape.Grain) Step += ((std::uint64_t{Col} * 73856093u ^ std::uint64_t{Row} * 19349663u) >> 5) % 24;
    if (Shape.Format == SAMPLEFORMAT_IEEEFP) return 0.25 * static_cast<double>(Step % 4096) - 40.0;
    return static_cast<double>(Shape.Bits == 8 ? Step % 256 : (Step * 97) % 65536);
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

// Writes the image; false when libtiff refused a step.
inline bool WriteTiff(const std::string& Name, const TTiffShape& Shape) {
    RegisterGeoTiffTags();
    TIFF* Tiff = TIFFOpen(Name.c_str(), Shape.BigTiff ? "w8" : "w");
    if (!Tiff) return false;
    const bool Separate = Shape.Planar == PLANARCONFIG_SEPARATE;
    const std::uint16_t InBlock = Separate ? 1 : Shape.Samples;
    const std::size_t CellBytes = Shape.Bits / 8u;
    TIFFSetField(Tiff, TIFFTAG_IMAGEWIDTH, Shape.Width);
    TIFFSetField(Tiff, TIFFTAG_IMAGELENGTH, Shape.Height);
    TIFFSetField(Tiff, TIFFTAG_BITSPERSAMPLE, Shape.Bits);
    TIFFSetField(Tiff, TIFFTAG_SAMPLEFORMAT, Shape.Format);
    TIFFSetField(Tiff, TIFFTAG_SAMPLESPERPIXEL, Shape.Samples);
    TIFFSetField(Tiff, TIFFTAG_PHOTOMETRIC, Shape.Photometric);
    TIFFSetField(Tiff, TIFFTAG_PLANARCONFIG, Shape.Planar);
    TIFFSetField(Tiff, TIFFTAG_COMPRESSION, Shape.Compression);
    if (Shape.Predictor != PREDICTOR_NONE) TIFFSetField(Tiff, TIFFTAG_PREDICTOR, Shape.Predictor);
    if (Shape.Alpha) {
        const std::uint16_t Alpha = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(Tiff, TIFFTAG_EXTRASAMPLES, 1, &Alpha);
    }
    const double Scale[3] = {2, 3, 0};
    const double TiePoint[6] = {0, 0, 0, 500000, 6000000, 0};
    const std::uint16_t Keys[12] = {1, 1, 0, 2, 1025, 0, 1, 1, 3072, 0, 1, 32633};
    TIFFSetField(Tiff, 33550, std::uint32_t{3}, Scale);
    TIFFSetField(Tiff, 33922, std::uint32_t{6}, TiePoint);
    TIFFSetField(Tiff, 34735, std::uint32_t{12}, Keys);

    bool Written = true;
    // A block of Width x Height cells at (Left, Top) of the plane holding sample First.
    const auto Block = [&](std::uint32_t Left, std::uint32_t Top, std::uint32_t Width, std::uint32_t Height,
                           std::uint16_t First) {
        std::vector<unsigned char> Bytes(std::size_t{Width} * Height * InBlock * CellBytes, 0);
        for (std::uint32_t Row = 0; Row < Height && Top + Row < Shape.Height; ++Row)
            for (std::uint32_t Col = 0; Col < Width && Left + Col < Shape.Width; ++Col)
                for (std::uint16_t Sample = 0; Sample < InBlock; ++Sample)
                    PutSample(Bytes.data() +
                                  ((std::size_t{Row} * Width + Col) * InBlock + Sample) * CellBytes,
                              SampleValue(Left + Col, Top + Row, First + Sample, Shape), Shape);
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
