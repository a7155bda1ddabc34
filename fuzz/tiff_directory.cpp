// TIFF image file directories from mutated bytes: the file is described, opened and sampled. Nothing
// may crash, hang or read outside the file, whatever its offsets and counts claim.

#include "mutated_image.hpp"
#include "raster/tiff/tiff_map.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    using namespace vortane;
    // A 3-band 16-bit image and a 1-band float one (with its SampleFormat entry).
    static const std::vector<std::uint8_t> Valid[2] = {
        fuzzing::WrittenImage<TTifMap2>(fuzzing::TempInputName("tiff_rgb") + ".tif", 4, 3, ctUnsigned16, 3),
        fuzzing::WrittenImage<TTifMap2>(fuzzing::TempInputName("tiff_float") + ".tif", 5, 2, ctFloat32, 1)};
    const std::string Name = fuzzing::TempInputName("tiff_directory") + ".tif";
    const std::vector<std::uint8_t> Bytes =
        fuzzing::MutatedImage(Valid[Size > 1 && Data[1] & 0x80], Data, Size);
    if (!fuzzing::WriteInputFile(Name, Bytes.data(), Bytes.size())) return 0;
    {
        TTifMap2 Description;
        Description.OpenMapRead(Name);
    }
    TTifMap2 Image;
    if (Image.OpenMap(Name, 0, 0, ctUnsigned8, 1, omRead)) fuzzing::SampleImage(Image);
    return 0;
}
