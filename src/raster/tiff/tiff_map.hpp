#pragma once
// Uncompressed TIFF images (the baseline TIFF 6.0 layout), read in place through the mapped file with
// strip addressing, chunky or planar, "II" or "MM", placed as tiff_placement.hpp says. Compressed,
// tiled, BigTIFF and alpha images, and samples that are not whole cells (1, 2, 4, 12 bits...), are
// refused here and read by TLibTiffMap2 instead.
// New images are one little-endian strip after a header carrying the GeoTIFF tags: pixel scale, tie
// point and the keys of the system description the image was created with (none without one).

#include "raster/raster.hpp"
#include "raster/tiff/geokey_writer.hpp"
#include "raster/tiff/tiff_placement.hpp"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vortane {

// The byte order marks a TIFF file begins with: "MM" most, "II" least significant byte first.
inline constexpr std::string_view TiffMSBFirstMark = "MM";
inline constexpr std::string_view TiffLSBFirstMark = "II";

class TTifMap2 final : public TDataSetRoot2 {
public:
    TTifMap2();
    ~TTifMap2() override;

    bool GoToRow(std::int64_t Row, std::uint32_t Band) override;
    bool ReadCell(std::int64_t Col, std::int64_t Row, std::uint32_t Band, float& Value) override;
    bool WriteCell(std::int64_t Col, std::int64_t Row, std::uint32_t Band, float Value) override;
    // Colour cells through the three bands, so planar images work too.
    bool ReadRGB(std::int64_t Col, std::int64_t Row, std::int32_t& Color) override;
    bool WriteRGB(std::int64_t Col, std::int64_t Row, std::int32_t Color) override;
    // Uncompressed strips of interleaved samples (or of one sample) are plain rows, unless white is 0.
    bool PlainRowLayout(TRowLayout& Layout) const override;
    bool MapRows(std::int64_t First, std::int64_t Last, unsigned char*& FirstRow,
                 unsigned char*& LastRow) override;
    // Another reader of the same image, for a second sampling thread; null unless opened for reading.
    std::unique_ptr<TMMapFile2> OpenReadView() const override;
    bool OpenMap(const std::string& FileName, std::int32_t Columns, std::int32_t Rows, std::uint8_t CellType,
                 std::int32_t Bands, std::uint8_t Mode) override;
    // Reads the description (geometry, georeferencing) and closes the file again.
    bool OpenMapRead(const std::string& FileName) override;
    // As the tags of the image file directory and the file's byte order give it.
    TGridShape Shape() const override;
    // Writes the ".tfw" world file and rewrites the header with the new pixel scale and tie point.
    void SetGeoreference(const std::string& Spheroid, const std::string& Datum, const std::string& Projection,
                         double CellSizeX, double CellSizeY, double RegCellX, double RegCellY, double Easting,
                         double Northing) override;
    bool HasGeoreference() const override { return FPlacement.Placed(); }
    // The image, its ".tfw" and, when present, its ".tifw".
    std::vector<std::string> ImageFiles() const override;
    // Whether the file this raster refused to read (for its compression, tiles, BigTIFF form, alpha
    // samples or sample size) can be decoded by TLibTiffMap2.
    bool RefusedButDecodable() const { return FDecodable && FMode == omRead; }

private:
    struct TEntry {
        std::uint16_t Tag = 0;
        std::uint16_t Type = 0;
        std::uint32_t Count = 0;
        std::uint64_t Field = 0; // file position of the entry's value field
    };

    bool OpenExisting(std::uint8_t Mode, bool NeedDirectory);
    bool CreateImage(std::int32_t Columns, std::int32_t Rows, std::uint8_t CellType, std::int32_t Bands);
    bool ReadDirectory();
    bool TakeEntry(const TEntry& Entry);
    bool TakeBitsPerSample(const TEntry& Entry);
    bool TakeStripOffsets(const TEntry& Entry);
    bool TakeResolution(const TEntry& Entry, int ZeroError);
    bool TakeDoubles(const TEntry& Entry, double* Values, std::uint32_t Count);
    bool TakeGeoKeys(const TEntry& Entry);
    bool TakeGeoDoubles(const TEntry& Entry);
    // An ASCII tag's text (its NUL kept) into Text; tags of another type or of more than
    // MaxGeoParams characters are passed over.
    bool TakeAscii(const TEntry& Entry, std::string& Text);
    bool TakeExtraSamples(const TEntry& Entry);
    bool ReadStripOffsets();
    bool CheckLayout();
    bool TiffFail(int Error);

    // Bytes of the file, checked against its size; null (with the error set) outside it.
    const unsigned char* BytesAt(std::uint64_t Position, std::uint32_t Count);
    bool U16At(std::uint64_t Position, std::uint16_t& Value);
    bool U32At(std::uint64_t Position, std::uint32_t& Value);
    std::uint32_t EntryValue(const TEntry& Entry);
    // Where an entry's values lie: in its value field when they fit in 4 bytes, else at its offset.
    bool ValuesPosition(const TEntry& Entry, std::uint64_t& Position);

    // The file position of row Row of band Band; false when no strip holds it.
    bool RowPosition(std::int64_t Row, std::uint32_t Band, std::uint64_t& Position) const;
    bool StripOf(std::uint64_t Row, std::uint32_t Band, std::uint32_t& Strip,
                 std::uint64_t& RowInStrip) const;
    unsigned char* CellPointer(std::int64_t Col, std::int64_t Row, std::uint32_t& Band);
    // Where the parts of a created image's header lie, and its size.
    struct THeaderLayout {
        bool Typed = false; // a SampleFormat entry for signed and real cells
        std::uint32_t Entries = 0;
        std::uint32_t BitsAt = 0, FormatsAt = 0, XResolutionAt = 0, YResolutionAt = 0, ScaleAt = 0,
                      TiePointAt = 0, GeoKeysAt = 0, DoublesAt = 0, AsciiAt = 0, Size = 0;
    };
    THeaderLayout HeaderLayout() const;
    void WriteHeader();
    void WriteWorldFiles();

    TTiffPlacement FPlacement;
    bool FDecodable = false;                  // refused, but TLibTiffMap2 can read it
    std::vector<unsigned char> FHeaderBuffer; // the header image of a created file
    TEncodedGeoKeys FGeoKeys;                 // the keys of a created file
    std::uint32_t FIfdPosition = 0;
    std::uint16_t FIfdCount = 0;
    std::vector<std::uint32_t> FStripOffsets;
    std::int32_t FTiffError = 0;
    std::uint32_t FWidth = 0;
    std::uint32_t FHeight = 0;
    std::array<std::uint16_t, 3> FBitsPerSample{1, 1, 1};
    std::uint16_t FCompression = 1;
    std::uint16_t FPhotometric = 1;
    std::uint16_t FPlanarConfig = 1;
    std::uint32_t FRowsPerStrip = 2147483647;
    std::uint32_t FSamples = 1;
    std::uint32_t FStripCount = 0;
    std::uint16_t FStripOffsetsType = 0;
    std::uint64_t FStripOffsetsPosition = 0;
    std::uint16_t FSampleFormat = 1; // 1 unsigned, 2 signed, 3 IEEE float
    bool FMSBFirstFile = false;
    std::uint32_t FCellBytes = 1;  // 0 for samples that are not whole bytes (refused)
    std::uint64_t FRowBytes = 0;   // bytes of one row of one strip (all samples when chunky)
    std::uint32_t FDataOffset = 0; // header size of a created image
};

} // namespace vortane
