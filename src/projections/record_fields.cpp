#include "projections/record_fields.hpp"

#include "text/map.hpp"
#include "text/strings.hpp"

#include <filesystem>
#include <system_error>

namespace vortane {

std::string_view TRecordFields::NextField() {
    constexpr char Separator = ',';
    while (FPos < FLine.size() && FLine[FPos] == Separator)
        ++FPos;
    const std::size_t Start = FPos;
    while (FPos < FLine.size() && FLine[FPos] != Separator)
        ++FPos;
    return FLine.substr(Start, FPos - Start);
}

std::string TRecordFields::NextText() {
    return TrimRightBlanks(NextField());
}

double TRecordFields::NextNumber(double Default) {
    return StrToFloatDef(NextField(), Default);
}

bool LoadCatalogueRecords(const std::string& FileName,
                          const std::function<void(const std::string&)>& AddEntry) {
    std::error_code Error;
    if (!std::filesystem::is_regular_file(FileName, Error)) return false;
    // An empty file cannot be mapped, but it is simply a catalogue without entries.
    if (std::filesystem::file_size(FileName, Error) == 0 && !Error) return true;
    try {
        TReadLine Reader(FileName);
        std::string Line;
        for (;;) {
            Reader.ReadLine(Line);
            if (IsEndMarker(Line)) return true;
            const std::string Decoded = DecodeCatalogueLine(Line);
            if (Decoded.empty() || Decoded.front() == ';') continue;
            AddEntry(Decoded);
        }
    } catch (const EReadLineError&) {
        return false;
    } catch (const EMapError&) {
        return false;
    }
}

} // namespace vortane
