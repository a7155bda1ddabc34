#include "raster/dtm/dtm_map.hpp"

#include "raster/byte_order.hpp"
#include "raster/file_start.hpp"
#include "raster/side_files.hpp"
#include "text/types.hpp"

#include <bit>
#include <cstring>

namespace vortane {

namespace {

// The six floats every DTM file begins with.
constexpr std::array<float, 6> Constants = {-1.0f, -1.0f, 0.0f, 0.0f, -1.0f, -1.0f};
constexpr std::size_t EastingAt = 24;
constexpr std::size_t NorthingAt = 28;
constexpr std::size_t ColumnsAt = 32;
constexpr std::size_t RowsAt = 36;
constexpr std::size_t CellSizeXAt = 40;
constexpr std::size_t CellSizeYAt = 44;
constexpr std::size_t CellOffsetAt = 48;
constexpr std::int64_t CellBytes32 = 4;

// The first constant as stored (little-endian): the bytes that tell a DTM file by its content.
constexpr std::array<char, 4> LeadingBytes = [] {
    const auto Bits = std::bit_cast<std::uint32_t>(Constants[0]);
    return std::array<char, 4>{static_cast<char>(Bits), static_cast<char>(Bits >> 8),
                               static_cast<char>(Bits >> 16), static_cast<char>(Bits >> 24)};
}();

} // namespace

// ---------------------------------------------------------------------------------------------------
// TDTMHeader

TDTMHeader::TDTMHeader() {
    FBands = 1;
    FCellType = ctFloat32;
    FMSBFirst = false;
}

bool TDTMHeader::ReadHeader(const std::string& FileName) {
    std::string Read;
    std::uint64_t FileSize = 0;
    if (const int Error = ReadFileStart(FileName, HeaderBytes, Read, FileSize); Error != 0) {
        ReadError = "Cannot read " + FileName + ": " + std::strerror(Error);
        return false;
    }
    if (Read.size() < HeaderBytes) {
        ReadError = "DTM file " + FileName + " is shorter than its 52-byte header";
        return false;
    }
    const auto* Bytes = reinterpret_cast<const unsigned char*>(Read.data());
    bool Recognised = true;
    for (std::size_t Index = 0; Index < Constants.size(); ++Index)
        Recognised = Recognised && LoadFloatLE(Bytes + 4 * Index) == Constants[Index];
    FEastings = LoadFloatLE(Bytes + EastingAt);
    FNorthings = LoadFloatLE(Bytes + NorthingAt);
    FColumns = LoadInt32LE(Bytes + ColumnsAt);
    FRows = LoadInt32LE(Bytes + RowsAt);
    FCellSizeX = LoadFloatLE(Bytes + CellSizeXAt);
    FCellSizeY = LoadFloatLE(Bytes + CellSizeYAt);
    FCellOffset = LoadInt32LE(Bytes + CellOffsetAt);
    if (!Recognised) {
        ReadError = "DTM file " + FileName + " does not begin with the DTM header constants";
        return false;
    }
    // The last cell the header reaches must lie inside the file: mapping past its end would fault.
    std::uint64_t End = 0;
    const bool Fits = FColumns >= 0 && FRows >= 0 && FCellOffset >= 0 &&
                      SpanBytes(static_cast<std::int64_t>(HeaderBytes) + CellBytes32 * FCellOffset,
                                std::int64_t{FColumns} * FRows, CellBytes32, End) &&
                      End <= FileSize;
    if (!Fits) {
        ReadError = "DTM file " + FileName + " holds " + std::to_string(FileSize) + " bytes, not the " +
                    std::to_string(FColumns) + " x " + std::to_string(FRows) + " cells from cell offset " +
                    std::to_string(FCellOffset) + " its header describes";
        return false;
    }
    ReadError.clear();
    return true;
}

bool TDTMHeader::WriteHeader(const std::string& /*FileName*/) {
    return true;
}

std::array<unsigned char, TDTMHeader::HeaderBytes> TDTMHeader::Bytes() const {
    std::array<unsigned char, HeaderBytes> Bytes{};
    for (std::size_t Index = 0; Index < Constants.size(); ++Index)
        StoreFloatLE(Bytes.data() + 4 * Index, Constants[Index]);
    StoreFloatLE(Bytes.data() + EastingAt, static_cast<float>(FEastings));
    StoreFloatLE(Bytes.data() + NorthingAt, static_cast<float>(FNorthings));
    StoreInt32LE(Bytes.data() + ColumnsAt, FColumns);
    StoreInt32LE(Bytes.data() + RowsAt, FRows);
    StoreFloatLE(Bytes.data() + CellSizeXAt, static_cast<float>(FCellSizeX));
    StoreFloatLE(Bytes.data() + CellSizeYAt, static_cast<float>(FCellSizeY));
    StoreInt32LE(Bytes.data() + CellOffsetAt, 0);
    return Bytes;
}

// ---------------------------------------------------------------------------------------------------
// TDtmMap2

TDtmMap2::TDtmMap2() : TFloatGridMap2(std::make_unique<TDTMHeader>()) {}

// The header goes into the file before the base class closes it.
TDtmMap2::~TDtmMap2() {
    Finish();
}

TDTMHeader& TDtmMap2::DtmHeader() const {
    return static_cast<TDTMHeader&>(*FHeader);
}

void TDtmMap2::SetFileName(const std::string& FileName) {
    FFileName = FileName;
    FHeader->FFileName = FileName;
}

bool TDtmMap2::OpenMap(const std::string& FileName, std::int32_t Columns, std::int32_t Rows,
                       std::uint8_t /*CellType*/, std::int32_t Bands, std::uint8_t Mode) {
    SetFileName(FileName);
    TDTMHeader& Header = DtmHeader();
    switch (Mode) {
    case omCreate: {
        StartRecord(Columns, Rows, 1, ctFloat32);
        if (!SingleBandOnly("DTM", Bands)) return false;
        std::uint64_t Size = 0;
        if (!UseGeometry(Columns, Rows)) return false;
        if (!SpanBytes(TDTMHeader::HeaderBytes, std::int64_t{Columns} * Rows, CellBytes32, Size))
            return OwnError("Grid size is too large");
        if (!OpenFile(FFileName, omCreate, Size)) return false;
        LocateRows(0);
        return true;
    }
    case omRead:
    case omUpdate:
        if (!Header.ReadHeader(FFileName)) return OwnError(Header.ReadError);
        if (!UseGeometry(Header.FColumns, Header.FRows) || !OpenFile(FFileName, Mode, 0)) return false;
        LocateRows(Header.FCellOffset);
        return true;
    default:
        return true;
    }
}

void TDtmMap2::LocateRows(std::int32_t CellOffset) {
    FCellsStart = TDTMHeader::HeaderBytes + static_cast<std::uint64_t>(CellBytes32 * CellOffset);
    FLineSize = static_cast<std::uint64_t>(CellBytes32) * FColumns;
}

bool TDtmMap2::PlainRowLayout(TRowLayout& Layout) const {
    if (!TMMapFile2::PlainRowLayout(Layout)) return false;
    Layout.Writable = FMode == omCreate; // as WriteCell
    return true;
}

std::unique_ptr<TMMapFile2> TDtmMap2::OpenReadView() const {
    return OpenedAgain<TDtmMap2>(*this);
}

unsigned char* TDtmMap2::DtmCell(std::int64_t Col, std::int64_t Row) {
    if (Col < 0 || Row < 0 || Col >= GetColumns() || Row >= GetRows() || !IsFileOpen()) return nullptr;
    const std::int64_t Index = Col + DtmHeader().FCellOffset + Row * GetColumns();
    FPosition =
        static_cast<std::uint64_t>(static_cast<std::int64_t>(TDTMHeader::HeaderBytes) + CellBytes32 * Index);
    FMinBytes = static_cast<std::uint32_t>(CellBytes32);
    return MapPosition() ? FData : nullptr;
}

bool TDtmMap2::ReadCell(std::int64_t Col, std::int64_t Row, std::uint32_t /*Band*/, float& Value) {
    Value = 0;
    const unsigned char* Cell = DtmCell(Col, Row);
    if (Cell == nullptr) return false;
    Value = LoadFloatLE(Cell);
    return true;
}

bool TDtmMap2::WriteCell(std::int64_t Col, std::int64_t Row, std::uint32_t /*Band*/, float Value) {
    if (FMode != omCreate) return false;
    unsigned char* Cell = DtmCell(Col, Row);
    if (Cell == nullptr) return false;
    StoreFloatLE(Cell, Value);
    return true;
}

bool TDtmMap2::Finish() {
    if (FMode == omCreate && IsFileOpen() && !MappingFaulted()) {
        const auto Bytes = DtmHeader().Bytes();
        FPosition = 0;
        FMinBytes = static_cast<std::uint32_t>(Bytes.size());
        if (!MapPosition()) return false;
        std::memcpy(FData, Bytes.data(), Bytes.size());
    }
    return THeadMap2::Finish();
}

constinit const TImageFormat DtmFormat =
    ReadWriteFormat<TDtmMap2>({.Code = ftDtm,
                               .Name = "DTM",
                               .ExtensionKey = "DTM",
                               .Extensions = {".dtm"},
                               .Signatures = {ExactBytes({LeadingBytes.data(), LeadingBytes.size()})}});

} // namespace vortane
