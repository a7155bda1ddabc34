#pragma once
// The two coordinate systems a command carries positions or images between, each named on the command
// line either by a spheroid code, a datum name and a coordinate system name (--in-spheroid ...
// --out-system) or by an EPSG code (--in-crs, --out-crs), and the look-up of those in the catalogue.

#include "catalogue/catalogue.hpp"
#include "cli/cli_app.hpp"
#include "crs/datum_shift.hpp" // HubSpheroidCode

#include <iosfwd>
#include <string>

namespace vortane {

// Where the options store one end's three names and its EPSG code text.
struct TEndNameFields {
    std::string* Spheroid;
    std::string* Datum;
    std::string* System;
    std::string* Crs;
};

// Adds --in-spheroid, --in-datum, --in-system, --in-crs and the same for --out-. The parser refuses an
// end given both ways; which of the two an end needs is left to ResolveSelection (and the settings
// file of warp).
void AddSelectionOptions(CLI::App& Command, TEndNameFields In, TEndNameFields Out);

// One end as given: its three names, its EPSG code text, and the side ("in" or "out") its option names
// carry. A code, when given, decides the end.
struct TEndNames {
    const char* Side;
    const std::string& Spheroid;
    const std::string& Datum;
    const std::string& System;
    const std::string& Crs;
};

// True, after naming each on Err, when an end without a code lacks one of its three names.
bool ReportMissingNames(const TEndNames& In, const TEndNames& Out, std::ostream& Err);

// Finds the catalogue objects of both ends. False when a name or code is unknown: every such one is
// named on Err with its option, followed by where the known names or codes can be seen.
bool ResolveSelection(const TCSList& Catalogue, const TEndNames& In, const TEndNames& Out,
                      TCSSelection& InEnd, TCSSelection& OutEnd, std::ostream& Err);

// False, after saying so on Err, when a unit index is not one of crs/units.hpp.
bool CheckUnitIndexes(int InUnits, int OutUnits, std::ostream& Err);

} // namespace vortane
