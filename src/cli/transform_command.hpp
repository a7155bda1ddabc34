#pragma once
// `vortane-cli transform`: carries positions given as coordinate texts of one catalogue coordinate
// system (spheroid, datum, system) into the texts of another, through the same chain the resampling
// job uses for its extent: input system -> geographic -> to the hub with the input datum -> from the
// hub with the output datum -> output system. The datum steps are left out when both ends name the
// same spheroid and datum objects.

#include "catalogue/catalogue.hpp"
#include "cli/cli_app.hpp"
#include "crs/coordinate_mapper.hpp"

#include <array>
#include <iosfwd>
#include <memory>
#include <string>

namespace vortane {

// The three coordinate texts of a system, in its own order (X, Y, Z).
using TCoordinateTexts = std::array<std::string, 3>;

struct TTransformOptions {
    std::string InSpheroid, InDatum, InSystem;
    std::string OutSpheroid, OutDatum, OutSystem;
    int InUnits = 0; // unit indexes, see crs/units.hpp
    int OutUnits = 0;
    bool ExactProjections = false; // both systems by their exact forms instead of the default series
    std::string InCrs{}, OutCrs{}; // "EPSG:n" instead of the three names of that end
};

class TCoordinateTransform {
public:
    // In and Out name catalogue objects that must outlive this object. Each end converts with its own
    // copy of its system, set to its spheroid and unit, so the catalogue's systems stay untouched and
    // both ends may name the same system. Hub may be null when NeedsHub(In, Out) is false. The unit
    // indexes must be valid (IsUnitIndex).
    TCoordinateTransform(const TCSSelection& In, int InUnits, const TCSSelection& Out, int OutUnits,
                         const TSpheroid* Hub, bool ExactForms = false);

    // True unless both ends name the same spheroid and the same datum object.
    static bool NeedsHub(const TCSSelection& In, const TCSSelection& Out);

    // Reads Texts with the input system and writes the position as the output system's texts. False,
    // with the reason in Error, when a text cannot be read or the position is not a valid one of either
    // system (the mapper's rule: finite, and each conversion leading back to where it started).
    bool Convert(const TCoordinateTexts& Texts, TCoordinateTexts& Result, std::string& Error) const;

private:
    bool ReadInput(const TCoordinateTexts& Texts, double& Lat, double& Lon, double& H,
                   std::string& Error) const;

    TCoordinateMapper FMapper;
};

void AddTransformCommand(CLI::App& App, TCliContext& Context);

// Loads the catalogue from Folder (ending with "/"), resolves the names of Options and transforms every
// line of In to a line of Out. Returns ExitUsage (nothing read from In) when a name is unknown,
// ExitFailure when the catalogue cannot be loaded or a line was rejected, else ExitSuccess.
int RunTransform(const TTransformOptions& Options, const std::string& Folder, std::istream& In,
                 std::ostream& Out, std::ostream& Err);

} // namespace vortane
