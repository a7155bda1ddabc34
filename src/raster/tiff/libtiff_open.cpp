#include "raster/tiff/libtiff_open.hpp"

#include "raster/tiff/geokeys.hpp"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <mutex>
#include <string_view>

namespace vortane {

namespace {

TIFFExtendProc PreviousExtender = nullptr;

void AddGeoTiffFields(TIFF* Tiff) {
    static char PixelScale[] = "ModelPixelScaleTag";
    static char TiePoint[] = "ModelTiepointTag";
    static char GeoKeys[] = "GeoKeyDirectoryTag";
    static char GeoDoubles[] = "GeoDoubleParamsTag";
    static char GeoAscii[] = "GeoAsciiParamsTag";
    static char NoData[] = "GDALNoDataValue";
    static const TIFFFieldInfo Fields[] = {
        {tagModelPixelScale, TIFF_VARIABLE2, TIFF_VARIABLE2, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1, PixelScale},
        {tagModelTiePoint, TIFF_VARIABLE2, TIFF_VARIABLE2, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1, TiePoint},
        {tagGeoKeyDirectoryId, TIFF_VARIABLE2, TIFF_VARIABLE2, TIFF_SHORT, FIELD_CUSTOM, 1, 1, GeoKeys},
        {tagGeoDoubleParamsId, TIFF_VARIABLE2, TIFF_VARIABLE2, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1, GeoDoubles},
        // A text: libtiff hands it over NUL-terminated, without a count.
        {tagGeoAsciiParamsId, TIFF_VARIABLE, TIFF_VARIABLE, TIFF_ASCII, FIELD_CUSTOM, 1, 0, GeoAscii},
        {tagGdalNoData, TIFF_VARIABLE, TIFF_VARIABLE, TIFF_ASCII, FIELD_CUSTOM, 1, 0, NoData},
    };
    TIFFMergeFieldInfo(Tiff, Fields, std::size(Fields));
    if (PreviousExtender) PreviousExtender(Tiff);
}

// libtiff's first error about one file, kept for the error text instead of printed (the later ones
// follow from it); warnings (unknown tags and the like) are dropped.
int KeepFirstError(TIFF*, void* Data, const char* Module, const char* Format, va_list Arguments) {
    auto& Reason = *static_cast<std::string*>(Data);
    if (!Reason.empty()) return 1;
    char Text[512];
    std::vsnprintf(Text, sizeof Text, Format, Arguments);
    const std::string_view Said(Text);
    const bool Named = Module && *Module && !Said.starts_with(Module);
    Reason = Named ? std::string(Module) + ": " + Text : std::string(Text);
    return 1;
}
int DropWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

TMemoryTiff& MemoryOf(thandle_t Handle) {
    return *static_cast<TMemoryTiff*>(Handle);
}
tmsize_t ReadMemory(thandle_t Handle, void* Buffer, tmsize_t Size) {
    TMemoryTiff& File = MemoryOf(Handle);
    const std::uint64_t Left = File.Bytes.size() - std::min<std::uint64_t>(File.Position, File.Bytes.size());
    const std::uint64_t Count = std::min<std::uint64_t>(static_cast<std::uint64_t>(Size), Left);
    if (Count > 0) std::memcpy(Buffer, File.Bytes.data() + File.Position, Count);
    File.Position += Count;
    return static_cast<tmsize_t>(Count);
}
tmsize_t WriteMemory(thandle_t Handle, void* Buffer, tmsize_t Size) {
    TMemoryTiff& File = MemoryOf(Handle);
    const auto Count = static_cast<std::uint64_t>(Size);
    if (File.Bytes.size() < File.Position + Count) File.Bytes.resize(File.Position + Count);
    if (Count > 0) std::memcpy(File.Bytes.data() + File.Position, Buffer, Count);
    File.Position += Count;
    return Size;
}
toff_t SeekMemory(thandle_t Handle, toff_t Offset, int Whence) {
    TMemoryTiff& File = MemoryOf(Handle);
    const std::uint64_t Base = Whence == SEEK_CUR   ? File.Position
                               : Whence == SEEK_END ? File.Bytes.size()
                                                    : 0;
    File.Position = Base + Offset;
    return File.Position;
}
int CloseMemory(thandle_t) {
    return 0;
}
toff_t MemorySize(thandle_t Handle) {
    return MemoryOf(Handle).Bytes.size();
}
int MapMemory(thandle_t, void**, toff_t*) {
    return 0;
}
void UnmapMemory(thandle_t, void*, toff_t) {}

TIFFOpenOptions* KeepingFirstError(std::string& Reason) {
    TIFFOpenOptions* Options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(Options, KeepFirstError, &Reason);
    TIFFOpenOptionsSetWarningHandlerExtR(Options, DropWarning, nullptr);
    return Options;
}

} // namespace

void RegisterGeoTiffTags() {
    static std::once_flag Once;
    std::call_once(Once, [] { PreviousExtender = TIFFSetTagExtender(AddGeoTiffFields); });
}

TIFF* OpenTiff(const std::string& Name, const char* Mode, std::string& Reason, tmsize_t MaxAlloc) {
    RegisterGeoTiffTags();
    TIFFOpenOptions* Options = KeepingFirstError(Reason);
    if (MaxAlloc > 0) TIFFOpenOptionsSetMaxSingleMemAlloc(Options, MaxAlloc);
    TIFF* Tiff = TIFFOpenExt(Name.c_str(), Mode, Options);
    TIFFOpenOptionsFree(Options);
    return Tiff;
}

TIFF* OpenTiffInMemory(TMemoryTiff& File, std::string& Reason) {
    RegisterGeoTiffTags();
    TIFFOpenOptions* Options = KeepingFirstError(Reason);
    TIFF* Tiff = TIFFClientOpenExt("memory", "wl", &File, ReadMemory, WriteMemory, SeekMemory, CloseMemory,
                                   MemorySize, MapMemory, UnmapMemory, Options);
    TIFFOpenOptionsFree(Options);
    return Tiff;
}

} // namespace vortane
