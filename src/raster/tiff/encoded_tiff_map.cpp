#include "raster/tiff/encoded_tiff_map.hpp"

#include "raster/cell_codec.hpp"
#include "raster/side_files.hpp"
#include "raster/tiff/block_queue.hpp"
#include "raster/tiff/cog_writer.hpp"
#include "raster/tiff/libtiff_output.hpp"
#include "raster/tiff/tiff_placement.hpp"

namespace vortane {

TEncodedTifMap2::TEncodedTifMap2() {
    Record().FControlPoints = std::make_unique<TGCPList>();
}

TEncodedTifMap2::~TEncodedTifMap2() = default;

bool TEncodedTifMap2::Failed(const std::string& Reason) {
    if (FFailure.empty()) FFailure = Reason;
    return OwnError(FFailure);
}

bool TEncodedTifMap2::OpenMapRead(const std::string& /*FileName*/) {
    return OwnError("Encoded TIFF images are read by the TIFF readers");
}

bool TEncodedTifMap2::OpenMap(const std::string& FileName, std::int32_t Columns, std::int32_t Rows,
                              std::uint8_t CellType, std::int32_t Bands, std::uint8_t Mode) {
    FFileName = FileName;
    FMode = Mode;
    if (Mode != omCreate) return OwnError("Encoded TIFF images are only created");
    if (SampleFormatOf(CellType) == 0) {
        const std::string Name = CellTypeName(CellType);
        return OwnError("Cell type not supported in TIFF images: " +
                        (Name.empty() ? std::to_string(CellType) : Name));
    }
    if (Columns <= 0 || Rows <= 0 || Bands <= 0) return OwnError("Image size out of range");
    FGrid = {static_cast<std::uint32_t>(Columns), static_cast<std::uint32_t>(Rows),
             static_cast<std::uint32_t>(Bands), CellType};
    if (FGrid.RowBytes() > MaxViewBytes) return OwnError("Buffer size is less than one line");
    if (std::string Problem = PlanTiffStorage(CreationOptions(), FGrid, FStorage); !Problem.empty())
        return OwnError(Problem);
    FColumns = FGrid.Columns;
    FRows = FGrid.Rows;
    FBands = FGrid.Bands;
    FCellType = CellType;
    FBlock.Start(FGrid.Rows, FStorage.BlockRows(), FGrid.RowBytes());
    if (!FStorage.Overviews.empty() || CreationOptions().Cog) {
        FCog = std::make_unique<TCogWriter>();
        if (!FCog->Open(FileName, FGrid, FStorage, CreationOptions().NoData))
            return OwnError(FCog->Failure());
    } else {
        FImage = std::make_unique<TTiffImageOut>();
        if (!FImage->Open(FileName, FGrid, FStorage)) return OwnError(FImage->Failure());
    }
    FEncoder =
        std::make_unique<TBlockQueue>([this](std::uint32_t First, const unsigned char* Cells,
                                             std::uint32_t Count) { return Encode(First, Cells, Count); });
    return true;
}

TGridShape TEncodedTifMap2::Shape() const {
    return {.FColumns = static_cast<std::int32_t>(FGrid.Columns),
            .FRows = static_cast<std::int32_t>(FGrid.Rows),
            .FBands = static_cast<std::int32_t>(FGrid.Bands),
            .FCellType = FGrid.CellType,
            .FMSBFirst = false};
}

bool TEncodedTifMap2::Encode(std::uint32_t First, const unsigned char* Rows, std::uint32_t Count) {
    return FCog ? FCog->TakeBlock(First, Rows, Count) : FImage->WriteBlock(First, Rows, Count);
}

void TEncodedTifMap2::EncodeBlock() {
    const std::uint32_t First = FBlock.First(), Count = FBlock.Count();
    if (FEncoder) FEncoder->Push(First, FBlock.Take(), Count);
    FBlock.Next();
}

unsigned char* TEncodedTifMap2::BlockRow(std::int64_t Row) {
    if (FFinished || Row < FBlock.First() || Row >= static_cast<std::int64_t>(FGrid.Rows)) return nullptr;
    const auto At = static_cast<std::uint32_t>(Row);
    // A block is encoded even after a failure, so that the rows keep their place; Finish reports it.
    while (!FBlock.Holds(At))
        EncodeBlock();
    return FBlock.Row(At);
}

bool TEncodedTifMap2::ReadCell(std::int64_t Col, std::int64_t Row, std::uint32_t Band, float& Value) {
    Value = 0;
    if (Col < 0 || Col >= FGrid.Columns || Band >= FGrid.Bands || FMode != omCreate) return false;
    if (Row < FBlock.First() || !FBlock.Holds(static_cast<std::uint32_t>(Row))) return false;
    const unsigned char* Bytes = FBlock.Row(static_cast<std::uint32_t>(Row));
    Value = DecodeCell(Bytes + (Col * FGrid.Bands + Band) * CellBytes(FGrid.CellType), FGrid.CellType, true);
    return true;
}

bool TEncodedTifMap2::WriteCell(std::int64_t Col, std::int64_t Row, std::uint32_t Band, float Value) {
    if (Col < 0 || Col >= FGrid.Columns || Band >= FGrid.Bands) return false;
    unsigned char* Bytes = BlockRow(Row);
    return Bytes && EncodeCell(Bytes + (Col * FGrid.Bands + Band) * CellBytes(FGrid.CellType), FGrid.CellType,
                               true, Value);
}

bool TEncodedTifMap2::PlainRowLayout(TRowLayout& Layout) const {
    if (FFinished || (!FImage && !FCog)) return false;
    const auto Cell = static_cast<std::int64_t>(CellBytes(FGrid.CellType));
    Layout = {.Columns = FGrid.Columns,
              .Rows = FGrid.Rows,
              .Bands = FGrid.Bands,
              .CellType = FGrid.CellType,
              .LSBFirst = true,
              .FirstBand = 0,
              .ColumnStride = Cell * FGrid.Bands,
              .BandStride = Cell,
              .Writable = true};
    return true;
}

bool TEncodedTifMap2::MapRows(std::int64_t First, std::int64_t Last, unsigned char*& FirstRow,
                              unsigned char*& LastRow) {
    if (First > Last) return false;
    FirstRow = BlockRow(First);
    if (!FirstRow || !FBlock.Holds(static_cast<std::uint32_t>(Last))) return false;
    LastRow = FBlock.Row(static_cast<std::uint32_t>(Last));
    return true;
}

void TEncodedTifMap2::SetGeoreference(const std::string& Spheroid, const std::string& Datum,
                                      const std::string& Projection, double CellSizeX, double CellSizeY,
                                      double RegCellX, double RegCellY, double Easting, double Northing) {
    SetWorldGeoreference(*this, Spheroid, Datum, Projection, CellSizeX, CellSizeY, RegCellX, RegCellY,
                         Easting, Northing);
    FSideFileError = WriteTiffWorldFilesOf(*this);
}

std::vector<std::string> TEncodedTifMap2::ImageFiles() const {
    return TiffImageFiles(FFileName);
}

bool TEncodedTifMap2::Finish() {
    if (FFinished) return FFailure.empty() || Failed(FFailure);
    while (!FBlock.Done())
        EncodeBlock();
    FFinished = true;
    if (!FEncoder) return Failed("The image is not open");
    if (!FEncoder->Drain()) {
        const std::string& Reason = FCog ? FCog->Failure() : FImage->Failure();
        Failed(Reason.empty() ? "A block of the image cannot be encoded" : Reason);
    }
    const TTiffImageTags Tags{CreatedImagePlacement(*this), CreationOptions().NoData};
    if (FCog && FFailure.empty() && !FCog->Finish(Tags)) Failed(FCog->Failure());
    if (FImage && FFailure.empty()) {
        FImage->SetImageTags(Tags);
        if (!FImage->Close()) Failed(FImage->Failure());
    }
    if (!FFailure.empty()) return Failed(FFailure);
    return FSideFileError.empty() || OwnError(FSideFileError);
}

} // namespace vortane
