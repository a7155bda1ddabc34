// Bitmap headers from mutated bytes: the file is opened and sampled. Nothing may crash, hang or read
// outside the file, whatever its pixel offset, sizes and colour table claim.

#include "mutated_image.hpp"
#include "raster/bmp/bmp_map.hpp"
#include "text/types.hpp"

#include <cstdint>
#include <cstdlib>

namespace {

// A greyscale bitmap (with its colour table) and a colour one, as this program writes them.
const std::vector<std::uint8_t>& Valid(bool Colour) {
    static const std::vector<std::uint8_t> Images[2] = {
        [] {
            const std::string Name = fuzzing::TempInputName("bmp_valid_grey") + ".bmp";
            {
                vortane::TBMPMap2 Image;
                if (!Image.OpenMap(Name, 5, 3, vortane::ctUnsigned8, 1, vortane::omCreate)) std::abort();
            }
            return fuzzing::FileBytes(Name);
        }(),
        [] {
            const std::string Name = fuzzing::TempInputName("bmp_valid_colour") + ".bmp";
            {
                vortane::TBMPMap2 Image;
                if (!Image.OpenMap(Name, 3, 4, vortane::ctUnsigned8, 3, vortane::omCreate)) std::abort();
            }
            return fuzzing::FileBytes(Name);
        }()};
    return Images[Colour ? 1 : 0];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    using namespace vortane;
    const std::string Name = fuzzing::TempInputName("bmp_header") + ".bmp";
    const bool Colour = Size > 1 && (Data[1] & 0x80) != 0;
    const std::vector<std::uint8_t> Bytes = fuzzing::MutatedImage(Valid(Colour), Data, Size);
    if (!fuzzing::WriteInputFile(Name, Bytes.data(), Bytes.size())) return 0;
    TBMPMap2 Image;
    if (!Image.OpenMap(Name, 0, 0, ctUnsigned8, 1, omRead)) return 0;
    const std::int64_t Columns = Image.GetColumns();
    const std::int64_t Rows = Image.GetRows();
    float Value = 0;
    for (std::uint32_t Band = 0; Band < 4; ++Band) {
        Image.ReadCell(0, 0, Band, Value);
        Image.ReadCell(Columns - 1, Rows - 1, Band, Value);
        Image.SampleBilinear(Band, Value, Columns / 2.0 + 0.5, Rows / 2.0 + 0.25);
    }
    std::int32_t Pixel = 0;
    Image.ReadRGB(Columns - 1, 0, Pixel);
    return 0;
}
