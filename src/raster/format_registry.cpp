#include "raster/format_registry.hpp"

#include "raster/bmp/bmp_map.hpp"
#include "raster/ers/ers_map.hpp"
#include "raster/raster.hpp"
#include "raster/tiff/tiff_map.hpp"
#include "text/mapped_file.hpp"
#include "text/strings.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace vortane {

thread_local std::string FileTypeError;

namespace {

using namespace std::string_view_literals;

template <typename TRaster> std::unique_ptr<TDataSetRoot2> Make() {
    return std::make_unique<TRaster>();
}

// The files a raster of the class names for an output: header formats their cells and header.
template <typename TRaster> std::vector<std::string> FilesOf(const std::string& OutFile) {
    TRaster Raster;
    Raster.SetFileName(OutFile);
    return Raster.ImageFiles();
}

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

// An ortho data set: the cell file (the name without extension) and its ".osd" header.
std::vector<std::string> OrthoFiles(const std::string& OutFile) {
    namespace fs = std::filesystem;
    return {fs::path(OutFile).replace_extension().string(),
            fs::path(OutFile).replace_extension(".osd").string()};
}

constexpr TSignature Letters(std::string_view Text) {
    return {Text, false};
}
constexpr TSignature Bytes(std::string_view Text) {
    return {Text, true};
}

constexpr auto ReadWrite = TFormatAccess::ReadWrite;
constexpr auto NotBuilt = TFormatAccess::None;

// One line per type code, in code order. Signatures are told apart by their first two bytes, so the
// order in which they are tried cannot change a result (a test keeps it so). GIF, DCR and BIT files
// have no class of their own and are read and written as ortho data sets.
// clang-format off
constexpr std::array<TImageFormat, 13> Formats = {{
//   code   name              key    output extensions   signatures                       by ext access     class           files written
    {ftErs, "ER Mapper",      "ERS", {".ers"},           {Letters("DATA")},               false, ReadWrite, Make<TErsMap2>, FilesOf<TErsMap2>},
    {ftOsd, "Ortho data set", "OSD", {".osd"},           {Letters("ORTH")},               false, NotBuilt,  nullptr,        OrthoFiles},
    {ftTif, "TIFF",           "TIF", {".tif", ".tiff"},  {Letters("MM"), Letters("II")},  false, ReadWrite, Make<TTifMap2>, FilesOf<TTifMap2>},
    {ftGif, "Ortho data set", "GIF", {".gif"},           {Letters("GIF8")},               false, NotBuilt,  nullptr,        OrthoFiles},
    {ftBmp, "BMP",            "BMP", {".bmp"},           {Letters("BM")},                 false, ReadWrite, Make<TBMPMap2>, FilesOf<TBMPMap2>},
    {ftDtm, "DTM",            "DTM", {".dtm"},           {Bytes("\x00\x00\x80\xBF"sv)},   false, NotBuilt,  nullptr,        ImageAndWorldFiles},
    {ftNog, "NOG",            "001", {".001"},           {},                              true,  NotBuilt,  nullptr,        ImageAndWorldFiles},
    {ftJpg, "JPEG",           "JPG", {".jpg"},           {Bytes("\xFF\xD8"sv)},           false, NotBuilt,  nullptr,        ImageAndWorldFiles},
    {ftVeg, "VEG",            "VEG", {".veg"},           {},                              true,  NotBuilt,  nullptr,        ImageAndWorldFiles},
    {ftEcw, "ECW",            "ECW", {".ecw"},           {Bytes("\x65\x02\x01\x02"sv)},   true,  NotBuilt,  nullptr,        ImageAndWorldFiles},
    {ftDcr, "Ortho data set", "DCR", {".dcr"},           {},                              false, NotBuilt,  nullptr,        OrthoFiles},
    {ftRsw, "RSW",            "RSW", {".rsw"},           {Letters("RSW")},                false, NotBuilt,  nullptr,        ImageAndWorldFiles},
    {ftBit, "Ortho data set", "BIT", {".bit"},           {Bytes("BITR")},                 false, NotBuilt,  nullptr,        OrthoFiles},
}};
// clang-format on

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

// Reads exactly Count bytes; 0 or the errno value (ENODATA when the file is shorter).
int ReadExactly(int Fd, char* Buffer, std::size_t Count) {
    std::size_t Done = 0;
    while (Done < Count) {
        const ssize_t Got = ::read(Fd, Buffer + Done, Count - Done);
        if (Got < 0 && errno == EINTR) continue;
        if (Got < 0) return errno;
        if (Got == 0) return ENODATA;
        Done += static_cast<std::size_t>(Got);
    }
    return 0;
}

int ReadHead(const std::string& FileName, std::string& Head) {
    TFileDescriptor File;
    // O_NONBLOCK: a FIFO or device named as an image must not block the program.
    if (const int Error = File.Open(FileName, O_RDONLY | O_NONBLOCK); Error != 0) return Error;
    struct stat Status {};
    if (::fstat(File.Get(), &Status) != 0) return errno;
    if (!S_ISREG(Status.st_mode)) return EINVAL;
    Head.assign(SignatureLength, '\0');
    return ReadExactly(File.Get(), Head.data(), SignatureLength);
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

std::span<const TImageFormat> ImageFormats() {
    return Formats;
}

const TImageFormat* FindFormat(int FileType) {
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
    for (const TImageFormat& Format : Formats)
        if (Extension.find(Format.ExtensionKey) != std::string::npos) return Format.Code;
    return ftUnknown;
}

int FileTypeByContent(const std::string& FileName) {
    if (!FileExists(FileName)) return ftMissing;
    std::string Head;
    if (const int Error = ReadHead(FileName, Head); Error != 0) {
        FileTypeError = std::strerror(Error);
        return ftUnknown;
    }
    for (const TImageFormat& Format : Formats)
        if (FormatMatches(Format, Head)) return Format.Code;
    const TImageFormat* ByExtension = FindFormat(FileTypeByExt(FileName));
    return ByExtension && ByExtension->ExtensionOnRead ? ByExtension->Code : ftUnknown;
}

} // namespace vortane
