#include "raster/tiff/libtiff_open.hpp"

#include "raster/tiff/geokeys.hpp"

#include <cstdarg>
#include <cstdio>
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

} // namespace

void RegisterGeoTiffTags() {
    static std::once_flag Once;
    std::call_once(Once, [] { PreviousExtender = TIFFSetTagExtender(AddGeoTiffFields); });
}

TIFF* OpenTiff(const std::string& Name, const char* Mode, std::string& Reason, tmsize_t MaxAlloc) {
    RegisterGeoTiffTags();
    TIFFOpenOptions* Options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(Options, KeepFirstError, &Reason);
    TIFFOpenOptionsSetWarningHandlerExtR(Options, DropWarning, nullptr);
    if (MaxAlloc > 0) TIFFOpenOptionsSetMaxSingleMemAlloc(Options, MaxAlloc);
    TIFF* Tiff = TIFFOpenExt(Name.c_str(), Mode, Options);
    TIFFOpenOptionsFree(Options);
    return Tiff;
}

} // namespace vortane
