#pragma once
// The record each image format gives of itself: how a file of the format is recognised (the extension
// of its name, its first bytes), which raster class handles it, and which files an output of a given
// name writes. Each format folder builds its record from its own constants; format_registry.cpp lists
// the records.

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vortane {

class TDataSetRoot2;
struct TCreationOptions;

// File type codes, one per record, as FileTypeByExt and FileTypeByContent give them.
enum : int {
    ftErs = 0,
    ftOsd = 1,
    ftTif = 2,
    ftGif = 3,
    ftBmp = 4,
    ftDtm = 5,
    ftNog = 6,
    ftJpg = 7,
    ftVeg = 8,
    ftEcw = 9,
    ftDcr = 10,
    ftRsw = 11,
    ftBit = 12,
    ftUnknown = 13, // no format matched
    ftMissing = 14, // no such file
};

// A test on a file's first bytes: Exact compares byte for byte, otherwise letters are compared
// without regard to case. An empty Bytes never matches.
struct TSignature {
    std::string_view Bytes;
    bool Exact = false;
};

constexpr TSignature Letters(std::string_view Text) {
    return {Text, false};
}
constexpr TSignature ExactBytes(std::string_view Text) {
    return {Text, true};
}

enum class TFormatAccess {
    None,      // not part of this build
    Read,      // opened for reading only
    ReadWrite, // opened for reading and created as output
};

struct TImageFormat {
    int Code = ftUnknown;
    std::string_view Name{};                      // "ER Mapper"
    std::string_view ExtensionKey{};              // an extension containing it (any case) selects the format
    std::array<std::string_view, 2> Extensions{}; // output extensions offered to the user, first preferred
    std::array<TSignature, 2> Signatures{};       // first bytes that select the format when reading
    // A test on a longer start of the file, when the format's first bytes may vary (comment lines
    // before a text header); tried when no signature matched. Null for most formats.
    bool (*StartMatches)(std::string_view Start) = nullptr;
    bool ExtensionOnRead = false; // read by its extension when no signature matched
    TFormatAccess Access = TFormatAccess::None;
    // Its header declares the coordinate system in a form other programs read (GeoTIFF keys); the
    // other formats' outputs declare it in an auxiliary file beside them.
    bool SystemInHeader = false;
    // Its header or tags declare the value its empty cells hold (TCreationOptions::NoData) to other
    // programs; the other formats' outputs hold that value undeclared.
    bool NoDataInHeader = false;
    std::unique_ptr<TDataSetRoot2> (*Create)() = nullptr; // null while the format is not part of this build
    // Every file creating an output of the given name writes or replaces.
    std::vector<std::string> (*OutputFiles)(const std::string& OutFile) = nullptr;
    // A raster of another class for a file the format's own raster refused to open for reading (a TIFF
    // whose cells cannot be mapped in place, say); null, or returning null, when there is none.
    std::unique_ptr<TDataSetRoot2> (*ReaderForRefused)(const TDataSetRoot2& Refused) = nullptr;
    // A raster of another class for an image created with storage choices the format's own raster
    // does not make (a compressed TIFF, say); null, or returning null, when its own raster makes them.
    std::unique_ptr<TDataSetRoot2> (*WriterFor)(const TCreationOptions& Options) = nullptr;
};

// The factory of a record: a new raster of the class.
template <typename TRaster> std::unique_ptr<TDataSetRoot2> Make() {
    return std::make_unique<TRaster>();
}

// The auxiliary file of an image of that name: an output writes it, or removes an old one.
std::string SystemSideFileName(const std::string& ImageName);

// The files a raster of the class names for an output: header formats their cells and header; every
// output its auxiliary file.
template <typename TRaster> std::vector<std::string> FilesOf(const std::string& OutFile) {
    TRaster Raster;
    Raster.SetFileName(OutFile);
    std::vector<std::string> Files = Raster.ImageFiles();
    Files.push_back(SystemSideFileName(OutFile));
    return Files;
}

// The record of a format that the raster class reads and writes: Format with access, factory and
// output files filled in.
template <typename TRaster> constexpr TImageFormat ReadWriteFormat(TImageFormat Format) {
    Format.Access = TFormatAccess::ReadWrite;
    Format.Create = Make<TRaster>;
    Format.OutputFiles = FilesOf<TRaster>;
    return Format;
}

} // namespace vortane
