#include "raster/codecs/wavelet_codec.hpp"

#include "raster/codecs/wavelet_transform.hpp"
#include "text/mapped_file.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <zlib.h>

namespace vortane::wavelet {

namespace {

// File layout, all numbers little-endian (docs/ecw-format.md).
constexpr std::array<unsigned char, 4> Tag = {'V', 'T', 'W', 'V'};
constexpr std::uint16_t Version = 1;
constexpr std::size_t OffTag = 4, OffVersion = 8, OffBands = 10, OffSizeX = 12, OffSizeY = 16,
                      OffIncrementX = 20, OffIncrementY = 28, OffOriginX = 36, OffOriginY = 44,
                      OffBlockX = 52, OffBlockY = 56, OffLevels = 60, OffFormat = 61, OffHint = 62,
                      OffUnits = 63, OffRatio = 64;
constexpr std::size_t HeaderBytes = 72;
constexpr std::size_t TableEntryBytes = 16; // offset (64 bits), compressed bytes, coefficient bytes

constexpr int Levels = 5;    // a 64-cell block side ends in 2 low-pass cells
constexpr int MaxLevels = 8; // deeper levels could overflow the inverse on corrupt coefficients
constexpr std::uint32_t MaxBlockSide = 4096;
constexpr std::size_t MaxVarintBytes = 5; // coefficients of 8-bit cells fit 32 bits after zigzag
// Deflate expands at most about 1032 : 1, so a chunk's coefficients cannot be far more numerous than
// its compressed bytes: this bounds every allocation by the file's size.
constexpr std::uint64_t MaxInflation = 1100;
constexpr std::uint64_t InflationSlack = 64;

const char* const ErrorTexts[] = {
    "No Error",
    "Out of memory",
    "File open failed",
    "File read error",
    "File write error",
    "not a Vortane wavelet file",
    "Corrupt wavelet file",
    "Invalid parameter",
    "Invalid view: only all bands at full resolution over the whole image",
    "No more lines in the view",
    "Unsupported version of the Vortane wavelet format",
    "The line callback failed",
    "Compression cancelled",
};

template <typename T> void Put(unsigned char* Bytes, T Value) {
    const auto Bits = std::bit_cast<std::array<unsigned char, sizeof(T)>>(Value);
    static_assert(std::endian::native == std::endian::little, "the file layout is little-endian");
    std::memcpy(Bytes, Bits.data(), sizeof(T));
}

template <typename T> T Get(const unsigned char* Bytes) {
    std::array<unsigned char, sizeof(T)> Bits{};
    std::memcpy(Bits.data(), Bytes, sizeof(T));
    return std::bit_cast<T>(Bits);
}

struct TLayout {
    TFileInfo Info;
    std::uint32_t BlockX = 64;
    std::uint32_t BlockY = 64;
    std::uint8_t Levels = wavelet::Levels;
    std::uint8_t Format = 0, Hint = 0, Units = 0;
    float Ratio = 1;

    std::uint32_t Strips() const { return (Info.SizeY + BlockY - 1) / BlockY; }
    std::uint32_t StripRows(std::uint32_t Strip) const {
        return std::min(BlockY, Info.SizeY - Strip * BlockY);
    }
    std::uint64_t TableEnd() const {
        return HeaderBytes + std::uint64_t{Strips()} * Info.Bands * TableEntryBytes;
    }
};

struct TChunk {
    std::uint64_t Offset = 0;
    std::uint32_t Compressed = 0;   // deflated bytes in the file
    std::uint32_t Coefficients = 0; // bytes of the coefficient stream they inflate to
};

std::array<unsigned char, HeaderBytes> HeaderImage(const TLayout& Layout) {
    std::array<unsigned char, HeaderBytes> Bytes{};
    std::copy(Magic.begin(), Magic.end(), Bytes.begin());
    std::copy(Tag.begin(), Tag.end(), Bytes.begin() + OffTag);
    Put(&Bytes[OffVersion], Version);
    Put(&Bytes[OffBands], Layout.Info.Bands);
    Put(&Bytes[OffSizeX], Layout.Info.SizeX);
    Put(&Bytes[OffSizeY], Layout.Info.SizeY);
    Put(&Bytes[OffIncrementX], Layout.Info.CellIncrementX);
    Put(&Bytes[OffIncrementY], Layout.Info.CellIncrementY);
    Put(&Bytes[OffOriginX], Layout.Info.OriginX);
    Put(&Bytes[OffOriginY], Layout.Info.OriginY);
    Put(&Bytes[OffBlockX], Layout.BlockX);
    Put(&Bytes[OffBlockY], Layout.BlockY);
    Bytes[OffLevels] = Layout.Levels;
    Bytes[OffFormat] = Layout.Format;
    Bytes[OffHint] = Layout.Hint;
    Bytes[OffUnits] = Layout.Units;
    Put(&Bytes[OffRatio], Layout.Ratio);
    return Bytes;
}

int ParseHeader(const unsigned char* Bytes, TLayout& Layout) {
    if (!std::equal(Magic.begin(), Magic.end(), Bytes) || !std::equal(Tag.begin(), Tag.end(), Bytes + OffTag))
        return weNotOurs;
    if (Get<std::uint16_t>(Bytes + OffVersion) != Version) return weUnsupportedVersion;
    Layout.Info.Bands = Get<std::uint16_t>(Bytes + OffBands);
    Layout.Info.SizeX = Get<std::uint32_t>(Bytes + OffSizeX);
    Layout.Info.SizeY = Get<std::uint32_t>(Bytes + OffSizeY);
    Layout.Info.CellIncrementX = Get<double>(Bytes + OffIncrementX);
    Layout.Info.CellIncrementY = Get<double>(Bytes + OffIncrementY);
    Layout.Info.OriginX = Get<double>(Bytes + OffOriginX);
    Layout.Info.OriginY = Get<double>(Bytes + OffOriginY);
    Layout.BlockX = Get<std::uint32_t>(Bytes + OffBlockX);
    Layout.BlockY = Get<std::uint32_t>(Bytes + OffBlockY);
    Layout.Levels = Bytes[OffLevels];
    Layout.Format = Bytes[OffFormat];
    Layout.Hint = Bytes[OffHint];
    Layout.Units = Bytes[OffUnits];
    Layout.Ratio = Get<float>(Bytes + OffRatio);
    const bool Valid = Layout.Info.Bands > 0 && Layout.Info.SizeX > 0 && Layout.Info.SizeY > 0 &&
                       Layout.BlockX > 0 && Layout.BlockX <= MaxBlockSide && Layout.BlockY > 0 &&
                       Layout.BlockY <= MaxBlockSide && Layout.Levels <= MaxLevels;
    return Valid ? weOk : weCorrupt;
}

// ---------------------------------------------------------------------------------------------------
// Coefficient streams: the blocks of one band of one strip, left to right, each block's coefficients
// row by row as zigzag varints (7 bits a byte, least significant first).

void AppendVarint(std::vector<unsigned char>& Out, TCoefficient Value) {
    auto Bits = (static_cast<std::uint64_t>(Value) << 1) ^ static_cast<std::uint64_t>(Value >> 63);
    while (Bits >= 0x80) {
        Out.push_back(static_cast<unsigned char>(Bits | 0x80));
        Bits >>= 7;
    }
    Out.push_back(static_cast<unsigned char>(Bits));
}

bool ReadVarint(const std::vector<unsigned char>& In, std::size_t& Position, TCoefficient& Value) {
    std::uint64_t Bits = 0;
    for (std::size_t Byte = 0; Byte < MaxVarintBytes && Position < In.size(); ++Byte) {
        const unsigned char Next = In[Position++];
        Bits |= std::uint64_t{Next & 0x7Fu} << (7 * Byte);
        if ((Next & 0x80) == 0) {
            Value = static_cast<TCoefficient>(Bits >> 1) ^ -static_cast<TCoefficient>(Bits & 1);
            return true;
        }
    }
    return false;
}

// Cells: SizeX x Rows bytes of one band.
std::vector<unsigned char> EncodeStripBand(const unsigned char* Cells, const TLayout& Layout,
                                           std::uint32_t Rows) {
    std::vector<unsigned char> Stream;
    std::vector<TCoefficient> Block;
    const std::uint32_t SizeX = Layout.Info.SizeX;
    for (std::uint32_t X0 = 0; X0 < SizeX; X0 += Layout.BlockX) {
        const std::uint32_t Width = std::min(Layout.BlockX, SizeX - X0);
        Block.resize(std::size_t{Width} * Rows);
        for (std::uint32_t Row = 0; Row < Rows; ++Row)
            std::copy_n(Cells + std::size_t{Row} * SizeX + X0, Width,
                        Block.begin() + std::size_t{Row} * Width);
        ForwardBlock(Block.data(), Width, Rows, Layout.Levels);
        for (const TCoefficient Value : Block)
            AppendVarint(Stream, Value);
    }
    return Stream;
}

int DecodeStripBand(const std::vector<unsigned char>& Stream, const TLayout& Layout, std::uint32_t Rows,
                    unsigned char* Cells) {
    std::size_t Position = 0;
    std::vector<TCoefficient> Block;
    const std::uint32_t SizeX = Layout.Info.SizeX;
    for (std::uint32_t X0 = 0; X0 < SizeX; X0 += Layout.BlockX) {
        const std::uint32_t Width = std::min(Layout.BlockX, SizeX - X0);
        Block.resize(std::size_t{Width} * Rows);
        for (TCoefficient& Value : Block)
            if (!ReadVarint(Stream, Position, Value)) return weCorrupt;
        InverseBlock(Block.data(), Width, Rows, Layout.Levels);
        for (std::uint32_t Row = 0; Row < Rows; ++Row)
            for (std::uint32_t Col = 0; Col < Width; ++Col) {
                const TCoefficient Value = Block[std::size_t{Row} * Width + Col];
                if (Value < 0 || Value > 255) return weCorrupt;
                Cells[std::size_t{Row} * SizeX + X0 + Col] = static_cast<unsigned char>(Value);
            }
    }
    return Position == Stream.size() ? weOk : weCorrupt;
}

int ReadAt(int Fd, std::uint64_t Offset, unsigned char* Buffer, std::size_t Count) {
    while (Count > 0) {
        const ssize_t Got = ::pread(Fd, Buffer, Count, static_cast<off_t>(Offset));
        if (Got < 0 && errno == EINTR) continue;
        if (Got <= 0) return weFileRead;
        Buffer += Got;
        Offset += static_cast<std::uint64_t>(Got);
        Count -= static_cast<std::size_t>(Got);
    }
    return weOk;
}

} // namespace

const char* GetErrorText(int Error) {
    constexpr int Count = static_cast<int>(std::size(ErrorTexts));
    return Error >= 0 && Error < Count ? ErrorTexts[Error] : "Unknown error";
}

// ---------------------------------------------------------------------------------------------------
// Reading

class TFileView {
public:
    int Open(const std::string& FileName);
    int Select(std::uint32_t BandCount, const std::uint32_t* BandList);
    int ReadLine(unsigned char* RGB);
    const TFileInfo& Info() const { return FLayout.Info; }

private:
    int CheckTable();
    int DecodeStrip(std::uint32_t Strip);

    TFileDescriptor FFile;
    std::uint64_t FFileSize = 0;
    TLayout FLayout;
    std::vector<TChunk> FChunks; // strip by strip, the bands of a strip in order
    std::vector<std::uint32_t> FBands;
    std::vector<std::vector<unsigned char>> FStrip; // decoded cells of the current strip, per selected band
    std::uint32_t FStripIndex = 0;
    bool FStripLoaded = false;
    std::uint32_t FNextLine = 0;
};

int TFileView::Open(const std::string& FileName) {
    if (FFile.Open(FileName, O_RDONLY | O_NONBLOCK) != 0) return weFileOpen;
    struct stat Status {};
    if (::fstat(FFile.Get(), &Status) != 0 || !S_ISREG(Status.st_mode)) return weFileOpen;
    FFileSize = static_cast<std::uint64_t>(Status.st_size);
    std::array<unsigned char, HeaderBytes> Header{};
    if (FFileSize < Magic.size() + Tag.size()) return weCorrupt;
    if (FFileSize < HeaderBytes) {
        // Short files may still carry another program's tag; tell the two apart.
        if (ReadAt(FFile.Get(), 0, Header.data(), Magic.size() + Tag.size()) != weOk) return weFileRead;
        return std::equal(Tag.begin(), Tag.end(), Header.begin() + OffTag) ? weCorrupt : weNotOurs;
    }
    if (ReadAt(FFile.Get(), 0, Header.data(), Header.size()) != weOk) return weFileRead;
    if (const int Error = ParseHeader(Header.data(), FLayout); Error != weOk) return Error;
    return CheckTable();
}

// Every chunk must lie after the table and inside the file, and inflate to a plausible stream for the
// cells of its strip (at least one byte and at most MaxVarintBytes per coefficient).
int TFileView::CheckTable() {
    const std::uint64_t TableEnd = FLayout.TableEnd();
    if (TableEnd > FFileSize) return weCorrupt;
    std::vector<unsigned char> Table(static_cast<std::size_t>(TableEnd - HeaderBytes));
    if (ReadAt(FFile.Get(), HeaderBytes, Table.data(), Table.size()) != weOk) return weFileRead;
    FChunks.resize(Table.size() / TableEntryBytes);
    for (std::size_t I = 0; I < FChunks.size(); ++I) {
        const unsigned char* Entry = Table.data() + I * TableEntryBytes;
        TChunk& Chunk = FChunks[I];
        Chunk = {Get<std::uint64_t>(Entry), Get<std::uint32_t>(Entry + 8), Get<std::uint32_t>(Entry + 12)};
        const auto Strip = static_cast<std::uint32_t>(I / FLayout.Info.Bands);
        const std::uint64_t Cells = std::uint64_t{FLayout.Info.SizeX} * FLayout.StripRows(Strip);
        const bool Inside = Chunk.Offset >= TableEnd && Chunk.Offset <= FFileSize &&
                            Chunk.Compressed <= FFileSize - Chunk.Offset;
        const bool Plausible = Chunk.Coefficients >= Cells && Chunk.Coefficients <= Cells * MaxVarintBytes &&
                               Chunk.Coefficients <= MaxInflation * Chunk.Compressed + InflationSlack;
        if (!Inside || !Plausible) return weCorrupt;
    }
    return weOk;
}

int TFileView::Select(std::uint32_t BandCount, const std::uint32_t* BandList) {
    if (BandCount == 0 || BandCount > FLayout.Info.Bands || BandList == nullptr) return weBadParameter;
    FBands.assign(BandList, BandList + BandCount);
    for (std::size_t I = 0; I < FBands.size(); ++I)
        if (FBands[I] >= FLayout.Info.Bands || std::count(FBands.begin(), FBands.end(), FBands[I]) > 1)
            return weBadParameter;
    FStrip.assign(FBands.size(), {});
    FStripLoaded = false;
    FNextLine = 0;
    return weOk;
}

int TFileView::DecodeStrip(std::uint32_t Strip) {
    const std::uint32_t Rows = FLayout.StripRows(Strip);
    std::vector<unsigned char> Compressed;
    std::vector<unsigned char> Stream;
    for (std::size_t I = 0; I < FBands.size(); ++I) {
        const TChunk& Chunk = FChunks[std::size_t{Strip} * FLayout.Info.Bands + FBands[I]];
        Compressed.resize(Chunk.Compressed);
        if (ReadAt(FFile.Get(), Chunk.Offset, Compressed.data(), Compressed.size()) != weOk)
            return weFileRead;
        Stream.resize(Chunk.Coefficients);
        uLongf Length = Chunk.Coefficients;
        if (::uncompress(Stream.data(), &Length, Compressed.data(), Chunk.Compressed) != Z_OK ||
            Length != Chunk.Coefficients)
            return weCorrupt;
        FStrip[I].resize(std::size_t{FLayout.Info.SizeX} * Rows);
        if (const int Error = DecodeStripBand(Stream, FLayout, Rows, FStrip[I].data()); Error != weOk)
            return Error;
    }
    FStripIndex = Strip;
    FStripLoaded = true;
    return weOk;
}

int TFileView::ReadLine(unsigned char* RGB) {
    if (FBands.empty()) return weBadView;
    if (FNextLine >= FLayout.Info.SizeY) return weNoMoreLines;
    const std::uint32_t Strip = FNextLine / FLayout.BlockY;
    if (!FStripLoaded || FStripIndex != Strip)
        if (const int Error = DecodeStrip(Strip); Error != weOk) {
            FStripLoaded = false;
            return Error;
        }
    const std::size_t RowStart = std::size_t{FNextLine - Strip * FLayout.BlockY} * FLayout.Info.SizeX;
    const std::size_t Last = FBands.size() - 1;
    for (std::size_t Channel = 0; Channel < 3; ++Channel) {
        const unsigned char* Cells = FStrip[std::min(Channel, Last)].data() + RowStart;
        for (std::uint32_t Col = 0; Col < FLayout.Info.SizeX; ++Col)
            RGB[3 * std::size_t{Col} + Channel] = Cells[Col];
    }
    ++FNextLine;
    return weOk;
}

int OpenFileView(const std::string& FileName, TViewHandle& View) {
    TViewHandle Opened(new TFileView);
    if (const int Error = Opened->Open(FileName); Error != weOk) return Error;
    View = std::move(Opened);
    return weOk;
}

void TFileViewDeleter::operator()(TFileView* View) const {
    std::default_delete<TFileView>()(View);
}

int GetViewFileInfo(TFileView& View, const TFileInfo*& Info) {
    Info = &View.Info();
    return weOk;
}

int SetFileView(TFileView& View, std::uint32_t BandCount, const std::uint32_t* BandList,
                std::uint32_t TopLeftX, std::uint32_t TopLeftY, std::uint32_t BottomRightX,
                std::uint32_t BottomRightY, std::uint32_t SizeX, std::uint32_t SizeY) {
    const TFileInfo& Info = View.Info();
    if (TopLeftX != 0 || TopLeftY != 0 || BottomRightX != Info.SizeX - 1 || BottomRightY != Info.SizeY - 1 ||
        SizeX != Info.SizeX || SizeY != Info.SizeY)
        return weBadView;
    return View.Select(BandCount, BandList);
}

int ReadViewLineRGB(TFileView& View, unsigned char* RGB) {
    return View.ReadLine(RGB);
}

int CloseFileView(TViewHandle& View) {
    View.reset();
    return weOk;
}

int CloseFileViewEx(TViewHandle& View, bool /*FreeCache*/) {
    return CloseFileView(View);
}

// ---------------------------------------------------------------------------------------------------
// Writing

class TEncoder {
public:
    // A file left unclosed was never completed.
    ~TEncoder() {
        if (FFile != nullptr) {
            std::fclose(FFile);
            std::remove(FFileName.c_str());
        }
    }
    int Open(const TCompressClient& Client);
    int Run(TCompressClient& Client);
    int Close();

private:
    int WriteStrip(std::uint32_t Strip);
    bool Write(const void* Bytes, std::size_t Count);

    std::FILE* FFile = nullptr;
    std::string FFileName;
    TLayout FLayout;
    std::vector<TChunk> FChunks;
    std::vector<std::vector<unsigned char>> FStrip; // per band, SizeX x BlockY cells
    std::uint64_t FOffset = 0;
    bool FComplete = false;
};

bool TEncoder::Write(const void* Bytes, std::size_t Count) {
    if (std::fwrite(Bytes, 1, Count, FFile) != Count) return false;
    FOffset += Count;
    return true;
}

int TEncoder::Open(const TCompressClient& Client) {
    const int ExpectedFormat = Client.InputBands == 1 ? cfGrey : Client.InputBands == 3 ? cfRGB : cfMultiband;
    if (Client.OutputFilename.empty() || Client.SizeX == 0 || Client.SizeY == 0 || Client.InputBands == 0 ||
        Client.BlockSizeX == 0 || Client.BlockSizeX > MaxBlockSide || Client.BlockSizeY == 0 ||
        Client.BlockSizeY > MaxBlockSide || !(Client.TargetCompression >= 1) ||
        Client.CompressFormat != ExpectedFormat || Client.ReadLineCallback == nullptr ||
        std::uint64_t{Client.SizeX} * Client.BlockSizeY * MaxVarintBytes > UINT32_MAX)
        return weBadParameter;
    FLayout.Info = {Client.SizeX,          Client.SizeY,   Client.InputBands, Client.CellIncrementX,
                    Client.CellIncrementY, Client.OriginX, Client.OriginY};
    FLayout.BlockX = Client.BlockSizeX;
    FLayout.BlockY = Client.BlockSizeY;
    FLayout.Format = static_cast<std::uint8_t>(Client.CompressFormat);
    FLayout.Hint = static_cast<std::uint8_t>(Client.CompressHint);
    FLayout.Units = static_cast<std::uint8_t>(Client.CellSizeUnits);
    FLayout.Ratio = Client.TargetCompression;
    FFileName = Client.OutputFilename;
    FFile = std::fopen(FFileName.c_str(), "wb");
    if (FFile == nullptr) return weFileOpen;
    // Header and table are written last, once every chunk's place is known.
    const std::vector<unsigned char> Placeholder(static_cast<std::size_t>(FLayout.TableEnd()));
    if (!Write(Placeholder.data(), Placeholder.size())) return weFileWrite;
    return weOk;
}

int TEncoder::WriteStrip(std::uint32_t Strip) {
    const std::uint32_t Rows = FLayout.StripRows(Strip);
    std::vector<unsigned char> Compressed;
    for (const std::vector<unsigned char>& Cells : FStrip) {
        const std::vector<unsigned char> Stream = EncodeStripBand(Cells.data(), FLayout, Rows);
        uLongf Length = ::compressBound(Stream.size());
        Compressed.resize(Length);
        if (::compress2(Compressed.data(), &Length, Stream.data(), Stream.size(), Z_DEFAULT_COMPRESSION) !=
            Z_OK)
            return weOutOfMemory;
        FChunks.push_back(
            {FOffset, static_cast<std::uint32_t>(Length), static_cast<std::uint32_t>(Stream.size())});
        if (!Write(Compressed.data(), Length)) return weFileWrite;
    }
    return weOk;
}

int TEncoder::Run(TCompressClient& Client) {
    const std::uint32_t SizeX = FLayout.Info.SizeX;
    std::vector<std::vector<float>> Lines(FLayout.Info.Bands, std::vector<float>(SizeX));
    std::vector<float*> LinePointers;
    for (std::vector<float>& Line : Lines)
        LinePointers.push_back(Line.data());
    FStrip.assign(FLayout.Info.Bands, std::vector<unsigned char>(std::size_t{SizeX} * FLayout.BlockY));
    for (std::uint32_t Line = 0; Line < FLayout.Info.SizeY; ++Line) {
        if (Client.CancelCallback != nullptr && Client.CancelCallback(&Client)) return weCancelled;
        if (!Client.ReadLineCallback(&Client, Line, LinePointers.data())) return weLineCallback;
        const std::size_t RowStart = std::size_t{Line % FLayout.BlockY} * SizeX;
        for (std::size_t Band = 0; Band < Lines.size(); ++Band)
            for (std::uint32_t Col = 0; Col < SizeX; ++Col) {
                const float Value = Lines[Band][Col];
                FStrip[Band][RowStart + Col] =
                    static_cast<unsigned char>(Value >= 0 ? std::min(std::nearbyint(Value), 255.0f) : 0.0f);
            }
        const bool StripFull = (Line + 1) % FLayout.BlockY == 0 || Line + 1 == FLayout.Info.SizeY;
        if (StripFull)
            if (const int Error = WriteStrip(Line / FLayout.BlockY); Error != weOk) return Error;
        if (Client.StatusCallback != nullptr) Client.StatusCallback(&Client, Line + 1);
    }
    FComplete = true;
    return weOk;
}

int TEncoder::Close() {
    int Result = FComplete ? weOk : weFileWrite;
    if (Result == weOk) {
        std::vector<unsigned char> Head(static_cast<std::size_t>(FLayout.TableEnd()));
        const auto Header = HeaderImage(FLayout);
        std::copy(Header.begin(), Header.end(), Head.begin());
        for (std::size_t I = 0; I < FChunks.size(); ++I) {
            unsigned char* Entry = Head.data() + HeaderBytes + I * TableEntryBytes;
            Put(Entry, FChunks[I].Offset);
            Put(Entry + 8, FChunks[I].Compressed);
            Put(Entry + 12, FChunks[I].Coefficients);
        }
        if (std::fseek(FFile, 0, SEEK_SET) != 0 ||
            std::fwrite(Head.data(), 1, Head.size(), FFile) != Head.size())
            Result = weFileWrite;
    }
    if (std::fclose(FFile) != 0 && Result == weOk) Result = weFileWrite;
    FFile = nullptr;
    // An incomplete file must not pass for an image.
    if (Result != weOk) std::remove(FFileName.c_str());
    return Result;
}

TCompressClient::TCompressClient() = default;
TCompressClient::~TCompressClient() = default;

std::unique_ptr<TCompressClient> CompressAllocClient() {
    return std::make_unique<TCompressClient>();
}

int CompressOpen(TCompressClient& Client, bool /*DisplayProgress*/) {
    auto Encoder = std::make_unique<TEncoder>();
    if (const int Error = Encoder->Open(Client); Error != weOk) return Error;
    Client.Encoder = std::move(Encoder);
    return weOk;
}

int Compress(TCompressClient& Client) {
    return Client.Encoder ? Client.Encoder->Run(Client) : weBadParameter;
}

int CompressClose(TCompressClient& Client) {
    if (!Client.Encoder) return weBadParameter;
    const int Result = Client.Encoder->Close();
    Client.Encoder.reset();
    return Result;
}

int CompressFreeClient(std::unique_ptr<TCompressClient>& Client) {
    Client.reset();
    return weOk;
}

} // namespace vortane::wavelet
