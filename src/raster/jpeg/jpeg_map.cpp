#include "raster/jpeg/jpeg_map.hpp"

#include "raster/codecs/jpeg_codec.hpp"
#include "raster/file_start.hpp"
#include "raster/side_files.hpp"
#include "text/types.hpp"

namespace vortane {

namespace {

constexpr std::string_view TooLargeText = "JPEG images are at most 65500 cells wide and high";

} // namespace

TJpgMap2::TJpgMap2() = default;

TJpgMap2::~TJpgMap2() {
    Finish();
}

bool TJpgMap2::WritesBack() const {
    return FMode == omCreate || FMode == omUpdate;
}

bool TJpgMap2::Encode() {
    return WriteJpeg(FFileName, FQuality);
}

bool TJpgMap2::OpenMap(const std::string& FileName, std::int32_t Columns, std::int32_t Rows,
                       std::uint8_t CellType, std::int32_t Bands, std::uint8_t Mode) {
    TakeOpenArguments(FileName, CellType, Mode);
    switch (Mode) {
    case omCreate:
        return CreateBuffer(Columns, Rows, CellType, Bands, MaxSide, TooLargeText);
    case omRead:
    case omUpdate:
        ReadWorldFileBeside(FileName);
        if (!ReadJpeg(FileName))
            return OpenReadFailed(FCodecMessage.empty() ? FErrorText
                                                        : FErrorText + " (" + FCodecMessage + ")");
        FFirstRow = 0;
        FEndRow = -1;
        return true;
    default:
        return false;
    }
}

void TJpgMap2::ReadWorldFileBeside(const std::string& FileName) {
    for (const char* Extension : {".jpgw", ".jgw"}) {
        const std::string WorldName = SideFileName(FileName, Extension);
        if (PathExists(WorldName)) {
            ReadWorldFile(WorldName);
            return;
        }
    }
}

bool TJpgMap2::ReadParameters(jpeg::TProperties& Props, const std::string& FileName) {
    Props.JPGFile = FileName;
    if (const int Error = jpeg::Read(Props, jpeg::joReadParams); Error != jpeg::jeOk) {
        FErrorText = "ijlReadParams error: " + std::to_string(Error);
        FCodecMessage = Props.ErrorMessage;
        return false;
    }
    FCellType = ctUnsigned8;
    FColumns = static_cast<std::uint32_t>(Props.JPGWidth);
    FRows = static_cast<std::uint32_t>(Props.JPGHeight);
    FBands = static_cast<std::uint32_t>(Props.JPGChannels);
    FLineSize = PaddedLineSize(FColumns, FBands);
    return true;
}

bool TJpgMap2::ReadDescription(jpeg::TSession& Codec, const std::string& FileName) {
    if (!PathExists(FileName)) {
        FErrorText = FileMissingText;
        return false;
    }
    if (Codec.Result != jpeg::jeOk) {
        FErrorText = "ijLInit error: " + std::to_string(Codec.Result);
        return false;
    }
    return ReadParameters(Codec.Props, FileName);
}

bool TJpgMap2::ReadJpeg(const std::string& FileName) {
    FCodecMessage.clear();
    jpeg::TSession Codec;
    if (!ReadDescription(Codec, FileName)) return false;
    if (FBands != 1 && FBands != 3) {
        FCodecMessage = std::to_string(FBands) + " colour channels; only grey and RGB images are read";
        return false;
    }
    if (!AllocateBuffer(FColumns, FRows, FBands)) return false;
    jpeg::TProperties& Props = Codec.Props;
    Props.DIBBytes = FBuffer.get();
    Props.DIBWidth = Props.JPGWidth;
    Props.DIBHeight = Props.JPGHeight;
    Props.DIBChannels = Props.JPGChannels;
    Props.DIBColor = FBands == 3 ? jpeg::jcRGB : jpeg::jcGray;
    Props.DIBPadBytes = static_cast<std::int32_t>(FLineSize - std::uint64_t{FColumns} * FBands);
    if (const int Error = jpeg::Read(Props, jpeg::joReadWholeImage); Error != jpeg::jeOk) {
        FErrorText = "ijlReadWholeImage error: " + std::to_string(Error);
        FCodecMessage = Props.ErrorMessage;
        ReleaseBuffer();
        return false;
    }
    return true;
}

bool TJpgMap2::WriteJpeg(const std::string& FileName, std::int32_t Quality) {
    if (!FBuffer) return false;
    jpeg::TSession Codec;
    if (Codec.Result != jpeg::jeOk) {
        FErrorText = "ijlInit error: " + std::to_string(Codec.Result);
        return false;
    }
    if (GetBands() != 1 && GetBands() != 3) return false;
    jpeg::TProperties& Props = Codec.Props;
    Props.DIBBytes = FBuffer.get();
    Props.DIBWidth = Props.JPGWidth = GetColumns();
    Props.DIBHeight = Props.JPGHeight = GetRows();
    Props.DIBChannels = Props.JPGChannels = GetBands();
    Props.DIBPadBytes = static_cast<std::int32_t>(FLineSize - std::uint64_t{FColumns} * FBands);
    Props.DIBColor = GetBands() == 1 ? jpeg::jcGray : jpeg::jcRGB;
    Props.JPGColor = GetBands() == 1 ? jpeg::jcGray : jpeg::jcYCbCr;
    Props.JPGFile = FileName;
    Props.Quality = Quality;
    if (const int Error = jpeg::Write(Props, jpeg::joWriteWholeImage); Error != jpeg::jeOk) {
        FErrorText = "ijlWriteWholeImage error: " + std::to_string(Error);
        if (!Props.ErrorMessage.empty()) FErrorText += " (" + FileName + ": " + Props.ErrorMessage + ")";
        return false;
    }
    return true;
}

bool TJpgMap2::OpenMapRead(const std::string& FileName) {
    {
        jpeg::TSession Codec;
        if (!ReadDescription(Codec, FileName)) return false;
    }
    ReadWorldFileBeside(FileName);
    return true;
}

bool TJpgMap2::ReadWorldFile(const std::string& FileName) {
    TWorldFile World;
    if (!vortane::ReadWorldFile(FileName, TWorldNumbers::PointOrComma, World)) return false;
    SetCellSizeX(World.CellSizeX);
    FRotationY = World.RotationY;
    FRotationX = World.RotationX;
    SetCellSizeY(World.CellSizeY);
    SetRegEasting(World.OriginX);
    SetRegNorthing(World.OriginY);
    SetProjection("UNKNOWN");
    SetDatum("UNKNOWN");
    SetSpheroid("UNKNOWN");
    return true;
}

void TJpgMap2::SetGeoreference(const std::string& Spheroid, const std::string& Datum,
                               const std::string& Projection, double CellSizeX, double CellSizeY,
                               double RegCellX, double RegCellY, double Easting, double Northing) {
    FRotationY = 0;
    FRotationX = 0;
    SetWorldGeoreference(*this, Spheroid, Datum, Projection, CellSizeX, CellSizeY, RegCellX, RegCellY,
                         Easting, Northing);
    TWorldFile World;
    World.CellSizeX = GetCellSizeX();
    World.RotationY = FRotationY;
    World.RotationX = FRotationX;
    World.CellSizeY = GetCellSizeY();
    World.OriginX = GetRegEasting();
    World.OriginY = GetRegNorthing();
    WriteWorldFile(SideFileName(FFileName, ".jgw"), World); // a failure here does not fail the image
}

void TJpgMap2::CellToMap(double Col, double Row, double& X, double& Y) {
    WorldCellToMap(*this, FRotationY, FRotationX, Col, Row, X, Y);
}

void TJpgMap2::MapToCell(double X, double Y, double& Col, double& Row) {
    WorldMapToCell(*this, FRotationY, FRotationX, X, Y, Col, Row);
}

std::vector<std::string> TJpgMap2::ImageFiles() const {
    return {FFileName, SideFileName(FFileName, ".jgw")};
}

// Every JPEG stream begins with the start-of-image marker.
constinit const TImageFormat JpegFormat =
    ReadWriteFormat<TJpgMap2>({.Code = ftJpg,
                               .Name = "JPEG",
                               .ExtensionKey = "JPG",
                               .Extensions = {".jpg"},
                               .Signatures = {ExactBytes(std::string_view("\xFF\xD8", 2))}});

} // namespace vortane
