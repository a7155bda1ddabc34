#include "raster/tiff/libtiff_map.hpp"

#include "raster/tiff/libtiff_open.hpp"

#include "raster/side_files.hpp"
#include "text/types.hpp"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <mutex>
#include <span>
#include <system_error>
#include <tiffio.h>
#include <unistd.h>

namespace vortane {

namespace {

// Largest buffer one decoding step may hold (a row of tiles, one tile): beyond it an image's tiles
// are refused rather than allowed to take the machine's memory.
constexpr std::uint64_t MaxStepBytes = 256u << 20;

// Copies Count cells of CellSize bytes lying Stride bytes apart into consecutive cells.
template <std::size_t CellSize>
void GatherCells(const unsigned char* From, std::size_t Stride, unsigned char* To, std::size_t Count) {
    for (std::size_t Cell = 0; Cell < Count; ++Cell)
        std::memcpy(To + Cell * CellSize, From + Cell * Stride, CellSize);
}
void GatherCells(const unsigned char* From, std::size_t Stride, unsigned char* To, std::size_t Count,
                 std::size_t CellSize) {
    switch (CellSize) {
    case 1:
        return GatherCells<1>(From, Stride, To, Count);
    case 2:
        return GatherCells<2>(From, Stride, To, Count);
    case 4:
        return GatherCells<4>(From, Stride, To, Count);
    default:
        return GatherCells<8>(From, Stride, To, Count);
    }
}

// Unsigned samples that are not whole cells (1 to 7 and 9 to 15 bits), as libtiff hands them: packed
// with the first sample in the highest bits, each row starting on a new byte. Widened to cells of
// one byte (up to 7 bits) or two (up to 15 bits) keeping their values, except that a bilevel
// image's 0 and 1 become 0 and 255, so that it shows black and white among 8-bit images.
class TPackedSamples {
public:
    TPackedSamples() = default;
    TPackedSamples(std::uint16_t Bits, bool Invert) : FBits(Bits), FInvert(Invert) {}

    explicit operator bool() const { return FBits != 0; }
    std::uint8_t CellType() const { return FBits < 8 ? ctUnsigned8 : ctUnsigned16; }
    // Bytes of a packed row of Samples samples.
    std::uint64_t RowBytes(std::uint64_t Samples) const { return (Samples * FBits + 7) / 8; }

    void Widen(const unsigned char* Packed, std::size_t Count, unsigned char* To) const {
        const std::uint32_t Max = (1u << FBits) - 1;
        std::uint64_t Bit = 0;
        for (std::size_t Sample = 0; Sample < Count; ++Sample) {
            std::uint32_t Value = 0;
            for (std::uint16_t Step = 0; Step < FBits; ++Step, ++Bit)
                Value = Value << 1 | ((Packed[Bit / 8] >> (7 - Bit % 8)) & 1u);
            if (FInvert) Value = Max - Value; // where white is zero
            if (FBits == 1) Value *= 255;
            if (FBits < 8) {
                To[Sample] = static_cast<unsigned char>(Value);
            } else {
                const auto Cell = static_cast<std::uint16_t>(Value);
                std::memcpy(To + 2 * Sample, &Cell, 2);
            }
        }
    }

private:
    std::uint16_t FBits = 0;
    bool FInvert = false;
};

} // namespace

// ---------------------------------------------------------------------------------------------------
// TTiffDecoder: one open file, its layout, and its cells as rows of bands one after another.

class TTiffDecoder {
public:
    using TWrite = std::function<bool(const unsigned char* Bytes, std::uint64_t Count, std::uint64_t Offset)>;

    ~TTiffDecoder() {
        if (FTiff) TIFFClose(FTiff);
    }

    // Opens the file and reads the layout of its first image; false with the reason.
    bool Open(const std::string& FileName);
    const std::string& Reason() const { return FReason; }
    TGeoTiffTags GeoTiffTags() const;
    bool MSBFirst() const { return TIFFIsBigEndian(FTiff) != 0; }

    std::uint32_t Width() const { return FWidth; }
    std::uint32_t Height() const { return FHeight; }
    std::uint32_t Bands() const { return static_cast<std::uint32_t>(FBandSamples.size()); }
    std::uint8_t CellType() const { return FCellType; }
    std::uint64_t LineBytes() const { return FLineBytes; }

    // Hands every row of cells, bands one after another, to Write at its offset in the cell file.
    bool Decode(const TWrite& Write);

private:
    bool Refuse(std::string Reason);
    bool DescribeSamples();
    bool DecodeScanlines(const TWrite& Write);
    bool DecodeTiles(const TWrite& Write);
    // Bytes of a row of Samples samples as the file stores them.
    std::uint64_t StoredRowBytes(std::uint64_t Samples) const;
    // The cells of Rows rows of Samples samples as read into Stored: Stored itself, or the samples
    // widened into Widened where they are packed.
    unsigned char* CellsOf(std::vector<unsigned char>& Stored, std::uint64_t Samples, std::uint32_t Rows,
                           std::vector<unsigned char>& Widened) const;
    // What failed, with libtiff's own first error when it gave one.
    bool LibTiffFailed(const std::string& What);
    // Where white is zero, the brightest value of an unsigned cell is black (packed samples are
    // turned round as they are widened).
    void Brighten(unsigned char* Bytes, std::uint64_t Count) const;

    std::string FReason;
    std::string FLibTiffError;
    TIFF* FTiff = nullptr;
    std::uint32_t FWidth = 0;
    std::uint32_t FHeight = 0;
    std::uint16_t FSamples = 1;
    bool FSeparate = false;                  // one plane per sample
    bool FInvert = false;                    // white is zero in unsigned cells of whole bytes
    TPackedSamples FPacked;                  // samples that are not whole cells
    std::vector<std::uint16_t> FBandSamples; // the sample of each band: every sample but alpha
    std::uint8_t FCellType = ctUnknown;
    std::size_t FCellBytes = 0;
    std::uint64_t FLineBytes = 0;
};

bool TTiffDecoder::Refuse(std::string Reason) {
    if (FReason.empty()) FReason = std::move(Reason);
    return false;
}

bool TTiffDecoder::Open(const std::string& FileName) {
    // "m": read with read() rather than mapping the file, so its pages do not add to the memory in use.
    FTiff = OpenTiff(FileName, "rm", FLibTiffError, static_cast<tmsize_t>(MaxStepBytes));
    if (!FTiff) return LibTiffFailed("libtiff cannot open it");
    if (!TIFFGetField(FTiff, TIFFTAG_IMAGEWIDTH, &FWidth) ||
        !TIFFGetField(FTiff, TIFFTAG_IMAGELENGTH, &FHeight) || FWidth == 0 || FHeight == 0 ||
        FWidth > std::numeric_limits<std::int32_t>::max() ||
        FHeight > std::numeric_limits<std::int32_t>::max())
        return Refuse("Image size out of range");
    if (!DescribeSamples()) return false;
    const std::uint64_t LineBytes = std::uint64_t{FWidth} * Bands() * FCellBytes;
    if (LineBytes > TMapByte::MaxViewBytes)
        return Refuse("a row of " + std::to_string(LineBytes) + " bytes is longer than a view of the cells");
    FLineBytes = LineBytes;
    return true;
}

bool TTiffDecoder::DescribeSamples() {
    std::uint16_t Photometric = PHOTOMETRIC_MINISBLACK, Compression = COMPRESSION_NONE, Planar = 0;
    std::uint16_t Bits = 0, Format = 0, ExtraCount = 0;
    std::uint16_t* Extra = nullptr;
    TIFFGetField(FTiff, TIFFTAG_PHOTOMETRIC, &Photometric);
    TIFFGetFieldDefaulted(FTiff, TIFFTAG_COMPRESSION, &Compression);
    TIFFGetFieldDefaulted(FTiff, TIFFTAG_SAMPLESPERPIXEL, &FSamples);
    TIFFGetFieldDefaulted(FTiff, TIFFTAG_PLANARCONFIG, &Planar);
    TIFFGetFieldDefaulted(FTiff, TIFFTAG_BITSPERSAMPLE, &Bits);
    TIFFGetFieldDefaulted(FTiff, TIFFTAG_SAMPLEFORMAT, &Format);
    TIFFGetFieldDefaulted(FTiff, TIFFTAG_EXTRASAMPLES, &ExtraCount, &Extra);
    // JPEG images in YCbCr come out of the codec as RGB when asked to.
    if (Photometric == PHOTOMETRIC_YCBCR && Compression == COMPRESSION_JPEG &&
        TIFFSetField(FTiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB))
        Photometric = PHOTOMETRIC_RGB;
    if (Photometric > PHOTOMETRIC_RGB) return Refuse("Not greyScale or RGB");
    FInvert = Photometric == PHOTOMETRIC_MINISWHITE && Format == SAMPLEFORMAT_UINT;
    FSeparate = Planar == PLANARCONFIG_SEPARATE;

    if (Format == SAMPLEFORMAT_UINT && Bits > 0 && Bits < 16 && Bits != 8) {
        FPacked = TPackedSamples(Bits, FInvert);
        FInvert = false;
        FCellType = FPacked.CellType();
    } else {
        FCellType = Format <= SAMPLEFORMAT_IEEEFP ? CellTypeOfSample(Bits, Format) : std::uint8_t{ctUnknown};
    }
    FCellBytes = static_cast<std::size_t>(CellBytes(FCellType));
    if (FCellBytes == 0 || FCellType == ctUnknown)
        return Refuse("Bit type not supported: " + std::to_string(Bits) + "-bit samples of format " +
                      std::to_string(Format));
    const std::uint16_t FirstExtra = FSamples - std::min(ExtraCount, FSamples);
    for (std::uint16_t Sample = 0; Sample < FSamples; ++Sample)
        if (Sample < FirstExtra || !IsAlphaSample(Extra[Sample - FirstExtra])) FBandSamples.push_back(Sample);
    if (FBandSamples.empty()) return Refuse("the image holds only alpha samples");
    return true;
}

TGeoTiffTags TTiffDecoder::GeoTiffTags() const {
    TGeoTiffTags Tags;
    std::uint32_t Count = 0;
    double* Values = nullptr;
    if (TIFFGetField(FTiff, tagModelPixelScale, &Count, &Values) == 1) {
        Tags.HasScale = true;
        if (Count >= 2 && Values) std::copy_n(Values, 2, Tags.Scale.begin());
    }
    if (TIFFGetField(FTiff, tagModelTiePoint, &Count, &Values) == 1 && Count >= 6 && Values) {
        Tags.HasTiePoint = true;
        std::copy_n(Values, 6, Tags.TiePoint.begin());
    }
    std::uint16_t* Keys = nullptr;
    if (TIFFGetField(FTiff, tagGeoKeyDirectoryId, &Count, &Keys) == 1 && Keys && Count <= MaxGeoParams)
        Tags.KeyDirectory.assign(Keys, Keys + Count);
    if (TIFFGetField(FTiff, tagGeoDoubleParamsId, &Count, &Values) == 1 && Values && Count <= MaxGeoParams)
        Tags.KeyDoubles.assign(Values, Values + Count);
    if (const char* Text = nullptr; TIFFGetField(FTiff, tagGeoAsciiParamsId, &Text) == 1 && Text)
        Tags.KeyAscii.assign(Text, strnlen(Text, MaxGeoParams));
    if (const char* Text = nullptr; TIFFGetField(FTiff, tagGdalNoData, &Text) == 1 && Text)
        Tags.NoData.assign(Text, strnlen(Text, MaxGeoParams));
    return Tags;
}

bool TTiffDecoder::Decode(const TWrite& Write) {
    return TIFFIsTiled(FTiff) ? DecodeTiles(Write) : DecodeScanlines(Write);
}

bool TTiffDecoder::LibTiffFailed(const std::string& What) {
    return Refuse(FLibTiffError.empty() ? What : What + ": " + FLibTiffError);
}

void TTiffDecoder::Brighten(unsigned char* Bytes, std::uint64_t Count) const {
    if (!FInvert) return;
    for (std::uint64_t Byte = 0; Byte < Count; ++Byte)
        Bytes[Byte] = static_cast<unsigned char>(~Bytes[Byte]);
}

std::uint64_t TTiffDecoder::StoredRowBytes(std::uint64_t Samples) const {
    return FPacked ? FPacked.RowBytes(Samples) : Samples * FCellBytes;
}

unsigned char* TTiffDecoder::CellsOf(std::vector<unsigned char>& Stored, std::uint64_t Samples,
                                     std::uint32_t Rows, std::vector<unsigned char>& Widened) const {
    if (!FPacked) return Stored.data();
    const std::uint64_t RowBytes = Samples * FCellBytes;
    Widened.resize(RowBytes * Rows);
    for (std::uint32_t Row = 0; Row < Rows; ++Row)
        FPacked.Widen(Stored.data() + Row * StoredRowBytes(Samples), Samples,
                      Widened.data() + Row * RowBytes);
    return Widened.data();
}

// Strips row by row: libtiff reads a long strip in parts, so a single strip of a large image does
// not have to fit in memory.
bool TTiffDecoder::DecodeScanlines(const TWrite& Write) {
    const std::size_t BandBytes = std::size_t{FWidth} * FCellBytes;
    const std::uint64_t RowSamples = FSeparate ? FWidth : std::uint64_t{FWidth} * FSamples;
    const std::uint64_t StoredBytes = StoredRowBytes(RowSamples);
    if (static_cast<std::uint64_t>(TIFFScanlineSize64(FTiff)) != StoredBytes)
        return Refuse("rows of " + std::to_string(TIFFScanlineSize64(FTiff)) + " bytes instead of " +
                      std::to_string(StoredBytes));
    std::vector<unsigned char> Stored(StoredBytes);
    std::vector<unsigned char> Widened;
    std::vector<unsigned char> Row(FLineBytes);
    unsigned char* Scanline = nullptr;
    const auto Read = [&](std::uint32_t Line, std::uint16_t Sample) {
        if (TIFFReadScanline(FTiff, Stored.data(), Line, Sample) != 1)
            return LibTiffFailed("row " + std::to_string(Line) + " cannot be decoded");
        Scanline = CellsOf(Stored, RowSamples, 1, Widened);
        return true;
    };
    if (FSeparate) {
        for (std::size_t Band = 0; Band < FBandSamples.size(); ++Band)
            for (std::uint32_t Line = 0; Line < FHeight; ++Line) {
                if (!Read(Line, FBandSamples[Band])) return false;
                Brighten(Scanline, BandBytes);
                if (!Write(Scanline, BandBytes, Line * FLineBytes + Band * BandBytes)) return false;
            }
        return true;
    }
    for (std::uint32_t Line = 0; Line < FHeight; ++Line) {
        if (!Read(Line, 0)) return false;
        for (std::size_t Band = 0; Band < FBandSamples.size(); ++Band)
            GatherCells(Scanline + FBandSamples[Band] * FCellBytes, FSamples * FCellBytes,
                        Row.data() + Band * BandBytes, FWidth, FCellBytes);
        Brighten(Row.data(), FLineBytes);
        if (!Write(Row.data(), FLineBytes, Line * FLineBytes)) return false;
    }
    return true;
}

// One row of tiles at a time; edge tiles are stored whole and cut to the image here.
bool TTiffDecoder::DecodeTiles(const TWrite& Write) {
    std::uint32_t TileWidth = 0, TileLength = 0;
    TIFFGetField(FTiff, TIFFTAG_TILEWIDTH, &TileWidth);
    TIFFGetField(FTiff, TIFFTAG_TILELENGTH, &TileLength);
    const std::uint64_t TileRowSamples = std::uint64_t{TileWidth} * (FSeparate ? 1 : FSamples);
    const std::size_t CellStride = FSeparate ? FCellBytes : FCellBytes * FSamples;
    const std::uint64_t StoredBytes = StoredRowBytes(TileRowSamples) * TileLength;
    const std::uint64_t TileBytes = TileRowSamples * TileLength * FCellBytes;
    if (TileWidth == 0 || TileLength == 0 || static_cast<std::uint64_t>(TIFFTileSize64(FTiff)) != StoredBytes)
        return Refuse("tiles of " + std::to_string(TIFFTileSize64(FTiff)) + " bytes do not match their size");
    const std::uint64_t RowsBytes = std::min(TileLength, FHeight) * FLineBytes;
    if (TileBytes > MaxStepBytes || RowsBytes > MaxStepBytes)
        return Refuse("tiles of " + std::to_string(TileWidth) + " x " + std::to_string(TileLength) +
                      " cells are too large to decode");
    std::vector<unsigned char> Stored(StoredBytes);
    std::vector<unsigned char> Widened;
    std::vector<unsigned char> Rows(RowsBytes);
    const std::size_t Planes = FSeparate ? FBandSamples.size() : 1;
    for (std::uint32_t Top = 0; Top < FHeight; Top += TileLength) {
        const std::uint32_t Lines = std::min(TileLength, FHeight - Top);
        for (std::size_t Plane = 0; Plane < Planes; ++Plane)
            for (std::uint32_t Left = 0; Left < FWidth; Left += TileWidth) {
                const std::uint16_t Sample = FSeparate ? FBandSamples[Plane] : 0;
                const ttile_t Index = TIFFComputeTile(FTiff, Left, Top, 0, Sample);
                if (TIFFReadEncodedTile(FTiff, Index, Stored.data(), static_cast<tmsize_t>(StoredBytes)) !=
                    static_cast<tmsize_t>(StoredBytes))
                    return LibTiffFailed("tile " + std::to_string(Index) + " cannot be decoded");
                const unsigned char* Tile = CellsOf(Stored, TileRowSamples, Lines, Widened);
                const std::uint32_t Cells = std::min(TileWidth, FWidth - Left);
                for (std::uint32_t Line = 0; Line < Lines; ++Line) {
                    const unsigned char* From = Tile + std::uint64_t{Line} * TileWidth * CellStride;
                    unsigned char* To = Rows.data() + Line * FLineBytes + std::uint64_t{Left} * FCellBytes;
                    const std::size_t BandBytes = std::size_t{FWidth} * FCellBytes;
                    if (FSeparate)
                        GatherCells(From, CellStride, To + Plane * BandBytes, Cells, FCellBytes);
                    else
                        for (std::size_t Band = 0; Band < FBandSamples.size(); ++Band)
                            GatherCells(From + FBandSamples[Band] * FCellBytes, CellStride,
                                        To + Band * BandBytes, Cells, FCellBytes);
                }
            }
        Brighten(Rows.data(), Lines * FLineBytes);
        if (!Write(Rows.data(), Lines * FLineBytes, Top * FLineBytes)) return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------------
// TLibTiffMap2

TLibTiffMap2::TLibTiffMap2() {
    Record().FControlPoints = std::make_unique<TGCPList>();
}

TLibTiffMap2::~TLibTiffMap2() {
    CloseFile(); // the mapping goes before its file
}

bool TLibTiffMap2::OpenMap(const std::string& FileName, std::int32_t, std::int32_t, std::uint8_t,
                           std::int32_t, std::uint8_t Mode) {
    if (Mode != omRead) {
        FImageName = FileName;
        return Fail("compressed, tiled and BigTIFF images are only read");
    }
    return Open(FileName, true);
}

bool TLibTiffMap2::OpenMapRead(const std::string& FileName) {
    return Open(FileName, false);
}

bool TLibTiffMap2::Open(const std::string& FileName, bool Decode) {
    FImageName = FileName;
    SetFileName(FileName);
    FMode = omRead;
    FPlacement = {};
    if (std::string Problem; !FPlacement.LoadSideFiles(*this, Problem)) return Fail(Problem);
    TTiffDecoder Decoder;
    if (!Decoder.Open(FileName)) return Fail(Decoder.Reason());
    FPlacement.Tags = Decoder.GeoTiffTags();
    FPlacement.Apply(*this);
    FFileMSBFirst = Decoder.MSBFirst();
    FColumns = Decoder.Width();
    FRows = Decoder.Height();
    FBands = Decoder.Bands();
    FCellType = Decoder.CellType();
    FLineSize = Decoder.LineBytes();
    return !Decode || DecodeCells(Decoder);
}

bool TLibTiffMap2::DecodeCells(TTiffDecoder& Decoder) {
    const std::uint64_t Size = Decoder.LineBytes() * Decoder.Height();
    const auto SystemReason = [](const std::string& What, int Code) {
        return What + ": " + std::generic_category().message(Code);
    };
    if (const int Error = FCells.Create("vortane-tiff-"); Error != 0)
        return Fail(SystemReason("cannot create a temporary cell file", Error));
    const int Fd = FCells.Descriptor();
    const int SizeError = ::ftruncate(Fd, static_cast<off_t>(Size)) == 0 ? 0 : errno;
    if (const int Error = SizeError != 0 ? SizeError : ReserveSpace(Fd, Size); Error != 0)
        return Fail(SystemReason(
            "no room for its " + std::to_string(Size) + " bytes of cells in " + FCells.Name(), Error));
    std::string WriteReason;
    const bool Decoded =
        Decoder.Decode([&](const unsigned char* Bytes, std::uint64_t Count, std::uint64_t Offset) {
            const int Error = FCells.WriteAt(Bytes, Count, Offset);
            if (Error != 0) WriteReason = SystemReason("cannot write " + FCells.Name(), Error);
            return Error == 0;
        });
    if (!Decoded) return Fail(WriteReason.empty() ? Decoder.Reason() : WriteReason);
    FCells.Close();
    if (!OpenGrid(FCells.Name(), Decoder.Width(), Decoder.Height(), Decoder.CellType(), Decoder.Bands(),
                  omRead, false))
        return Fail(ErrorText());
    return true;
}

bool TLibTiffMap2::Fail(const std::string& Reason) {
    CloseFile();
    FCells.Remove();
    return OwnError("Cannot read TIFF image " + FImageName + ": " + Reason);
}

TGridShape TLibTiffMap2::Shape() const {
    return MappedShape(FFileMSBFirst);
}

void TLibTiffMap2::SetGeoreference(const std::string& Spheroid, const std::string& Datum,
                                   const std::string& Projection, double CellSizeX, double CellSizeY,
                                   double RegCellX, double RegCellY, double Easting, double Northing) {
    SetWorldGeoreference(*this, Spheroid, Datum, Projection, CellSizeX, CellSizeY, RegCellX, RegCellY,
                         Easting, Northing);
}

std::vector<std::string> TLibTiffMap2::ImageFiles() const {
    return TiffImageFiles(FImageName);
}

} // namespace vortane
