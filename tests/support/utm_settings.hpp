#pragma once
// The settings file of a run between two UTM zones on WGS 84, as the desktop program stores it.

#include "job/settings.hpp"

#include <string>

namespace vortane::test {

inline TSettings UtmSettings(const std::string& InSystem, const std::string& OutSystem, std::string InName,
                             std::string OutName) {
    TSettings Settings;
    Settings.InSpheroid = Settings.OutSpheroid = "WE";
    Settings.InDatum = Settings.OutDatum = "WGS84";
    Settings.InProjection = InSystem;
    Settings.OutProjection = OutSystem;
    Settings.InName = std::move(InName);
    Settings.OutName = std::move(OutName);
    return Settings;
}

} // namespace vortane::test
