// Bitmap headers from mutated bytes: the file is opened and sampled. Nothing may crash, hang or read
// outside the file, whatever its pixel offset, sizes and colour table claim.

#include "mutated_image.hpp"
#include "raster/bmp/bmp_map.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    using namespace vortane;
    // A greyscale bitmap with its colour table and a colour one.
    static const std::vector<std::uint8_t> Valid[2] = {
        fuzzing::WrittenImage<TBMPMap2>(fuzzing::TempInputName("bmp_grey") + ".bmp", 5, 3, ctUnsigned8, 1),
        fuzzing::WrittenImage<TBMPMap2>(fuzzing::TempInputName("bmp_colour") + ".bmp", 3, 4, ctUnsigned8, 3)};
    const std::string Name = fuzzing::TempInputName("bmp_header") + ".bmp";
    const std::vector<std::uint8_t> Bytes =
        fuzzing::MutatedImage(Valid[Size > 1 && Data[1] & 0x80], Data, Size);
    if (!fuzzing::WriteInputFile(Name, Bytes.data(), Bytes.size())) return 0;
    TBMPMap2 Image;
    if (Image.OpenMap(Name, 0, 0, ctUnsigned8, 1, omRead)) fuzzing::SampleImage(Image);
    return 0;
}
