#include "raster/decoded_rows.hpp"

#include <algorithm>
#include <new>

namespace vortane {

bool TDecodedRows::Reset(std::uint32_t Rows, std::uint32_t BlockRows, std::uint64_t RowBytes, TDecode Decode,
                         std::uint64_t Budget) {
    Clear();
    if (Rows == 0 || BlockRows == 0 || RowBytes == 0 || RowBytes > MaxBlockBytes / BlockRows) return false;
    FDecode = std::move(Decode);
    FRows = Rows;
    FBlockRows = BlockRows;
    FRowBytes = RowBytes;
    const std::uint32_t Blocks = (Rows - 1) / BlockRows + 1;
    FSlotOf.assign(Blocks, -1);
    const std::uint64_t Fitting = std::max<std::uint64_t>(Budget / (RowBytes * BlockRows), 2);
    FSlots.resize(static_cast<std::size_t>(std::min<std::uint64_t>(Fitting, Blocks)));
    return true;
}

TDecodedRows::TSlot* TDecodedRows::Slot(std::uint32_t Block, const TSlot* Keep) {
    if (const std::int32_t Held = FSlotOf[Block]; Held >= 0) {
        TSlot& Slot = FSlots[static_cast<std::size_t>(Held)];
        Slot.LastUse = ++FUses;
        return &Slot;
    }
    TSlot* Oldest = nullptr;
    for (TSlot& Slot : FSlots)
        if (&Slot != Keep && (Oldest == nullptr || Slot.LastUse < Oldest->LastUse)) Oldest = &Slot;
    if (Oldest->Block >= 0) FSlotOf[static_cast<std::size_t>(Oldest->Block)] = -1;
    Oldest->Block = -1;
    if (!Oldest->Rows) {
        Oldest->Rows.reset(new (std::nothrow) unsigned char[FRowBytes * FBlockRows]);
        if (!Oldest->Rows) return nullptr;
    }
    if (!FDecode(Block, Oldest->Rows.get())) return nullptr;
    Oldest->Block = Block;
    Oldest->LastUse = ++FUses;
    FSlotOf[Block] = static_cast<std::int32_t>(Oldest - FSlots.data());
    return Oldest;
}

bool TDecodedRows::MapRows(std::int64_t First, std::int64_t Last, unsigned char*& FirstRow,
                           unsigned char*& LastRow) {
    if (!FDecode || First < 0 || First > Last || Last >= static_cast<std::int64_t>(FRows)) return false;
    const auto Address = [this](const TSlot& Slot, std::int64_t Row) {
        return Slot.Rows.get() + static_cast<std::uint64_t>(Row % FBlockRows) * FRowBytes;
    };
    TSlot* Top = Slot(static_cast<std::uint32_t>(First / FBlockRows), nullptr);
    if (Top == nullptr) return false;
    TSlot* Bottom = Slot(static_cast<std::uint32_t>(Last / FBlockRows), Top);
    if (Bottom == nullptr) return false;
    FirstRow = Address(*Top, First);
    LastRow = Address(*Bottom, Last);
    return true;
}

} // namespace vortane
