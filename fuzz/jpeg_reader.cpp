// JPEG files from arbitrary bytes: described, then decoded into the whole-image buffer and read. Nothing
// may crash, end the process or read out of bounds. Images whose buffer would exceed 64 MiB are only
// described, to keep the fuzzer's memory bounded.

#include "raster/jpeg/jpeg_map.hpp"
#include "temp_input_file.hpp"
#include "text/types.hpp"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    using namespace vortane;
    static const std::string Name = fuzzing::TempInputName("jpeg") + ".jpg";
    if (!fuzzing::WriteInputFile(Name, Data, Size)) return 0;
    {
        TJpgMap2 Description;
        if (!Description.OpenMapRead(Name) ||
            std::uint64_t(Description.GetRows()) * Description.LineSize() > 64u * 1024 * 1024)
            return 0;
    }
    TJpgMap2 Image;
    if (Image.OpenMap(Name, 0, 0, ctUnsigned8, 1, omRead)) {
        float Value = 0;
        if (!Image.ReadCell(Image.GetColumns() - 1, Image.GetRows() - 1, 2, Value)) std::abort();
    }
    return 0;
}
