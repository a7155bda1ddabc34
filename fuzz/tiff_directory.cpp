// TIFF image file directories from mutated bytes: the file is opened, described and sampled. Nothing
// may crash, hang or read outside the file, whatever its offsets and counts claim.

#include "mutated_image.hpp"
#include "raster/tiff/tiff_map.hpp"
#include "text/types.hpp"

#include <cstdint>
#include <cstdlib>

namespace {

// A 3-band 16-bit image and a 1-band float image, as this program writes them.
const std::vector<std::uint8_t>& Valid(bool Float) {
    static const std::vector<std::uint8_t> Images[2] = {
        [] {
            const std::string Name = fuzzing::TempInputName("tiff_valid") + ".tif";
            {
                vortane::TTifMap2 Image;
                if (!Image.OpenMap(Name, 4, 3, vortane::ctUnsigned16, 3, vortane::omCreate)) std::abort();
                Image.SetGeoreference("WE", "WGS84", "NUTM34", 2, 2, 0, 0, 1000, 5000);
            }
            return fuzzing::FileBytes(Name);
        }(),
        [] {
            const std::string Name = fuzzing::TempInputName("tiff_valid_float") + ".tif";
            {
                vortane::TTifMap2 Image;
                if (!Image.OpenMap(Name, 5, 2, vortane::ctFloat32, 1, vortane::omCreate)) std::abort();
            }
            return fuzzing::FileBytes(Name);
        }()};
    return Images[Float ? 1 : 0];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    using namespace vortane;
    const std::string Name = fuzzing::TempInputName("tiff_directory") + ".tif";
    const bool Float = Size > 1 && (Data[1] & 0x80) != 0;
    const std::vector<std::uint8_t> Bytes = fuzzing::MutatedImage(Valid(Float), Data, Size);
    if (!fuzzing::WriteInputFile(Name, Bytes.data(), Bytes.size())) return 0;
    {
        TTifMap2 Description;
        Description.OpenMapRead(Name);
    }
    TTifMap2 Image;
    if (!Image.OpenMap(Name, 0, 0, ctUnsigned8, 1, omRead)) return 0;
    const std::int64_t Columns = Image.GetColumns();
    const std::int64_t Rows = Image.GetRows();
    float Value = 0;
    for (std::uint32_t Band = 0; Band < 4; ++Band) {
        Image.ReadCell(0, 0, Band, Value);
        Image.ReadCell(Columns - 1, Rows - 1, Band, Value);
        Image.ReadCell(Columns / 2, Rows / 2, Band, Value);
        Image.SampleBilinear(Band, Value, Columns / 2.0 + 0.5, Rows / 2.0 + 0.25);
    }
    std::int32_t Colour = 0;
    Image.ReadRGB(Columns - 1, Rows - 1, Colour);
    return 0;
}
