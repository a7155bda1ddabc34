#include "job/settings.hpp"

#include "text/ini.hpp"

#include <filesystem>
#include <system_error>
#include <variant>

namespace vortane {

namespace {

using TSettingsField = std::variant<std::string TSettings::*, bool TSettings::*, long TSettings::*>;

struct TSettingsKey {
    const char* Section;
    const char* Key;
    TSettingsField Field;
};

// In the order the keys are written, so a file written afresh lists them as it always has.
const TSettingsKey SettingsKeys[] = {
    {"Input", "Spheroid", &TSettings::InSpheroid},
    {"Input", "Datum", &TSettings::InDatum},
    {"Input", "Projection", &TSettings::InProjection},
    {"Output", "Spheroid", &TSettings::OutSpheroid},
    {"Output", "Datum", &TSettings::OutDatum},
    {"Output", "Projection", &TSettings::OutProjection},
    {"Files", "InName", &TSettings::InName},
    {"Files", "OutName", &TSettings::OutName},
    {"Options", "List", &TSettings::List},
    {"Options", "BackGround", &TSettings::BackGround},
    {"Options", "InUnits", &TSettings::InUnits},
    {"Options", "OutUnits", &TSettings::OutUnits},
    {"Options", "ExactProjections", &TSettings::ExactProjections},
    {"Options", "ErsRegistration", &TSettings::ErsRegistration},
    {"Options", "Resampling", &TSettings::Resampling},
    {"Options", "Compression", &TSettings::Compression},
    {"Options", "Quality", &TSettings::Quality},
    {"Options", "TileSize", &TSettings::TileSize},
    {"Options", "Cog", &TSettings::Cog},
    {"Options", "NoData", &TSettings::NoData},
    {"Options", "Alpha", &TSettings::Alpha},
};

// Reads one key into its field; a missing or unreadable value leaves the field's default.
struct TKeyReader {
    const TIniAdd& Ini;
    const TSettingsKey& Key;
    TSettings& Settings;
    void operator()(std::string TSettings::*Field) const {
        Settings.*Field = Ini.ReadString(Key.Section, Key.Key, Settings.*Field);
    }
    void operator()(bool TSettings::*Field) const {
        Settings.*Field = Ini.ReadBool(Key.Section, Key.Key, Settings.*Field);
    }
    void operator()(long TSettings::*Field) const {
        Settings.*Field = Ini.ReadInteger(Key.Section, Key.Key, Settings.*Field);
    }
};

struct TKeyWriter {
    TIniAdd& Ini;
    const TSettingsKey& Key;
    const TSettings& Settings;
    void operator()(std::string TSettings::*Field) const {
        Ini.WriteString(Key.Section, Key.Key, Settings.*Field);
    }
    void operator()(bool TSettings::*Field) const { Ini.WriteBool(Key.Section, Key.Key, Settings.*Field); }
    void operator()(long TSettings::*Field) const { Ini.WriteInteger(Key.Section, Key.Key, Settings.*Field); }
};

// The recent lists hold numbered keys ("Spheroid1", "File1", ...). A number beyond a list's end that
// the file holds is emptied, so a shorter list leaves nothing of a longer one behind; empty entries are
// skipped on reading.
const char* const RecentSystemsSection = "Recent systems";
const char* const RecentInputsSection = "Recent inputs";

std::string Numbered(const char* Key, std::size_t Index) {
    return Key + std::to_string(Index + 1);
}

void ReadRecent(const TIniAdd& Ini, TSettings& Settings) {
    for (std::size_t i = 0; i < TSettings::RecentCount; ++i) {
        TSystemNames System{Ini.ReadString(RecentSystemsSection, Numbered("Spheroid", i), ""),
                            Ini.ReadString(RecentSystemsSection, Numbered("Datum", i), ""),
                            Ini.ReadString(RecentSystemsSection, Numbered("Projection", i), "")};
        if (!System.Spheroid.empty() && !System.Datum.empty() && !System.Projection.empty())
            Settings.RecentSystems.push_back(System);
        std::string Input = Ini.ReadString(RecentInputsSection, Numbered("File", i), "");
        if (!Input.empty()) Settings.RecentInputs.push_back(std::move(Input));
    }
}

void WriteEntry(TIniAdd& Ini, const char* Section, const std::string& Key, const std::string& Value) {
    if (!Value.empty() || !Ini.ReadString(Section, Key, "").empty()) Ini.WriteString(Section, Key, Value);
}

void WriteRecent(TIniAdd& Ini, const TSettings& Settings) {
    for (std::size_t i = 0; i < TSettings::RecentCount; ++i) {
        const TSystemNames System =
            i < Settings.RecentSystems.size() ? Settings.RecentSystems[i] : TSystemNames{};
        WriteEntry(Ini, RecentSystemsSection, Numbered("Spheroid", i), System.Spheroid);
        WriteEntry(Ini, RecentSystemsSection, Numbered("Datum", i), System.Datum);
        WriteEntry(Ini, RecentSystemsSection, Numbered("Projection", i), System.Projection);
        WriteEntry(Ini, RecentInputsSection, Numbered("File", i),
                   i < Settings.RecentInputs.size() ? Settings.RecentInputs[i] : "");
    }
}

} // namespace

TSettings ReadSettings(const std::string& FileName) {
    const TIniAdd Ini(FileName);
    TSettings Settings;
    for (const TSettingsKey& Key : SettingsKeys)
        std::visit(TKeyReader{Ini, Key, Settings}, Key.Field);
    ReadRecent(Ini, Settings);
    return Settings;
}

bool WriteSettings(const TSettings& Settings, const std::string& FileName) {
    TIniAdd Ini(FileName);
    for (const TSettingsKey& Key : SettingsKeys)
        std::visit(TKeyWriter{Ini, Key, Settings}, Key.Field);
    WriteRecent(Ini, Settings);
    std::error_code Ignored; // a folder that cannot be made shows as the failed save
    std::filesystem::create_directories(std::filesystem::path(FileName).parent_path(), Ignored);
    return Ini.Save();
}

} // namespace vortane
