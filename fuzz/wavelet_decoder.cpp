// Wavelet (ECW) files from arbitrary bytes: opened, described and decoded line by line through the
// raster. Nothing may crash, hang or read out of bounds; the codec itself bounds every allocation by
// the file's size, so no limit is needed here.

#include "raster/ecw/ecw_map.hpp"
#include "temp_input_file.hpp"
#include "text/types.hpp"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    using namespace vortane;
    static const std::string Name = fuzzing::TempInputName("wavelet") + ".ecw";
    if (!fuzzing::WriteInputFile(Name, Data, Size)) return 0;
    TECWMap2 Image;
    if (Image.OpenMap(Name, 0, 0, ctUnsigned8, 1, omRead)) {
        float Value = 0;
        if (!Image.ReadCell(Image.GetColumns() - 1, Image.GetRows() - 1, 2, Value)) std::abort();
    }
    return 0;
}
