#include "raster/format_registry.hpp"

#include "raster/bmp/bmp_map.hpp"
#include "raster/dtm/dtm_map.hpp"
#include "raster/ecw/ecw_map.hpp"
#include "raster/ers/ers_map.hpp"
#include "raster/file_start.hpp"
#include "raster/jpeg/jpeg_map.hpp"
#include "raster/nog/nog_map.hpp"
#include "raster/osd/osd_map.hpp"
#include "raster/rsw/rsw_map.hpp"
#include "raster/tiff/tiff_format.hpp"
#include "raster/veg/veg_file.hpp"
#include "text/strings.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>

namespace vortane {

namespace {

// What an output of an image format with world files writes: the image and the world files beside
// it (".tifw" and ".tfw" for ".tif").
std::vector<std::string> ImageAndWorldFiles(const std::string& OutFile) {
    namespace fs = std::filesystem;
    const fs::path Path(OutFile);
    std::vector<std::string> Files{OutFile};
    const std::string Ext = Path.extension().string();
    if (Ext.size() >= 2) {
        Files.push_back(fs::path(Path).replace_extension(Ext + "w").string());
        Files.push_back(fs::path(Path).replace_extension(Ext.substr(0, 2) + Ext.back() + "w").string());
    }
    return Files;
}

constexpr std::size_t SignatureLength = 8;

bool SignatureMatches(const TSignature& Signature, std::string_view Head) {
    if (Signature.Bytes.empty() || Head.size() < Signature.Bytes.size()) return false;
    const std::string_view Start = Head.substr(0, Signature.Bytes.size());
    return Signature.Exact ? Start == Signature.Bytes : UpperCase(Start) == Signature.Bytes;
}

bool FormatMatches(const TImageFormat& Format, std::string_view Head) {
    return std::any_of(Format.Signatures.begin(), Format.Signatures.end(),
                       [&](const TSignature& Signature) { return SignatureMatches(Signature, Head); });
}

// The first SignatureLength bytes; 0 or the errno value (ENODATA when the file is shorter).
int ReadHead(const std::string& FileName, std::string& Head) {
    std::uint64_t Size = 0;
    if (const int Error = ReadFileStart(FileName, SignatureLength, Head, Size); Error != 0)
        return Error == EISDIR ? EINVAL : Error;
    return Head.size() < SignatureLength ? ENODATA : 0;
}

// Enough of a file's start for the formats that look further than their first bytes.
constexpr std::size_t LongStartLength = 4096;

// The first format whose own start test takes the file; null when none does or it cannot be read.
const TImageFormat* FormatByLongStart(const std::string& FileName) {
    std::string Start;
    std::uint64_t Size = 0;
    if (ReadFileStart(FileName, LongStartLength, Start, Size) != 0) return nullptr;
    for (const TImageFormat& Format : ImageFormats())
        if (Format.StartMatches && Format.StartMatches(Start)) return &Format;
    return nullptr;
}

bool FileExists(const std::string& FileName) {
    struct stat Status {};
    return ::stat(FileName.c_str(), &Status) == 0 && !S_ISDIR(Status.st_mode);
}

} // namespace

std::vector<std::string> OutputFilesOf(const std::string& OutFile) {
    const TImageFormat* Format = FindFormat(FileTypeByExt(OutFile));
    return Format ? Format->OutputFiles(OutFile) : ImageAndWorldFiles(OutFile);
}

// One record per type code, in code order. Signatures are told apart by their first two bytes, so the
// order in which they are tried cannot change a result (a test keeps it so).
std::span<const TImageFormat> ImageFormats() {
    static const std::array Formats = {ErsFormat, OsdFormat, TiffFormat, GifFormat, BmpFormat,
                                       DtmFormat, NogFormat, JpegFormat, VegFormat, EcwFormat,
                                       DcrFormat, RswFormat, BitFormat};
    return Formats;
}

const TImageFormat* FindFormat(int FileType) {
    const std::span<const TImageFormat> Formats = ImageFormats();
    const auto Found = std::find_if(Formats.begin(), Formats.end(),
                                    [&](const TImageFormat& Format) { return Format.Code == FileType; });
    return Found == Formats.end() ? nullptr : &*Found;
}

std::string FormatName(int FileType) {
    const TImageFormat* Format = FindFormat(FileType);
    return Format ? std::string(Format->Name) : "unknown";
}

int FileTypeByExt(const std::string& FileName) {
    const std::size_t NameStart = FileName.rfind('/') + 1;
    const std::size_t Dot = FileName.rfind('.');
    if (Dot == std::string::npos || Dot < NameStart) return ftUnknown;
    const std::string Extension = UpperCase(std::string_view(FileName).substr(Dot));
    for (const TImageFormat& Format : ImageFormats())
        if (Extension.find(Format.ExtensionKey) != std::string::npos) return Format.Code;
    return ftUnknown;
}

TContentType ContentType(const std::string& FileName) {
    if (!FileExists(FileName)) return {ftMissing, ""};
    std::string Head;
    if (const int Error = ReadHead(FileName, Head); Error != 0) return {ftUnknown, std::strerror(Error)};
    for (const TImageFormat& Format : ImageFormats())
        if (FormatMatches(Format, Head)) return {Format.Code, ""};
    if (const TImageFormat* Format = FormatByLongStart(FileName)) return {Format->Code, ""};
    const TImageFormat* ByExtension = FindFormat(FileTypeByExt(FileName));
    return {ByExtension && ByExtension->ExtensionOnRead ? ByExtension->Code : ftUnknown, ""};
}

int FileTypeByContent(const std::string& FileName) {
    return ContentType(FileName).Code;
}

} // namespace vortane
