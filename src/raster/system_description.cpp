#include "raster/system_description.hpp"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace vortane {

namespace {

// The characters XML element text cannot hold as they are.
std::string XmlText(std::string_view Text) {
    std::string Escaped;
    for (const char C : Text) {
        switch (C) {
        case '&':
            Escaped += "&amp;";
            break;
        case '<':
            Escaped += "&lt;";
            break;
        case '>':
            Escaped += "&gt;";
            break;
        default:
            Escaped += C;
        }
    }
    return Escaped;
}

} // namespace

std::string SystemSideFileName(const std::string& ImageName) {
    return ImageName + ".aux.xml";
}

std::string SystemSideFileText(const TSystemDescription& System) {
    return "<PAMDataset>\n  <SRS dataAxisToSRSAxisMapping=\"" + System.AxisMapping + "\">" +
           XmlText(System.Wkt) + "</SRS>\n</PAMDataset>\n";
}

std::string WriteSystemSideFile(const std::string& ImageName, const TSystemDescription& System) {
    const std::string Name = SystemSideFileName(ImageName);
    errno = 0;
    std::ofstream File(Name, std::ios::binary | std::ios::trunc);
    File << SystemSideFileText(System);
    File.close();
    if (!File.fail()) return {};
    return "Cannot write " + Name + ": " + std::generic_category().message(errno != 0 ? errno : EIO);
}

void RemoveSystemSideFile(const std::string& ImageName) {
    namespace fs = std::filesystem;
    const std::string Name = SystemSideFileName(ImageName);
    std::error_code Ignored; // one that cannot be removed is found by the write, or stays harmless
    const fs::file_status Status = fs::symlink_status(Name, Ignored);
    if (fs::is_regular_file(Status) || fs::is_symlink(Status)) fs::remove(Name, Ignored);
}

} // namespace vortane
