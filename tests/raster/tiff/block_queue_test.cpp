#include "raster/tiff/block_queue.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace vortane {
namespace {

// Blocks reach the encoder whole and in order; after a failed one the rest are dropped and the
// failure is told.
TEST(BlockQueue, EncodesInOrderUntilTheFirstFailure) {
    const struct {
        std::optional<std::uint32_t> Failing;
        std::vector<std::uint32_t> Encoded;
    } Cases[] = {{std::nullopt, {0, 8, 16, 24, 32, 40}}, {16, {0, 8, 16}}};
    for (const auto& Case : Cases) {
        std::vector<std::uint32_t> Encoded;
        TBlockQueue Queue([&](std::uint32_t First, const unsigned char* Rows, std::uint32_t Count) {
            EXPECT_EQ(Count, 8u);
            EXPECT_EQ(Rows[0], First) << "the block's own rows";
            EXPECT_EQ(Rows[Count - 1], First + Count - 1);
            Encoded.push_back(First);
            return First != Case.Failing;
        });
        for (std::uint32_t First = 0; First < 48; First += 8) {
            std::vector<unsigned char> Rows(8);
            for (std::uint32_t Row = 0; Row < 8; ++Row)
                Rows[Row] = static_cast<unsigned char>(First + Row);
            Queue.Push(First, std::move(Rows), 8);
        }
        EXPECT_EQ(Queue.Drain(), !Case.Failing.has_value());
        EXPECT_EQ(Encoded, Case.Encoded);
    }
}

} // namespace
} // namespace vortane
