#pragma once
// The image formats this program knows, one record each: how a file of the format is recognised (the
// extension of its name, its first bytes), which raster class handles it, and which files an output
// of a given name writes. Detection, the data set and the output checks all read this one table, so
// a new format is one folder under raster/ and one line in format_registry.cpp.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vortane {

class TDataSetRoot2;

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

enum class TFormatAccess {
    None,      // not part of this build
    Read,      // opened for reading only
    ReadWrite, // opened for reading and created as output
};

struct TImageFormat {
    int Code;
    std::string_view Name;                      // "ER Mapper"
    std::string_view ExtensionKey;              // an extension containing it (any case) selects the format
    std::array<std::string_view, 2> Extensions; // output extensions offered to the user, first preferred
    std::array<TSignature, 2> Signatures;       // first bytes that select the format when reading
    bool ExtensionOnRead;                       // read by its extension when no signature matched
    TFormatAccess Access;
    std::unique_ptr<TDataSetRoot2> (*Create)(); // null while the format is not part of this build
    // Every file creating an output of the given name writes or replaces.
    std::vector<std::string> (*OutputFiles)(const std::string& OutFile);
};

// Every record, in type code order (which is also the order FileTypeByExt tries the keys).
std::span<const TImageFormat> ImageFormats();
// The record of a type code; null for ftUnknown, ftMissing and anything else without one.
const TImageFormat* FindFormat(int FileType);
// Every file creating OutFile writes or replaces, as the format its extension selects names them
// (the image and its world files when no format is selected).
std::vector<std::string> OutputFilesOf(const std::string& OutFile);
// Readable name of the format of a type code ("ER Mapper", "TIFF", ...); "unknown" without a record.
std::string FormatName(int FileType);

// Type code from the extension: the first record whose key the upper-cased extension contains, so
// ".TIFF" is TIFF while ".JPEG" is unknown; ftUnknown without an extension.
int FileTypeByExt(const std::string& FileName);
// Type code from the first 8 bytes: ftMissing when there is no such file, ftUnknown (with
// FileTypeError set) when 8 bytes cannot be read, else the record whose signature matches, else the
// extension's record when that format is read by extension, else ftUnknown.
int FileTypeByContent(const std::string& FileName);
// System message of the last I/O error met by FileTypeByContent on this thread; never cleared.
extern thread_local std::string FileTypeError;

} // namespace vortane
