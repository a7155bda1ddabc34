#pragma once
// `vortane-cli catalogue encode|decode|list|find`: the stored form of the catalogue files, what a loaded
// catalogue holds, and its systems with EPSG codes.
//
// encode and decode turn plain catalogue lines into the stored (shifted) form and back, stdin to stdout,
// one line at a time; input lines may end with LF or CR LF, output lines end with CR LF. list loads the
// catalogue and prints its spheroids, its datums, and per spheroid the projection types with their
// systems in the order the chooser offers them. find lists the systems of the EPSG table whose names,
// region, published name or code hold a text.

#include "cli/cli_app.hpp"

#include <iosfwd>
#include <string>

namespace vortane {

class TCSList;

void AddCatalogueCommand(CLI::App& App, TCliContext& Context);

// Each returns ExitSuccess, or ExitFailure after naming on Err every line (counted from 1) it could not
// carry over; such lines are left out of Out, the others are still written.
int EncodeCatalogueStream(std::istream& In, std::ostream& Out, std::ostream& Err);
int DecodeCatalogueStream(std::istream& In, std::ostream& Out, std::ostream& Err);

// Loads the catalogue files of Folder (ending with "/") and prints the loader's warnings to Err, with
// "Error loading files" last when the catalogue is incomplete. Returns what LoadAll returned.
bool LoadCatalogueReporting(TCSList& Catalogue, const std::string& Folder, std::ostream& Err);

// " (the catalogue folder holds no epsg.txt)" when the catalogue has no EPSG codes, else nothing: the
// reason a code or a search found nothing.
std::string NoTableNote(const TCSList& Catalogue);

// Prints the catalogue as plain text: three sections, fields separated by TAB, entries indented.
void PrintCatalogue(const TCSList& Catalogue, std::ostream& Out);

// The --exact-projections flag of the commands that convert.
void AddExactProjectionsFlag(CLI::App& Command, bool& ExactProjections);

} // namespace vortane
