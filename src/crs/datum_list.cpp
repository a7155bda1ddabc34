#include "crs/datum_list.hpp"

#include "crs/french_grid.hpp"
#include "crs/nadcon.hpp"
#include "text/catalogue_file.hpp"
#include "text/strings.hpp"

#include <filesystem>
#include <system_error>

namespace vortane {

namespace {

constexpr const char* NadConBaseName = "conus";
constexpr const char* FrenchGridName = "gr3df97a.mnt";

bool FileExists(const std::string& Path) {
    std::error_code Error;
    return !Path.empty() && std::filesystem::exists(Path, Error);
}

} // namespace

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
