#pragma once
// The project's own wavelet image codec: 8-bit bands, lossless (reversible 5/3 wavelet per band in
// blocks, coefficients deflated with zlib), georeferenced by cell increments and origin. Files start
// with the bytes 65 02 01 02 followed by the tag "VTWV"; the layout is in docs/ecw-format.md. Files
// with those first four bytes that this codec did not write are refused ("not a Vortane wavelet file").
//
// Reading goes through a view: open it, ask for its file information, select all bands over the whole
// image at full resolution, then read it line by line, top first, three bytes (red, green, blue) per
// cell. Writing fills a compression client and hands it lines through its line callback. Every call
// returns 0 for success or one of the error numbers below; GetErrorText names them.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vortane::wavelet {

// The first bytes of every file the codec writes.
inline constexpr std::string_view Magic = "\x65\x02\x01\x02";

enum TError : int {
    weOk = 0,
    weOutOfMemory = 1,
    weFileOpen = 2,
    weFileRead = 3,
    weFileWrite = 4,
    weNotOurs = 5,
    weCorrupt = 6,
    weBadParameter = 7,
    weBadView = 8,
    weNoMoreLines = 9,
    weUnsupportedVersion = 10,
    weLineCallback = 11,
    weCancelled = 12,
};

// The fixed text of an error number; "Unknown error" for numbers outside the table.
const char* GetErrorText(int Error);

// Compression format codes and their band counts.
enum : int { cfGrey = 1, cfMultiband = 3, cfRGB = 4 };

struct TFileInfo {
    std::uint32_t SizeX = 0; // cells per line
    std::uint32_t SizeY = 0; // lines
    std::uint16_t Bands = 0;
    double CellIncrementX = 1; // map units per cell to the right
    double CellIncrementY = 1; // map units per line down: negative for north-up images
    double OriginX = 0;        // map position of the top-left corner of the top-left cell
    double OriginY = 0;
};

class TFileView;
struct TFileViewDeleter {
    void operator()(TFileView* View) const;
};
using TViewHandle = std::unique_ptr<TFileView, TFileViewDeleter>;

// Opens FileName and checks its header and block table against the file's size.
int OpenFileView(const std::string& FileName, TViewHandle& View);
int GetViewFileInfo(TFileView& View, const TFileInfo*& Info);
// Selects BandCount bands (each listed once, in the order their bytes go to red, green, blue) over the
// whole image at full resolution; other windows and sizes are refused.
int SetFileView(TFileView& View, std::uint32_t BandCount, const std::uint32_t* BandList,
                std::uint32_t TopLeftX, std::uint32_t TopLeftY, std::uint32_t BottomRightX,
                std::uint32_t BottomRightY, std::uint32_t SizeX, std::uint32_t SizeY);
// The next line into RGB (3 x SizeX bytes). One selected band gives grey (the byte three times); two
// give the second band twice.
int ReadViewLineRGB(TFileView& View, unsigned char* RGB);
int CloseFileView(TViewHandle& View);
// As CloseFileView; the codec keeps no cached copy of the file, so FreeCache changes nothing.
int CloseFileViewEx(TViewHandle& View, bool FreeCache);

class TEncoder;

struct TCompressClient {
    TCompressClient();
    ~TCompressClient();
    TCompressClient(const TCompressClient&) = delete;
    TCompressClient& operator=(const TCompressClient&) = delete;

    std::string OutputFilename;
    float TargetCompression = 1; // 1 or more; the codec is lossless whatever the target
    int CompressFormat = cfRGB;
    int CompressHint = 0; // stored, not interpreted
    std::uint32_t BlockSizeX = 64;
    std::uint32_t BlockSizeY = 64;
    std::uint32_t SizeX = 0;
    std::uint32_t SizeY = 0;
    std::uint16_t InputBands = 0;
    double OriginX = 0;
    double OriginY = 0;
    double CellIncrementX = 1;
    double CellIncrementY = -1;
    int CellSizeUnits = 0; // stored, not interpreted
    // Fills Lines[band][column] for line LineNumber with the cell values (0 to 255); false stops.
    bool (*ReadLineCallback)(TCompressClient* Client, std::uint32_t LineNumber, float** Lines) = nullptr;
    void (*StatusCallback)(TCompressClient* Client, std::uint32_t LinesDone) = nullptr;
    bool (*CancelCallback)(TCompressClient* Client) = nullptr; // true stops
    void* ClientData = nullptr;                                // for the callbacks: the caller's own state

    std::unique_ptr<TEncoder> Encoder;
};

std::unique_ptr<TCompressClient> CompressAllocClient();
// Checks the client and creates the output file.
int CompressOpen(TCompressClient& Client, bool DisplayProgress);
// Reads every line through the callback and writes the compressed blocks.
int Compress(TCompressClient& Client);
// Completes the file; after a failure of Compress it removes the incomplete file instead.
int CompressClose(TCompressClient& Client);
int CompressFreeClient(std::unique_ptr<TCompressClient>& Client);

} // namespace vortane::wavelet
