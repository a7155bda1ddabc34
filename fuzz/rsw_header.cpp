// RSW files from arbitrary bytes: header, palette and tile table are read and checked, then a few cells
// are read through the tiles. Nothing may crash, fault on a mapped page or read out of bounds.

#include "raster/rsw/rsw_map.hpp"
#include "temp_input_file.hpp"
#include "text/types.hpp"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    using namespace vortane;
    static const std::string Name = fuzzing::TempInputName("rsw") + ".rsw";
    if (!fuzzing::WriteInputFile(Name, Data, Size)) return 0;
    TRswMap2 Image;
    if (Image.OpenMap(Name, 0, 0, ctUnsigned8, 1, omRead)) {
        float Value = 0;
        const std::int64_t Columns = Image.GetColumns(), Rows = Image.GetRows();
        for (const auto& [Col, Row] : {std::pair{std::int64_t{0}, std::int64_t{0}},
                                       {Columns - 1, Rows - 1},
                                       {Columns / 2, Rows / 2},
                                       {Columns - 1, 0}})
            if (!Image.ReadCell(Col, Row, 1, Value)) std::abort();
    }
    return 0;
}
