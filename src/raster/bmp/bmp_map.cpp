#include "raster/bmp/bmp_map.hpp"

#include "raster/byte_order.hpp"
#include "raster/file_start.hpp"
#include "raster/side_files.hpp"
#include "text/types.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

namespace vortane {

namespace {

// Offsets of the fields this class reads and writes: the file header (BITMAPFILEHEADER) and the
// info header that follows it (BITMAPINFOHEADER).
constexpr std::uint32_t bfSizeAt = 2;
constexpr std::uint32_t bfOffBitsAt = 10;
constexpr std::uint32_t biSizeAt = 14;
constexpr std::uint32_t biWidthAt = 18;
constexpr std::uint32_t biHeightAt = 22;
constexpr std::uint32_t biPlanesAt = 26;
constexpr std::uint32_t biBitCountAt = 28;
constexpr std::uint32_t biCompressionAt = 30;
constexpr std::uint32_t biClrUsedAt = 46;

constexpr std::uint32_t OS2HeaderSize = 12; // BITMAPCOREHEADER
// The version 4 and 5 info headers begin with the same 40 bytes; with no compression their pixels
// are those of the plain info header.
constexpr std::uint32_t V4HeaderSize = 108;
constexpr std::uint32_t V5HeaderSize = 124;
constexpr std::uint32_t MaxPaletteEntries = 256;

constexpr std::string_view OutsideText = "BMP header outside of file";
constexpr std::string_view ImageSizeText = "BMP image size out of range";

std::uint32_t U32(const unsigned char* Bytes) {
    return LoadBits<std::uint32_t>(Bytes, true);
}
std::uint16_t U16(const unsigned char* Bytes) {
    return LoadBits<std::uint16_t>(Bytes, true);
}

} // namespace

TBMPMap2::TBMPMap2() {
    Record().FControlPoints = std::make_unique<TGCPList>();
}

TBMPMap2::~TBMPMap2() = default;

bool TBMPMap2::OpenMap(const std::string& FileName, std::int32_t Columns, std::int32_t Rows,
                       std::uint8_t CellType, std::int32_t Bands, std::uint8_t Mode) {
    SetFileName(FileName);
    FMode = Mode;
    switch (Mode) {
    case omRead:
        return OpenExisting();
    case omCreate:
        return CreateImage(Columns, Rows, CellType, Bands);
    default:
        return true;
    }
}

std::unique_ptr<TMMapFile2> TBMPMap2::OpenReadView() const {
    return OpenedAgain<TBMPMap2>(*this);
}

bool TBMPMap2::OpenMapRead(const std::string& FileName) {
    if (!PathExists(FileName)) {
        FErrorText = FileMissingText;
        return false;
    }
    return OpenMap(FileName, 0, 0, ctUnsigned8, 1, omRead);
}

bool TBMPMap2::OpenExisting() {
    TWorldFile World;
    LoadWorldFile(*this, {".bmpw"}, TWorldNumbers::PointOnly, World);
    LoadControlPointFile(*this, FFileName);
    if (!OpenFile(FFileName, omRead, 0)) {
        const int Code = FErrorCode;
        FErrorCode = 1;
        FErrorText = OpenReadErrorText(Code, FErrorText);
        return false;
    }
    return ReadHeaders();
}

bool TBMPMap2::Unsupported(const std::string& TypeText) {
    FTypeText = TypeText;
    FErrorCode = 3;
    FErrorText = "Unknown bitmap type: " + FTypeText;
    return false;
}

// Every offset and size the headers give is checked against the file before a pixel is touched.
bool TBMPMap2::ReadHeaders() {
    FPosition = 0;
    FMinBytes = FileHeaderSize;
    if (FFileSize < FileHeaderSize || !MapPosition() ||
        std::memcmp(FData, BmpMagic.data(), BmpMagic.size()) != 0) {
        FErrorCode = 2;
        FErrorText = "Not a BMP file";
        return false;
    }
    std::memcpy(FFileHeader.data(), FData, FileHeaderSize);
    FPixelOffset = U32(FFileHeader.data() + bfOffBitsAt);
    if (FFileSize < biSizeAt + 4) return OwnError(std::string(OutsideText));
    FPosition = biSizeAt;
    FMinBytes = 4;
    if (!MapPosition()) return false;
    const std::uint32_t InfoSize = U32(FData);
    if (InfoSize == OS2HeaderSize) return Unsupported("Not RGB or 8-bit pixel");
    if (InfoSize != InfoHeaderSize && InfoSize != V4HeaderSize && InfoSize != V5HeaderSize)
        return Unsupported("header of " + std::to_string(InfoSize) + " bytes");
    if (FPixelOffset < FileHeaderSize + InfoSize || FPixelOffset >= FFileSize)
        return OwnError(std::string(OutsideText));

    FPosition = FileHeaderSize;
    FMinBytes = FPixelOffset - FileHeaderSize;
    if (!MapPosition()) return false;
    FInfoHeader.assign(FData, FData + FMinBytes);
    const unsigned char* Info = FInfoHeader.data() - FileHeaderSize; // indexed by file offset
    switch (U32(Info + biCompressionAt)) {
    case 0:
        break;
    case 1:
        return Unsupported("RLE8");
    case 2:
        return Unsupported("RLE4");
    default:
        return Unsupported("Unknown compression");
    }
    FBitCount = U16(Info + biBitCountAt);
    if (FBitCount != 8 && FBitCount != 24) return Unsupported("not RGB or 8-bit pixel");

    const auto Width = static_cast<std::int32_t>(U32(Info + biWidthAt));
    const auto Height = static_cast<std::int32_t>(U32(Info + biHeightAt));
    if (Width <= 0 || Height == 0 || Height == std::numeric_limits<std::int32_t>::min())
        return OwnError(std::string(ImageSizeText));
    FWidth = static_cast<std::uint32_t>(Width);
    FTopDown = Height < 0;
    FRows = static_cast<std::uint32_t>(FTopDown ? -Height : Height);
    FBands = FBitCount == 24 ? 3 : 1;
    FColumns = FWidth;
    FCellType = ctUnsigned8;

    // The stride comes from the file's size; rows shorter than the width needs would run into the
    // next row or past the end of the file.
    FStride = (FFileSize - FPixelOffset) / FRows;
    FPixelBytes = std::uint64_t{FWidth} * FBands;
    if (FStride < FPixelBytes)
        return OwnError("BMP pixel rows are shorter than the image width needs: " + std::to_string(FStride) +
                        " bytes for " + std::to_string(FPixelBytes));
    if (FPixelBytes > MaxViewBytes) return OwnError("Buffer size is less than one line");
    FLineSize = FStride;

    FReportedBands = 3;
    if (FBitCount == 8) {
        const std::uint32_t Used = U32(Info + biClrUsedAt);
        if (!ReadPalette(FileHeaderSize + InfoSize, Used == 0 ? MaxPaletteEntries : Used)) return false;
        FReportedBands = FGreyPalette ? 1 : 3;
    }
    FErrorCode = 0;
    return true;
}

bool TBMPMap2::ReadPalette(std::uint32_t PaletteAt, std::uint32_t Entries) {
    if (Entries > MaxPaletteEntries || PaletteAt + 4 * std::uint64_t{Entries} > FPixelOffset)
        return OwnError("BMP colour table outside of header");
    FColorsUsed = static_cast<std::uint16_t>(Entries);
    FPalette.resize(Entries);
    FGreyPalette = Entries == MaxPaletteEntries;
    const unsigned char* Table = FInfoHeader.data() + (PaletteAt - FileHeaderSize);
    for (std::uint32_t Index = 0; Index < Entries; ++Index) {
        const unsigned char* Quad = Table + 4 * Index; // blue, green, red, reserved
        FPalette[Index] = {Quad[2], Quad[1], Quad[0]};
        FGreyPalette = FGreyPalette && Quad[0] == Index && Quad[1] == Index && Quad[2] == Index;
    }
    return true;
}

bool TBMPMap2::CreateImage(std::int32_t Columns, std::int32_t Rows, std::uint8_t CellType,
                           std::int32_t Bands) {
    if (CellType != ctUnsigned8) {
        FErrorCode = 4;
        FErrorText = ",Not supported cell type(must be byte type): " + CellTypeName(CellType);
        return false;
    }
    if (Bands != 1 && Bands != 3) {
        FErrorCode = 5;
        FErrorText = "Wrong number of bands(must be 1 or 3)";
        return false;
    }
    if (Columns <= 0 || Rows <= 0) return OwnError(std::string(ImageSizeText));
    FWidth = static_cast<std::uint32_t>(Columns);
    FRows = static_cast<std::uint32_t>(Rows);
    FBands = static_cast<std::uint32_t>(Bands);
    FColumns = FWidth;
    FCellType = ctUnsigned8;
    FReportedBands = static_cast<std::uint16_t>(Bands);
    FBitCount = static_cast<std::uint16_t>(8 * Bands);
    FColorsUsed = Bands == 1 ? MaxPaletteEntries : 0;
    FPaletteBytes = Bands == 1 ? GreyPaletteBytes : 0;
    FGreyPalette = Bands == 1;
    FStride = (std::uint64_t{FWidth} * FBitCount + 31) / 32 * 4;
    FPixelBytes = std::uint64_t{FWidth} * FBands;
    FLineSize = FStride;
    FPixelOffset = FileHeaderSize + InfoHeaderSize + FPaletteBytes;
    // The file size is a 32-bit field of the header.
    const std::uint64_t FileBytes = FPixelOffset + FStride * FRows;
    if (FileBytes > std::numeric_limits<std::uint32_t>::max())
        return OwnError("A BMP image ends below 4 GiB: this one needs " + std::to_string(FileBytes) +
                        " bytes");
    if (FPixelBytes > MaxViewBytes) return OwnError("Buffer size is less than one line");
    if (!OpenFile(FFileName, omCreate, FileBytes)) {
        FErrorText = "Open write error " + std::to_string(FErrorCode) + " " + FErrorText;
        FErrorCode = 5;
        return false;
    }

    FForceRemap = true;
    FPosition = 0;
    FMinBytes = FPixelOffset;
    if (!MapPosition()) return false;
    unsigned char* Header = FData;
    Header[0] = 'B';
    Header[1] = 'M';
    StoreBits<std::uint32_t>(Header + bfSizeAt, static_cast<std::uint32_t>(FileBytes), true);
    StoreBits<std::uint32_t>(Header + bfOffBitsAt, FPixelOffset, true);
    StoreBits<std::uint32_t>(Header + biSizeAt, InfoHeaderSize, true);
    StoreBits<std::uint32_t>(Header + biWidthAt, FWidth, true);
    StoreBits<std::uint32_t>(Header + biHeightAt, FRows, true);
    StoreBits<std::uint16_t>(Header + biPlanesAt, 1, true);
    StoreBits<std::uint16_t>(Header + biBitCountAt, FBitCount, true);
    for (std::uint32_t Index = 0; Index < FColorsUsed; ++Index) {
        unsigned char* Quad = Header + FileHeaderSize + InfoHeaderSize + 4 * Index;
        Quad[0] = Quad[1] = Quad[2] = static_cast<unsigned char>(Index);
    }
    std::memcpy(FFileHeader.data(), Header, FileHeaderSize);
    FInfoHeader.assign(Header + FileHeaderSize, Header + FPixelOffset);
    return true;
}

std::uint64_t TBMPMap2::RowPosition(std::int64_t Row) const {
    const auto Stored = static_cast<std::uint64_t>(FTopDown ? Row : FRows - Row - 1);
    return FPixelOffset + Stored * FStride;
}

bool TBMPMap2::GoToRow(std::int64_t Row, std::uint32_t /*Band*/) {
    if (Row < 0 || Row >= static_cast<std::int64_t>(FRows)) return false;
    FPosition = RowPosition(Row);
    FMinBytes = static_cast<std::uint32_t>(FPixelBytes);
    return MapPosition();
}

unsigned char* TBMPMap2::PixelRow(std::int64_t Col, std::int64_t Row, std::uint32_t& Band) {
    Band = std::min<std::uint32_t>(Band, FReportedBands - 1u);
    if (Col < 0 || Col >= static_cast<std::int64_t>(FWidth) || !GoToRow(Row, Band)) return nullptr;
    return FData;
}

bool TBMPMap2::PlainRowLayout(TRowLayout& Layout) const {
    const bool Colour = FBitCount == 24;
    if (!IsFileOpen() || FPixelBytes == 0 || (!Colour && !FGreyPalette && !FPalette.empty())) return false;
    Layout = {.Columns = FWidth,
              .Rows = FRows,
              .Bands = FReportedBands,
              .CellType = ctUnsigned8,
              .LSBFirst = true,
              .FirstBand = Colour ? 2 : 0,
              .ColumnStride = Colour ? 3 : 1,
              .BandStride = Colour ? -1 : 0,
              .Writable = FMode == omCreate};
    return true;
}

bool TBMPMap2::MapRows(std::int64_t First, std::int64_t Last, unsigned char*& FirstRow,
                       unsigned char*& LastRow) {
    if (First < 0 || First > Last || Last >= static_cast<std::int64_t>(FRows)) return false;
    return MapRowsAt(RowPosition(First), RowPosition(Last), FPixelBytes, FirstRow, LastRow);
}

bool TBMPMap2::ReadCell(std::int64_t Col, std::int64_t Row, std::uint32_t Band, float& Value) {
    Value = 0;
    const unsigned char* Pixels = PixelRow(Col, Row, Band);
    if (Pixels == nullptr) return false;
    const auto Column = static_cast<std::size_t>(Col);
    if (FBitCount == 24) {
        Value = Pixels[3 * Column + (2 - Band)];
        return true;
    }
    const unsigned char Index = Pixels[Column];
    if (FGreyPalette || FPalette.empty())
        Value = Index;
    else // an index past a short colour table is black
        Value = Index < FPalette.size() ? FPalette[Index][Band] : 0;
    return true;
}

bool TBMPMap2::WriteCell(std::int64_t Col, std::int64_t Row, std::uint32_t Band, float Value) {
    if (FMode != omCreate) return false;
    unsigned char* Pixels = PixelRow(Col, Row, Band);
    if (Pixels == nullptr) return false;
    const auto Column = static_cast<std::size_t>(Col);
    return EncodeCell(Pixels + (FBitCount == 24 ? 3 * Column + (2 - Band) : Column), ctUnsigned8, true,
                      Value);
}

TGridShape TBMPMap2::Shape() const {
    return {.FColumns = static_cast<std::int32_t>(FWidth),
            .FRows = static_cast<std::int32_t>(FRows),
            .FBands = FReportedBands,
            .FCellType = ctUnsigned8,
            .FMSBFirst = false};
}

void TBMPMap2::SetGeoreference(const std::string& Spheroid, const std::string& Datum,
                               const std::string& Projection, double CellSizeX, double CellSizeY,
                               double RegCellX, double RegCellY, double Easting, double Northing) {
    StoreGeoreference(Spheroid, Datum, Projection, CellSizeX, CellSizeY, RegCellX, RegCellY, Easting,
                      Northing);
    FSideFileError =
        WriteWorldFileReason(SideFileName(FFileName, ".bmpw"),
                             {GetCellSizeX(), 0, 0, GetCellSizeY(), GetOriginX(), GetOriginY(), true});
}

std::vector<std::string> TBMPMap2::ImageFiles() const {
    return {FFileName, SideFileName(FFileName, ".bmpw")};
}

constinit const TImageFormat BmpFormat = ReadWriteFormat<TBMPMap2>({.Code = ftBmp,
                                                                    .Name = "BMP",
                                                                    .ExtensionKey = "BMP",
                                                                    .Extensions = {".bmp"},
                                                                    .Signatures = {Letters(BmpMagic)}});

} // namespace vortane
