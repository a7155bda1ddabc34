// Catalogue records of the transverse Mercator and zone grid systems, followed by conversions of
// arbitrary positions through the systems they describe: no crash, no undefined behaviour, no hang.

#include "projections/tm_grid.hpp"
#include "projections/transverse_mercator.hpp"

#include "projection_input.hpp"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const fuzzing::TRecordInput Input = fuzzing::SplitRecordInput(Data, Size);
    vortane::TTransMerc TransMerc(Input.Line);
    vortane::TTMGrid Grid(Input.Line);
    fuzzing::ExerciseConversions(TransMerc, Input);
    fuzzing::ExerciseConversions(Grid, Input);
    return 0;
}
