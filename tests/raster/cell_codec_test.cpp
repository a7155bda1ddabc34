#include "raster/cell_codec.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace vortane {
namespace {

// The inline rounding must give the library's values bit for bit (signed zeros included): cell
// positions and stored integers depend on it.
TEST(RoundHalfEven, MatchesNearbyint) {
    constexpr double Inf = std::numeric_limits<double>::infinity();
    std::vector<double> Values = {0.0,
                                  -0.0,
                                  0.5,
                                  -0.5,
                                  1.5,
                                  2.5,
                                  -2.5,
                                  0.49999999999999994,
                                  -0.49999999999999994,
                                  254.5,
                                  255.5,
                                  4503599627370495.5,
                                  -4503599627370495.5,
                                  4503599627370496.0,
                                  9007199254740993.0,
                                  1e300,
                                  -1e300,
                                  Inf,
                                  -Inf,
                                  std::numeric_limits<double>::denorm_min()};
    std::mt19937_64 Random(7);
    std::uniform_real_distribution<double> Small(-70000.0, 70000.0);
    for (int I = 0; I < 200000; ++I) {
        Values.push_back(Small(Random));
        Values.push_back(std::floor(Small(Random)) + 0.5); // halves, where the rule matters
        Values.push_back(std::bit_cast<double>(Random())); // any bit pattern, NaNs aside
    }
    for (const double Value : Values) {
        if (std::isnan(Value)) continue;
        ASSERT_EQ(std::bit_cast<std::uint64_t>(RoundHalfEven(Value)),
                  std::bit_cast<std::uint64_t>(std::nearbyint(Value)))
            << Value;
    }
    EXPECT_TRUE(std::isnan(RoundHalfEven(std::numeric_limits<double>::quiet_NaN())));
}

// Rows stored at once give the bytes of storing cell by cell (a value without an integer a zero cell),
// for rows that take the unchecked way (every value below 2^31) and rows that do not, with cells side by
// side (bytes sixteen at a time) and apart.
TEST(EncodeRunAs, StoresWhatEncodeAsStores) {
    std::mt19937 Random(3);
    std::uniform_real_distribution<float> Any(-2147483520.0f, 2147483520.0f), Small(-300.0f, 300.0f);
    std::vector<float> Values = {0.5f,        1.5f,       2.5f,          -0.5f,
                                 -1.5f,       254.5f,     255.5f,        8388607.5f,
                                 -8388607.5f, 8388609.0f, 2147483520.0f, -2147483648.0f + 128};
    for (int I = 0; I < 20000; ++I) {
        Values.push_back(Small(Random));
        Values.push_back(Any(Random));
        Values.push_back(std::floor(Small(Random)) + 0.5f);
    }
    const auto Check = [](auto Type, const std::vector<float>& Row) {
        constexpr std::uint8_t CellType = decltype(Type)::value;
        constexpr std::size_t Bytes = CellType == ctUnsigned8 ? 1 : CellType == ctSigned16 ? 2 : 4;
        for (const std::size_t Stride : {Bytes, 2 * Bytes}) {
            std::vector<unsigned char> Run(Row.size() * Stride, 0xAB), Cells(Run);
            EncodeRunAs<CellType>(Run.data(), std::int64_t(Stride), false, Row.data(), Row.size());
            for (std::size_t I = 0; I < Row.size(); ++I)
                if (!EncodeAs<CellType>(&Cells[I * Stride], false, Row[I]))
                    std::fill_n(&Cells[I * Stride], Bytes, 0);
            EXPECT_EQ(Run, Cells) << int(CellType) << " " << Stride;
        }
    };
    std::vector<float> Unchecked = Values, Checked = Values;
    Checked.insert(Checked.end(), {std::nanf(""), 3e9f, -std::numeric_limits<float>::infinity()});
    for (const auto& Row : {Unchecked, Checked}) {
        Check(TCellTypeConstant<ctUnsigned8>{}, Row);
        Check(TCellTypeConstant<ctSigned16>{}, Row);
        Check(TCellTypeConstant<ctUnsigned32>{}, Row);
    }
}

} // namespace
} // namespace vortane
