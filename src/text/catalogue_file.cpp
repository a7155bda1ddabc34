#include "text/catalogue_file.hpp"

#include "text/map.hpp"
#include "text/strings.hpp"

#include <filesystem>
#include <system_error>

namespace vortane {

namespace {

bool IsDataLine(const std::string& Line) {
    return !Line.empty() && Line.front() != ';';
}

} // namespace

bool ForEachCatalogueLine(const std::string& FileName,
                          const std::function<void(const std::string&)>& AddLine) {
    // Only regular files: a folder cannot be read, and opening a pipe could wait forever.
    std::error_code Error;
    if (!std::filesystem::is_regular_file(FileName, Error)) return false;
    // A file without bytes holds no lines, which is not an error; the mapping reader cannot map it, so
    // it is answered here.
    if (std::filesystem::file_size(FileName, Error) == 0 && !Error) return true;
    try {
        TReadLine Reader(FileName);
        std::string Line;
        for (;;) {
            Reader.ReadLine(Line);
            if (IsEndMarker(Line)) return true;
            const std::string Decoded = DecodeCatalogueLine(Line);
            if (IsDataLine(Decoded)) AddLine(Decoded);
        }
    } catch (const EReadLineError&) {
        return false;
    }
}

} // namespace vortane
