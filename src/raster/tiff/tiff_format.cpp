#include "raster/tiff/tiff_format.hpp"

#include "raster/creation_options.hpp"
#include "raster/tiff/encoded_tiff_map.hpp"
#include "raster/tiff/libtiff_map.hpp"
#include "raster/tiff/tiff_map.hpp"

#include <memory>

namespace vortane {

namespace {

std::unique_ptr<TDataSetRoot2> DecodingReader(const TDataSetRoot2& Refused) {
    const auto* Mapped = dynamic_cast<const TTifMap2*>(&Refused);
    return Mapped && Mapped->RefusedButDecodable() ? std::make_unique<TLibTiffMap2>() : nullptr;
}

std::unique_ptr<TDataSetRoot2> EncodingWriter(const TCreationOptions& Options) {
    return Options.Plain() ? nullptr : std::make_unique<TEncodedTifMap2>();
}

} // namespace

constinit const TImageFormat TiffFormat =
    ReadWriteFormat<TTifMap2>({.Code = ftTif,
                               .Name = "TIFF",
                               .ExtensionKey = "TIF",
                               .Extensions = {".tif", ".tiff"},
                               .Signatures = {Letters(TiffMSBFirstMark), Letters(TiffLSBFirstMark)},
                               .SystemInHeader = true,
                               .NoDataInHeader = true,
                               .ReaderForRefused = DecodingReader,
                               .WriterFor = EncodingWriter});

} // namespace vortane
