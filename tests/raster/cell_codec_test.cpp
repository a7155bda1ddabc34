#include "raster/cell_codec.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <random>

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

} // namespace
} // namespace vortane
