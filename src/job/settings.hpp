#pragma once
// The settings file both front ends share: the desktop program keeps its selection, files and options
// in it between sessions, and `vortane-cli warp --settings` takes a run from it. Its sections and keys
// are named here and nowhere else.

#include <string>

namespace vortane {

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
    std::string ErsRegistration{}; // "corner" or "centre": ER Mapper registration coordinates; empty: corner
    std::string Resampling = "auto"; // the name of the sampling method

    bool operator==(const TSettings&) const = default;
};

// The settings of FileName; all defaults when there is no such file.
TSettings ReadSettings(const std::string& FileName);

// Stores Settings in FileName, keeping every other key the file holds, and creates its folder when
// missing (the user's configuration folder may not exist yet). False when it cannot be written.
bool WriteSettings(const TSettings& Settings, const std::string& FileName);

} // namespace vortane
