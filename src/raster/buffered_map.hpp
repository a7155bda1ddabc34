#pragma once
// Rasters whose file cannot be reached cell by cell (JPEG, the wavelet format) hold the whole image in
// one memory block: rows top first, each padded to a multiple of 4 bytes, the bands of a cell
// interleaved (cell c, band b at byte c x bands + b of its row). Reading decodes the file into the
// block; a created image is encoded from it in one piece when it is finished or released.

#include "raster/raster.hpp"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vortane {

struct TMemoryBlock;

class TBufferedMap2 : public TDataSetRoot2 {
public:
    // Row Row of the block in FData; Band is ignored.
    bool GoToRow(std::int64_t Row, std::uint32_t Band) override;
    // A band beyond the last reads the last; indexes outside the image fail with Value 0.
    bool ReadCell(std::int64_t Col, std::int64_t Row, std::uint32_t Band, float& Value) override;
    // Stores the low 8 bits of the value rounded half to even: 256 becomes 0, -1 becomes 255.
    bool WriteCell(std::int64_t Col, std::int64_t Row, std::uint32_t Band, float Value) override;

    // The block's grid, least significant byte first.
    TGridShape Shape() const override;
    // The block's rows are plain (bytes, bands interleaved by cell).
    bool PlainRowLayout(TRowLayout& Layout) const override;
    bool MapRows(std::int64_t First, std::int64_t Last, unsigned char*& FirstRow,
                 unsigned char*& LastRow) override;
    // A read-only view of the same block for a second sampling thread (this raster must outlive it);
    // null unless the image was read.
    std::unique_ptr<TMMapFile2> OpenReadView() const override;

    // Encodes a created (or updated) image into its file, once. False, with the reason in the error
    // text, when the file could not be written; that file is then removed.
    bool Finish() override;

    // Bytes per row of the block: columns x bands rounded up to a multiple of 4.
    static std::uint64_t PaddedLineSize(std::uint64_t Columns, std::uint64_t Bands);
    const unsigned char* Buffer() const { return FBuffer.get(); }
    std::uint64_t LineSize() const { return FLineSize; }

protected:
    // Takes what every opening keeps: the name, the cell type, the mode; least significant byte first.
    void TakeOpenArguments(const std::string& FileName, std::uint8_t CellType, std::uint8_t Mode);
    // A new image: false without a message unless its cells are bytes in 1 or 3 bands; TooLargeText
    // when a side is not between 1 and MaxSide; otherwise the block is allocated.
    bool CreateBuffer(std::int32_t Columns, std::int32_t Rows, std::uint8_t CellType, std::int32_t Bands,
                      std::int32_t MaxSide, std::string_view TooLargeText);
    // Sets the geometry and allocates the block (zero bytes); "Out of memory" when it cannot be had.
    bool AllocateBuffer(std::uint32_t Columns, std::uint32_t Rows, std::uint32_t Bands);
    void ReleaseBuffer() { FBuffer.reset(); }
    unsigned char* Row(std::uint64_t Row) const { return FBuffer.get() + Row * FLineSize; }
    // Whether this image is written back when finished.
    virtual bool WritesBack() const = 0;
    virtual bool Encode() = 0;
    // "Open read error 1 <system text for 1>", followed by ": " and the reason when there is one.
    bool OpenReadFailed(std::string Reason);

    std::unique_ptr<unsigned char[]> FBuffer;

private:
    TMemoryBlock Block() const;
    unsigned char* CellByte(std::int64_t Col, std::int64_t Row, std::uint32_t Band);

    bool FFinished = false;
};

} // namespace vortane
