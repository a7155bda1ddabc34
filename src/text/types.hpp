#pragma once
// Code tables: file types by extension or first bytes, coordinate type names, cell type names.

#include <cstdint>
#include <string>
#include <string_view>

namespace vortane {

// Cell type codes, shared by every raster, header and text reader.
enum : std::uint8_t {
    ctOneBit = 0,
    ctUnsigned8 = 1,
    ctSigned8 = 2,
    ctSigned16 = 3,
    ctUnsigned16 = 4,
    ctSigned32 = 5,
    ctFloat32 = 6,
    ctRGB24 = 7,
    ctFloat64 = 8,
    ctPoint2D = 9,
    ctUnknown = 10,
};
// Bytes per cell of a cell type code (0 for bit cells, 1 for codes out of range).
int CellBytes(std::uint8_t CellType);
std::uint8_t CellTypeByName(std::string_view Text);

// Coordinate type codes: 0 "EN", 1 "RAW", 2 "LATLONG", 3 none.
std::uint8_t CoordTypeByName(std::string_view Text);
// The name of a coordinate type code as headers write it; empty for 3 and any other code.
std::string CoordTypeName(std::uint8_t CoordType);

// File type codes, one per image format, as FileTypeByExt and FileTypeByContent give them.
enum : int {
    ftErs = 0,
    ftOsd = 1,
    ftTif = 2,
    ftGif = 3,
    ftBmp = 4,
    ftDtm = 5,
    ftNog = 6,
    ftJpg = 7,
    ftVeg = 8,
    ftEcw = 9,
    ftDcr = 10,
    ftRsw = 11,
    ftBit = 12,
    ftUnknown = 13, // no format matched
    ftMissing = 14, // no such file
};
int FileTypeByExt(const std::string& FileName);
int FileTypeByContent(const std::string& FileName);
// System message of the last I/O error met by FileTypeByContent on this thread; never cleared.
extern thread_local std::string FileTypeError;

} // namespace vortane
