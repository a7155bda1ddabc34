#pragma once
// Code tables: cell types (names and widths) and coordinate type names.

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
    // ER Mapper's unsigned 32-bit cells: not one of the shared codes, so rasters add it after the last.
    ctUnsigned32 = 11,
};
// Bytes per cell of a cell type code (0 for bit cells, 1 for unknown codes).
int CellBytes(std::uint8_t CellType);
// The code of one of the shared names that readers accept (exact comparison); ctUnknown otherwise.
std::uint8_t CellTypeByName(std::string_view Text);
// The full upper-case name of a code ("UNSIGNED32BITINTEGER" for ctUnsigned32); empty when unknown.
std::string CellTypeName(std::uint8_t CellType);
// The name header formats write: the full name, but ER Mapper's own spelling for real and unsigned
// 32-bit cells so that other readers see their true type; empty when unknown.
std::string CellTypeHeaderName(std::uint8_t CellType);
// The code of an upper-case header name: the names CellTypeByName accepts and ER Mapper's
// IEEE4BYTEREAL, IEEE8BYTEREAL and UNSIGNED32BITINTEGER; ctUnknown otherwise.
std::uint8_t CellTypeFromHeader(std::string_view Name);

// Coordinate type codes: 0 "EN", 1 "RAW", 2 "LATLONG", 3 none.
std::uint8_t CoordTypeByName(std::string_view Text);
// The name of a coordinate type code as headers write it; empty for 3 and any other code.
std::string CoordTypeName(std::uint8_t CoordType);

} // namespace vortane
