// DTM grids from arbitrary bytes: the header's counts and cell offset must never lead to a read
// outside the file.

#include "raster_input.hpp"

#include "raster/dtm/dtm_map.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::string Name = fuzzing::TempInputName("dtm") + ".dtm";
    if (fuzzing::WriteInputFile(Name, Data, Size)) fuzzing::OpenAndRead<vortane::TDtmMap2>(Name);
    return 0;
}
