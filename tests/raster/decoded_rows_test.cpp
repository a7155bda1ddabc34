// Decoded rows: any two rows can be had together, each block is decoded once while it stays within the
// budget, and a block that cannot be decoded fails without being kept.

#include "raster/decoded_rows.hpp"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace vortane {
namespace {

constexpr std::uint32_t Rows = 10, BlockRows = 3;
constexpr std::uint64_t RowBytes = 4;

// Rows whose bytes all hold their row number; counts the decodings of each block.
struct TCountingRows {
    TDecodedRows Decoded;
    std::vector<int> Decodings = std::vector<int>((Rows + BlockRows - 1) / BlockRows, 0);
    int FailingBlock = -1;

    explicit TCountingRows(std::uint64_t Budget) {
        EXPECT_TRUE(Decoded.Reset(
            Rows, BlockRows, RowBytes,
            [this](std::uint32_t Block, unsigned char* Bytes) {
                ++Decodings[Block];
                if (static_cast<int>(Block) == FailingBlock) return false;
                for (std::uint32_t Row = Block * BlockRows; Row < std::min(Rows, (Block + 1) * BlockRows);
                     ++Row)
                    for (std::uint64_t Byte = 0; Byte < RowBytes; ++Byte)
                        *Bytes++ = static_cast<unsigned char>(Row);
                return true;
            },
            Budget));
    }
    void ExpectRows(std::int64_t First, std::int64_t Last) {
        unsigned char *FirstRow = nullptr, *LastRow = nullptr;
        ASSERT_TRUE(Decoded.MapRows(First, Last, FirstRow, LastRow)) << First << ", " << Last;
        EXPECT_EQ(FirstRow[0], First);
        EXPECT_EQ(FirstRow[RowBytes - 1], First);
        EXPECT_EQ(LastRow[0], Last);
        EXPECT_EQ(LastRow[RowBytes - 1], Last);
    }
};

TEST(DecodedRows, AnyTwoRowsComeTogetherWithinTwoBlocksOfMemory) {
    TCountingRows Rows2(1); // the least room: two blocks
    for (const auto& [First, Last] : std::vector<std::pair<int, int>>{
             {0, 0}, {2, 3}, {0, 9}, {9, 9}, {4, 8}, {0, 1}, {5, 6}, {3, 9}, {9, 9}})
        Rows2.ExpectRows(First, Last);
    unsigned char *First = nullptr, *Last = nullptr;
    EXPECT_FALSE(Rows2.Decoded.MapRows(-1, 0, First, Last));
    EXPECT_FALSE(Rows2.Decoded.MapRows(3, 2, First, Last));
    EXPECT_FALSE(Rows2.Decoded.MapRows(0, 10, First, Last));
}

TEST(DecodedRows, BlocksWithinTheBudgetAreDecodedOnce) {
    TCountingRows All(1 << 20);
    for (int Pass = 0; Pass < 2; ++Pass)
        for (std::int64_t Row = 0; Row + 1 < Rows; ++Row)
            All.ExpectRows(Row, Row + 1);
    EXPECT_EQ(All.Decodings, std::vector<int>(4, 1));
}

TEST(DecodedRows, ABlockThatCannotBeDecodedFailsEachTime) {
    TCountingRows Failing(1 << 20);
    Failing.FailingBlock = 1;
    unsigned char *First = nullptr, *Last = nullptr;
    EXPECT_FALSE(Failing.Decoded.MapRows(3, 3, First, Last));
    EXPECT_FALSE(Failing.Decoded.MapRows(2, 3, First, Last));
    EXPECT_EQ(Failing.Decodings[1], 2) << "a failed block is not kept";
    Failing.ExpectRows(0, 9);
}

TEST(DecodedRows, BlocksBeyondTheLargestAreRefused) {
    TDecodedRows Decoded;
    const auto Decode = [](std::uint32_t, unsigned char*) { return true; };
    EXPECT_TRUE(Decoded.Reset(Rows, 2, TDecodedRows::MaxBlockBytes / 2, Decode));
    EXPECT_FALSE(Decoded.Reset(Rows, 2, TDecodedRows::MaxBlockBytes / 2 + 1, Decode));
    EXPECT_FALSE(Decoded);
}

} // namespace
} // namespace vortane
