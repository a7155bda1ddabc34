#pragma once
// The EPSG codes of the catalogue's datums and systems, as "epsg.txt" beside the catalogue files lists
// them (its header describes the layout). The table only holds names and codes; TCSList turns them
// into catalogue objects.

#include <string>
#include <string_view>
#include <vector>

namespace vortane {

enum class EEpsgKind { Datum, Geographic, Projected };

struct TEpsgEntry {
    EEpsgKind Kind = EEpsgKind::Datum;
    std::string System; // projected entries only
    std::string Datum;
    int Code = 0;
    std::string Description; // the code's published name
};

class TEpsgTable {
public:
    // Reads the table. False when the file cannot be read. A line without the layout is left out and
    // named in Errors ("epsg.txt line 12: ...").
    bool LoadFromFile(const std::string& FileName);

    // The code written for a datum, for its geographic system, and for System on Datum: the first line
    // of the key. 0 when the table has none.
    int DatumCode(std::string_view Datum) const;
    int GeographicCode(std::string_view Datum) const;
    int ProjectedCode(std::string_view System, std::string_view Datum) const;

    // The geographic and projected entries holding Code, first line first.
    std::vector<const TEpsgEntry*> SystemsOfCode(int Code) const;
    // The first datum entry holding Code; nullptr when none.
    const TEpsgEntry* DatumOfCode(int Code) const;

    const std::vector<TEpsgEntry>& Entries() const { return FEntries; }
    bool Empty() const { return FEntries.empty(); }

    std::vector<std::string> Errors;

private:
    int FirstCode(EEpsgKind Kind, std::string_view System, std::string_view Datum) const;

    std::vector<TEpsgEntry> FEntries;
};

} // namespace vortane
