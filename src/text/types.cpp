#include "text/types.hpp"

#include "text/strings.hpp"

#include <algorithm>
#include <array>

namespace vortane {

namespace {

// One row per cell type code. Readers accept Name only where Read is set: the shared readers know the
// integer and single float names and no others. ErMapperName is ER Mapper's own spelling, written by
// headers and read in upper case beside the shared names.
struct TCellType {
    std::uint8_t Code;
    std::string_view Name;
    int Bytes;
    bool Read;
    std::string_view ErMapperName;
};

constexpr std::array<TCellType, 11> CellTypes = {{
    {ctOneBit, "ONEBIT", 0, false, ""},
    {ctUnsigned8, "UNSIGNED8BITINTEGER", 1, true, ""},
    {ctSigned8, "SIGNED8BITINTEGER", 1, true, ""},
    {ctSigned16, "SIGNED16BITINTEGER", 2, true, ""},
    {ctUnsigned16, "UNSIGNED16BITINTEGER", 2, true, ""},
    {ctSigned32, "SIGNED32BITINTEGER", 4, true, ""},
    {ctFloat32, "SIGNED32BITSINGLE", 4, true, "IEEE4ByteReal"},
    {ctRGB24, "RGB24BIT", 3, false, ""},
    {ctFloat64, "SIGNED64BITDOUBLE", 8, false, "IEEE8ByteReal"},
    {ctPoint2D, "POINT2DDOUBLE", 16, false, ""},
    {ctUnsigned32, "UNSIGNED32BITINTEGER", 4, false, "Unsigned32BitInteger"},
}};
constexpr int UnknownCellBytes = 1;

const TCellType* FindCellType(std::uint8_t Code) {
    const auto Found =
        std::find_if(CellTypes.begin(), CellTypes.end(), [&](const auto& Row) { return Row.Code == Code; });
    return Found == CellTypes.end() ? nullptr : &*Found;
}

struct TCoordType {
    std::string_view Name;
    std::uint8_t Code;
};

constexpr std::array<TCoordType, 3> CoordTypeNames = {{{"EN", 0}, {"RAW", 1}, {"LATLONG", 2}}};
constexpr std::uint8_t NoCoordType = 3;

} // namespace

int CellBytes(std::uint8_t CellType) {
    const TCellType* Row = FindCellType(CellType);
    return Row ? Row->Bytes : UnknownCellBytes;
}

std::uint8_t CellTypeByName(std::string_view Text) {
    for (const TCellType& Row : CellTypes)
        if (Row.Read && Row.Name == Text) return Row.Code;
    return ctUnknown;
}

std::string CellTypeName(std::uint8_t CellType) {
    const TCellType* Row = FindCellType(CellType);
    return Row ? std::string(Row->Name) : std::string();
}

std::string CellTypeHeaderName(std::uint8_t CellType) {
    const TCellType* Row = FindCellType(CellType);
    if (!Row) return {};
    return std::string(Row->ErMapperName.empty() ? Row->Name : Row->ErMapperName);
}

std::uint8_t CellTypeFromHeader(std::string_view Name) {
    const std::uint8_t Shared = CellTypeByName(Name);
    if (Shared != ctUnknown) return Shared;
    for (const TCellType& Row : CellTypes)
        if (!Row.ErMapperName.empty() && UpperCase(Row.ErMapperName) == Name) return Row.Code;
    return ctUnknown;
}

std::uint8_t CoordTypeByName(std::string_view Text) {
    for (const TCoordType& Row : CoordTypeNames)
        if (Row.Name == Text) return Row.Code;
    return NoCoordType;
}

std::string CoordTypeName(std::uint8_t CoordType) {
    for (const TCoordType& Row : CoordTypeNames)
        if (Row.Code == CoordType) return std::string(Row.Name);
    return {};
}

} // namespace vortane
