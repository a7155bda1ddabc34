#include "app/app_files.hpp"

#include "text/strings.hpp"

#include <QCoreApplication>
#include <QStandardPaths>

#include <filesystem>
#include <unistd.h>

namespace vortane {

namespace {

bool Writable(const std::string& Path) {
    return ::access(Path.c_str(), W_OK) == 0;
}

bool Exists(const std::string& Path) {
    std::error_code Ignored;
    return std::filesystem::exists(Path, Ignored);
}

std::string FindHelpFile(const std::string& ProgramFolder) {
    for (const std::string& Candidate :
         {ProgramFolder + "README.md", ProgramFolder + "../share/doc/vortane/README.md",
          std::string(VORTANE_SOURCE_DIR "/README.md")})
        if (Exists(Candidate)) return Candidate;
    return {};
}

} // namespace

TSettingsFiles SettingsFilesFor(const std::string& ProgramFolder, const std::string& ProgramName,
                                const std::string& UserFolder) {
    const std::string Beside = ProgramFolder + ProgramName + ".ini";
    if (Exists(Beside) ? Writable(Beside) : Writable(ProgramFolder)) return {Beside, Beside};
    const std::string Own = UserFolder + ProgramName + ".ini";
    return {Exists(Own) ? Own : Beside, Own};
}

TAppFiles ProgramFiles() {
    const std::string Folder = ProgramDir();
    const std::string Name =
        std::filesystem::path(QCoreApplication::applicationFilePath().toStdString()).stem();
    const std::string UserFolder =
        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation).toStdString() + "/";
    return {SettingsFilesFor(Folder, Name, UserFolder), CatalogueFolderBeside(Folder), FindHelpFile(Folder)};
}

} // namespace vortane
