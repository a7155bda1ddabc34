#include "text/strings.hpp"

#include <array>

namespace vortane {

// K = 128 flips the top bit of every byte. Text bytes (TAB, printable ASCII 32..126 and the Latin-1
// letters 192..255) then land in 137, 160..254 and 64..127, so no stored byte of a line can be LF, CR,
// NUL or the end-of-file byte 26, and a stored line can always be read back as one line.
const unsigned char CatalogueShift = 128;

namespace {

using TByteTable = std::array<unsigned char, 256>;

TByteTable ShiftTable(int Shift) {
    TByteTable Table{};
    for (int Byte = 0; Byte < 256; ++Byte)
        Table[static_cast<std::size_t>(Byte)] = static_cast<unsigned char>((Byte + Shift) & 0xFF);
    return Table;
}

std::string Translate(std::string_view Text, const TByteTable& Table) {
    std::string Result(Text.size(), '\0');
    for (std::size_t I = 0; I < Text.size(); ++I)
        Result[I] = static_cast<char>(Table[static_cast<unsigned char>(Text[I])]);
    return Result;
}

} // namespace

std::string DecodeCatalogueLine(std::string_view Text) {
    static const TByteTable Decode = ShiftTable(256 - CatalogueShift);
    return Translate(Text, Decode);
}

std::string EncodeCatalogueLine(std::string_view Text) {
    static const TByteTable Encode = ShiftTable(CatalogueShift);
    return Translate(Text, Encode);
}

} // namespace vortane
