// Catalogue records of the Lambert (one and two standard parallels, variant Eren) and stereographic
// systems, followed by conversions of arbitrary positions through the systems they describe: no crash,
// no undefined behaviour, no hang.

#include "projections/lambert1.hpp"
#include "projections/lambert2.hpp"
#include "projections/lambert_eren.hpp"
#include "projections/stereographic.hpp"

#include "projection_input.hpp"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const fuzzing::TRecordInput Input = fuzzing::SplitRecordInput(Data, Size);
    vortane::TLambert1 Lambert1(Input.Line);
    vortane::TLambert2 Lambert2(Input.Line);
    vortane::TLambEren Eren(Input.Line);
    vortane::TStereoProj Stereo(Input.Line);
    for (vortane::TProjection* System :
         {static_cast<vortane::TProjection*>(&Lambert1), static_cast<vortane::TProjection*>(&Lambert2),
          static_cast<vortane::TProjection*>(&Eren), static_cast<vortane::TProjection*>(&Stereo)})
        fuzzing::ExerciseConversions(*System, Input);
    return 0;
}
