#pragma once
// The files the desktop program reads besides images: its settings file, the catalogue folder and the
// help text. Settings live beside the program, unless that folder cannot be written (an installed
// program in /usr/bin), in which case the user's configuration folder holds them, so that saving
// never fails silently.

#include <string>

namespace vortane {

struct TSettingsFiles {
    std::string Read;  // read once at start
    std::string Write; // written at each start of a run and when the window closes
};

// "<ProgramFolder><ProgramName>.ini" when it (or, while it does not exist, its folder) can be written;
// otherwise "<UserFolder>/<ProgramName>.ini", read from beside the program until the user's own file
// exists. Folders passed with a trailing "/".
TSettingsFiles SettingsFilesFor(const std::string& ProgramFolder, const std::string& ProgramName,
                                const std::string& UserFolder);

struct TAppFiles {
    TSettingsFiles Settings;
    std::string CatalogueFolder; // ends with "/"
    std::string HelpFile;        // the README shown by the Help command; "" when none is found
};

// The running program's files: settings by the rule above (the user folder from QStandardPaths), the
// catalogue beside the program or in ../share/vortane, the README beside the program, in
// ../share/doc/vortane or in the source tree of a developer build.
TAppFiles ProgramFiles();

} // namespace vortane
