#pragma once
// Reading the stored catalogue files line by line: every line decoded, comment and empty lines left out.

#include <functional>
#include <memory>
#include <string>

namespace vortane {

// Calls AddLine with every decoded line of the stored (encoded) catalogue file FileName that is neither
// empty nor begins with ";". False when FileName is not a regular file or a read error occurs (lines
// handed over before it stay handed over); True otherwise, also for a file without bytes.
bool ForEachCatalogueLine(const std::string& FileName,
                          const std::function<void(const std::string&)>& AddLine);

// Appends to List one TEntry made from each line ForEachCatalogueLine hands over; its result.
template <class TEntry, class TList> bool AddCatalogueEntries(TList& List, const std::string& FileName) {
    return ForEachCatalogueLine(
        FileName, [&List](const std::string& Line) { List.Add(std::make_unique<TEntry>(Line)); });
}

} // namespace vortane
