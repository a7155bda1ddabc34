#include "raster/mapped_cell_file.hpp"

#include "raster/byte_order.hpp"
#include "raster/cell_codec.hpp"
#include "raster/mapping_faults.hpp"
#include "text/types.hpp"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>
#include <vector>

namespace vortane {

float ExtendedBilinearValue(const TQuad& Quad, long double Dx, long double Dy) {
    const long double TopLeft = Quad[0];
    const long double BottomLeft = Quad[1];
    const long double BottomRight = Quad[2];
    const long double TopRight = Quad[3];
    return static_cast<float>(TopLeft + (TopRight - TopLeft) * Dx + (BottomLeft - TopLeft) * Dy +
                              Dx * Dy * (TopLeft + BottomRight - TopRight - BottomLeft));
}

namespace {

// Texts of the program's own failures.
constexpr std::string_view PositionOutsideText = "Position outside of file";
constexpr std::string_view RestTooSmallText = "The rest of file is smaller than needed num of bytes";
constexpr std::string_view LineTooLongText = "Buffer size is less than one line";
constexpr std::string_view BitCellsText = "Bit type not supported";
constexpr std::string_view GridTooLargeText = "Grid size is too large";
constexpr std::string_view NoWholeCellText = "The file holds no whole cell";
constexpr std::string_view CellsStartText = "The cells start beyond the end of the file";

constexpr std::uint64_t ViewAlignment = TMappedView::Alignment();

} // namespace

float DecodeCell(const unsigned char* Cell, std::uint8_t CellType, bool LSBFirst) {
    float Value = 0.0f; // types the grid cannot interpret read as 0
    ForCellType(CellType, [&](auto Type) { Value = DecodeAs<decltype(Type)::value>(Cell, LSBFirst); });
    return Value;
}

bool EncodeCell(unsigned char* Cell, std::uint8_t CellType, bool LSBFirst, float Value) {
    bool Stored = true; // types the grid cannot interpret store nothing
    ForCellType(CellType,
                [&](auto Type) { Stored = EncodeAs<decltype(Type)::value>(Cell, LSBFirst, Value); });
    return Stored;
}

// ---------------------------------------------------------------------------------------------------
// TMapByte

bool TMapByte::OwnError(std::string Text) {
    FErrorCode = 1;
    FErrorText = std::move(Text);
    return false;
}

bool TMapByte::SystemError(int Code) {
    FErrorCode = Code;
    FErrorText = std::generic_category().message(Code);
    return false;
}

void TMapByte::NoteFaults(const TMappedView& View) {
    if (View && TakeMappingFaults(View.Data(), View.Length())) FMappingFault = true;
}

void TMapByte::NoteViewFaults() {
    NoteFaults(FView);
    for (const TMappedView& Kept : FKeptViews)
        NoteFaults(Kept);
}

void TMapByte::ReleaseResidentPages() {
    if (FMapAccess == TViewAccess::Write) return; // written pages go with their view
    FView.ReleasePages();
    // Only views left since the last release can hold pages, and they are among the last kept (a view
    // taken back from the middle goes to the end again): releasing every kept view would walk the
    // page tables of gigabytes on every call.
    const auto Left = static_cast<std::ptrdiff_t>(std::min(FViewsLeftSinceRelease, FKeptViews.size()));
    for (auto Kept = FKeptViews.end() - Left; Kept != FKeptViews.end(); ++Kept)
        Kept->ReleasePages();
    FViewsLeftSinceRelease = 0;
}

bool TMapByte::TakeKeptView() {
    for (auto Kept = FKeptViews.begin(); Kept != FKeptViews.end(); ++Kept) {
        if (FPosition < Kept->Offset() || FPosition - Kept->Offset() + FMinBytes > Kept->Length()) continue;
        TMappedView Taken = std::move(*Kept);
        FKeptViews.erase(Kept);
        if (FView) KeepView();
        FView = std::move(Taken);
        FViewOffset = FView.Offset();
        FViewSize = static_cast<std::uint32_t>(FView.Length());
        return true;
    }
    return false;
}

void TMapByte::LeaveView() {
    if (!FView) return;
    if (FMapAccess == TViewAccess::Write) {
        NoteFaults(FView);
        FView.Unmap();
        return;
    }
    if (FKeptViews.size() == MaxKeptViews) {
        NoteFaults(FKeptViews.front());
        FKeptViews.erase(FKeptViews.begin());
    }
    KeepView();
}

void TMapByte::KeepView() {
    FKeptViews.push_back(std::move(FView));
    ++FViewsLeftSinceRelease;
}

bool TMapByte::MappingFaulted() {
    NoteViewFaults();
    return FMappingFault;
}

int TMapByte::AllocateSpace(int Fd, std::uint64_t Size) {
    return ::fallocate(Fd, 0, 0, static_cast<off_t>(Size)) == 0 ? 0 : errno;
}

int TMapByte::ReserveSpace(int Fd, std::uint64_t Size) {
    if (Size == 0) return 0;
    const int Error = AllocateSpace(Fd, Size);
    if (Error != EOPNOTSUPP && Error != ENOSYS) return Error;
    // No reservation on this file system: writing every byte claims the blocks just as well.
    const std::vector<char> Zeros(std::size_t{1} << 20);
    for (std::uint64_t Offset = 0; Offset < Size;) {
        const auto Chunk = static_cast<std::size_t>(std::min<std::uint64_t>(Zeros.size(), Size - Offset));
        const ssize_t Written = ::pwrite(Fd, Zeros.data(), Chunk, static_cast<off_t>(Offset));
        if (Written < 0 && errno != EINTR) return errno;
        Offset += Written > 0 ? static_cast<std::uint64_t>(Written) : 0;
    }
    return 0;
}

bool TMapByte::OpenFile(const std::string& FileName, std::uint8_t Mode, std::uint64_t Size) {
    CloseFile();
    FFileName = FileName;
    FFileSize = Size;
    FMode = Mode;
    FErrorCode = 0;
    FErrorText.clear();
    FViewSize = FMaxViewSize = MaxViewBytes;
    FMappingFault = false;
    GuardMappingFaults();

    const bool Create = Mode == omCreate;
    const bool Writable = Create || Mode == omUpdate;
    FMapAccess = Writable ? TViewAccess::Write : TViewAccess::Read;
    // O_NONBLOCK: a FIFO named as an image must fail the regular-file test below, not hang the open.
    const int Flags = Create ? O_RDWR | O_CREAT | O_TRUNC : (Writable ? O_RDWR : O_RDONLY) | O_NONBLOCK;
    const bool Existed = Create && ::access(FileName.c_str(), F_OK) == 0;
    if (const int Error = FFileHandle.Open(FileName, Flags); Error != 0) return SystemError(Error);

    struct stat Status {};
    const int StatError = ::fstat(FFileHandle.Get(), &Status) != 0 ? errno : 0;
    if (StatError != 0 || !S_ISREG(Status.st_mode)) {
        CloseFile();
        return SystemError(StatError != 0 ? StatError : (S_ISDIR(Status.st_mode) ? EISDIR : EINVAL));
    }
    if (!Create) FFileSize = static_cast<std::uint64_t>(Status.st_size);
    if (FFileSize < FViewSize) FViewSize = FMaxViewSize = static_cast<std::uint32_t>(FFileSize);

    // The file gets its final size, and its blocks, before anything is mapped: touching mapped bytes
    // beyond the end of a file, or a page the disk has no room for, raises SIGBUS. ftruncate
    // zero-fills the new file; the reservation makes a full disk fail here.
    if (Create) {
        if (Size > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) {
            CloseFile();
            return SystemError(EFBIG);
        }
        const int Fd = FFileHandle.Get();
        int Error = ::ftruncate(Fd, static_cast<off_t>(Size)) == 0 ? 0 : errno;
        if (Error == 0) Error = ReserveSpace(Fd, Size);
        if (Error != 0) {
            // Whatever was claimed goes back, so the rest of the run (its log) still finds room; a file
            // this call brought into being goes with it.
            [[maybe_unused]] const int Ignored = Existed ? ::ftruncate(Fd, 0) : ::unlink(FileName.c_str());
            CloseFile();
            return SystemError(Error);
        }
    }
    FMapHandle = true;
    FForceRemap = true;
    FPosition = 0;
    // The first view needs only its first byte; callers that need more ask with their own FMinBytes.
    const std::uint32_t Wanted = std::exchange(FMinBytes, 1);
    const bool Mapped = MapPosition();
    FMinBytes = Wanted;
    if (!Mapped) {
        CloseFile();
        return false;
    }
    return true;
}

void TMapByte::CloseFile() {
    NoteViewFaults();
    FView.Unmap();
    FKeptViews.clear();
    FMapHandle = false;
    FFileHandle.Close();
    FViewOffset = 0;
    FData = nullptr;
    InvalidateRows();
}

bool TMapByte::MapPosition() {
    if (FPosition >= FFileSize) {
        InvalidateRows();
        return OwnError(std::string(PositionOutsideText));
    }
    const bool ViewHoldsRequest =
        FView && FPosition >= FViewOffset && FPosition - FViewOffset + FMinBytes <= FView.Length();
    if (!FForceRemap && !ViewHoldsRequest && TakeKeptView()) {
        // a view mapped before holds the request
    } else if (FForceRemap || !ViewHoldsRequest) {
        InvalidateRows();
        // Views start on a grid of half their size, so that whichever way a reader moves, a request
        // lies in one of the views around it rather than in a new one each step back.
        const std::uint64_t Stride =
            std::max<std::uint64_t>(ViewAlignment, FMaxViewSize / 2 / ViewAlignment * ViewAlignment);
        FViewOffset = FPosition / Stride * Stride;
        if (FForceRemap || FPosition - FViewOffset + FMinBytes > FMaxViewSize)
            FViewOffset = FPosition / ViewAlignment * ViewAlignment;
        FForceRemap = false;
        const std::uint64_t Rest = FFileSize - FViewOffset;
        const std::uint64_t Lead = FPosition - FViewOffset;
        FViewSize = Rest >= FMaxViewSize ? FMaxViewSize : static_cast<std::uint32_t>(Rest);
        // The requested bytes must lie wholly inside the new view, or callers would read past it.
        if (Lead + FMinBytes > FViewSize) {
            NoteViewFaults();
            FView.Unmap();
            return OwnError(std::string(Rest < Lead + FMinBytes ? RestTooSmallText : LineTooLongText));
        }
        if (!FMapHandle) return false;
        LeaveView();
        const int Error =
            FView.Map(FFileHandle.Get(), FViewOffset, FViewSize, FMapAccess == TViewAccess::Write);
        if (Error != 0) return SystemError(Error);
        FErrorCode = 0;
    }
    FData = FView.Data() + (FPosition - FViewOffset);
    InvalidateRows();
    return true;
}

unsigned char* TMapByte::MapBytes(std::uint64_t Position, std::uint64_t Bytes) {
    if (Bytes == 0 || Bytes > FMaxViewSize) return nullptr;
    if (FView && Position >= FViewOffset && Position - FViewOffset + Bytes <= FView.Length())
        return FView.Data() + (Position - FViewOffset);
    FPosition = Position;
    FMinBytes = static_cast<std::uint32_t>(Bytes);
    return MapPosition() ? FData : nullptr;
}

bool StoreByteCell(unsigned char* Cell, float Value) {
    return EncodeCell(Cell, ctUnsigned8, true, Value);
}

// ---------------------------------------------------------------------------------------------------
// TMMapFile2

bool TMMapFile2::OpenGrid(const std::string& FileName, std::uint32_t Columns, std::uint32_t Rows,
                          std::uint8_t CellType, std::uint32_t Bands, std::uint8_t Mode, bool MSBFirst,
                          std::uint64_t CellsStart) {
    FColumns = Columns;
    FRows = Rows;
    FBands = Bands;
    FCellType = CellType;
    SetMSBFirst(MSBFirst);
    FMode = Mode;
    FLineSize = 0;
    FCellsStart = Mode == omCreate ? 0 : CellsStart;
    FSizeMismatch.clear();

    const int CellSize = CellBytes(CellType);
    if (CellSize == 0) {
        CloseFile();
        return OwnError(std::string(BitCellsText));
    }
    const auto Bytes = static_cast<std::uint64_t>(CellSize);
    std::uint64_t Size = 0;
    const bool Overflow = __builtin_mul_overflow(std::uint64_t{Columns}, std::uint64_t{Rows}, &FCellCount) ||
                          __builtin_mul_overflow(FCellCount, std::uint64_t{Bands}, &FCellCount) ||
                          __builtin_mul_overflow(FCellCount, Bytes, &Size);
    if (Overflow) {
        FCellCount = std::numeric_limits<std::uint64_t>::max(); // matches no file: read as one row
        if (Mode == omCreate) {
            CloseFile();
            return OwnError(std::string(GridTooLargeText));
        }
    }
    if (!OpenFile(FileName, Mode, Size)) return false;
    if (FCellsStart > FFileSize) {
        CloseFile();
        return OwnError(std::string(CellsStartText));
    }

    const std::uint64_t CellFileBytes = FFileSize - FCellsStart;
    if (CellFileBytes / Bytes != FCellCount) {
        FSizeMismatch = "cell file holds " + std::to_string(CellFileBytes) + " bytes" +
                        (FCellsStart > 0 ? " after its first " + std::to_string(FCellsStart) : "") +
                        ", header describes " +
                        (Overflow ? "more than " + std::to_string(std::numeric_limits<std::uint64_t>::max())
                                  : std::to_string(Size));
        // A file whose size does not match its geometry is read as one row of all its whole cells.
        const std::uint64_t Cells = CellFileBytes / Bytes;
        if (Cells * Bytes > FMaxViewSize) {
            CloseFile();
            return OwnError(std::string(LineTooLongText));
        }
        FBands = 1;
        FRows = 1;
        FColumns = static_cast<std::uint32_t>(Cells);
        FCellCount = Cells;
    }
    FLineSize = Bytes * FColumns * FBands;
    if (FLineSize == 0) {
        CloseFile();
        return OwnError(std::string(NoWholeCellText));
    }
    if (FMaxViewSize < FLineSize) {
        CloseFile();
        return OwnError(std::string(LineTooLongText));
    }
    FFirstRow = 0;
    // The view starts at the file's start: its rows are known only when the cells start there too.
    FEndRow = FCellsStart == 0 ? static_cast<std::int64_t>(FViewSize / FLineSize) : -1;
    FRowBase = FView.Data();
    return true;
}

std::unique_ptr<TMMapFile2> TMMapFile2::OpenReadView() const {
    if (FMode != omRead || !IsFileOpen() || FLineSize == 0) return nullptr;
    auto View = std::make_unique<TMMapFile2>();
    if (!View->OpenGrid(FFileName, FColumns, FRows, FCellType, FBands, omRead, IsMSBFirst(), FCellsStart))
        return nullptr;
    return View;
}

bool TMMapFile2::PlainRowLayout(TRowLayout& Layout) const {
    if (FLineSize == 0 || !IsFileOpen() || !ForCellType(FCellType, [](auto) {})) return false;
    const std::int64_t CellSize = CellBytes(FCellType);
    Layout = {.Columns = FColumns,
              .Rows = FRows,
              .Bands = FBands,
              .CellType = FCellType,
              .LSBFirst = FNativeOrder,
              .FirstBand = 0,
              .ColumnStride = CellSize,
              .BandStride = CellSize * FColumns,
              .Writable = FMode != omRead};
    return true;
}

bool TMMapFile2::MapRows(std::int64_t First, std::int64_t Last, unsigned char*& FirstRow,
                         unsigned char*& LastRow) {
    if (First < 0 || First > Last || Last >= static_cast<std::int64_t>(FRows)) return false;
    return MapRowsAt(FCellsStart + static_cast<std::uint64_t>(First) * FLineSize,
                     FCellsStart + static_cast<std::uint64_t>(Last) * FLineSize, FLineSize, FirstRow,
                     LastRow);
}

bool TMMapFile2::WriteRowThroughFile(std::int64_t Row, const unsigned char* Bytes, std::size_t RowBytes) {
    unsigned char *At = nullptr, *Same = nullptr;
    if (FMapAccess != TViewAccess::Write || RowBytes != FLineSize || !MapRows(Row, Row, At, Same))
        return false;
    const std::uint64_t Position = FCellsStart + static_cast<std::uint64_t>(Row) * FLineSize;
    // A raster that keeps its rows elsewhere in the file, or in memory, maps them elsewhere.
    if (!FView || Position < FViewOffset || At != FView.Data() + (Position - FViewOffset)) return false;
    // A write past the end would quietly lengthen a file cut short beneath the mapping again, and the
    // rows it lost would pass for written: a cut file fails here as it faults through the mapping.
    struct stat Status {};
    if (::fstat(FFileHandle.Get(), &Status) == 0 && static_cast<std::uint64_t>(Status.st_size) >= FFileSize &&
        WriteAllAt(FFileHandle.Get(), Bytes, RowBytes, Position) == 0)
        return true;
    FMappingFault = true;
    return false;
}

bool TMMapFile2::MapRowsAt(std::uint64_t FirstAt, std::uint64_t LastAt, std::uint64_t RowBytes,
                           unsigned char*& FirstRow, unsigned char*& LastRow) {
    const std::uint64_t Low = std::min(FirstAt, LastAt);
    unsigned char* Bytes = MapBytes(Low, std::max(FirstAt, LastAt) - Low + RowBytes);
    if (Bytes == nullptr) return false;
    FirstRow = Bytes + (FirstAt - Low);
    LastRow = Bytes + (LastAt - Low);
    return true;
}

bool TMMapFile2::GoToRow(std::int64_t Row, std::uint32_t /*Band*/) {
    if (Row < 0 || Row >= static_cast<std::int64_t>(FRows)) return false;
    if (FFirstRow <= Row && Row < FEndRow) {
        FData = FRowBase + static_cast<std::uint64_t>(Row - FFirstRow) * FLineSize;
        return true;
    }
    FForceRemap = true;
    FMinBytes = static_cast<std::uint32_t>(FLineSize);
    FPosition = FCellsStart + static_cast<std::uint64_t>(Row) * FLineSize;
    const bool Mapped = MapPosition();
    FRowBase = FData;
    if (Mapped) {
        const std::uint64_t ViewLeft = FView.Length() - (FPosition - FViewOffset);
        FFirstRow = Row;
        FEndRow = Row + static_cast<std::int64_t>(ViewLeft / FLineSize);
    }
    return Mapped;
}

unsigned char* TMMapFile2::CellAddress(std::int64_t Col, std::int64_t Row, std::uint32_t& Band) {
    if (Band >= FBands && FBands > 0) Band = FBands - 1;
    if (Col < 0 || Col >= static_cast<std::int64_t>(FColumns) || Row < 0 ||
        Row >= static_cast<std::int64_t>(FRows))
        return nullptr;
    if (!GoToRow(Row, Band)) return nullptr;
    const auto CellSize = static_cast<std::uint64_t>(CellBytes(FCellType));
    return FData + CellSize * (std::uint64_t{Band} * FColumns + static_cast<std::uint64_t>(Col));
}

bool TMMapFile2::ReadCell(std::int64_t Col, std::int64_t Row, std::uint32_t Band, float& Value) {
    const unsigned char* Cell = CellAddress(Col, Row, Band);
    if (Cell == nullptr) return false;
    Value = DecodeCell(Cell, FCellType, FNativeOrder);
    return true;
}

bool TMMapFile2::WriteCell(std::int64_t Col, std::int64_t Row, std::uint32_t Band, float Value) {
    if (FMode == omRead) return false;
    unsigned char* Cell = CellAddress(Col, Row, Band);
    return Cell != nullptr && EncodeCell(Cell, FCellType, FNativeOrder, Value);
}

bool TMMapFile2::ReadRGB(std::int64_t Col, std::int64_t Row, std::int32_t& Color) {
    if (FBands != 3 || FCellType != ctUnsigned8) return false;
    if (Col < 0 || Col >= static_cast<std::int64_t>(FColumns) || !GoToRow(Row, 0)) return false;
    const unsigned char* Pixel = FData + 3 * Col;
    Color = static_cast<std::int32_t>(Pixel[0] | Pixel[1] << 8 | Pixel[2] << 16);
    return true;
}

bool TMMapFile2::WriteRGB(std::int64_t Col, std::int64_t Row, std::int32_t Color) {
    if (FBands != 3 || FCellType != ctUnsigned8 || FMode == omRead) return false;
    if (Col < 0 || Col >= static_cast<std::int64_t>(FColumns) || !GoToRow(Row, 0)) return false;
    unsigned char* Pixel = FData + 3 * Col;
    const auto Bits = static_cast<std::uint32_t>(Color);
    Pixel[0] = static_cast<unsigned char>(Bits);
    Pixel[1] = static_cast<unsigned char>(Bits >> 8);
    Pixel[2] = static_cast<unsigned char>(Bits >> 16);
    return true;
}

bool TMMapFile2::ReadQuad(std::int64_t Col, std::int64_t Row, std::uint32_t Band, TQuad& Quad) {
    if (Band >= FBands && FBands > 0) Band = FBands - 1;
    if (Col < 0 || Row < 0 || Col + 1 >= static_cast<std::int64_t>(FColumns) ||
        Row + 1 >= static_cast<std::int64_t>(FRows))
        return false;
    return ReadCell(Col, Row, Band, Quad[0]) && ReadCell(Col + 1, Row, Band, Quad[3]) &&
           ReadCell(Col + 1, Row + 1, Band, Quad[2]) && ReadCell(Col, Row + 1, Band, Quad[1]);
}

bool TMMapFile2::SampleNearest(std::uint32_t Band, float& Value, double Col, double Row) {
    std::int64_t Column = 0;
    std::int64_t Line = 0;
    if (!ToCellIndex(std::nearbyint(Col), Column) || !ToCellIndex(std::nearbyint(Row), Line)) return false;
    return ReadCell(Column, Line, Band, Value);
}

bool TMMapFile2::SampleBilinear(std::uint32_t Band, float& Value, double Col, double Row) {
    const double Col0 = std::floor(Col);
    const double Row0 = std::floor(Row);
    std::int64_t Column = 0;
    std::int64_t Line = 0;
    if (!ToCellIndex(Col0, Column) || !ToCellIndex(Row0, Line)) {
        Value = 0;
        return false;
    }
    if (Col == Col0 && Row == Row0) return ReadCell(Column, Line, Band, Value);
    TQuad Quad{};
    if (!ReadQuad(Column, Line, Band, Quad)) {
        Value = 0;
        return false;
    }
    Value = BilinearValue(Quad, Col - Col0, Row - Row0);
    return true;
}

} // namespace vortane
