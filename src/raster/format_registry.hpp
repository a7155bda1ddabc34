#pragma once
// The image formats this program knows, one record each (image_format.hpp), as each format folder
// builds it. Detection, the data set and the output checks all read this one list, so a new format is
// one folder under raster/ and one line in format_registry.cpp.

#include "raster/image_format.hpp"

#include <span>
#include <string>
#include <vector>

namespace vortane {

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
// What the content test found: a type code, and the system's message when the file's first bytes
// could not be read (the code is then ftUnknown); empty otherwise.
struct TContentType {
    int Code = ftUnknown;
    std::string Reason;
};
// Type code from the first 8 bytes: ftMissing when there is no such file, ftUnknown with a reason
// when 8 bytes cannot be read, else the record whose signature matches, else the extension's record
// when that format is read by extension, else ftUnknown.
TContentType ContentType(const std::string& FileName);
// ContentType's code.
int FileTypeByContent(const std::string& FileName);

} // namespace vortane
