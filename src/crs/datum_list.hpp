#pragma once
// The datum list: the datums of "Datums.dat" followed by the grid datums whose grid files load.
// Kept apart from the datum record, which the grid datums derive from.

#include "crs/datum.hpp"

#include <string>
#include <vector>

namespace vortane {

class TDatumList : public TCodeListOf<TDatumRecord> {
public:
    // Reads a stored (encoded) "Datums.dat", then appends the grid datums whose grids load: the
    // NADCON pair "conus.las"/"conus.los" from the current working folder and "gr3df97a.mnt" from
    // ProgramDir(). False when the file is missing (nothing is added, not even the grid datums) or
    // when reading it fails (what was read and the grid datums stay).
    bool LoadFromFile(const std::string& FileName);
    // The same with the grid files named by the caller: NadConBase without its ".las"/".los"
    // endings, and the full path of the French grid file.
    bool LoadFromFile(const std::string& FileName, const std::string& NadConBase,
                      const std::string& FrenchGridFile);

    // Why a grid file that exists could not be used, one text per grid; empty after a clean load.
    // Missing grid files are not errors and leave nothing here.
    std::vector<std::string> GridErrors;

private:
    bool ReadDatumLines(const std::string& FileName);
    void AddGridDatums(const std::string& NadConBase, const std::string& FrenchGridFile);
};

} // namespace vortane
