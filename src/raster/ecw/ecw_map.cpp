#include "raster/ecw/ecw_map.hpp"

#include "raster/codecs/wavelet_codec.hpp"
#include "raster/file_start.hpp"
#include "raster/side_files.hpp"
#include "text/types.hpp"

#include <cmath>
#include <limits>
#include <new>
#include <vector>

namespace vortane {

namespace {

constexpr std::string_view NoCellsText = "An image needs at least one column and one row";
constexpr int HintBestQuality = 3;
constexpr int UnitMetres = 3;
constexpr std::uint32_t BlockSide = 64;

std::string CodecError(int Error) {
    return wavelet::GetErrorText(Error);
}

} // namespace

TECWMap2::TECWMap2() = default;

TECWMap2::~TECWMap2() {
    Finish();
}

bool TECWMap2::WritesBack() const {
    return FMode == omCreate;
}

bool TECWMap2::Encode() {
    return WriteEcw(FFileName, FTargetRatio);
}

bool TECWMap2::OpenMap(const std::string& FileName, std::int32_t Columns, std::int32_t Rows,
                       std::uint8_t CellType, std::int32_t Bands, std::uint8_t Mode) {
    TakeOpenArguments(FileName, CellType, Mode);
    switch (Mode) {
    case omRead:
        if (!ReadEcw(FileName)) return OpenReadFailed(FErrorText);
        FFirstRow = 0;
        FEndRow = -1;
        return true;
    case omCreate:
        return CreateBuffer(Columns, Rows, CellType, Bands, std::numeric_limits<std::int32_t>::max(),
                            NoCellsText);
    default:
        return false;
    }
}

void TECWMap2::TakeFileInfo(const void* InfoAddress) {
    const auto& Info = *static_cast<const wavelet::TFileInfo*>(InfoAddress);
    FCellType = ctUnsigned8;
    FColumns = Info.SizeX;
    FRows = Info.SizeY;
    FBands = Info.Bands;
    FLineSize = PaddedLineSize(FColumns, FBands);
    SetCellSizeX(Info.CellIncrementX);
    SetCellSizeY(std::fabs(Info.CellIncrementY));
    SetRegEasting(Info.OriginX);
    SetRegNorthing(Info.OriginY);
}

bool TECWMap2::ReadEcw(const std::string& FileName) {
    FErrorText.clear();
    if (!PathExists(FileName)) return false;
    wavelet::TViewHandle View;
    if (const int Error = wavelet::OpenFileView(FileName, View); Error != wavelet::weOk) {
        FErrorText = "Error: " + CodecError(Error);
        return false;
    }
    const wavelet::TFileInfo* Info = nullptr;
    wavelet::GetViewFileInfo(*View, Info);
    TakeFileInfo(Info);
    // The buffer holds one or three bands per cell; the codec's three-byte lines fit no other layout.
    if (FBands != 1 && FBands != 3) {
        FErrorText = "Error: " + std::to_string(FBands) + " bands; only 1- and 3-band images are read";
        wavelet::CloseFileView(View);
        return false;
    }
    std::vector<std::uint32_t> BandList(FBands);
    for (std::uint32_t Band = 0; Band < FBands; ++Band)
        BandList[Band] = Band;
    if (const int Error = wavelet::SetFileView(*View, FBands, BandList.data(), 0, 0, FColumns - 1, FRows - 1,
                                               FColumns, FRows);
        Error != wavelet::weOk) {
        FErrorText = "Error: " + CodecError(Error) + " " + CodecError(Error);
        wavelet::CloseFileView(View);
        return false;
    }
    if (!AllocateBuffer(FColumns, FRows, FBands)) {
        FErrorText = "Malloc error for output buffers";
        wavelet::CloseFileView(View);
        return false;
    }
    if (!ReadLines(View.get())) {
        wavelet::CloseFileView(View);
        ReleaseBuffer();
        return false;
    }
    wavelet::CloseFileViewEx(View, true);
    return true;
}

// Three-band lines are the buffer's rows; a grey line's three equal bytes per cell are narrowed to one
// through a line of its own, so nothing is written beyond the buffer's shorter rows.
bool TECWMap2::ReadLines(void* ViewAddress) {
    auto& View = *static_cast<wavelet::TFileView*>(ViewAddress);
    std::vector<unsigned char> GreyLine(FBands == 1 ? 3 * std::size_t{FColumns} : 0);
    for (std::uint32_t Line = 0; Line < FRows; ++Line) {
        unsigned char* Target = FBands == 3 ? Row(Line) : GreyLine.data();
        if (const int Status = wavelet::ReadViewLineRGB(View, Target); Status != wavelet::weOk) {
            FErrorText = "Status code: " + std::to_string(Status) + " (" + CodecError(Status) + ")";
            return false;
        }
        if (FBands == 1)
            for (std::uint32_t Col = 0; Col < FColumns; ++Col)
                Row(Line)[Col] = GreyLine[3 * std::size_t{Col}];
    }
    return true;
}

bool TECWMap2::OpenMapRead(const std::string& FileName) {
    if (!PathExists(FileName)) {
        FErrorText = FileMissingText;
        return false;
    }
    wavelet::TViewHandle View;
    if (const int Error = wavelet::OpenFileView(FileName, View); Error != wavelet::weOk) {
        FErrorText = "Could not open view for file: " + FileName + " Error: " + CodecError(Error);
        return false;
    }
    const wavelet::TFileInfo* Info = nullptr;
    wavelet::GetViewFileInfo(*View, Info);
    TakeFileInfo(Info);
    wavelet::CloseFileViewEx(View, true);
    return true;
}

void TECWMap2::FillClient(TECWMap2& Raster, wavelet::TCompressClient& Client, const std::string& FileName,
                          std::int32_t Ratio) {
    const std::int32_t Bands = Raster.GetBands();
    Client.OutputFilename = FileName;
    Client.TargetCompression = static_cast<float>(Ratio);
    Client.CompressFormat = Bands == 1 ? wavelet::cfGrey : Bands == 3 ? wavelet::cfRGB : wavelet::cfMultiband;
    Client.CompressHint = HintBestQuality;
    Client.BlockSizeX = BlockSide;
    Client.BlockSizeY = BlockSide;
    Client.SizeX = static_cast<std::uint32_t>(Raster.GetColumns());
    Client.SizeY = static_cast<std::uint32_t>(Raster.GetRows());
    Client.InputBands = static_cast<std::uint16_t>(Bands);
    Client.OriginX = Raster.GetRegEasting();
    Client.OriginY = Raster.GetRegNorthing();
    Client.CellIncrementX = Raster.GetCellSizeX();
    Client.CellIncrementY = -Raster.GetCellSizeY();
    Client.CellSizeUnits = UnitMetres;
    Client.ReadLineCallback = CompressReadLine;
    Client.StatusCallback = nullptr;
    Client.CancelCallback = nullptr;
    // The callback finds its raster here, so two compressions can never read each other's cells.
    Client.ClientData = &Raster;
}

bool TECWMap2::CompressReadLine(wavelet::TCompressClient* Client, std::uint32_t LineNumber, float** Lines) {
    auto& Raster = *static_cast<TECWMap2*>(Client->ClientData);
    if (LineNumber >= Raster.FRows) return false;
    const unsigned char* Cells = Raster.Row(LineNumber);
    for (std::uint32_t Band = 0; Band < Raster.FBands; ++Band)
        for (std::uint32_t Col = 0; Col < Raster.FColumns; ++Col)
            Lines[Band][Col] = Cells[std::size_t{Col} * Raster.FBands + Band];
    return true;
}

bool TECWMap2::WriteEcw(const std::string& FileName, std::int32_t Ratio) {
    if (!FBuffer) return false;
    std::unique_ptr<wavelet::TCompressClient> Client = wavelet::CompressAllocClient();
    FillClient(*this, *Client, FileName, Ratio);
    int Status = wavelet::CompressOpen(*Client, false);
    if (Status == wavelet::weOk) {
        Status = wavelet::Compress(*Client);
        const int Closed = wavelet::CompressClose(*Client);
        if (Status == wavelet::weOk)
            Status = Closed; // a file that could not be completed is a failed compression too
    }
    bool Written = Status == wavelet::weOk;
    FErrorText = Written ? "" : "Compression error: " + CodecError(Status);
    wavelet::CompressFreeClient(Client);
    return Written;
}

void TECWMap2::SetGeoreference(const std::string& /*Spheroid*/, const std::string& /*Datum*/,
                               const std::string& /*Projection*/, double CellSizeX, double CellSizeY,
                               double RegCellX, double RegCellY, double Easting, double Northing) {
    SetOriginGeoreference(*this, CellSizeX, CellSizeY, RegCellX, RegCellY, Easting, Northing);
}

// Files with the codec's magic are ECW images; a name ending in ".ecw" is read as one as well, so that
// an image of another codec is refused with the codec's reason.
constinit const TImageFormat EcwFormat =
    ReadWriteFormat<TECWMap2>({.Code = ftEcw,
                               .Name = "ECW",
                               .ExtensionKey = "ECW",
                               .Extensions = {".ecw"},
                               .Signatures = {ExactBytes(wavelet::Magic)},
                               .ExtensionOnRead = true});

} // namespace vortane
