#pragma once
// Rows of a raster that stores its cells in a way of its own (tiles, records), decoded a block of rows
// at a time (a row of tiles) into memory and offered as plain rows. Each raster object, and so each
// sampling thread's view, keeps its own blocks: the most recently used ones up to a byte budget, at
// least two, so that memory stays bounded whatever the image size.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace vortane {

class TDecodedRows {
public:
    // Decodes the rows of block Block (rows Block x BlockRows on, as many as the image has) into Rows;
    // false when they cannot be had.
    using TDecode = std::function<bool(std::uint32_t Block, unsigned char* Rows)>;

    static constexpr std::uint64_t DefaultBudget = 64u << 20;
    // Largest block kept: beyond it the rows are better read cell by cell than held in memory.
    static constexpr std::uint64_t MaxBlockBytes = 128u << 20;

    // Rows rows of RowBytes bytes, decoded BlockRows at a time by Decode; forgets every decoded block.
    // As many blocks are kept as fit in Budget, but at least two. False, and nothing is kept, for
    // blocks larger than MaxBlockBytes.
    bool Reset(std::uint32_t Rows, std::uint32_t BlockRows, std::uint64_t RowBytes, TDecode Decode,
               std::uint64_t Budget = DefaultBudget);
    void Clear() { *this = {}; }
    explicit operator bool() const { return static_cast<bool>(FDecode); }

    // The addresses of rows First and Last (First <= Last), both valid until the next call; false
    // outside the rows or when a block cannot be decoded.
    bool MapRows(std::int64_t First, std::int64_t Last, unsigned char*& FirstRow, unsigned char*& LastRow);

private:
    struct TSlot {
        std::int64_t Block = -1;
        std::uint64_t LastUse = 0;
        std::unique_ptr<unsigned char[]> Rows;
    };
    // The slot holding block Block, decoded into the least recently used slot other than Keep when no
    // slot holds it; null when it cannot be decoded.
    TSlot* Slot(std::uint32_t Block, const TSlot* Keep);

    TDecode FDecode;
    std::uint32_t FRows = 0, FBlockRows = 0;
    std::uint64_t FRowBytes = 0;
    std::vector<std::int32_t> FSlotOf; // per block: the slot holding it, -1 for none
    std::vector<TSlot> FSlots;
    std::uint64_t FUses = 0;
};

} // namespace vortane
