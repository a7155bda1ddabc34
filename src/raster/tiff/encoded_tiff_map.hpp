#pragma once
// TIFF images created with any storage choice (compression, tiles, overviews, nodata, alpha), written
// through libtiff. Rows are taken in order, through the plain row layout of a buffer holding one block
// (a row of tiles, or one strip), and each block is encoded once the first row after it arrives, so
// memory stays bounded by a few blocks whatever the image size; the blocks are encoded on a thread of
// their own while the next rows are computed. A cloud-optimised image goes through
// TCogWriter. Placement (GeoTIFF tags and world files) is exactly the plain writer's. Finish encodes what
// is left (rows never written are 0) and closes the file; any failure on the way fails it.

#include "raster/raster.hpp"
#include "raster/tiff/block_rows.hpp"
#include "raster/tiff/tiff_storage.hpp"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vortane {

class TTiffImageOut;
class TCogWriter;
class TBlockQueue;

class TEncodedTifMap2 final : public TDataSetRoot2 {
public:
    TEncodedTifMap2();
    ~TEncodedTifMap2() override;

    // Creating only (omCreate); the storage comes from CreationOptions().
    bool OpenMap(const std::string& FileName, std::int32_t Columns, std::int32_t Rows, std::uint8_t CellType,
                 std::int32_t Bands, std::uint8_t Mode) override;
    // Reading is the other TIFF rasters' work.
    bool OpenMapRead(const std::string& FileName) override;
    TGridShape Shape() const override;
    // No cell lies in a mapped view: the cells of the block being filled are reached through these
    // and the row layout; rows before that block are encoded already and cannot be reached.
    bool GoToRow(std::int64_t /*Row*/, std::uint32_t /*Band*/) override { return false; }
    bool ReadCell(std::int64_t Col, std::int64_t Row, std::uint32_t Band, float& Value) override;
    bool WriteCell(std::int64_t Col, std::int64_t Row, std::uint32_t Band, float Value) override;
    bool PlainRowLayout(TRowLayout& Layout) const override;
    // Moves on to the block holding First (encoding the blocks before it); both rows must lie in it.
    bool MapRows(std::int64_t First, std::int64_t Last, unsigned char*& FirstRow,
                 unsigned char*& LastRow) override;
    std::unique_ptr<TMMapFile2> OpenReadView() const override { return nullptr; }
    // Keeps the placement for the image's tags and writes the ".tfw" world file.
    void SetGeoreference(const std::string& Spheroid, const std::string& Datum, const std::string& Projection,
                         double CellSizeX, double CellSizeY, double RegCellX, double RegCellY, double Easting,
                         double Northing) override;
    std::vector<std::string> ImageFiles() const override;
    bool Finish() override;
    bool CellsLost() override { return !FFailure.empty(); }

    const TTiffStorage& Storage() const { return FStorage; }

private:
    // The address of Row in the block being filled, encoding the blocks before it; null when Row lies
    // in a block already encoded or outside the image.
    unsigned char* BlockRow(std::int64_t Row);
    // Hands the block being filled to the encoding thread and moves on to the next.
    void EncodeBlock();
    // Encodes one block: runs on the encoding thread.
    bool Encode(std::uint32_t First, const unsigned char* Rows, std::uint32_t Count);
    bool Failed(const std::string& Reason);

    TTiffGrid FGrid;
    TTiffStorage FStorage;
    TBlockRows FBlock;
    std::unique_ptr<TTiffImageOut> FImage; // strips and tiles without overviews
    std::unique_ptr<TCogWriter> FCog;      // cloud-optimised images
    std::unique_ptr<TBlockQueue> FEncoder; // after the writers: it ends before them
    std::string FFailure;
    bool FFinished = false;
};

} // namespace vortane
