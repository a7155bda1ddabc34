#include "raster/tiff/tiff_map.hpp"

#include "raster/byte_order.hpp"
#include "raster/cell_codec.hpp"
#include "raster/side_files.hpp"
#include "raster/tiff/tiff_placement.hpp"
#include "raster/tiff/tiff_tags.hpp"
#include "text/types.hpp"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>

namespace vortane {

namespace {

// Field types and their sizes in bytes (TIFF 6.0, section 2); 0 for types this reader does not know.
enum : std::uint16_t { tyByte = 1, tyAscii = 2, tyShort = 3, tyLong = 4, tyRational = 5, tyDouble = 12 };
constexpr std::array<std::uint32_t, 13> TypeSizes = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};

constexpr std::uint16_t Chunky = 1;
constexpr std::uint16_t Planar = 2;
constexpr std::uint16_t WhiteIsZero = 0;
constexpr std::uint16_t ResolutionCentimetre = 3;
constexpr std::uint32_t OneStrip = 2147483647;

// FTiffError values and their texts. 1 to 8 are the classic reader's; the others name what a file
// lies about before any of its bytes is trusted.
enum : int {
    teCompressed = 1,
    teStripType = 4,
    tePhotometric = 6,
    teXResolution = 7,
    teYResolution = 8,
    teDirectoryOutside = 9,
    teValuesOutside = 10,
    teStripOutside = 11,
    teTooFewStrips = 12,
    teImageSize = 13,
    teMixedSamples = 14,
    teNoRowsPerStrip = 15,
    teAlphaSamples = 16,
};
std::string_view TiffErrorText(int Error) {
    switch (Error) {
    case teCompressed:
        return "Compressed tiff";
    case teStripType:
        return "StripOffset not of Short or Long type";
    case tePhotometric:
        return "Not greyScale or RGB";
    case teXResolution:
        return "Zero divide in XResol";
    case teYResolution:
        return "Zero divide in YResol";
    case teDirectoryOutside:
        return "Image file directory outside of file";
    case teValuesOutside:
        return "Tag values outside of file";
    case teStripOutside:
        return "Strip outside of file";
    case teTooFewStrips:
        return "Too few strips for the image";
    case teImageSize:
        return "Image size out of range";
    case teMixedSamples:
        return "Samples of different sizes";
    case teNoRowsPerStrip:
        return "RowsPerStrip is 0";
    case teAlphaSamples:
        return "Alpha samples";
    default:
        return "";
    }
}

constexpr std::string_view BitTypeText = "Bit type not supported";

// The largest value of an unsigned cell type, for images where white is zero; 0 for other types.
double WhiteOf(std::uint8_t CellType) {
    switch (CellType) {
    case ctUnsigned8:
        return 255.0;
    case ctUnsigned16:
        return 65535.0;
    case ctUnsigned32:
        return 4294967295.0;
    default:
        return 0.0;
    }
}

// Little-endian header image of a created TIFF.
class THeaderImage {
public:
    explicit THeaderImage(std::size_t Size) : FBytes(Size, 0) {}
    void U8(std::size_t At, unsigned char Value) { FBytes[At] = Value; }
    void U16(std::size_t At, std::uint32_t Value) { Put(At, Value, 2); }
    void U32(std::size_t At, std::uint32_t Value) { Put(At, Value, 4); }
    void F64(std::size_t At, double Value) { Put(At, std::bit_cast<std::uint64_t>(Value), 8); }
    // One 12-byte directory entry; a value of up to 4 bytes stands in the entry itself.
    void Entry(std::size_t At, std::uint16_t Tag, std::uint16_t Type, std::uint32_t Count,
               std::uint32_t Value) {
        U16(At, Tag);
        U16(At + 2, Type);
        U32(At + 4, Count);
        if (Type == tyShort && Count == 1)
            U16(At + 8, Value);
        else
            U32(At + 8, Value);
    }
    std::vector<unsigned char> Take() { return std::move(FBytes); }

private:
    void Put(std::size_t At, std::uint64_t Value, int Bytes) {
        for (int I = 0; I < Bytes; ++I)
            FBytes[At + static_cast<std::size_t>(I)] = static_cast<unsigned char>(Value >> (8 * I));
    }
    std::vector<unsigned char> FBytes;
};

} // namespace

// ---------------------------------------------------------------------------------------------------
// TTifMap2: opening

TTifMap2::TTifMap2() {
    Record().FControlPoints = std::make_unique<TGCPList>();
}

TTifMap2::~TTifMap2() = default;

bool TTifMap2::OpenMap(const std::string& FileName, std::int32_t Columns, std::int32_t Rows,
                       std::uint8_t CellType, std::int32_t Bands, std::uint8_t Mode) {
    FFileName = FileName;
    FBands = static_cast<std::uint32_t>(std::max(Bands, 0));
    FCellType = CellType;
    FMode = Mode;
    FMSBFirstFile = false;
    FRowsPerStrip = OneStrip;
    FBitsPerSample = {1, 1, 1};
    FCompression = 1;
    switch (Mode) {
    case omRead:
    case omUpdate:
        return OpenExisting(Mode, true);
    case omCreate:
        return CreateImage(Columns, Rows, CellType, Bands);
    default:
        return false;
    }
}

std::unique_ptr<TMMapFile2> TTifMap2::OpenReadView() const {
    return OpenedAgain<TTifMap2>(*this);
}

bool TTifMap2::OpenMapRead(const std::string& FileName) {
    std::error_code Error;
    if (!std::filesystem::exists(FileName, Error)) {
        FErrorText = "File not Exists";
        return false;
    }
    FFileName = FileName;
    FMode = omRead;
    const bool Described = OpenExisting(omRead, false);
    CloseFile();
    return Described;
}

bool TTifMap2::OpenExisting(std::uint8_t Mode, bool NeedDirectory) {
    FPlacement = {};
    FDecodable = false;
    if (std::string Problem; !FPlacement.LoadSideFiles(*this, Problem)) return OwnError(Problem);

    if (!OpenFile(FFileName, Mode, 0)) {
        const int Code = FErrorCode;
        FErrorCode = 1;
        FErrorText = OpenReadErrorText(Code, FErrorText);
        return false;
    }
    const unsigned char* Head = BytesAt(0, 4);
    if (Head == nullptr || !(std::memcmp(Head, TiffMSBFirstMark.data(), 2) == 0 ||
                             std::memcmp(Head, TiffLSBFirstMark.data(), 2) == 0)) {
        FErrorCode = 2;
        FErrorText = "Wrong TIFF order";
        return false;
    }
    FMSBFirstFile = Head[0] == 'M';
    if (const auto Version = LoadBits<std::uint16_t>(Head + 2, !FMSBFirstFile); Version != 42) {
        FDecodable = Version == BigTiffVersion;
        FErrorCode = 3;
        FErrorText = "Wrong TIFF version";
        return false;
    }
    if (!ReadDirectory() && NeedDirectory) {
        // Cells this reader cannot address in place can still be decoded into a plain cell file.
        FDecodable = FTiffError == teCompressed || FTiffError == teAlphaSamples;
        FErrorCode = 4;
        FErrorText = "Tiff error " + std::string(TiffErrorText(FTiffError));
        return false;
    }
    FCellType = GetCellType();
    // Samples of other sizes (1, 2, 4, 12 bits, half floats...) cannot be addressed as cells in place;
    // the decoding reader widens those it knows and names the others.
    if ((FCellBytes == 0 || FCellType == ctUnknown) && NeedDirectory) {
        FDecodable = true;
        FErrorCode = 5;
        FErrorText = std::string(BitTypeText);
        return false;
    }
    FColumns = FWidth;
    FRows = FHeight;
    FBands = FSamples;
    FLineSize = FRowBytes;
    FErrorCode = 0;
    FErrorText.clear();
    FPlacement.Apply(*this);
    return true;
}

// ---------------------------------------------------------------------------------------------------
// The image file directory

const unsigned char* TTifMap2::BytesAt(std::uint64_t Position, std::uint32_t Count) {
    if (Count == 0 || Position >= FFileSize || Count > FFileSize - Position) return nullptr;
    FPosition = Position;
    FMinBytes = Count;
    return MapPosition() ? FData : nullptr;
}

bool TTifMap2::U16At(std::uint64_t Position, std::uint16_t& Value) {
    const unsigned char* Bytes = BytesAt(Position, 2);
    if (Bytes != nullptr) Value = LoadBits<std::uint16_t>(Bytes, !FMSBFirstFile);
    return Bytes != nullptr;
}

bool TTifMap2::U32At(std::uint64_t Position, std::uint32_t& Value) {
    const unsigned char* Bytes = BytesAt(Position, 4);
    if (Bytes != nullptr) Value = LoadBits<std::uint32_t>(Bytes, !FMSBFirstFile);
    return Bytes != nullptr;
}

// The entry's own value: BYTE, SHORT and LONG values stand left-justified in the value field.
std::uint32_t TTifMap2::EntryValue(const TEntry& Entry) {
    std::uint16_t Short = 0;
    std::uint32_t Long = 0;
    switch (Entry.Type) {
    case tyByte: {
        const unsigned char* Byte = BytesAt(Entry.Field, 1);
        return Byte ? *Byte : 0;
    }
    case tyShort:
        return U16At(Entry.Field, Short) ? Short : 0;
    case tyLong:
        return U32At(Entry.Field, Long) ? Long : 0;
    default:
        return 0;
    }
}

bool TTifMap2::ValuesPosition(const TEntry& Entry, std::uint64_t& Position) {
    const std::uint32_t Size = Entry.Type < TypeSizes.size() ? TypeSizes[Entry.Type] : 0;
    const std::uint64_t Bytes = std::uint64_t{Size} * Entry.Count;
    Position = Entry.Field;
    if (Bytes > 4) {
        std::uint32_t Offset = 0;
        if (!U32At(Entry.Field, Offset)) return false;
        Position = Offset;
    }
    if (Size == 0 || Bytes == 0 || Position > FFileSize || Bytes > FFileSize - Position) {
        FTiffError = teValuesOutside;
        return false;
    }
    return true;
}

bool TTifMap2::TiffFail(int Error) {
    FTiffError = Error;
    return false;
}

bool TTifMap2::ReadDirectory() {
    FTiffError = 0;
    std::uint32_t Position = 0;
    if (!U32At(4, Position) || !U16At(Position, FIfdCount)) return TiffFail(teDirectoryOutside);
    FIfdPosition = Position;
    const std::uint64_t End = std::uint64_t{FIfdPosition} + 2 + 12 * std::uint64_t{FIfdCount};
    if (End > FFileSize) return TiffFail(teDirectoryOutside);

    // Compression and colour model reject the image once every entry has been read; the first such
    // reason is the one reported.
    int Rejection = 0;
    for (std::uint32_t Index = 0; Index < FIfdCount; ++Index) {
        const std::uint64_t At = FIfdPosition + 2 + 12 * std::uint64_t{Index};
        const unsigned char* Bytes = BytesAt(At, 12);
        if (Bytes == nullptr) return TiffFail(teDirectoryOutside);
        const TEntry Entry{LoadBits<std::uint16_t>(Bytes, !FMSBFirstFile),
                           LoadBits<std::uint16_t>(Bytes + 2, !FMSBFirstFile),
                           LoadBits<std::uint32_t>(Bytes + 4, !FMSBFirstFile), At + 8};
        if (!TakeEntry(Entry)) return false;
        if (Rejection == 0 &&
            (FTiffError == teCompressed || FTiffError == tePhotometric || FTiffError == teAlphaSamples))
            Rejection = FTiffError;
    }
    if (Rejection != 0) return TiffFail(Rejection);
    return ReadStripOffsets() && CheckLayout();
}

// False when the directory fails at once.
bool TTifMap2::TakeEntry(const TEntry& Entry) {
    switch (Entry.Tag) {
    case tagImageWidth:
        FWidth = EntryValue(Entry);
        return true;
    case tagImageLength:
        FHeight = EntryValue(Entry);
        return true;
    case tagBitsPerSample:
        return TakeBitsPerSample(Entry);
    case tagCompression:
        FCompression = static_cast<std::uint16_t>(EntryValue(Entry));
        if (FCompression > 1) FTiffError = teCompressed;
        return true;
    case tagPhotometric:
        FPhotometric = static_cast<std::uint16_t>(EntryValue(Entry));
        if (FPhotometric > 2) FTiffError = tePhotometric;
        return true;
    case tagStripOffsets:
        return TakeStripOffsets(Entry);
    case tagRowsPerStrip:
        FRowsPerStrip = EntryValue(Entry);
        return true;
    case tagXResolution:
        return TakeResolution(Entry, teXResolution);
    case tagYResolution:
        return TakeResolution(Entry, teYResolution);
    case tagPlanarConfig:
        FPlanarConfig = static_cast<std::uint16_t>(EntryValue(Entry));
        return true;
    case tagSampleFormat: {
        std::uint64_t Position = 0;
        return Entry.Type == tyShort && ValuesPosition(Entry, Position) && U16At(Position, FSampleFormat);
    }
    case tagExtraSamples:
        return TakeExtraSamples(Entry);
    case tagModelPixelScale: {
        TGeoTiffTags& Tags = FPlacement.Tags;
        Tags.HasScale = true;
        return !(Entry.Type == tyDouble && Entry.Count >= 2) || TakeDoubles(Entry, Tags.Scale.data(), 2);
    }
    case tagModelTiePoint: {
        TGeoTiffTags& Tags = FPlacement.Tags;
        Tags.HasTiePoint = Entry.Type == tyDouble && Entry.Count >= 6;
        return !Tags.HasTiePoint || TakeDoubles(Entry, Tags.TiePoint.data(), 6);
    }
    case tagGeoKeyDirectoryId:
        return TakeGeoKeys(Entry);
    case tagGeoDoubleParamsId:
        return TakeGeoDoubles(Entry);
    case tagGeoAsciiParamsId:
        return TakeAscii(Entry, FPlacement.Tags.KeyAscii);
    case tagGdalNoData:
        return TakeAscii(Entry, FPlacement.Tags.NoData);
    default:
        // Tiled images keep their cells in tiles, which the strip addressing cannot reach.
        if (Entry.Tag >= tagTileWidth && Entry.Tag <= tagTileByteCounts) FTiffError = teCompressed;
        return true;
    }
}

bool TTifMap2::TakeBitsPerSample(const TEntry& Entry) {
    FSamples = Entry.Count;
    if (Entry.Type != tyShort) {
        FBitsPerSample.fill(static_cast<std::uint16_t>(EntryValue(Entry)));
        return true;
    }
    std::uint64_t Position = 0;
    if (!ValuesPosition(Entry, Position)) return false;
    const std::uint32_t Known = std::min<std::uint32_t>(Entry.Count, 3);
    for (std::uint32_t Sample = 0; Sample < Known; ++Sample)
        if (!U16At(Position + 2 * Sample, FBitsPerSample[Sample])) return TiffFail(teValuesOutside);
    for (std::uint32_t Sample = Known; Sample < 3; ++Sample)
        FBitsPerSample[Sample] = FBitsPerSample[0];
    return true;
}

bool TTifMap2::TakeStripOffsets(const TEntry& Entry) {
    if (Entry.Type != tyShort && Entry.Type != tyLong) return TiffFail(teStripType);
    FStripOffsetsType = Entry.Type;
    FStripCount = Entry.Count;
    return ValuesPosition(Entry, FStripOffsetsPosition);
}

bool TTifMap2::TakeResolution(const TEntry& Entry, int ZeroError) {
    std::uint64_t Position = 0;
    std::uint32_t Denominator = 0;
    if (Entry.Type != tyRational) return true;
    if (!ValuesPosition(Entry, Position) || !U32At(Position + 4, Denominator))
        return TiffFail(teValuesOutside);
    if (Denominator == 0) FTiffError = ZeroError;
    return true;
}

bool TTifMap2::TakeDoubles(const TEntry& Entry, double* Values, std::uint32_t Count) {
    std::uint64_t Position = 0;
    if (!ValuesPosition(Entry, Position)) return false;
    for (std::uint32_t Index = 0; Index < Count; ++Index) {
        const unsigned char* Bytes = BytesAt(Position + 8 * Index, 8);
        if (Bytes == nullptr) return TiffFail(teValuesOutside);
        Values[Index] = std::bit_cast<double>(LoadBits<std::uint64_t>(Bytes, !FMSBFirstFile));
    }
    return true;
}

// The key directory, with the values keys keep in it; TGeoTiffTags::Keys reads the keys from it.
bool TTifMap2::TakeGeoKeys(const TEntry& Entry) {
    std::uint64_t Position = 0;
    if (Entry.Type != tyShort || Entry.Count < 4 || Entry.Count > MaxGeoParams) return true;
    if (!ValuesPosition(Entry, Position)) return false;
    std::vector<std::uint16_t>& Directory = FPlacement.Tags.KeyDirectory;
    Directory.assign(Entry.Count, 0);
    for (std::size_t Index = 0; Index < Directory.size(); ++Index)
        if (!U16At(Position + 2 * Index, Directory[Index])) return TiffFail(teValuesOutside);
    return true;
}

bool TTifMap2::TakeGeoDoubles(const TEntry& Entry) {
    if (Entry.Type != tyDouble || Entry.Count > MaxGeoParams) return true;
    std::vector<double>& Doubles = FPlacement.Tags.KeyDoubles;
    Doubles.assign(Entry.Count, 0.0);
    return TakeDoubles(Entry, Doubles.data(), Entry.Count);
}

bool TTifMap2::TakeAscii(const TEntry& Entry, std::string& Text) {
    std::uint64_t Position = 0;
    if (Entry.Type != tyAscii || Entry.Count > MaxGeoParams) return true;
    if (!ValuesPosition(Entry, Position)) return false;
    const unsigned char* Bytes = BytesAt(Position, Entry.Count);
    if (Bytes == nullptr) return TiffFail(teValuesOutside);
    Text.assign(reinterpret_cast<const char*>(Bytes), Entry.Count);
    return true;
}

// Alpha samples are left out of the bands, which is not the layout of the file's cells.
bool TTifMap2::TakeExtraSamples(const TEntry& Entry) {
    std::uint64_t Position = 0;
    if (Entry.Type != tyShort || !ValuesPosition(Entry, Position)) return true;
    for (std::uint32_t Index = 0; Index < Entry.Count; ++Index) {
        std::uint16_t Meaning = 0;
        if (!U16At(Position + 2 * std::uint64_t{Index}, Meaning)) return TiffFail(teValuesOutside);
        if (IsAlphaSample(Meaning)) FTiffError = teAlphaSamples;
    }
    return true;
}

bool TTifMap2::ReadStripOffsets() {
    FStripOffsets.assign(FStripCount, 0);
    for (std::uint32_t Strip = 0; Strip < FStripCount; ++Strip) {
        bool Read = false;
        if (FStripOffsetsType == tyShort) {
            std::uint16_t Short = 0;
            Read = U16At(FStripOffsetsPosition + 2 * std::uint64_t{Strip}, Short);
            FStripOffsets[Strip] = Short;
        } else {
            Read = U32At(FStripOffsetsPosition + 4 * std::uint64_t{Strip}, FStripOffsets[Strip]);
        }
        if (!Read) return TiffFail(teValuesOutside);
    }
    return true;
}

// Every row any band can address must lie inside the file: a strip that points past the end would
// otherwise be met only while cells are read, in the middle of a run.
bool TTifMap2::CheckLayout() {
    if (FWidth == 0 || FHeight == 0 || FSamples == 0 || FWidth > std::numeric_limits<std::int32_t>::max() ||
        FHeight > std::numeric_limits<std::int32_t>::max())
        return TiffFail(teImageSize);
    if (FSamples > 1 &&
        (FBitsPerSample[1] != FBitsPerSample[0] || (FSamples > 2 && FBitsPerSample[2] != FBitsPerSample[0])))
        return TiffFail(teMixedSamples);
    if (FRowsPerStrip == 0) return TiffFail(teNoRowsPerStrip);

    const std::uint16_t Bits = FBitsPerSample[0];
    FCellBytes = (Bits == 8 || Bits == 16 || Bits == 32 || Bits == 64) ? Bits / 8u : 0;
    const std::uint64_t SamplesInRow = FPlanarConfig == Planar ? 1 : FSamples;
    std::uint64_t RowBits = 0;
    if (__builtin_mul_overflow(std::uint64_t{FWidth} * SamplesInRow, std::uint64_t{Bits}, &RowBits) ||
        RowBits / 8 > MaxViewBytes)
        return TiffFail(teImageSize);
    FRowBytes = (RowBits + 7) / 8;

    const std::uint32_t RowsPerStrip = std::min(FRowsPerStrip, FHeight);
    const std::uint64_t StripsPerPlane = (std::uint64_t{FHeight} + RowsPerStrip - 1) / RowsPerStrip;
    const std::uint64_t Planes = FPlanarConfig == Planar ? FSamples : 1;
    if (FStripCount < StripsPerPlane * Planes) return TiffFail(teTooFewStrips);
    for (std::uint64_t Plane = 0; Plane < Planes; ++Plane)
        for (std::uint64_t First = 0; First < FHeight; First += RowsPerStrip) {
            std::uint32_t Strip = 0;
            std::uint64_t RowInStrip = 0;
            if (!StripOf(First, static_cast<std::uint32_t>(Plane), Strip, RowInStrip))
                return TiffFail(teTooFewStrips);
            const std::uint64_t Rows = std::min<std::uint64_t>(RowsPerStrip, FHeight - First);
            if (Rows * FRowBytes > FFileSize || FStripOffsets[Strip] > FFileSize - Rows * FRowBytes)
                return TiffFail(teStripOutside);
        }
    return true;
}

// ---------------------------------------------------------------------------------------------------
// Cells

bool TTifMap2::StripOf(std::uint64_t Row, std::uint32_t Band, std::uint32_t& Strip,
                       std::uint64_t& RowInStrip) const {
    if (FRowsPerStrip == 0 || FSamples == 0) return false;
    const std::uint64_t Index =
        Row / FRowsPerStrip + (FPlanarConfig == Planar ? std::uint64_t{Band} * (FStripCount / FSamples) : 0);
    if (Index >= FStripOffsets.size()) return false;
    Strip = static_cast<std::uint32_t>(Index);
    RowInStrip = Row % FRowsPerStrip;
    return true;
}

bool TTifMap2::GoToRow(std::int64_t Row, std::uint32_t Band) {
    if (Row < 0 || Row >= static_cast<std::int64_t>(FHeight) || FRowBytes == 0) return false;
    Band = std::min(Band, FSamples - 1);
    if (!RowPosition(Row, Band, FPosition)) return false;
    FMinBytes = static_cast<std::uint32_t>(FRowBytes);
    return MapPosition();
}

bool TTifMap2::RowPosition(std::int64_t Row, std::uint32_t Band, std::uint64_t& Position) const {
    std::uint32_t Strip = 0;
    std::uint64_t RowInStrip = 0;
    if (!StripOf(static_cast<std::uint64_t>(Row), Band, Strip, RowInStrip)) return false;
    Position = FStripOffsets[Strip] + RowInStrip * FRowBytes;
    return true;
}

bool TTifMap2::PlainRowLayout(TRowLayout& Layout) const {
    const bool Interpreted =
        ForCellType(FCellType, [](auto) {}) && FCellBytes == std::uint32_t(CellBytes(FCellType));
    if (!IsFileOpen() || FRowBytes == 0 || FSamples == 0 || !Interpreted || FPhotometric == WhiteIsZero ||
        (FPlanarConfig == Planar && FSamples > 1))
        return false;
    Layout = {.Columns = FWidth,
              .Rows = FHeight,
              .Bands = FSamples,
              .CellType = FCellType,
              .LSBFirst = !FMSBFirstFile,
              .FirstBand = 0,
              .ColumnStride = std::int64_t{FCellBytes} * FSamples,
              .BandStride = FCellBytes,
              .Writable = FMode != omRead && FMapAccess == TViewAccess::Write};
    return true;
}

bool TTifMap2::MapRows(std::int64_t First, std::int64_t Last, unsigned char*& FirstRow,
                       unsigned char*& LastRow) {
    std::uint64_t FirstAt = 0, LastAt = 0;
    if (First < 0 || First > Last || Last >= static_cast<std::int64_t>(FHeight) ||
        !RowPosition(First, 0, FirstAt) || !RowPosition(Last, 0, LastAt))
        return false;
    return MapRowsAt(FirstAt, LastAt, FRowBytes, FirstRow, LastRow);
}

unsigned char* TTifMap2::CellPointer(std::int64_t Col, std::int64_t Row, std::uint32_t& Band) {
    if (FSamples == 0) return nullptr;
    Band = std::min(Band, FSamples - 1);
    if (Col < 0 || Col >= static_cast<std::int64_t>(FWidth) || Row < 0 ||
        Row >= static_cast<std::int64_t>(FHeight))
        return nullptr;
    if (!GoToRow(Row, Band)) return nullptr;
    const auto Column = static_cast<std::uint64_t>(Col);
    return FData + FCellBytes * (FPlanarConfig == Planar ? Column : Band + Column * FSamples);
}

bool TTifMap2::ReadCell(std::int64_t Col, std::int64_t Row, std::uint32_t Band, float& Value) {
    Value = 0;
    const unsigned char* Cell = CellPointer(Col, Row, Band);
    if (Cell == nullptr) return false;
    if (FCellBytes == 0) return false; // only described, never opened with such samples
    Value = DecodeCell(Cell, FCellType, !FMSBFirstFile);
    // Where white is zero, the brightest value of the cell type is black.
    if (FPhotometric == WhiteIsZero && WhiteOf(FCellType) > 0)
        Value = static_cast<float>(WhiteOf(FCellType) - Value);
    return true;
}

bool TTifMap2::WriteCell(std::int64_t Col, std::int64_t Row, std::uint32_t Band, float Value) {
    if (FMode == omRead || FMapAccess != TViewAccess::Write) return false;
    unsigned char* Cell = CellPointer(Col, Row, Band);
    if (Cell == nullptr) return false;
    return FCellBytes != 0 && EncodeCell(Cell, FCellType, !FMSBFirstFile, Value);
}

bool TTifMap2::ReadRGB(std::int64_t Col, std::int64_t Row, std::int32_t& Color) {
    if (FSamples != 3 || FCellType != ctUnsigned8) return false;
    std::uint32_t Bits = 0;
    for (std::uint32_t Band = 0; Band < 3; ++Band) {
        float Value = 0;
        if (!ReadCell(Col, Row, Band, Value)) return false;
        Bits |= static_cast<std::uint32_t>(Value) << (8 * Band);
    }
    Color = static_cast<std::int32_t>(Bits);
    return true;
}

bool TTifMap2::WriteRGB(std::int64_t Col, std::int64_t Row, std::int32_t Color) {
    if (FSamples != 3 || FCellType != ctUnsigned8) return false;
    const auto Bits = static_cast<std::uint32_t>(Color);
    for (std::uint32_t Band = 0; Band < 3; ++Band)
        if (!WriteCell(Col, Row, Band, static_cast<float>((Bits >> (8 * Band)) & 0xFF))) return false;
    return true;
}

TGridShape TTifMap2::Shape() const {
    return {.FColumns = static_cast<std::int32_t>(FWidth),
            .FRows = static_cast<std::int32_t>(FHeight),
            .FBands = static_cast<std::int32_t>(FSamples),
            .FCellType = CellTypeOfSample(FBitsPerSample[0], FSampleFormat),
            .FMSBFirst = FMSBFirstFile};
}

// ---------------------------------------------------------------------------------------------------
// Creating

bool TTifMap2::CreateImage(std::int32_t Columns, std::int32_t Rows, std::uint8_t CellType,
                           std::int32_t Bands) {
    if (CellType == ctOneBit) {
        FErrorCode = 5;
        FErrorText = std::string(BitTypeText);
        return false;
    }
    FSampleFormat = SampleFormatOf(CellType);
    if (FSampleFormat == 0) {
        const std::string Name = CellTypeName(CellType);
        return OwnError("Cell type not supported in TIFF images: " +
                        (Name.empty() ? std::to_string(CellType) : Name));
    }
    if (Bands != 1 && Bands != 3) return OwnError("Wrong number of bands(must be 1 or 3)");
    if (Columns <= 0 || Rows <= 0) return OwnError(std::string(TiffErrorText(teImageSize)));
    const auto CellSize = static_cast<std::uint32_t>(CellBytes(CellType));
    FWidth = static_cast<std::uint32_t>(Columns);
    FHeight = static_cast<std::uint32_t>(Rows);
    FSamples = static_cast<std::uint32_t>(Bands);
    FPhotometric = Bands == 1 ? 1 : 2;
    FPlanarConfig = Chunky;
    FBitsPerSample.fill(static_cast<std::uint16_t>(8 * CellSize));
    FCellType = CellType;
    FCellBytes = CellSize;
    FRowBytes = std::uint64_t{FWidth} * FSamples * CellSize;
    // The keys fix the header's size, which the cells follow: they are laid out once, here.
    FGeoKeys = CreatedImageKeys(*this);
    FDataOffset = HeaderLayout().Size;
    // Strip offsets and byte counts are 32-bit numbers: the whole image must end below 4 GiB.
    const std::uint64_t FileBytes = FDataOffset + FRowBytes * FHeight;
    if (FileBytes > std::numeric_limits<std::uint32_t>::max())
        return OwnError("A TIFF image ends below 4 GiB: this one needs " + std::to_string(FileBytes) +
                        " bytes");
    if (FRowBytes > MaxViewBytes) return OwnError("Buffer size is less than one line");
    if (!OpenFile(FFileName, omCreate, FileBytes)) return false;
    FRowsPerStrip = FHeight;
    FStripOffsets = {FDataOffset};
    FStripCount = 1;
    FColumns = FWidth;
    FRows = FHeight;
    FBands = FSamples;
    FLineSize = FRowBytes;
    WriteHeader();
    return true;
}

// The header of a created image: the directory (16 entries, one more with SampleFormat for signed and
// real cells, one more each for DOUBLE and ASCII key parameters), then the values that do not fit in
// their entries, then the GeoTIFF keys, then the one strip of cells.
TTifMap2::THeaderLayout TTifMap2::HeaderLayout() const {
    THeaderLayout L;
    L.Typed = FSampleFormat != sfUnsigned;
    L.Entries =
        16 + (L.Typed ? 1 : 0) + (FGeoKeys.Doubles.empty() ? 0 : 1) + (FGeoKeys.Ascii.empty() ? 0 : 1);
    L.BitsAt = 8 + 2 + 12 * L.Entries + 4;
    L.FormatsAt = L.BitsAt + 6;
    L.XResolutionAt = L.FormatsAt + (L.Typed ? 6 : 0);
    L.YResolutionAt = L.XResolutionAt + 8;
    L.ScaleAt = L.YResolutionAt + 8;
    L.TiePointAt = L.ScaleAt + 24;
    L.GeoKeysAt = L.TiePointAt + 48;
    L.DoublesAt = L.GeoKeysAt + 2 * static_cast<std::uint32_t>(FGeoKeys.Directory.size());
    L.AsciiAt = L.DoublesAt + 8 * static_cast<std::uint32_t>(FGeoKeys.Doubles.size());
    const auto End = L.AsciiAt + static_cast<std::uint32_t>(FGeoKeys.Ascii.size());
    L.Size = End + End % 2; // the cells start on a word boundary
    return L;
}

void TTifMap2::WriteHeader() {
    const THeaderLayout L = HeaderLayout();
    const std::uint32_t Bits = FBitsPerSample[0];
    const std::uint32_t Bands = FSamples;

    THeaderImage Image(L.Size);
    Image.U16(0, 'I' | 'I' << 8);
    Image.U16(2, 42);
    Image.U32(4, 8);
    Image.U16(8, static_cast<std::uint16_t>(L.Entries));
    std::size_t At = 10;
    const auto Entry = [&](std::uint16_t Tag, std::uint16_t Type, std::uint32_t Count, std::uint32_t Value) {
        Image.Entry(At, Tag, Type, Count, Value);
        At += 12;
    };
    Entry(tagImageWidth, tyLong, 1, FWidth);
    Entry(tagImageLength, tyLong, 1, FHeight);
    Entry(tagBitsPerSample, tyShort, Bands, Bands == 1 ? Bits : L.BitsAt);
    Entry(tagCompression, tyShort, 1, 1);
    Entry(tagPhotometric, tyShort, 1, FPhotometric);
    Entry(tagStripOffsets, tyLong, 1, FDataOffset);
    Entry(tagSamplesPerPixel, tyShort, 1, Bands);
    Entry(tagRowsPerStrip, tyLong, 1, FHeight);
    Entry(tagStripByteCounts, tyLong, 1, static_cast<std::uint32_t>(FRowBytes * FHeight));
    Entry(tagXResolution, tyRational, 1, L.XResolutionAt);
    Entry(tagYResolution, tyRational, 1, L.YResolutionAt);
    Entry(tagPlanarConfig, tyShort, 1, Chunky);
    Entry(tagResolutionUnit, tyShort, 1, ResolutionCentimetre);
    if (L.Typed) Entry(tagSampleFormat, tyShort, Bands, Bands == 1 ? FSampleFormat : L.FormatsAt);
    Entry(tagModelPixelScale, tyDouble, 3, L.ScaleAt);
    Entry(tagModelTiePoint, tyDouble, 6, L.TiePointAt);
    const auto Count = [](const auto& Values) { return static_cast<std::uint32_t>(Values.size()); };
    Entry(tagGeoKeyDirectoryId, tyShort, Count(FGeoKeys.Directory), L.GeoKeysAt);
    if (!FGeoKeys.Doubles.empty())
        Entry(tagGeoDoubleParamsId, tyDouble, Count(FGeoKeys.Doubles), L.DoublesAt);
    if (!FGeoKeys.Ascii.empty()) Entry(tagGeoAsciiParamsId, tyAscii, Count(FGeoKeys.Ascii), L.AsciiAt);
    Image.U32(At, 0); // no further directory

    for (std::uint32_t Sample = 0; Sample < 3; ++Sample) {
        Image.U16(L.BitsAt + 2 * Sample, Bits);
        if (L.Typed) Image.U16(L.FormatsAt + 2 * Sample, FSampleFormat);
    }
    for (const std::uint32_t Resolution : {L.XResolutionAt, L.YResolutionAt}) {
        Image.U32(Resolution, 1);
        Image.U32(Resolution + 4, 1);
    }
    const TGeoTiffPlacementTags Placement = CreatedImagePlacement(*this);
    for (std::size_t Index = 0; Index < Placement.Scale.size(); ++Index)
        Image.F64(L.ScaleAt + 8 * Index, Placement.Scale[Index]);
    for (std::size_t Index = 0; Index < Placement.TiePoint.size(); ++Index)
        Image.F64(L.TiePointAt + 8 * Index, Placement.TiePoint[Index]);
    for (std::size_t Index = 0; Index < FGeoKeys.Directory.size(); ++Index)
        Image.U16(L.GeoKeysAt + 2 * Index, FGeoKeys.Directory[Index]);
    for (std::size_t Index = 0; Index < FGeoKeys.Doubles.size(); ++Index)
        Image.F64(L.DoublesAt + 8 * Index, FGeoKeys.Doubles[Index]);
    for (std::size_t Index = 0; Index < FGeoKeys.Ascii.size(); ++Index)
        Image.U8(L.AsciiAt + Index, static_cast<unsigned char>(FGeoKeys.Ascii[Index]));
    FHeaderBuffer = Image.Take();

    FForceRemap = true;
    FPosition = 0;
    FMinBytes = static_cast<std::uint32_t>(FHeaderBuffer.size());
    if (MapPosition()) std::memcpy(FData, FHeaderBuffer.data(), FHeaderBuffer.size());
}

void TTifMap2::SetGeoreference(const std::string& Spheroid, const std::string& Datum,
                               const std::string& Projection, double CellSizeX, double CellSizeY,
                               double RegCellX, double RegCellY, double Easting, double Northing) {
    SetWorldGeoreference(*this, Spheroid, Datum, Projection, CellSizeX, CellSizeY, RegCellX, RegCellY,
                         Easting, Northing);
    WriteWorldFiles();
    // Only a header this raster wrote is replaced: an opened file's own directory stays as it is.
    if (FMode == omCreate && IsFileOpen()) WriteHeader();
}

void TTifMap2::WriteWorldFiles() {
    FSideFileError = WriteTiffWorldFilesOf(*this);
}

std::vector<std::string> TTifMap2::ImageFiles() const {
    return TiffImageFiles(FFileName);
}

} // namespace vortane
