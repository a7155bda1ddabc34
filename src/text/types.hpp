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

// File type codes 0..14; 13 unknown, 14 missing file.
int FileTypeByExt(const std::string& FileName);
int FileTypeByContent(const std::string& FileName);
// System message of the last I/O error met by FileTypeByContent on this thread; never cleared.
extern thread_local std::string FileTypeError;

} // namespace vortane
