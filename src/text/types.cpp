#include "text/types.hpp"

#include "text/mapped_file.hpp"
#include "text/strings.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vortane {

thread_local std::string FileTypeError;

namespace {

constexpr std::array<int, 11> CellWidths = {0, 1, 1, 2, 2, 4, 4, 3, 8, 16, 1};

struct TNamedCode {
    std::string_view Name;
    std::uint8_t Code;
};

constexpr std::array<TNamedCode, 6> CellTypeNames = {{
    {"UNSIGNED8BITINTEGER", ctUnsigned8},
    {"SIGNED8BITINTEGER", ctSigned8},
    {"SIGNED16BITINTEGER", ctSigned16},
    {"UNSIGNED16BITINTEGER", ctUnsigned16},
    {"SIGNED32BITINTEGER", ctSigned32},
    {"SIGNED32BITSINGLE", ctFloat32},
}};

constexpr std::array<TNamedCode, 3> CoordTypeNames = {{{"EN", 0}, {"RAW", 1}, {"LATLONG", 2}}};
constexpr std::uint8_t NoCoordType = 3;

// Extension keys by file type code, in the order they are tried; a key matches when the extension
// contains it, so ".TIFF" is a TIF file while ".JPEG" is unknown.
constexpr std::array<std::string_view, ftUnknown> ExtensionKeys = {
    "ERS", "OSD", "TIF", "GIF", "BMP", "DTM", "001", "JPG", "VEG", "ECW", "DCR", "RSW", "BIT"};

template <std::size_t N> std::uint8_t CodeByName(const std::array<TNamedCode, N>& Table, std::string_view Name,
                                                 std::uint8_t Otherwise) {
    const auto Found = std::find_if(Table.begin(), Table.end(), [&](const auto& Row) { return Row.Name == Name; });
    return Found == Table.end() ? Otherwise : Found->Code;
}

template <std::size_t N> std::string NameByCode(const std::array<TNamedCode, N>& Table, std::uint8_t Code) {
    const auto Found = std::find_if(Table.begin(), Table.end(), [&](const auto& Row) { return Row.Code == Code; });
    return Found == Table.end() ? std::string() : std::string(Found->Name);
}

// The file's first bytes and how each signature is compared. Letters ignore case unless exact.
constexpr std::size_t SignatureLength = 8;

struct TSignature {
    std::string_view Bytes;
    bool Exact;
    int Code;
};

using namespace std::string_view_literals;
constexpr std::array<TSignature, 11> Signatures = {{
    {"ORTH"sv, false, ftOsd},
    {"DATA"sv, false, ftErs},
    {"GIF8"sv, false, ftGif},
    {"MM"sv, false, ftTif},
    {"II"sv, false, ftTif},
    {"BM"sv, false, ftBmp},
    {"\x00\x00\x80\xBF"sv, true, ftDtm},
    {"\x65\x02\x01\x02"sv, true, ftEcw},
    {"RSW"sv, false, ftRsw},
    {"\xFF\xD8"sv, true, ftJpg},
    {"BITR"sv, true, ftBit},
}};

bool SignatureMatches(const TSignature& Signature, std::string_view Head) {
    const std::string_view Start = Head.substr(0, Signature.Bytes.size());
    return Signature.Exact ? Start == Signature.Bytes : UpperCase(Start) == Signature.Bytes;
}

// Reads exactly Count bytes; 0 or the errno value (ENODATA when the file is shorter).
int ReadExactly(int Fd, char* Buffer, std::size_t Count) {
    std::size_t Done = 0;
    while (Done < Count) {
        const ssize_t Got = ::read(Fd, Buffer + Done, Count - Done);
        if (Got < 0 && errno == EINTR)
            continue;
        if (Got < 0)
            return errno;
        if (Got == 0)
            return ENODATA;
        Done += static_cast<std::size_t>(Got);
    }
    return 0;
}

int ReadHead(const std::string& FileName, std::string& Head) {
    TFileDescriptor File;
    // O_NONBLOCK: a FIFO or device named as an image must not block the program.
    if (const int Error = File.Open(FileName, O_RDONLY | O_NONBLOCK); Error != 0)
        return Error;
    struct stat Status {};
    if (::fstat(File.Get(), &Status) != 0)
        return errno;
    if (!S_ISREG(Status.st_mode))
        return EINVAL;
    Head.assign(SignatureLength, '\0');
    return ReadExactly(File.Get(), Head.data(), SignatureLength);
}

bool FileExists(const std::string& FileName) {
    struct stat Status {};
    return ::stat(FileName.c_str(), &Status) == 0 && !S_ISDIR(Status.st_mode);
}

} // namespace

int CellBytes(std::uint8_t CellType) {
    return CellType < CellWidths.size() ? CellWidths[CellType] : 1;
}

std::uint8_t CellTypeByName(std::string_view Text) { return CodeByName(CellTypeNames, Text, ctUnknown); }

std::uint8_t CoordTypeByName(std::string_view Text) { return CodeByName(CoordTypeNames, Text, NoCoordType); }

std::string CoordTypeName(std::uint8_t CoordType) { return NameByCode(CoordTypeNames, CoordType); }

int FileTypeByExt(const std::string& FileName) {
    const std::size_t NameStart = FileName.rfind('/') + 1;
    const std::size_t Dot = FileName.rfind('.');
    if (Dot == std::string::npos || Dot < NameStart)
        return ftUnknown;
    const std::string Extension = UpperCase(std::string_view(FileName).substr(Dot));
    for (std::size_t Code = 0; Code < ExtensionKeys.size(); ++Code)
        if (Extension.find(ExtensionKeys[Code]) != std::string::npos)
            return static_cast<int>(Code);
    return ftUnknown;
}

int FileTypeByContent(const std::string& FileName) {
    if (!FileExists(FileName))
        return ftMissing;
    std::string Head;
    if (const int Error = ReadHead(FileName, Head); Error != 0) {
        FileTypeError = std::strerror(Error);
        return ftUnknown;
    }
    for (const TSignature& Signature : Signatures)
        if (SignatureMatches(Signature, Head))
            return Signature.Code;
    const int ByExtension = FileTypeByExt(FileName);
    if (ByExtension == ftNog || ByExtension == ftVeg || ByExtension == ftEcw)
        return ByExtension;
    return ftUnknown;
}

} // namespace vortane
