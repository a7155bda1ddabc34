#pragma once
// The raster family's base: TDataSetRoot2 fixes the operations through which the rest of the system
// sees any image (geometry, georeferencing, cell access, control points); THeadMap2 keeps geometry and
// georeferencing in a header object (THeader) beside a plain band-interleaved-by-line cell file.
// Also the world file: six numbers beside the images that have no header.
//
// Geometry: cells by column (0 at the left), row (0 at the top) and band (from 0). Map X grows to the
// right, map Y upwards. A registration point ties cell coordinates (RegCellX, RegCellY) to a map
// position; cell coordinate (0, 0) is the top-left corner of the top-left cell, and the map position
// of that corner is the origin. Cell sizes are positive lengths in map units.

#include "gcp/gcp.hpp"
#include "raster/creation_options.hpp"
#include "raster/mapped_cell_file.hpp"
#include "raster/system_description.hpp"
#include "raster/tiff/geokeys.hpp"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortane {

// Coordinate type codes of a header's registration.
enum : std::uint8_t {
    coEN = 0,
    coRAW = 1,
    coLATLONG = 2,
    coNone = 3, // written as an empty value
};

// The six numbers of a world file. CellSizeY is the positive cell height: the file holds its negation.
struct TWorldFile {
    double CellSizeX = 1.0;
    double RotationY = 0.0; // line 2
    double RotationX = 0.0; // line 3
    double CellSizeY = 1.0;
    double OriginX = 0.0; // map X of the top-left corner of cell (0, 0)
    double OriginY = 0.0; // map Y of that corner
};

enum class TWorldNumbers { PointOrComma, PointOnly };

// Reads a world file. False, World unchanged and the reason in Problem ("<file>: line 5 (easting) holds
// no finite number: ..."), when the file cannot be read, is empty, misses a line, holds something else
// than a finite number on one of its six lines, a cell size of 0 or a rotation term other than 0
// (rotated images are not supported). Lines after the sixth are not read.
bool ReadWorldFile(const std::string& FileName, TWorldNumbers Numbers, TWorldFile& World,
                   std::string& Problem);
// Writes the six lines in fixed notation with 14 decimals right-aligned in 18 characters, CR LF.
bool WriteWorldFile(const std::string& FileName, const TWorldFile& World);
// One world file number as written.
std::string WorldNumberText(double Value);

// Where an image lies on the map: a registration point ties cell coordinates (FRegCellX, FRegCellY) to
// the map position (FEastings, FNorthings); the cell sizes and the coordinate system's names, and the
// GeoTIFF keys naming the system of an image that carries them.
struct TGeoreference {
    double FRegCellX = 0;
    double FRegCellY = 0;
    double FEastings = 0;  // map X of the registration point
    double FNorthings = 0; // map Y of the registration point
    double FCellSizeX = 1.0;
    double FCellSizeY = 1.0;
    std::uint8_t FCoordType = coEN;
    std::string FProjection;
    std::string FDatum;
    std::string FSpheroid;
    // Every GeoTIFF key of the image's file as read, uninterpreted (the layer above resolves them);
    // empty for files without keys. Read whether or not a world file places the image.
    TGeoKeySet FGeoKeys;
};

// The grid an image describes: its size, cell type and byte order.
struct TGridShape {
    std::int32_t FColumns = 0;
    std::int32_t FRows = 0;
    std::int32_t FBands = 0;
    std::uint8_t FCellType = 0;
    bool FMSBFirst = false; // multi-byte cells most significant byte first
};

// Everything a raster says about itself: one value per raster, kept by the raster itself or, for the
// header formats, by their header.
struct TRasterRecord : TGeoreference, TGridShape {
    std::unique_ptr<TGCPList> FControlPoints; // may be null
    // The value the image's empty cells hold, as its header or tag declares it (NaN included); none
    // when nothing declares one.
    std::optional<double> FNoData;
};

// A declared nodata value as headers and tags write it ("-9999", "nan", "-3.4e+38", blanks around
// it); nothing when the text is no number.
std::optional<double> NoDataFromText(std::string_view Text);
// The shortest text NoDataFromText reads back as Value ("-9999", "nan", "-3.4028234663852886e+38").
std::string NoDataText(double Value);

class THeader;

class TDataSetRoot2 : public TMMapFile2 {
public:
    TDataSetRoot2();
    ~TDataSetRoot2() override;

    // Slots 0-4 come from TMMapFile2.
    virtual bool OpenMap(const std::string& FileName, std::int32_t Columns, std::int32_t Rows,
                         std::uint8_t CellType, std::int32_t Bands, std::uint8_t Mode) = 0;
    virtual bool OpenMapRead(const std::string& FileName) = 0;
    virtual void SetFileName(const std::string& FileName);
    // The grid the raster describes, as Shape() gives it.
    virtual std::int32_t GetBands();
    virtual std::int32_t GetRows();
    virtual std::int32_t GetColumns();
    virtual std::uint8_t GetCellType();
    virtual bool GetMSBFirst();
    virtual double GetRegCellX();
    virtual void SetRegCellX(double Value);
    virtual double GetRegCellY();
    virtual void SetRegCellY(double Value);
    virtual double GetRegEasting();
    virtual void SetRegEasting(double Value);
    virtual double GetRegNorthing();
    virtual void SetRegNorthing(double Value);
    // A header keeps what it is given, 0 included; without a header a size of exactly 0 reads 1.0.
    virtual double GetCellSizeX();
    virtual void SetCellSizeX(double Value);
    virtual double GetCellSizeY();
    virtual void SetCellSizeY(double Value);
    virtual double GetOriginX(); // map X of cell coordinate (0, 0)
    virtual double GetOriginY(); // map Y of cell coordinate (0, 0)
    // A header's coordinate type; coordinates without a header are raw (setting changes nothing).
    virtual std::uint8_t GetCoordType();
    virtual void SetCoordType(std::uint8_t Value);
    virtual std::string GetSpheroid();
    virtual void SetSpheroid(const std::string& Text);
    virtual std::string GetDatum();
    virtual void SetDatum(const std::string& Text);
    virtual std::string GetProjection();
    virtual void SetProjection(const std::string& Text);
    virtual void SetGeoreference(const std::string& Spheroid, const std::string& Datum,
                                 const std::string& Projection, double CellSizeX, double CellSizeY,
                                 double RegCellX, double RegCellY, double Easting, double Northing) = 0;
    // Exact inverses through the virtual getters, without clipping to the raster.
    virtual void CellToMap(double Col, double Row, double& X, double& Y);
    virtual void MapToCell(double X, double Y, double& Col, double& Row);
    virtual TGCPList* GetControlPoints(); // may be null
    virtual void SetControlPoints(std::unique_ptr<TGCPList> List);
    // Every file of this image under the name last given to SetFileName: the image or cell file,
    // and its header or world files. An output of that name writes or replaces each of them.
    virtual std::vector<std::string> ImageFiles() const;
    // Completes a created image (a header format writes its header here, or at the latest when the
    // raster is destroyed). False, with the reason in the error text, when a cell or the header did
    // not reach the disk; the image is then incomplete.
    virtual bool Finish();
    // Cells of a created image whose values its cells cannot hold (stored as the nearest value they
    // can hold, or as 0 for a value that is not a number); 0 for formats that store every value.
    virtual std::uint64_t ClampedCells() const { return 0; }
    // Whether cells written so far were lost (a page the disk could not back, a block that could not
    // be encoded or stored): the rest of a run would only waste time.
    virtual bool CellsLost() { return MappingFaulted(); }
    // The value the image's empty cells hold, as its file declares it; none when it declares none.
    std::optional<double> NoDataValue() const { return Record().FNoData; }
    // Whether anything placed the image on the map (a header, a world file); without, it lies at 0, 0
    // with cells of 1.
    virtual bool HasGeoreference() const { return true; }
    // For an image that has georeferencing: true when its cell sizes are finite and not 0 and its
    // registration is finite; otherwise false with "<file>: <field> ..." (a header's 0 or NaN would
    // place every cell at one spot or nowhere).
    bool CheckGeoreference();

    // A raster stores its cells in a way of its own unless its class says otherwise.
    bool PlainRowLayout(TRowLayout& /*Layout*/) const override { return false; }

    // The coordinate system a created image declares to other programs; set before the image is
    // created, since a format may size its header by it. None by default: nothing is claimed.
    void SetSystemDescription(const TSystemDescription& System) { FSystem = System; }
    const TSystemDescription& SystemDescription() const { return FSystem; }
    // How a created image stores its cells; set before the image is created. Plain by default.
    void SetCreationOptions(const TCreationOptions& Options) { FCreation = Options; }
    const TCreationOptions& CreationOptions() const { return FCreation; }
    // For an image just created as ImageName: removes the auxiliary file left beside it and, unless
    // the header declares the system itself, writes the description's WKT there. False, with the
    // reason in the error text, when that file could not be written.
    bool CreateSystemSideFile(const std::string& ImageName, bool SystemInHeader);

    // The grid the raster describes: its record's, unless its file fixes it in fields of its own
    // (TIFF tags, the RSW header, a bitmap's headers, a decoded or in-memory image).
    virtual TGridShape Shape() const;
    // The header of a header format, which keeps the raster's record; null for the other formats.
    virtual THeader* RecordHeader() const { return nullptr; }
    // The one place the raster's georeferencing, control points and (unless Shape() says otherwise)
    // shape live: its header's record, or its own.
    TRasterRecord& Record();
    const TRasterRecord& Record() const;

protected:
    // The grid this raster maps, described with the given byte order.
    TGridShape MappedShape(bool MSBFirst) const;
    // True when Bands is at most 1; otherwise false with "<FormatName> images hold a single band; ...":
    // keeping one band of several would lose the others without a word.
    bool SingleBandOnly(std::string_view FormatName, std::int32_t Bands);
    // Puts the nine georeferencing values of SetGeoreference into the record as given.
    void StoreGeoreference(const std::string& Spheroid, const std::string& Datum,
                           const std::string& Projection, double CellSizeX, double CellSizeY, double RegCellX,
                           double RegCellY, double Easting, double Northing);

    // Why a side file of a created image (its world file) could not be written; Finish fails with it.
    std::string FSideFileError;

private:
    TRasterRecord FRecord = OwnRecord();
    TSystemDescription FSystem;
    TCreationOptions FCreation;
    static TRasterRecord OwnRecord();
};

// The header of a header-format raster: geometry, registration and coordinate system texts.
// Its fields are the raster's record and are read and written by the raster that owns it.
class THeader : public TRasterRecord {
public:
    THeader();
    virtual ~THeader();
    THeader(const THeader&) = delete;
    THeader& operator=(const THeader&) = delete;

    virtual void ParseLine(const std::string& Line);
    virtual bool ReadHeader(const std::string& FileName) = 0;
    virtual bool WriteHeader(const std::string& FileName) = 0;
    virtual void SetParams(std::int32_t Rows, std::int32_t Columns, std::int32_t Bands, std::uint8_t CellType,
                           const std::string& Projection, const std::string& Datum,
                           const std::string& Spheroid, double CellSizeX, double CellSizeY, double RegCellX,
                           double RegCellY, double Eastings, double Northings);
    virtual bool SetParamsAndWrite(std::int32_t Rows, std::int32_t Columns, std::int32_t Bands,
                                   std::uint8_t CellType, const std::string& Projection,
                                   const std::string& Datum, const std::string& Spheroid, double CellSizeX,
                                   double CellSizeY, double RegCellX, double RegCellY, double Eastings,
                                   double Northings);

    // Where the cells of a read header lie when it says so itself: their file (empty: the raster's own
    // cell file name) and the byte at which they begin.
    virtual std::string CellFileName() const { return {}; }
    virtual std::uint64_t CellsStart() const { return 0; }

    std::string FFileName; // full name of the header file
    // Why ReadHeader refused a damaged header ("Eastings = NAN is not a finite number"); empty when it
    // did not say (the file could not be read, or is not of its format).
    std::string FRefusal;
    std::uint8_t FWarpCoordType = coEN;
    std::string FWarpProjection;
    std::string FWarpDatum;
    std::string FWarpSpheroid;

protected:
    // Reads a text header: false when the file cannot be read, when its first line does not begin
    // with FirstWord (compared in upper case) or when ParseLine met a malformed count. Every line goes
    // to ParseLine in upper case.
    bool ReadHeaderLines(const std::string& FileName, std::string_view FirstWord);

    // Records the first reason a header is damaged in FRefusal; ReadHeaderLines then fails.
    void Refuse(std::string Problem);

    bool FMalformedNumber = false; // a count field held no integer
};

class THeadMap2 : public TDataSetRoot2 {
public:
    static constexpr std::int32_t MaxBands = 65536;

    ~THeadMap2() override;

    bool OpenMap(const std::string& FileName, std::int32_t Columns, std::int32_t Rows, std::uint8_t CellType,
                 std::int32_t Bands, std::uint8_t Mode) override;
    bool OpenMapRead(const std::string& FileName) override;
    // Stores the georeferencing in the header; the header is written when the raster is destroyed.
    void SetGeoreference(const std::string& Spheroid, const std::string& Datum, const std::string& Projection,
                         double CellSizeX, double CellSizeY, double RegCellX, double RegCellY, double Easting,
                         double Northing) override;
    std::vector<std::string> ImageFiles() const override; // the cell file and the header
    // Writes the header of a created image, once; no header when its cells were lost.
    bool Finish() override;

    // The header formats keep their cells in a plain band-interleaved-by-line grid file.
    bool PlainRowLayout(TRowLayout& Layout) const override { return TMMapFile2::PlainRowLayout(Layout); }

    THeader* RecordHeader() const override { return FHeader.get(); }
    THeader* Header() const { return FHeader.get(); }
    // A header places the image unless its coordinates are raw.
    bool HasGeoreference() const override { return Record().FCoordType != coRAW; }

protected:
    explicit THeadMap2(std::unique_ptr<THeader> Header);
    // Starts the record of a created image: its grid, least significant byte first, cells of size 1,
    // no registration and no system names.
    void StartRecord(std::int32_t Columns, std::int32_t Rows, std::int32_t Bands, std::uint8_t CellType);
    // The cell file is FileName without its extension, the header FileName with HeaderExtension.
    void SetCellAndHeaderNames(const std::string& FileName, const std::string& HeaderExtension);

    std::unique_ptr<THeader> FHeader;

private:
    bool CreateCells(std::int32_t Columns, std::int32_t Rows, std::uint8_t CellType, std::int32_t Bands);
    bool OpenExistingCells(std::uint8_t Mode);
    bool OpenRecordGrid(std::uint8_t Mode);
    bool HeaderIsCellFile() const;
    bool HeaderPlaceWritable();
    bool PrefixErrorText(std::string_view Prefix);

    bool FFinished = false;
};

} // namespace vortane
