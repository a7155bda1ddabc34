#pragma once
// The settings file both front ends share: the desktop program keeps its selection, files and options
// in it between sessions, and `vortane-cli warp --settings` takes a run from it. Its sections and keys
// are named here and nowhere else.

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace vortane {

// A coordinate system as the settings name it: spheroid code, datum name, system name.
struct TSystemNames {
    std::string Spheroid, Datum, Projection;
    bool operator==(const TSystemNames&) const = default;
};

// What the file holds; a key the file lacks (or cannot be read as its type) leaves its default.
struct TSettings {
    // Each end's catalogue names: spheroid code, datum name, coordinate system name.
    std::string InSpheroid, InDatum, InProjection;
    std::string OutSpheroid, OutDatum, OutProjection;
    std::string InName, OutName; // the input image (or photo list) and the output image
    bool List = false;           // the input name is a photo list
    // As the file gives them; each front end checks their ranges in its own way.
    long BackGround = 0; // 24-bit colour: red in the low byte, then green, then blue
    long InUnits = 0;    // unit index of the input coordinates
    long OutUnits = 0;   // unit index of the output coordinates
    bool ExactProjections = false;
    // The desktop program's recent choices, most recent first, at most RecentCount of each.
    std::vector<TSystemNames> RecentSystems{};
    std::vector<std::string> RecentInputs{};
    std::string ErsRegistration{}; // "corner" or "centre": ER Mapper registration coordinates; empty: corner
    std::string Resampling = "auto"; // the name of the sampling method
    // How the output stores its cells, as TOutputChoices names them.
    std::string Compression = "none";
    long Quality = 75;
    long TileSize = 0;
    bool Cog = false;
    std::string NoData{}; // empty: none
    bool Alpha = false;

    static constexpr std::size_t RecentCount = 10;
    bool operator==(const TSettings&) const = default;
};

// Puts Item first in a most-recent-first List, once, keeping at most TSettings::RecentCount entries.
template <class T> void RememberFirst(std::vector<T>& List, const T& Item) {
    List.erase(std::remove(List.begin(), List.end(), Item), List.end());
    List.insert(List.begin(), Item);
    if (List.size() > TSettings::RecentCount) List.resize(TSettings::RecentCount);
}

// The settings of FileName; all defaults when there is no such file.
TSettings ReadSettings(const std::string& FileName);

// Stores Settings in FileName, keeping every other key the file holds, and creates its folder when
// missing (the user's configuration folder may not exist yet). False when it cannot be written.
bool WriteSettings(const TSettings& Settings, const std::string& FileName);

} // namespace vortane
