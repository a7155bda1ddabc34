#include "catalogue/system_search.hpp"

#include <algorithm>
#include <cctype>

namespace vortane {

namespace {

bool HoldsText(const std::string& Field, const std::string& Text) {
    const auto SameLetter = [](char A, char B) {
        return std::tolower(static_cast<unsigned char>(A)) == std::tolower(static_cast<unsigned char>(B));
    };
    return std::search(Field.begin(), Field.end(), Text.begin(), Text.end(), SameLetter) != Field.end();
}

} // namespace

std::vector<TSystemEntry> EpsgSystems(const TCSList& Catalogue) {
    std::vector<TSystemEntry> Systems;
    for (const TEpsgEntry& Entry : Catalogue.EpsgCodes.Entries()) {
        TCSSelection Selection;
        if (Entry.Kind != EEpsgKind::Datum && Catalogue.ResolveEpsgEntry(Entry, Selection))
            Systems.push_back({Selection, &Entry});
    }
    return Systems;
}

bool SystemMatches(const TSystemEntry& Entry, const std::string& Text) {
    const TCSSelection& S = Entry.Selection;
    const std::string Fields[] = {S.System ? S.System->Name : "", S.Datum ? S.Datum->Name : "",
                                  S.Datum ? S.Datum->Region : "", Entry.Epsg ? Entry.Epsg->Description : "",
                                  Entry.Epsg ? "EPSG:" + std::to_string(Entry.Epsg->Code) : ""};
    return std::any_of(std::begin(Fields), std::end(Fields),
                       [&Text](const std::string& Field) { return HoldsText(Field, Text); });
}

} // namespace vortane
