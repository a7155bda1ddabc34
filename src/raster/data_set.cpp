#include "raster/data_set.hpp"

#include "raster/format_registry.hpp"
#include "raster/raster.hpp"
#include "text/types.hpp"

#include <cmath>
#include <filesystem>

namespace vortane {

namespace {

// Cell coordinates beyond this cannot address a cell and would overflow the integer conversion.
constexpr double MaxCellCoordinate = 9.0e15;

std::string NoWriterText(const std::string& Extension) {
    return Extension.empty() ? "The name has no extension to choose an image format by"
                             : "No image format writes the extension \"" + Extension + "\"";
}

} // namespace

TDataSet2::TDataSet2() = default;
TDataSet2::~TDataSet2() = default;

bool TDataSet2::Fail(const std::string& Text) {
    SetErrorText(Text);
    return false;
}

bool TDataSet2::Open(const std::string& FileName, std::int32_t Columns, std::int32_t Rows,
                     std::uint8_t CellType, std::int32_t Bands, std::uint8_t Mode) {
    return OpenRaster(FileName, Columns, Rows, CellType, Bands, Mode, false);
}

bool TDataSet2::OpenDescription(const std::string& FileName) {
    return OpenRaster(FileName, 0, 0, ctUnsigned8, 1, omRead, true);
}

bool TDataSet2::OpenRaster(const std::string& FileName, std::int32_t Columns, std::int32_t Rows,
                           std::uint8_t CellType, std::int32_t Bands, std::uint8_t Mode,
                           bool DescriptionOnly) {
    FRaster.reset();
    FFileType = ftUnknown;
    SetErrorText("");
    if (FileName.empty()) return Fail("No file name");

    const TContentType Found =
        Mode == omCreate ? TContentType{FileTypeByExt(FileName), ""} : ContentType(FileName);
    if (Found.Code == ftMissing) return Fail("No file: " + FileName);
    if (Found.Code == ftUnknown && Mode == omCreate)
        return Fail(NoWriterText(std::filesystem::path(FileName).extension().string()));
    if (Found.Code == ftUnknown)
        return Fail(Found.Reason.empty() ? "Unknown file type: " + FileName : Found.Reason);

    // Every code other than ftUnknown and ftMissing has its record.
    const TImageFormat* Format = FindFormat(Found.Code);
    FFileType = Format->Code;
    if (Format->Access == TFormatAccess::None)
        return Fail(std::string(Format->Name) + " images are not supported by this build: " + FileName);
    if (Mode != omRead && Format->Access != TFormatAccess::ReadWrite)
        return Fail(std::string(Format->Name) + " images cannot be written by this build: " + FileName);
    if (Mode == omCreate && Format->WriterFor) FRaster = Format->WriterFor(FCreation);
    if (!FRaster) FRaster = Format->Create();
    if (Mode == omCreate) {
        FRaster->SetSystemDescription(FOutputSystem);
        FRaster->SetCreationOptions(FCreation);
    }
    // An image read must lie somewhere: damaged georeferencing is refused, not used.
    if (FRaster->OpenMap(FileName, Columns, Rows, CellType, Bands, Mode))
        return Mode == omCreate ? FRaster->CreateSystemSideFile(FileName, Format->SystemInHeader)
                                : FRaster->CheckGeoreference();
    std::unique_ptr<TDataSetRoot2> Other =
        Mode == omRead && Format->ReaderForRefused ? Format->ReaderForRefused(*FRaster) : nullptr;
    if (!Other) return false;
    FRaster = std::move(Other);
    return (DescriptionOnly ? FRaster->OpenMapRead(FileName)
                            : FRaster->OpenMap(FileName, Columns, Rows, CellType, Bands, Mode)) &&
           FRaster->CheckGeoreference();
}

std::int32_t TDataSet2::GetBands() const {
    return FRaster ? FRaster->GetBands() : 0;
}
std::int32_t TDataSet2::GetColumns() const {
    return FRaster ? FRaster->GetColumns() : 0;
}
std::int32_t TDataSet2::GetRows() const {
    return FRaster ? FRaster->GetRows() : 0;
}
std::uint8_t TDataSet2::GetCellType() const {
    return FRaster ? FRaster->GetCellType() : std::uint8_t(ctUnsigned8);
}

double TDataSet2::GetCellSizeX() const {
    const double Size = FRaster ? FRaster->GetCellSizeX() : 1.0;
    return Size == 0 ? 1.0 : Size;
}

double TDataSet2::GetCellSizeY() const {
    const double Size = FRaster ? FRaster->GetCellSizeY() : 1.0;
    return Size == 0 ? 1.0 : Size;
}

double TDataSet2::GetOriginX() const {
    return FRaster ? FRaster->GetOriginX() : 0;
}
double TDataSet2::GetOriginY() const {
    return FRaster ? FRaster->GetOriginY() : 0;
}

void TDataSet2::GetSpheroid(std::string& Text) const {
    if (FRaster) Text = FRaster->GetSpheroid();
}

void TDataSet2::GetDatum(std::string& Text) const {
    if (FRaster) Text = FRaster->GetDatum();
}

void TDataSet2::GetProjection(std::string& Text) const {
    if (FRaster) Text = FRaster->GetProjection();
}

void TDataSet2::SetGeoreference(const std::string& Spheroid, const std::string& Datum,
                                const std::string& Projection, double CellSizeX, double CellSizeY,
                                double RegCellX, double RegCellY, double Easting, double Northing) {
    if (FRaster)
        FRaster->SetGeoreference(Spheroid, Datum, Projection, CellSizeX, CellSizeY, RegCellX, RegCellY,
                                 Easting, Northing);
}

bool TDataSet2::Finish() {
    return !FRaster || FRaster->Finish();
}

int TDataSet2::GetErrorCode() const {
    return FRaster ? FRaster->ErrorCode() : 0;
}

std::string TDataSet2::GetErrorText() const {
    return FRaster ? FRaster->ErrorText() : FErrorText;
}

void TDataSet2::SetErrorText(const std::string& Text) {
    if (FRaster)
        FRaster->SetErrorText(Text);
    else
        FErrorText = Text;
}

bool TDataSet2::ReadValue(std::uint32_t Band, float& Value, double X, double Y, bool Interpolate) {
    if (!FRaster) return false;
    // The raster's own getters: a header's cell size of 0 gives an infinite or undefined position,
    // which the range checks below turn away.
    const double Col = (X - FRaster->GetOriginX()) / FRaster->GetCellSizeX();
    if (!(Col >= 0 && Col < MaxCellCoordinate)) return false;
    const double Row = (FRaster->GetOriginY() - Y) / FRaster->GetCellSizeY();
    if (!(Row >= 0 && Row < MaxCellCoordinate)) return false;
    if (Interpolate) return FRaster->SampleBilinear(Band, Value, Col, Row);
    return FRaster->ReadCell(static_cast<std::int64_t>(std::nearbyint(Col)),
                             static_cast<std::int64_t>(std::nearbyint(Row)), Band, Value);
}

} // namespace vortane
