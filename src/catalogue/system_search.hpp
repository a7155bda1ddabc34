#pragma once
// Finding coordinate systems by what people know of them: a name, a datum or its region, a published
// name, an EPSG code. The command line's `catalogue find` and the desktop program's search share it.

#include "catalogue/catalogue.hpp"

#include <string>
#include <vector>

namespace vortane {

// A whole selection (spheroid, datum, system) with the EPSG table line it came from, if any.
struct TSystemEntry {
    TCSSelection Selection;
    const TEpsgEntry* Epsg = nullptr;
};

// Every geographic and projected line of the catalogue's EPSG table whose names the catalogue holds,
// in table order.
std::vector<TSystemEntry> EpsgSystems(const TCSList& Catalogue);

// Whether Text occurs, letters in any case, in the entry's system name, datum name, datum region,
// published name or "EPSG:code". An empty text matches everything.
bool SystemMatches(const TSystemEntry& Entry, const std::string& Text);

} // namespace vortane
