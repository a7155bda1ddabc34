#pragma once
// The two coordinate systems a command carries positions or images between, each named on the command
// line by a spheroid code, a datum name and a coordinate system name (--in-spheroid ... --out-system),
// and the look-up of those names in the catalogue.

#include "catalogue/catalogue.hpp"
#include "cli/cli_app.hpp"
#include "crs/datum_shift.hpp" // HubSpheroidCode

#include <iosfwd>
#include <string>

namespace vortane {

// Where the options store one end's three names.
struct TEndNameFields {
    std::string* Spheroid;
    std::string* Datum;
    std::string* System;
};

// Adds --in-spheroid, --in-datum, --in-system, --out-spheroid, --out-datum and --out-system.
void AddSelectionOptions(CLI::App& Command, TEndNameFields In, TEndNameFields Out, bool Required);

// One end's three names as given, and the side ("in" or "out") its option names carry.
struct TEndNames {
    const char* Side;
    const std::string& Spheroid;
    const std::string& Datum;
    const std::string& System;
};

// Finds the catalogue objects of both ends. False when a name is unknown: every unknown one is named
// on Err with its option, followed by where the known names can be seen.
bool ResolveSelection(const TCSList& Catalogue, const TEndNames& In, const TEndNames& Out,
                      TCSSelection& InEnd, TCSSelection& OutEnd, std::ostream& Err);

// False, after saying so on Err, when a unit index is not one of crs/units.hpp.
bool CheckUnitIndexes(int InUnits, int OutUnits, std::ostream& Err);

} // namespace vortane
