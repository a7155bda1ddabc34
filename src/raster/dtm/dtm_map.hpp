#pragma once
// Digital terrain model grids: one little-endian file of a 52-byte header and a single band of 32-bit
// float heights, row by row. The header begins with the floats -1, -1, 0, 0, -1, -1 (so the file's
// first bytes are 00 00 80 BF), then the easting and northing of cell coordinate (0, 0) as floats,
// columns and rows as 32-bit integers, the two cell sizes as floats and a cell offset added to every
// cell index. Cell (c, r) lies at byte 52 + 4 (c + offset + r columns).

#include "raster/float_grid_map.hpp"
#include "raster/image_format.hpp"

#include <array>
#include <cstdint>
#include <string>

namespace vortane {

class TDTMHeader final : public THeader {
public:
    static constexpr std::size_t HeaderBytes = 52;

    TDTMHeader();
    // Reads the 52 header bytes; the fields are taken from them whatever follows. False when the file
    // cannot be read, is shorter than a header, its six leading floats are not the DTM constants, or
    // it does not hold the cells the header describes (negative counts or offset included); ReadError
    // then says why.
    bool ReadHeader(const std::string& FileName) override;
    // The raster writes the header into its own file when it is complete; nothing to do here.
    bool WriteHeader(const std::string& FileName) override;

    // The header bytes of the current fields, cell offset 0.
    std::array<unsigned char, HeaderBytes> Bytes() const;

    std::int32_t FCellOffset = 0; // added to every cell index
    std::string ReadError;
};

class TDtmMap2 final : public TFloatGridMap2 {
public:
    TDtmMap2();
    ~TDtmMap2() override;

    // Always one band of floats: CellType and Bands are not used.
    bool OpenMap(const std::string& FileName, std::int32_t Columns, std::int32_t Rows, std::uint8_t CellType,
                 std::int32_t Bands, std::uint8_t Mode) override;
    // The header and the cells are the one file of the given name.
    void SetFileName(const std::string& FileName) override;
    // Band is ignored; a read outside the grid fails with Value 0.
    bool ReadCell(std::int64_t Col, std::int64_t Row, std::uint32_t Band, float& Value) override;
    // Only into a grid opened with omCreate.
    bool WriteCell(std::int64_t Col, std::int64_t Row, std::uint32_t Band, float Value) override;
    // Writes the header into the first 52 bytes of a created grid.
    bool Finish() override;
    // The cells after the header are a plain grid: read, and written while the grid is being created.
    bool PlainRowLayout(TRowLayout& Layout) const override;
    // The same grid opened again for reading.
    std::unique_ptr<TMMapFile2> OpenReadView() const override;

private:
    TDTMHeader& DtmHeader() const;
    // Maps the 4 bytes of cell (Col, Row); null outside the grid.
    unsigned char* DtmCell(std::int64_t Col, std::int64_t Row);
    // Where the rows of the open file lie: after the header, moved by the cell offset.
    void LocateRows(std::int32_t CellOffset);
};

extern const TImageFormat DtmFormat;

} // namespace vortane
