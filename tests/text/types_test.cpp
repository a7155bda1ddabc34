#include "text/types.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace std::string_literals;

namespace vortane {
namespace {

TEST(CellTypes, NamesAndWidths) {
    struct TCase {
        std::string Name;
        std::uint8_t Code;
        int Bytes;
    };
    const std::vector<TCase> Cases = {
        {"UNSIGNED8BITINTEGER", 1, 1},
        {"SIGNED8BITINTEGER", 2, 1},
        {"SIGNED16BITINTEGER", 3, 2},
        {"UNSIGNED16BITINTEGER", 4, 2},
        {"SIGNED32BITINTEGER", 5, 4},
        {"SIGNED32BITSINGLE", 6, 4},
        {"unsigned8bitinteger", 10, 1},
        {" SIGNED16BITINTEGER", 10, 1},
        {"", 10, 1},
        {"ONEBIT", 10, 1},
        {"IEEE8ByteReal", 10, 1},
    };
    for (const TCase& Case : Cases) {
        EXPECT_EQ(CellTypeByName(Case.Name), Case.Code) << Case.Name;
        EXPECT_EQ(CellBytes(CellTypeByName(Case.Name)), Case.Bytes) << Case.Name;
    }
    const std::vector<int> Widths = {0, 1, 1, 2, 2, 4, 4, 3, 8, 16, 1, 4, 1};
    for (std::size_t Code = 0; Code < Widths.size(); ++Code)
        EXPECT_EQ(CellBytes(static_cast<std::uint8_t>(Code)), Widths[Code]) << Code;
    EXPECT_EQ(CellBytes(255), 1);
    EXPECT_EQ(CellTypeName(ctFloat64), "SIGNED64BITDOUBLE");
    EXPECT_EQ(CellTypeName(ctUnsigned32), "UNSIGNED32BITINTEGER");
    EXPECT_EQ(CellTypeName(ctUnknown), "");
}

TEST(CoordTypes, ExactNamesOnly) {
    EXPECT_EQ(CoordTypeByName("EN"), 0);
    EXPECT_EQ(CoordTypeByName("RAW"), 1);
    EXPECT_EQ(CoordTypeByName("LATLONG"), 2);
    for (const char* Other : {"", "en", "EN ", "LATLON", "NE"})
        EXPECT_EQ(CoordTypeByName(Other), 3) << Other;
}

TEST(CellTypes, HeaderNamesReadBothSharedAndErMapperForms) {
    const std::vector<std::pair<std::string, std::uint8_t>> Cases = {
        {"UNSIGNED8BITINTEGER", ctUnsigned8},
        {"SIGNED32BITSINGLE", ctFloat32},
        {"IEEE4BYTEREAL", ctFloat32},
        {"IEEE8BYTEREAL", ctFloat64},
        {"UNSIGNED32BITINTEGER", ctUnsigned32},
        {"SIGNED16BITINTEGER", ctSigned16},
        {"COMPLEX", ctUnknown},
        {"", ctUnknown},
    };
    for (const auto& [Name, Code] : Cases)
        EXPECT_EQ(CellTypeFromHeader(Name), Code) << Name;
    EXPECT_EQ(CellTypeHeaderName(ctFloat32), "IEEE4ByteReal");
    EXPECT_EQ(CellTypeHeaderName(ctUnsigned16), "UNSIGNED16BITINTEGER");
    EXPECT_EQ(CellTypeHeaderName(ctUnknown), "");
}

} // namespace
} // namespace vortane
