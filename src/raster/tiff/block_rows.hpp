#pragma once
// The rows of one block of an image being written (a row of tiles, or one strip), held in memory
// until the block is complete: rows arrive in order, so memory stays bounded by one block.

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace vortane {

class TBlockRows {
public:
    // The first block of an image of ImageRows rows in blocks of BlockRows rows of RowBytes bytes.
    void Start(std::uint32_t ImageRows, std::uint32_t BlockRows, std::uint64_t RowBytes) {
        FImageRows = ImageRows;
        FBlockRows = std::max<std::uint32_t>(BlockRows, 1);
        FRowBytes = RowBytes;
        FFirst = 0;
        Clear();
    }
    bool Holds(std::uint32_t Row) const { return Row >= FFirst && Row - FFirst < Count(); }
    // Row must be held.
    unsigned char* Row(std::uint32_t Row) { return FData.data() + (Row - FFirst) * FRowBytes; }
    std::uint32_t First() const { return FFirst; }
    // Rows of the current block: BlockRows, fewer in the last block.
    std::uint32_t Count() const { return Done() ? 0 : std::min(FBlockRows, FImageRows - FFirst); }
    const unsigned char* Data() const { return FData.data(); }
    // Every block has been passed.
    bool Done() const { return FFirst >= FImageRows; }
    // Hands the current block's rows over; Next must follow before rows are reached again.
    std::vector<unsigned char> Take() { return std::move(FData); }
    // Moves to the next block, all zeros.
    void Next() {
        FFirst = Done() ? FFirst : FFirst + std::min(FBlockRows, FImageRows - FFirst);
        Clear();
    }

private:
    void Clear() { FData.assign(Count() * FRowBytes, 0); }

    std::uint32_t FImageRows = 0, FBlockRows = 1, FFirst = 0;
    std::uint64_t FRowBytes = 0;
    std::vector<unsigned char> FData;
};

} // namespace vortane
