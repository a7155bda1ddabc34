// NOG header records from arbitrary bytes, over a cell file of the bytes after the first zero: a
// record whose counts disagree with the cell file must be refused, never read past it; a record that
// was read writes back with its other bytes unchanged.

#include "raster_input.hpp"

#include "raster/nog/nog_map.hpp"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    using namespace vortane;
    const std::string Stem = fuzzing::TempInputName("nog");
    std::string Text, Rest;
    fuzzing::SplitAtZero(Data, Size, Text, Rest);
    if (!fuzzing::WriteInputFile(Stem + ".001", Data, Size) || !fuzzing::WriteText(Stem + ".002", Rest))
        return 0;
    fuzzing::OpenAndRead<TNogMap2>(Stem + ".001");

    TNogHeader Header;
    if (!Header.ReadHeader(Stem + ".001") || !Header.WriteHeader(Stem + "_again.001")) return 0;
    TNogHeader Again;
    if (!Again.ReadHeader(Stem + "_again.001") || Again.FRows != Header.FRows ||
        Again.FColumns != Header.FColumns)
        std::abort();
    return 0;
}
