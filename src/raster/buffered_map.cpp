#include "raster/buffered_map.hpp"

#include "text/types.hpp"

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

namespace vortane {

namespace {
constexpr std::string_view OutOfMemoryText = "Out of memory";
constexpr std::string_view OpenReadErrorText = "Open read error ";
} // namespace

// Where a memory block of Columns x Rows x Bands byte cells keeps its rows.
struct TMemoryBlock {
    unsigned char* Bytes = nullptr;
    std::uint64_t LineSize = 0;
    std::uint32_t Columns = 0, Rows = 0, Bands = 0;

    // The cell's byte; a band beyond the last is the last; null outside the block.
    unsigned char* Cell(std::int64_t Col, std::int64_t Row, std::uint32_t Band) const {
        if (Band >= Bands && Bands > 0) Band = Bands - 1;
        if (Bytes == nullptr || static_cast<std::uint64_t>(Col) >= Columns ||
            static_cast<std::uint64_t>(Row) >= Rows)
            return nullptr;
        return Bytes + static_cast<std::uint64_t>(Row) * LineSize + static_cast<std::uint64_t>(Col) * Bands +
               Band;
    }
    bool Layout(TRowLayout& Layout, bool Writable) const {
        if (Bytes == nullptr || Bands == 0) return false;
        Layout = {.Columns = Columns,
                  .Rows = Rows,
                  .Bands = Bands,
                  .CellType = ctUnsigned8,
                  .LSBFirst = true,
                  .FirstBand = 0,
                  .ColumnStride = Bands,
                  .BandStride = 1,
                  .Writable = Writable};
        return true;
    }
    bool MapRows(std::int64_t First, std::int64_t Last, unsigned char*& FirstRow,
                 unsigned char*& LastRow) const {
        if (Bytes == nullptr || First < 0 || First > Last || static_cast<std::uint64_t>(Last) >= Rows)
            return false;
        FirstRow = Bytes + static_cast<std::uint64_t>(First) * LineSize;
        LastRow = Bytes + static_cast<std::uint64_t>(Last) * LineSize;
        return true;
    }
};

namespace {

// Another raster's block, read by a second sampling thread.
class TMemoryBlockView final : public TMMapFile2 {
public:
    explicit TMemoryBlockView(const TMemoryBlock& Block) : FBlock(Block) {
        FColumns = Block.Columns;
        FRows = Block.Rows;
        FBands = Block.Bands;
        FCellType = ctUnsigned8;
    }
    bool GoToRow(std::int64_t /*Row*/, std::uint32_t /*Band*/) override { return false; }
    bool ReadCell(std::int64_t Col, std::int64_t Row, std::uint32_t Band, float& Value) override {
        const unsigned char* Cell = FBlock.Cell(Col, Row, Band);
        Value = Cell != nullptr ? *Cell : 0;
        return Cell != nullptr;
    }
    bool WriteCell(std::int64_t /*Col*/, std::int64_t /*Row*/, std::uint32_t /*Band*/,
                   float /*Value*/) override {
        return false;
    }
    bool PlainRowLayout(TRowLayout& Layout) const override { return FBlock.Layout(Layout, false); }
    bool MapRows(std::int64_t First, std::int64_t Last, unsigned char*& FirstRow,
                 unsigned char*& LastRow) override {
        return FBlock.MapRows(First, Last, FirstRow, LastRow);
    }

private:
    TMemoryBlock FBlock;
};

} // namespace

TMemoryBlock TBufferedMap2::Block() const {
    return {FBuffer.get(), FLineSize, FColumns, FRows, FBands};
}

bool TBufferedMap2::PlainRowLayout(TRowLayout& Layout) const {
    return Block().Layout(Layout, true);
}

bool TBufferedMap2::MapRows(std::int64_t First, std::int64_t Last, unsigned char*& FirstRow,
                            unsigned char*& LastRow) {
    return Block().MapRows(First, Last, FirstRow, LastRow);
}

std::unique_ptr<TMMapFile2> TBufferedMap2::OpenReadView() const {
    if (FMode != omRead || !FBuffer) return nullptr;
    return std::make_unique<TMemoryBlockView>(Block());
}

std::uint64_t TBufferedMap2::PaddedLineSize(std::uint64_t Columns, std::uint64_t Bands) {
    return (Columns * Bands + 3) / 4 * 4;
}

bool TBufferedMap2::AllocateBuffer(std::uint32_t Columns, std::uint32_t Rows, std::uint32_t Bands) {
    FColumns = Columns;
    FRows = Rows;
    FBands = Bands;
    FLineSize = PaddedLineSize(Columns, Bands);
    FCellCount = std::uint64_t{Columns} * Rows * Bands;
    FBuffer.reset(new (std::nothrow) unsigned char[FLineSize * Rows]());
    if (!FBuffer && FLineSize * Rows != 0) {
        FErrorText = OutOfMemoryText;
        return false;
    }
    return true;
}

void TBufferedMap2::TakeOpenArguments(const std::string& FileName, std::uint8_t CellType, std::uint8_t Mode) {
    FFileName = FileName;
    FCellType = CellType;
    FMode = Mode;
    SetMSBFirst(false);
}

bool TBufferedMap2::CreateBuffer(std::int32_t Columns, std::int32_t Rows, std::uint8_t CellType,
                                 std::int32_t Bands, std::int32_t MaxSide, std::string_view TooLargeText) {
    if (CellType != ctUnsigned8 || (Bands != 1 && Bands != 3)) return false;
    // Refused now rather than after a whole run, when the encoder would refuse it.
    if (Columns <= 0 || Rows <= 0 || Columns > MaxSide || Rows > MaxSide)
        return OwnError(std::string(TooLargeText));
    return AllocateBuffer(static_cast<std::uint32_t>(Columns), static_cast<std::uint32_t>(Rows),
                          static_cast<std::uint32_t>(Bands));
}

bool TBufferedMap2::OpenReadFailed(std::string Reason) {
    FErrorCode = 1;
    FErrorText = std::string(OpenReadErrorText) + "1 " + std::strerror(1);
    if (!Reason.empty()) FErrorText += ": " + Reason;
    return false;
}

bool TBufferedMap2::GoToRow(std::int64_t Row, std::uint32_t /*Band*/) {
    if (!FBuffer || static_cast<std::uint64_t>(Row) >= FRows) return false;
    FData = this->Row(static_cast<std::uint64_t>(Row));
    return true;
}

unsigned char* TBufferedMap2::CellByte(std::int64_t Col, std::int64_t Row, std::uint32_t Band) {
    unsigned char* Cell = Block().Cell(Col, Row, Band);
    if (Cell != nullptr) FData = Cell;
    return Cell;
}

bool TBufferedMap2::ReadCell(std::int64_t Col, std::int64_t Row, std::uint32_t Band, float& Value) {
    Value = 0;
    const unsigned char* Cell = CellByte(Col, Row, Band);
    if (Cell == nullptr) return false;
    Value = *Cell;
    return true;
}

bool TBufferedMap2::WriteCell(std::int64_t Col, std::int64_t Row, std::uint32_t Band, float Value) {
    unsigned char* Cell = CellByte(Col, Row, Band);
    return Cell != nullptr && StoreByteCell(Cell, Value);
}

TGridShape TBufferedMap2::Shape() const {
    return MappedShape(false);
}

bool TBufferedMap2::Finish() {
    if (FFinished || !WritesBack() || !FBuffer) return true;
    FFinished = true;
    if (Encode()) return true;
    if (FErrorCode == 0) FErrorCode = errno != 0 ? errno : EIO;
    return false;
}

} // namespace vortane
