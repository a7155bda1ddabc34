// Feeds arbitrary bytes as the EPSG table and looks codes up both ways: loading must end, every line
// is either an entry or a named error, and lookups stay inside the table.
#include "catalogue/epsg_table.hpp"

#include "temp_input_file.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    static const std::string Name = fuzzing::TempInputName("epsg") + ".txt";
    if (!fuzzing::WriteInputFile(Name, Data, Size)) return 0;
    vortane::TEpsgTable Table;
    if (!Table.LoadFromFile(Name)) return 0;
    // Every entry's key and code must be found again.
    for (const vortane::TEpsgEntry& Entry : Table.Entries()) {
        int Code = 0;
        switch (Entry.Kind) {
        case vortane::EEpsgKind::Datum:
            Code = Table.DatumOfCode(Entry.Code) ? Table.DatumCode(Entry.Datum) : 0;
            break;
        case vortane::EEpsgKind::Geographic:
            Code = Table.SystemsOfCode(Entry.Code).empty() ? 0 : Table.GeographicCode(Entry.Datum);
            break;
        case vortane::EEpsgKind::Projected:
            Code =
                Table.SystemsOfCode(Entry.Code).empty() ? 0 : Table.ProjectedCode(Entry.System, Entry.Datum);
            break;
        }
        if (Code <= 0) std::abort();
    }
    return 0;
}
