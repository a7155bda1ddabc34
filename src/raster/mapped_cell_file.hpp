#pragma once
// Memory-mapped cell files. TMapByte keeps one sliding view (at most 128 MiB, starting on a 64 KiB
// boundary; a file opened for reading keeps a few recent ones besides) over a file and makes any byte
// position addressable on demand; the format readers walk
// their headers, tags and strips through it. TMMapFile2 lays a grid of cells over the file:
// columns x rows x bands of one cell type, stored row by row with the bands of a row one after
// another (band-interleaved by line), and samples it at the nearest cell or bilinearly.
//
// Every offset is 64-bit, so cell files of 4 GiB and more work. Failures return false and leave a
// code and a message in the object (FErrorCode: 0 none, 1 the program's own error, otherwise errno).

#include "text/mapped_file.hpp"
#include "text/types.hpp"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vortane {

// Open modes of a raster.
enum : std::uint8_t {
    omRead = 0,
    omCreate = 1, // a new file of the computed size, all zero bytes; an existing file is truncated
    omUpdate = 2,
};

enum class TViewAccess { Read, Write };

// One cell as a single float, least or most significant byte first; cell types a grid cannot
// interpret read as 0.
float DecodeCell(const unsigned char* Cell, std::uint8_t CellType, bool LSBFirst);
// Stores Value in one cell. Integer cells keep the low bits of the value rounded half to even (no
// clamping: 256 becomes 0 in a byte cell); false when it has no integer (NaN, infinite). Cell types a
// grid cannot interpret store nothing.
bool EncodeCell(unsigned char* Cell, std::uint8_t CellType, bool LSBFirst, float Value);

// A rounded or floored cell coordinate as an index; false for NaN and values no grid can reach.
inline bool ToCellIndex(double Coordinate, std::int64_t& Index) {
    constexpr double Limit = 4611686018427387904.0; // 2^62
    if (!(std::fabs(Coordinate) < Limit)) return false;
    Index = static_cast<std::int64_t>(Coordinate);
    return true;
}

class TMapByte {
public:
    static constexpr std::uint32_t MaxViewBytes = 128u * 1024 * 1024;

    TMapByte() = default;
    virtual ~TMapByte() = default;
    TMapByte(const TMapByte&) = delete;
    TMapByte& operator=(const TMapByte&) = delete;

    // Opens or creates FileName and maps the view at position 0. Size is used only by omCreate: the
    // new file gets exactly that many zero bytes. Any mode other than omCreate/omUpdate reads.
    bool OpenFile(const std::string& FileName, std::uint8_t Mode, std::uint64_t Size);
    // Unmaps the view and closes the file; safe to call at any time.
    void CloseFile();
    // Makes FPosition addressable with at least FMinBytes bytes and points FData at it.
    bool MapPosition();

    int ErrorCode() const { return FErrorCode; }
    const std::string& ErrorText() const { return FErrorText; }
    void SetErrorText(std::string Text) { FErrorText = std::move(Text); }
    const std::string& FileName() const { return FFileName; }
    std::uint8_t Mode() const { return FMode; }
    std::uint64_t FileSize() const { return FFileSize; }
    bool IsFileOpen() const { return static_cast<bool>(FFileHandle); }
    // True once a page of this file's mapping could not be backed by the file (cut short beneath the
    // mapping, or no room on the disk): cells read there were zeros and cells written there are lost.
    bool MappingFaulted();
    // Drops the pages of a file opened for reading from the process's resident memory; the addresses
    // handed out stay valid and read the same bytes again.
    void ReleaseResidentPages();

protected:
    // The address of Bytes bytes from file position Position, in the current view when it holds them
    // and in a new one otherwise; null when they cannot be mapped at once.
    unsigned char* MapBytes(std::uint64_t Position, std::uint64_t Bytes);
    // Claims the disk space of a created file of Size bytes, so that a full disk fails here and not as
    // a fault on a mapped page later. Returns 0 or an errno value.
    int ReserveSpace(int Fd, std::uint64_t Size);
    // The file system's own reservation (fallocate); EOPNOTSUPP where it has none.
    virtual int AllocateSpace(int Fd, std::uint64_t Size);

protected:
    // The one pair through which failures are recorded; both return false for "return Fail...".
    bool OwnError(std::string Text); // code 1 and a fixed message of the program
    bool SystemError(int Code);      // an errno value and the system's text for it

    TFileDescriptor FFileHandle;
    bool FMapHandle = false; // POSIX needs no mapping object: true once the file has its final size
    std::uint32_t FViewSize = MaxViewBytes;    // bytes in the current view
    std::uint32_t FMaxViewSize = MaxViewBytes; // lowered to the file size for smaller files
    TMappedView FView;
    // A file opened for reading keeps its most recent views mapped (the least recently left first), so
    // that a sampler moving to and fro across rows far apart maps each view once, not at every turn.
    std::vector<TMappedView> FKeptViews;
    static constexpr std::size_t MaxKeptViews = 15;
    std::size_t FViewsLeftSinceRelease = 0; // views kept since ReleaseResidentPages
    std::uint64_t FFileSize = 0;            // for created files: the computed size
    std::uint64_t FViewOffset = 0;          // file offset of the view, a multiple of 64 KiB
    std::uint32_t FMinBytes = 8;            // bytes that must follow FPosition after MapPosition
    std::int32_t FErrorCode = 0;
    std::string FErrorText;
    TViewAccess FMapAccess = TViewAccess::Read; // Write for omCreate and omUpdate
    std::int64_t FFirstRow = 0;                 // first grid row inside the view
    std::int64_t FEndRow = -1;                  // one past the last grid row inside the view; -1: none
    bool FForceRemap = false;                   // the next MapPosition maps a new view in any case
    std::uint8_t FMode = omRead;
    std::string FFileName;
    std::uint64_t FPosition = 0;    // requested byte position
    unsigned char* FData = nullptr; // the byte at FPosition after a successful MapPosition
    bool FMappingFault = false;     // a page of an earlier or the current view faulted

private:
    void InvalidateRows() { FFirstRow = 0, FEndRow = -1; }
    void NoteViewFaults(); // before the view goes away
    void NoteFaults(const TMappedView& View);
    // Makes a kept view holding FMinBytes bytes from FPosition the current one; false when none does.
    bool TakeKeptView();
    // Keeps the current view of a file opened for reading (unmapping the least recent kept one) or
    // unmaps it.
    void LeaveView();
    // Moves the current view to the end of the kept ones.
    void KeepView();
};

// Stores Value in a byte cell: rounded half to even, low 8 bits kept (256 is 0, -1 is 255). False for a
// value without an integer (NaN, infinite).
bool StoreByteCell(unsigned char* Cell, float Value);

using TQuad = std::array<float, 4>; // top-left, bottom-left, bottom-right, top-right

// The bilinear value of a 2 x 2 block at offsets Dx, Dy from its top-left cell, summed in extended
// precision: the value every bilinear sampler's output holds.
float ExtendedBilinearValue(const TQuad& Quad, long double Dx, long double Dy);

// ExtendedBilinearValue, in double wherever that rounds to the same float: the double sum and the
// extended one each lie within a few roundings of terms no larger than Size of the exact sum (Bound
// allows sixteen times that), so when both ends of Bound around the double sum round to the same float
// (bit for bit, not -0 against +0; NaN never), so do both sums. Extended arithmetic is several times slower,
// and the other case comes about once in millions of cells.
inline float BilinearValue(const TQuad& Quad, double Dx, double Dy) {
    const double TopLeft = Quad[0], BottomLeft = Quad[1], BottomRight = Quad[2], TopRight = Quad[3];
    const double Value = TopLeft + (TopRight - TopLeft) * Dx + (BottomLeft - TopLeft) * Dy +
                         Dx * Dy * (TopLeft + BottomRight - TopRight - BottomLeft);
    const double Size =
        (std::fabs(TopLeft) + std::fabs(BottomLeft) + std::fabs(BottomRight) + std::fabs(TopRight)) *
        (1 + std::fabs(Dx)) * (1 + std::fabs(Dy));
    if (Size == 0) return static_cast<float>(Value);
    const double Bound = Size * 0x1p-46;
    const auto Low = static_cast<float>(Value - Bound), High = static_cast<float>(Value + Bound);
    if (Low == High && std::bit_cast<std::uint32_t>(Low) == std::bit_cast<std::uint32_t>(High)) return Low;
    return ExtendedBilinearValue(Quad, Dx, Dy);
}

// Where the cells of a grid that stores them plainly (each cell's value is DecodeCell of its bytes)
// lie: cell (Col, Band) of a row starts FirstBand + Col x ColumnStride + Band x BandStride bytes after
// the row's address.
struct TRowLayout {
    std::uint32_t Columns = 0, Rows = 0, Bands = 0;
    std::uint8_t CellType = 0;
    bool LSBFirst = true;
    std::int64_t FirstBand = 0, ColumnStride = 0, BandStride = 0;
    bool Writable = false; // WriteCell stores its cells there too
    // A format's marker of cells that hold nothing: ReadCell fails on a cell holding Unreadable, so a
    // reader of the rows must treat such a cell as one it could not read.
    bool HasUnreadable = false;
    float Unreadable = 0;
};

class TMMapFile2 : public TMapByte {
public:
    // Opens or creates a cell file of the given geometry. A file whose size does not match its
    // geometry is read as one row holding every whole cell of the file. The cells of an existing file
    // may begin CellsStart bytes into it (a header of its own before them).
    bool OpenGrid(const std::string& FileName, std::uint32_t Columns, std::uint32_t Rows,
                  std::uint8_t CellType, std::uint32_t Bands, std::uint8_t Mode, bool MSBFirst,
                  std::uint64_t CellsStart = 0);
    void SetMSBFirst(bool Value) { FNativeOrder = !Value; }
    bool IsMSBFirst() const { return !FNativeOrder; }

    // Cells are addressed by column (0 at the left), row (0 at the top) and band (from 0); a band
    // beyond the last reads the last band. Indexes outside the grid fail.
    virtual bool GoToRow(std::int64_t Row, std::uint32_t Band);
    virtual bool ReadCell(std::int64_t Col, std::int64_t Row, std::uint32_t Band, float& Value);
    // Integer cells take the value rounded half to even, cut to the cell's width without clamping.
    virtual bool WriteCell(std::int64_t Col, std::int64_t Row, std::uint32_t Band, float Value);
    // Colour access for 3-band byte grids, three bytes per cell (pixel-interleaved rows); the first
    // byte is the low 8 bits of Color.
    virtual bool ReadRGB(std::int64_t Col, std::int64_t Row, std::int32_t& Color);
    virtual bool WriteRGB(std::int64_t Col, std::int64_t Row, std::int32_t Color);

    // Cells (Col, Row), (Col, Row + 1), (Col + 1, Row + 1), (Col + 1, Row).
    bool ReadQuad(std::int64_t Col, std::int64_t Row, std::uint32_t Band, TQuad& Quad);
    // Col and Row are cell coordinates: (0, 0) is the top-left corner of the top-left cell. The
    // nearest sampler reads the cell whose top-left corner is nearest (halves to even).
    bool SampleNearest(std::uint32_t Band, float& Value, double Col, double Row);
    // Exactly integral positions read their cell; others interpolate in the 2 x 2 block whose
    // top-left cell holds the position, and fail with Value 0 when that block leaves the grid.
    bool SampleBilinear(std::uint32_t Band, float& Value, double Col, double Row);

    // A second, independent read-only view of the same cells, so that another thread can sample them
    // while this object is in use: null when this grid is not a cell file opened for reading or cannot
    // be opened again. A raster whose cells are not the plain grid of its file must return null.
    virtual std::unique_ptr<TMMapFile2> OpenReadView() const;
    // The layout of this grid's rows when its cells are stored plainly, so that whole rows can be read
    // and written in memory; false otherwise. A raster that reads or writes cells any other way
    // (palettes, tiles, memory blocks, offsets of its own) must return false or its own layout.
    virtual bool PlainRowLayout(TRowLayout& Layout) const;
    // The addresses of rows First and Last (First <= Last) of the plain layout, both valid together
    // until the next cell access of this object; false outside the grid or when they cannot be
    // mapped at once.
    virtual bool MapRows(std::int64_t First, std::int64_t Last, unsigned char*& FirstRow,
                         unsigned char*& LastRow);

    // Writes row Row of the plain layout (RowBytes bytes, its bands one after another) through the file
    // rather than the mapping, so that its pages are filled without being read, or zeroed, first. False,
    // writing nothing, where this grid's rows do not lie in its file as a plain grid places them (a
    // raster with a layout of its own), RowBytes is not a whole row or the file is not written; a write
    // that fails counts as a mapping fault (its cells are lost) and returns false too.
    bool WriteRowThroughFile(std::int64_t Row, const unsigned char* Bytes, std::size_t RowBytes);

    // "cell file holds N bytes, header describes M" when an existing file's size does not match the
    // geometry it was opened with (and it is read as one row); empty otherwise.
    const std::string& SizeMismatchText() const { return FSizeMismatch; }

    std::uint32_t GridColumns() const { return FColumns; }
    std::uint32_t GridRows() const { return FRows; }
    std::uint32_t GridBands() const { return FBands; }

protected:
    // The cell's address, or null when it lies outside the grid or its row cannot be mapped.
    unsigned char* CellAddress(std::int64_t Col, std::int64_t Row, std::uint32_t& Band);
    // MapRows for rows of RowBytes bytes at file positions FirstAt and LastAt.
    bool MapRowsAt(std::uint64_t FirstAt, std::uint64_t LastAt, std::uint64_t RowBytes,
                   unsigned char*& FirstRow, unsigned char*& LastRow);

    std::uint32_t FColumns = 0;
    std::uint32_t FRows = 0;
    std::uint32_t FBands = 0;
    std::uint64_t FCellCount = 0; // FColumns x FRows x FBands
    std::uint8_t FCellType = 0;
    bool FNativeOrder = true;          // true: multi-byte cells are least significant byte first
    std::uint64_t FLineSize = 0;       // bytes per row: cell bytes x FColumns x FBands
    std::uint64_t FCellsStart = 0;     // file position of the first row
    unsigned char* FRowBase = nullptr; // address of row FFirstRow inside the view
    std::string FSizeMismatch;
};

} // namespace vortane
