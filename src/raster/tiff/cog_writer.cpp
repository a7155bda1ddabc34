#include "raster/tiff/cog_writer.hpp"

#include "raster/cell_codec.hpp"
#include "raster/tiff/tiff_directory.hpp"
#include "raster/tiff/tiff_placement.hpp"
#include "raster/tiff/tiff_tags.hpp"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <system_error>
#include <type_traits>
#include <unistd.h>

namespace vortane {

namespace {

template <std::uint8_t CellType> auto NativeCell() {
    if constexpr (CellType == ctUnsigned8)
        return std::uint8_t{};
    else if constexpr (CellType == ctSigned8)
        return std::int8_t{};
    else if constexpr (CellType == ctSigned16)
        return std::int16_t{};
    else if constexpr (CellType == ctUnsigned16)
        return std::uint16_t{};
    else if constexpr (CellType == ctSigned32)
        return std::int32_t{};
    else if constexpr (CellType == ctUnsigned32)
        return std::uint32_t{};
    else if constexpr (CellType == ctFloat32)
        return float{};
    else
        return double{};
}

// Cells in the byte order of this machine, which is the order libtiff takes them in.
template <typename T>
void HalveRowsAs(std::uint32_t Columns, std::uint32_t Bands, const unsigned char* Upper,
                 const unsigned char* Lower, unsigned char* Out, const std::optional<double>& NoData) {
    const auto Cell = [Bands](const unsigned char* Row, std::uint64_t Col, std::uint32_t Band) {
        T Value;
        std::memcpy(&Value, Row + (Col * Bands + Band) * sizeof(T), sizeof(T));
        return Value;
    };
    std::uint64_t Col = 0;
    if constexpr (std::is_unsigned_v<T>)
        if (!NoData && Lower) // four cells each: their mean rounded half up, in integers
            for (; 2 * Col + 1 < Columns; ++Col)
                for (std::uint32_t Band = 0; Band < Bands; ++Band) {
                    const std::uint64_t Sum = std::uint64_t{Cell(Upper, 2 * Col, Band)} +
                                              Cell(Upper, 2 * Col + 1, Band) + Cell(Lower, 2 * Col, Band) +
                                              Cell(Lower, 2 * Col + 1, Band);
                    const auto Value = static_cast<T>((Sum + 2) / 4);
                    std::memcpy(Out + (Col * Bands + Band) * sizeof(T), &Value, sizeof(T));
                }
    for (; 2 * Col < Columns; ++Col)
        for (std::uint32_t Band = 0; Band < Bands; ++Band) {
            double Sum = 0;
            int Count = 0;
            for (const unsigned char* Row : {Upper, Lower})
                for (std::uint64_t From = 2 * Col;
                     Row && From < std::min<std::uint64_t>(2 * Col + 2, Columns); ++From)
                    if (const T Value = Cell(Row, From, Band); !NoData || double(Value) != *NoData) {
                        Sum += double(Value);
                        ++Count;
                    }
            // No cell left means every one equalled NoData, so the cell type holds it.
            const double Mean = Count == 0 ? *NoData : Sum / Count;
            T Value;
            if constexpr (std::is_integral_v<T>)
                Value = static_cast<T>(std::floor(Mean + 0.5));
            else
                Value = static_cast<T>(Mean);
            std::memcpy(Out + (Col * Bands + Band) * sizeof(T), &Value, sizeof(T));
        }
}

int WriteAll(int Fd, const unsigned char* Bytes, std::size_t Count) {
    while (Count > 0) {
        const ssize_t Written = ::write(Fd, Bytes, Count);
        if (Written < 0 && errno == EINTR) continue;
        if (Written < 0) return errno;
        if (Written == 0) return EIO;
        Bytes += Written;
        Count -= static_cast<std::size_t>(Written);
    }
    return 0;
}

// A closed level file opened again for its encoded tiles.
struct TEncodedLevel {
    ~TEncodedLevel() {
        if (Tiff) TIFFClose(Tiff);
    }
    TIFF* Tiff = nullptr;
    std::string Error;
    std::vector<std::uint64_t> Counts; // bytes of each tile, in row-major order
    std::vector<unsigned char> JpegTables;
};

// The directory of one level: its storage, and for the full image where it lies.
void DescribeLevel(TTiffDirectory& Directory, const TTiffGrid& Grid, const TTiffStorage& Storage,
                   bool Overview, const TEncodedLevel& Encoded) {
    const std::vector<std::uint16_t> PerBand(Grid.Bands, 0);
    const auto ForEachBand = [&](std::uint16_t Value) {
        return std::vector<std::uint16_t>(PerBand.size(), Value);
    };
    if (Overview) Directory.Longs(tagNewSubfileType, {1});
    Directory.Longs(tagImageWidth, {Grid.Columns});
    Directory.Longs(tagImageLength, {Grid.Rows});
    Directory.Shorts(tagBitsPerSample, ForEachBand(static_cast<std::uint16_t>(8 * CellBytes(Grid.CellType))));
    Directory.Shorts(tagCompression, {Storage.Compression});
    Directory.Shorts(tagPhotometric, {Storage.Photometric});
    Directory.Shorts(tagSamplesPerPixel, {static_cast<std::uint16_t>(Grid.Bands)});
    Directory.Shorts(tagPlanarConfig, {PLANARCONFIG_CONTIG});
    if (Storage.Predictor != PREDICTOR_NONE) Directory.Shorts(tagPredictor, {Storage.Predictor});
    Directory.Longs(tagTileWidth, {Storage.TileSize});
    Directory.Longs(tagTileLength, {Storage.TileSize});
    Directory.Offsets(tagTileOffsets, std::vector<std::uint64_t>(Encoded.Counts.size(), 0));
    Directory.Offsets(tagTileByteCounts, Encoded.Counts);
    if (Storage.Alpha) Directory.Shorts(tagExtraSamples, {EXTRASAMPLE_UNASSALPHA});
    Directory.Shorts(tagSampleFormat, ForEachBand(SampleFormatOf(Grid.CellType)));
    if (!Encoded.JpegTables.empty()) Directory.Undefined(tagJpegTables, Encoded.JpegTables);
}

void DescribeImage(TTiffDirectory& Directory, const TTiffImageTags& Tags) {
    const TGeoTiffPlacementTags& P = Tags.Placement;
    Directory.Doubles(tagModelPixelScale, {P.Scale.begin(), P.Scale.end()});
    Directory.Doubles(tagModelTiePoint, {P.TiePoint.begin(), P.TiePoint.end()});
    if (!P.Keys.Directory.empty()) Directory.Shorts(tagGeoKeyDirectoryId, P.Keys.Directory);
    if (!P.Keys.Doubles.empty()) Directory.Doubles(tagGeoDoubleParamsId, P.Keys.Doubles);
    if (!P.Keys.Ascii.empty())
        Directory.Ascii(tagGeoAsciiParamsId, P.Keys.Ascii.substr(0, P.Keys.Ascii.size() - 1));
    if (Tags.NoData) Directory.Ascii(tagGdalNoData, NoDataTagText(*Tags.NoData));
}

} // namespace

void HalveRows(const TTiffGrid& Grid, const unsigned char* Upper, const unsigned char* Lower,
               unsigned char* Out, const std::optional<double>& NoData) {
    ForCellType(Grid.CellType, [&](auto Type) {
        HalveRowsAs<decltype(NativeCell<decltype(Type)::value>())>(Grid.Columns, Grid.Bands, Upper, Lower,
                                                                   Out, NoData);
    });
}

struct TCogWriter::TLevel {
    TTiffGrid Grid;
    TTempFile File;
    TTiffImageOut Out;
    TBlockRows Pending; // the block being halved into from the level above (not for the full image)
};

TCogWriter::TCogWriter() = default;

TCogWriter::~TCogWriter() {
    if (FOutFd >= 0) ::close(FOutFd);
}

bool TCogWriter::Fail(const std::string& Reason) {
    if (FFailure.empty()) FFailure = Reason;
    return false;
}

bool TCogWriter::Open(const std::string& OutName, const TTiffGrid& Grid, const TTiffStorage& Storage,
                      std::optional<double> NoData) {
    FOutName = OutName;
    FStorage = Storage;
    FNoData = NoData;
    FOutFd = ::open(OutName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (FOutFd < 0) return Fail("Cannot create " + OutName + ": " + std::system_category().message(errno));
    const std::filesystem::path Path(OutName);
    const std::string Folder = Path.has_parent_path() ? Path.parent_path().string() : ".";
    std::vector<TTiffStorage::TLevel> Sizes{{Grid.Columns, Grid.Rows}};
    Sizes.insert(Sizes.end(), Storage.Overviews.begin(), Storage.Overviews.end());
    for (std::size_t Index = 0; Index < Sizes.size(); ++Index) {
        auto Level = std::make_unique<TLevel>();
        Level->Grid = Grid;
        Level->Grid.Columns = Sizes[Index].Columns;
        Level->Grid.Rows = Sizes[Index].Rows;
        // Appended piece by piece: g++ 12 warns wrongly about "." + a temporary string (-Wrestrict).
        std::string Prefix(1, '.');
        Prefix.append(Path.filename().string()).append(".level").append(std::to_string(Index)).append("-");
        if (const int Error = Level->File.CreateIn(Folder, Prefix); Error != 0)
            return Fail("Cannot create a temporary file beside " + OutName + ": " +
                        std::system_category().message(Error));
        Level->File.Close();
        if (!Level->Out.Open(Level->File.Name(), Level->Grid, Storage)) return Fail(Level->Out.Failure());
        Level->Pending.Start(Level->Grid.Rows, Storage.TileSize, Level->Grid.RowBytes());
        FLevels.push_back(std::move(Level));
    }
    return true;
}

bool TCogWriter::TakeBlock(std::uint32_t First, const unsigned char* Rows, std::uint32_t Count) {
    return FFailure.empty() && !FLevels.empty() && Feed(0, First, Rows, Count);
}

bool TCogWriter::Feed(std::size_t Level, std::uint32_t First, const unsigned char* Rows,
                      std::uint32_t Count) {
    TLevel& This = *FLevels[Level];
    if (!This.Out.WriteBlock(First, Rows, Count)) return Fail(This.Out.Failure());
    if (Level + 1 == FLevels.size()) return true;
    TLevel& Next = *FLevels[Level + 1];
    const std::uint64_t RowBytes = This.Grid.RowBytes();
    // Blocks start on even rows (tiles have an even size), so pairs of rows never straddle two blocks.
    for (std::uint32_t Row = 0; Row < Count; Row += 2) {
        const std::uint32_t Target = (First + Row) / 2;
        while (!Next.Pending.Holds(Target)) {
            if (Next.Pending.Done() ||
                !Feed(Level + 1, Next.Pending.First(), Next.Pending.Data(), Next.Pending.Count()))
                return Fail("Overview rows out of order");
            Next.Pending.Next();
        }
        HalveRows(This.Grid, Rows + Row * RowBytes, Row + 1 < Count ? Rows + (Row + 1) * RowBytes : nullptr,
                  Next.Pending.Row(Target), FNoData);
    }
    return true;
}

bool TCogWriter::Finish(const TTiffImageTags& Tags) {
    if (!FFailure.empty()) return false;
    for (std::size_t Level = 1; Level < FLevels.size(); ++Level) {
        TBlockRows& Pending = FLevels[Level]->Pending;
        for (; !Pending.Done(); Pending.Next())
            if (!Feed(Level, Pending.First(), Pending.Data(), Pending.Count())) return false;
    }
    for (const auto& Level : FLevels)
        if (!Level->Out.Close()) return Fail(Level->Out.Failure());
    return Assemble(Tags);
}

bool TCogWriter::Assemble(const TTiffImageTags& Tags) {
    std::vector<std::unique_ptr<TEncodedLevel>> Encoded;
    std::uint64_t DataBytes = 0;
    for (const auto& Level : FLevels) {
        auto& Read = *Encoded.emplace_back(std::make_unique<TEncodedLevel>());
        Read.Tiff = OpenTiff(Level->File.Name(), "rm", Read.Error);
        if (!Read.Tiff) return Fail("Cannot read back the tiles of " + FOutName + ": " + Read.Error);
        for (std::uint32_t Tile = 0; Tile < TIFFNumberOfTiles(Read.Tiff); ++Tile)
            DataBytes += Read.Counts.emplace_back(TIFFGetStrileByteCount(Read.Tiff, Tile));
        std::uint32_t TableBytes = 0;
        void* Tables = nullptr;
        if (TIFFGetField(Read.Tiff, TIFFTAG_JPEGTABLES, &TableBytes, &Tables) && Tables)
            Read.JpegTables.assign(static_cast<unsigned char*>(Tables),
                                   static_cast<unsigned char*>(Tables) + TableBytes);
    }
    // The sizes of the encoded tiles are known now: BigTIFF exactly when 32-bit offsets would not do.
    const auto Describe = [&](bool BigTiff) {
        TTiffDirectories Directories(BigTiff);
        for (std::size_t Level = 0; Level < FLevels.size(); ++Level) {
            TTiffDirectory& Directory = Directories.Add();
            DescribeLevel(Directory, FLevels[Level]->Grid, FStorage, Level > 0, *Encoded[Level]);
            if (Level == 0) DescribeImage(Directory, Tags);
        }
        return Directories;
    };
    TTiffDirectories Directories = Describe(FStorage.BigTiff);
    if (!FStorage.BigTiff && Directories.Size() + DataBytes > 0xFFFFFFFFull) Directories = Describe(true);

    // The tiles from the smallest overview to the full image, each level's in row-major order.
    std::uint64_t At = Directories.Size();
    for (std::size_t Level = FLevels.size(); Level-- > 0;) {
        std::vector<std::uint64_t> Offsets;
        for (const std::uint64_t Count : Encoded[Level]->Counts) {
            Offsets.push_back(At);
            At += Count;
        }
        Directories.At(Level).SetOffsets(tagTileOffsets, Offsets);
    }
    const auto WriteFailed = [&](int Error) {
        return Fail("Cannot write " + FOutName + ": " + std::system_category().message(Error));
    };
    const std::vector<unsigned char> Start = Directories.Bytes();
    if (const int Error = WriteAll(FOutFd, Start.data(), Start.size()); Error != 0) return WriteFailed(Error);
    std::vector<unsigned char> Bytes;
    for (std::size_t Level = FLevels.size(); Level-- > 0;) {
        const TEncodedLevel& Read = *Encoded[Level];
        for (std::uint32_t Tile = 0; Tile < Read.Counts.size(); ++Tile) {
            Bytes.resize(Read.Counts[Tile]);
            const auto Size = static_cast<tmsize_t>(Bytes.size());
            if (TIFFReadRawTile(Read.Tiff, Tile, Bytes.data(), Size) != Size)
                return Fail("Cannot read back tile " + std::to_string(Tile) + " of " + FOutName + ": " +
                            Read.Error);
            if (const int Error = WriteAll(FOutFd, Bytes.data(), Bytes.size()); Error != 0)
                return WriteFailed(Error);
        }
    }
    const int Fd = FOutFd;
    FOutFd = -1;
    return ::close(Fd) == 0 || WriteFailed(errno);
}

} // namespace vortane
