// Compressed and tiled TIFFs from mutated bytes, read through libtiff into a temporary cell file and
// sampled. Nothing may crash, hang or read outside a buffer, and no cell file may stay behind.

#include "mutated_image.hpp"
#include "raster/tiff/libtiff_map.hpp"
#include "raster/tiff/libtiff_writer.hpp"

namespace {

std::vector<std::uint8_t> Written(const std::string& Stem, const vortane::test::TTiffShape& Shape) {
    const std::string Name = fuzzing::TempInputName(Stem) + ".tif";
    if (!vortane::test::WriteTiff(Name, Shape)) std::abort();
    return fuzzing::FileBytes(Name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    using namespace vortane;
    // LZW RGB strips, and 16-bit Deflate tiles in planes with a predictor.
    static const std::vector<std::uint8_t> Valid[2] = {
        Written("libtiff_lzw", {.Width = 9,
                                .Height = 7,
                                .Compression = COMPRESSION_LZW,
                                .RowsPerStrip = 3,
                                .Samples = 3,
                                .Photometric = PHOTOMETRIC_RGB}),
        Written("libtiff_tiles", {.Width = 20,
                                  .Height = 18,
                                  .Compression = COMPRESSION_ADOBE_DEFLATE,
                                  .Predictor = PREDICTOR_HORIZONTAL,
                                  .Tile = 16,
                                  .Bits = 16,
                                  .Samples = 2,
                                  .Planar = PLANARCONFIG_SEPARATE})};
    const std::string Name = fuzzing::TempInputName("libtiff_image") + ".tif";
    const std::vector<std::uint8_t> Bytes =
        fuzzing::MutatedImage(Valid[Size > 1 && Data[1] & 0x80], Data, Size);
    if (!fuzzing::WriteInputFile(Name, Bytes.data(), Bytes.size())) return 0;
    TLibTiffMap2 Image;
    if (Image.OpenMap(Name, 0, 0, ctUnsigned8, 1, omRead)) fuzzing::SampleImage(Image);
    return 0;
}
