#include "raster/side_files.hpp"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace vortane {

namespace {

bool IsFile(const std::string& Name) {
    std::error_code Error;
    return std::filesystem::is_regular_file(Name, Error);
}

} // namespace

std::string SideFileName(const std::string& ImageName, std::string_view Extension) {
    return std::filesystem::path(ImageName).replace_extension(Extension).string();
}

bool LoadWorldFile(TDataSetRoot2& Raster, std::initializer_list<std::string_view> Extensions,
                   TWorldNumbers Numbers, std::string& Problem) {
    for (const std::string_view Extension : Extensions) {
        const std::string Name = SideFileName(Raster.FileName(), Extension);
        if (!IsFile(Name)) continue;
        TWorldFile World;
        if (!ReadWorldFile(Name, Numbers, World, Problem)) return false;
        Raster.SetCellSizeX(World.CellSizeX);
        Raster.SetCellSizeY(World.CellSizeY);
        Raster.SetRegCellX(0);
        Raster.SetRegCellY(0);
        Raster.SetRegEasting(World.OriginX);
        Raster.SetRegNorthing(World.OriginY);
        Raster.SetProjection("UNKNOWN");
        Raster.SetDatum("UNKNOWN");
        Raster.SetSpheroid("UNKNOWN");
        return true;
    }
    return false;
}

void SetOriginGeoreference(TDataSetRoot2& Raster, double CellSizeX, double CellSizeY, double RegCellX,
                           double RegCellY, double Easting, double Northing) {
    Raster.SetCellSizeX(CellSizeX);
    Raster.SetCellSizeY(CellSizeY);
    Raster.SetRegEasting(Easting - RegCellX * CellSizeX);
    Raster.SetRegNorthing(Northing + RegCellY * CellSizeY);
}

void SetWorldGeoreference(TDataSetRoot2& Raster, const std::string& Spheroid, const std::string& Datum,
                          const std::string& Projection, double CellSizeX, double CellSizeY, double RegCellX,
                          double RegCellY, double Easting, double Northing) {
    SetOriginGeoreference(Raster, CellSizeX, CellSizeY, RegCellX, RegCellY, Easting, Northing);
    Raster.SetProjection(Projection);
    Raster.SetDatum(Datum);
    Raster.SetSpheroid(Spheroid);
}

std::string WriteWorldFileReason(const std::string& Name, const TWorldFile& World) {
    errno = 0;
    if (WriteWorldFile(Name, World)) return {};
    return "Cannot write " + Name + ": " + std::generic_category().message(errno != 0 ? errno : EIO);
}

std::string WriteWorldFiles(const std::string& ImageName, std::string_view Standard,
                            std::string_view Preferred, const TWorldFile& World) {
    std::string Reason = WriteWorldFileReason(SideFileName(ImageName, Standard), World);
    if (const std::string PreferredName = SideFileName(ImageName, Preferred);
        Reason.empty() && IsFile(PreferredName))
        Reason = WriteWorldFileReason(PreferredName, World);
    return Reason;
}

std::vector<std::string> ImageAndWorldFiles(const std::string& ImageName, std::string_view Standard,
                                            std::string_view Preferred) {
    std::vector<std::string> Files{ImageName, SideFileName(ImageName, Standard)};
    if (const std::string PreferredName = SideFileName(ImageName, Preferred); IsFile(PreferredName))
        Files.push_back(PreferredName);
    return Files;
}

void LoadControlPointFile(TDataSetRoot2& Raster, const std::string& ImageName) {
    const std::string Name = SideFileName(ImageName, ".gcp");
    if (!IsFile(Name)) return;
    auto List = std::make_unique<TGCPList>();
    List->Load(Name);
    Raster.SetControlPoints(std::move(List));
}

std::string OpenReadErrorText(int Code, const std::string& Text) {
    return "Open read error " + std::to_string(Code) + " " + Text;
}

} // namespace vortane
