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

} // namespace

TSettings ReadSettings(const std::string& FileName) {
    const TIniAdd Ini(FileName);
    TSettings Settings;
    for (const TSettingsKey& Key : SettingsKeys)
        std::visit(TKeyReader{Ini, Key, Settings}, Key.Field);
    return Settings;
}

bool WriteSettings(const TSettings& Settings, const std::string& FileName) {
    TIniAdd Ini(FileName);
    for (const TSettingsKey& Key : SettingsKeys)
        std::visit(TKeyWriter{Ini, Key, Settings}, Key.Field);
    std::error_code Ignored; // a folder that cannot be made shows as the failed save
    std::filesystem::create_directories(std::filesystem::path(FileName).parent_path(), Ignored);
    return Ini.Save();
}

} // namespace vortane
