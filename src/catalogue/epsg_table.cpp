#include "catalogue/epsg_table.hpp"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>

namespace vortane {

namespace {

constexpr std::string_view Blanks = " \t";

// Cuts the next blank-separated field off the front of Rest; empty when none is left.
std::string_view NextField(std::string_view& Rest) {
    const std::size_t Start = Rest.find_first_not_of(Blanks);
    if (Start == std::string_view::npos) {
        Rest = {};
        return {};
    }
    Rest.remove_prefix(Start);
    const std::size_t End = std::min(Rest.find_first_of(Blanks), Rest.size());
    const std::string_view Field = Rest.substr(0, End);
    Rest.remove_prefix(End);
    return Field;
}

std::string_view Trimmed(std::string_view Text) {
    const std::size_t Start = Text.find_first_not_of(Blanks);
    if (Start == std::string_view::npos) return {};
    return Text.substr(Start, Text.find_last_not_of(Blanks) - Start + 1);
}

// A positive number of digits only.
bool ReadCode(std::string_view Text, int& Code) {
    const char* End = Text.data() + Text.size();
    const auto [Stop, Error] = std::from_chars(Text.data(), End, Code);
    return !Text.empty() && Text.front() != '-' && Error == std::errc() && Stop == End && Code > 0;
}

bool ReadKind(std::string_view Text, EEpsgKind& Kind) {
    if (Text == "datum")
        Kind = EEpsgKind::Datum;
    else if (Text == "geographic")
        Kind = EEpsgKind::Geographic;
    else if (Text == "projected")
        Kind = EEpsgKind::Projected;
    else
        return false;
    return true;
}

// One entry line; false with the reason in Error when it lacks the layout.
bool ParseEntry(std::string_view Line, TEpsgEntry& Entry, std::string& Error) {
    std::string_view Rest = Line;
    const std::string_view KindText = NextField(Rest);
    if (!ReadKind(KindText, Entry.Kind)) {
        Error = "unknown kind \"" + std::string(KindText) + "\" (datum, geographic or projected)";
        return false;
    }
    if (Entry.Kind == EEpsgKind::Projected) Entry.System = NextField(Rest);
    Entry.Datum = NextField(Rest);
    const std::string_view CodeText = NextField(Rest);
    if (Entry.Datum.empty() || CodeText.empty()) {
        Error = "too few fields";
        return false;
    }
    if (!ReadCode(CodeText, Entry.Code)) {
        // Built piece by piece: GCC 12 at -O3 takes "\"" + std::string for an overlapping copy.
        Error.assign(1, '"').append(CodeText).append("\" is not an EPSG code");
        return false;
    }
    Entry.Description = Trimmed(Rest);
    return true;
}

} // namespace

bool TEpsgTable::LoadFromFile(const std::string& FileName) {
    std::ifstream File(FileName, std::ios::binary);
    if (!File) return false;
    const std::string ShortName = std::filesystem::path(FileName).filename().string();
    std::string Line, Error;
    for (int LineNumber = 1; std::getline(File, Line); ++LineNumber) {
        if (!Line.empty() && Line.back() == '\r') Line.pop_back();
        const std::string_view Text = Trimmed(Line);
        if (Text.empty() || Text.front() == ';') continue;
        TEpsgEntry Entry;
        if (ParseEntry(Text, Entry, Error))
            FEntries.push_back(std::move(Entry));
        else
            Errors.push_back(ShortName + " line " + std::to_string(LineNumber) + ": " + Error);
    }
    return true;
}

int TEpsgTable::FirstCode(EEpsgKind Kind, std::string_view System, std::string_view Datum) const {
    for (const TEpsgEntry& Entry : FEntries)
        if (Entry.Kind == Kind && Entry.System == System && Entry.Datum == Datum) return Entry.Code;
    return 0;
}

int TEpsgTable::DatumCode(std::string_view Datum) const {
    return FirstCode(EEpsgKind::Datum, "", Datum);
}

int TEpsgTable::GeographicCode(std::string_view Datum) const {
    return FirstCode(EEpsgKind::Geographic, "", Datum);
}

int TEpsgTable::ProjectedCode(std::string_view System, std::string_view Datum) const {
    return System.empty() ? 0 : FirstCode(EEpsgKind::Projected, System, Datum);
}

std::vector<const TEpsgEntry*> TEpsgTable::SystemsOfCode(int Code) const {
    std::vector<const TEpsgEntry*> Found;
    for (const TEpsgEntry& Entry : FEntries)
        if (Entry.Kind != EEpsgKind::Datum && Entry.Code == Code) Found.push_back(&Entry);
    return Found;
}

const TEpsgEntry* TEpsgTable::DatumOfCode(int Code) const {
    for (const TEpsgEntry& Entry : FEntries)
        if (Entry.Kind == EEpsgKind::Datum && Entry.Code == Code) return &Entry;
    return nullptr;
}

} // namespace vortane
