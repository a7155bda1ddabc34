#include "crs/datum.hpp"

#include "crs/french_grid.hpp"
#include "crs/nadcon.hpp"
#include "text/catalogue_file.hpp"
#include "text/strings.hpp"
#include "text/tokenizer.hpp"

#include <filesystem>
#include <system_error>

namespace vortane {

namespace {

constexpr std::string_view FieldSeparator = "\t";
constexpr const char* NadConBaseName = "conus";
constexpr const char* FrenchGridName = "gr3df97a.mnt";

double ReadNumber() {
    return StrToFloatDef(NextToken(FieldSeparator), 0.0);
}

bool FileExists(const std::string& Path) {
    std::error_code Error;
    return !Path.empty() && std::filesystem::exists(Path, Error);
}

} // namespace

TDatumRecord::TDatumRecord(const std::string& Line) : TCodeObject("") {
    SetParseText(Line);
    Region = NextToken(FieldSeparator);
    Name = NextToken(FieldSeparator);
    SpheroidCode = NextToken(FieldSeparator);
    DX = ReadNumber();
    DY = ReadNumber();
    DZ = ReadNumber();
    RX = ReadNumber();
    RY = ReadNumber();
    RZ = ReadNumber();
    Scale = ReadNumber();
    Comment = NextToken(FieldSeparator);
}

void TDatumRecord::KeepPosition(double Lat, double Lon, double H, double& Lat2, double& Lon2, double& H2) {
    Lat2 = Lat;
    Lon2 = Lon;
    H2 = H;
}

bool TDatumRecord::ShiftToHub(double Lat, double Lon, double H, double& Lat2, double& Lon2,
                              double& H2) const {
    KeepPosition(Lat, Lon, H, Lat2, Lon2, H2);
    return true;
}

bool TDatumRecord::ShiftFromHub(double Lat, double Lon, double H, double& Lat2, double& Lon2,
                                double& H2) const {
    KeepPosition(Lat, Lon, H, Lat2, Lon2, H2);
    return true;
}

bool TDatumList::LoadFromFile(const std::string& FileName) {
    return LoadFromFile(FileName, NadConBaseName, ProgramDir() + FrenchGridName);
}

bool TDatumList::LoadFromFile(const std::string& FileName, const std::string& NadConBase,
                              const std::string& FrenchGridFile) {
    GridErrors.clear();
    if (!FileExists(FileName)) return false;
    const bool ReadAll = ReadDatumLines(FileName);
    AddGridDatums(NadConBase, FrenchGridFile);
    return ReadAll;
}

bool TDatumList::ReadDatumLines(const std::string& FileName) {
    return AddCatalogueEntries<TDatumRecord>(*this, FileName);
}

// Missing grid files only leave the grid datum out; a grid file that exists but cannot be used is
// also left out, and the reason is kept for the caller to show.
void TDatumList::AddGridDatums(const std::string& NadConBase, const std::string& FrenchGridFile) {
    auto NadCon = std::make_unique<TNadCon>();
    if (NadCon->OpenGrids(NadConBase))
        Add(std::move(NadCon));
    else if (FileExists(NadConBase + ".las") && FileExists(NadConBase + ".los"))
        GridErrors.push_back(NadCon->ErrorText);

    auto FrenchGrid = std::make_unique<TFrenchGrid>();
    if (FrenchGrid->LoadGrid(FrenchGridFile))
        Add(std::move(FrenchGrid));
    else if (FileExists(FrenchGridFile))
        GridErrors.push_back(FrenchGrid->ErrorText);
}

} // namespace vortane
